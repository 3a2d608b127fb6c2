#include "app/build_info.h"
#include "app/cli/command_line.h"
#include "app/cli/startup.h"
#include "app/shell/support_address.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("dorivan"));
    return parseCommandLine(arguments);
}

// Points the per-user data location into a temporary folder for the life of the object.
struct PerUserData
{
    QTemporaryDir home;
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    PerUserData()
    {
        setApplicationIdentity();
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    }
    ~PerUserData()
    {
        if (wasSet)
            qputenv("XDG_DATA_HOME", saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString folder() const { return home.path() + QStringLiteral("/dorivan/"); }
};

} // namespace

TEST(CommandLine, OptionsChooseTheFolderTheGuardAndTheTask)
{
    const CommandLine plain = parse({});
    EXPECT_EQ(plain.action, CommandAction::OpenWindow);
    EXPECT_TRUE(plain.options.dataFolder.isEmpty());
    EXPECT_EQ(plain.options.instanceName, defaultInstanceName());

    const CommandLine chosen = parse({"--data-dir", "/srv/books", "--instance-name", "x"});
    EXPECT_EQ(chosen.action, CommandAction::OpenWindow);
    EXPECT_EQ(chosen.options.dataFolder, QStringLiteral("/srv/books/"));
    EXPECT_EQ(chosen.options.instanceName, QStringLiteral("x"));
    // A relative folder is the one below the current folder, written out in full.
    EXPECT_EQ(parse({"--data-dir=books/../ledger"}).options.dataFolder,
              QDir::current().absoluteFilePath(QStringLiteral("ledger")) + QLatin1Char('/'));

    // Qt's own options go on to QApplication: a session manager restores the program with -session.
    EXPECT_EQ(parse({"-session", "1a2b", "-style", "fusion", "-reverse"}).action, CommandAction::OpenWindow);

    const CommandLine exportCsv =
        parse({"--export-csv", "out.csv", "--from", "2024-01", "--encoding", "cp932"});
    EXPECT_EQ(exportCsv.action, CommandAction::RunTask);
    EXPECT_EQ(exportCsv.task, QStringLiteral("export-csv"));
    EXPECT_EQ(exportCsv.value(QStringLiteral("export-csv")), QStringLiteral("out.csv"));
    EXPECT_EQ(exportCsv.value(QStringLiteral("from")), QStringLiteral("2024-01"));
    EXPECT_FALSE(exportCsv.isSet(QStringLiteral("to")));
    const CommandLine legacy = parse({"--import-legacy", "old", "--replace"});
    EXPECT_EQ(legacy.task, QStringLiteral("import-legacy"));
    EXPECT_TRUE(legacy.isSet(QStringLiteral("replace")));
    EXPECT_EQ(parse({"--import-csv", "in.csv", "--encoding", "auto"}).task, QStringLiteral("import-csv"));

    EXPECT_EQ(parse({"-h"}).action, CommandAction::ShowHelp);
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandAction::ShowHelp);
    EXPECT_EQ(parse({"-v"}).action, CommandAction::ShowVersion);
    EXPECT_EQ(parse({"--export-csv", "out.csv", "--help"}).action, CommandAction::ShowHelp);
}

TEST(CommandLine, AMistakeIsRefusedOnOneLineNamingItWithTheHelpHint)
{
    const std::pair<QStringList, QString> mistakes[] = {
        {{"--bogus"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"--data-dir"}, "--data-dir"},
        {{"--data-dir="}, "--data-dir"},
        {{"stray"}, "stray"},
        {{"--replace"}, "--import-legacy"},
        {{"--import-csv", "a.csv", "--from", "2024-01"}, "--export-csv"},
        {{"--export-csv", "a.csv", "--import-csv", "b.csv"}, "--import-csv"},
        {{"--help", "--bogus"}, "--bogus"},
    };
    for (const auto& [arguments, named] : mistakes) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLine line = parse(arguments);
        ASSERT_EQ(line.action, CommandAction::UsageError);
        EXPECT_TRUE(line.error.contains(named)) << line.error.toStdString();
        const CommandAnswer answer = answerWithoutWindow(line, QStringLiteral("/opt/dorivan"));
        EXPECT_EQ(answer.exitCode, 2);
        EXPECT_TRUE(answer.standardOutput.isEmpty());
        const QStringList lines = answer.standardError.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2);
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("dorivan: ")));
        EXPECT_TRUE(lines[1].contains(QStringLiteral("dorivan --help")));
    }
}

TEST(DataFolder, TheChosenFolderElseDataBesideTheProgramElseThePerUserFolder)
{
    PerUserData perUser;
    QTemporaryDir install;
    const QString program = install.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(program));

    // Installed: nothing beside the program, so the per-user folder, which the first start creates.
    EXPECT_EQ(perUserDataFolder(), perUser.folder());
    EXPECT_EQ(defaultDataFolder(program), perUser.folder());
    EXPECT_EQ(dataFolderFor(parse({}).options, program), perUser.folder());
    EXPECT_EQ(dataFolderFor(parse({"--data-dir", "/srv/books"}).options, program),
              QStringLiteral("/srv/books/"));
    // A copied or portable folder keeps its data beside the program.
    ASSERT_TRUE(QDir().mkpath(program + QStringLiteral("/data")));
    EXPECT_EQ(defaultDataFolder(program), program + QStringLiteral("/data/"));
    EXPECT_EQ(dataFolderFor(parse({"--data-dir", "/srv/books"}).options, program),
              QStringLiteral("/srv/books/"));

    // A relative XDG_DATA_HOME would follow the current folder: the XDG rules ignore it.
    qputenv("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(perUserDataFolder(), QDir::homePath() + QStringLiteral("/.local/share/dorivan/"));
}

TEST(CommandLine, HelpListsEveryOptionAndTheFolderThatWouldBeUsed)
{
    PerUserData perUser;
    const CommandAnswer help = answerWithoutWindow(parse({"--help"}), QStringLiteral("/nonexistent/bin"));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.standardError.isEmpty());
    for (const char* option :
         {"--data-dir DIR", "--instance-name NAME", "--import-legacy FOLDER", "--replace",
          "--export-csv FILE", "--from YYYY-MM", "--to YYYY-MM", "--encoding utf-8|cp932",
          "--import-csv FILE", "--encoding auto|utf-8|cp932", "-h, --help", "-v, --version"})
        EXPECT_TRUE(help.standardOutput.contains(QLatin1String(option))) << option;
    EXPECT_TRUE(help.standardOutput.contains(QStringLiteral("データフォルダ: ") + perUser.folder()))
        << help.standardOutput.toStdString();
    const CommandAnswer chosen =
        answerWithoutWindow(parse({"--data-dir", "/srv/books", "-h"}), QStringLiteral("/nonexistent/bin"));
    EXPECT_TRUE(chosen.standardOutput.contains(QStringLiteral("データフォルダ: /srv/books/")));
    // --help only tells: the per-user folder is made by the first real start.
    EXPECT_FALSE(QFileInfo::exists(perUser.folder()));

    const CommandAnswer version = answerWithoutWindow(parse({"--version"}), QString());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, QStringLiteral("dorivan " DORIVAN_VERSION "\n"));
}

TEST(CommandLine, TheProgramAnswersWithoutADisplay)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // A window system that is not there: creating the application object for windows would end the run.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    const auto run = [&](const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(DORIVAN_EXECUTABLE), arguments);
        EXPECT_TRUE(process->waitForFinished(30000));
        return process;
    };
    const auto help = run({QStringLiteral("--help")});
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(help->readAllStandardOutput()).contains(QStringLiteral("--data-dir DIR")));
    const auto version = run({QStringLiteral("--version")});
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(version->readAllStandardOutput(), QByteArray("dorivan " DORIVAN_VERSION "\n"));
    const auto refused = run({QStringLiteral("--bogus")});
    EXPECT_EQ(refused->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(refused->exitCode(), 2);
    EXPECT_TRUE(refused->readAllStandardOutput().isEmpty());
    const QString error = QString::fromUtf8(refused->readAllStandardError());
    EXPECT_TRUE(error.contains(QStringLiteral("--bogus")) && error.contains(QStringLiteral("--help")))
        << error.toStdString();
    EXPECT_TRUE(QDir(home.path()).isEmpty());
}

TEST(ApplicationIdentity, TheDesktopKnowsTheProgramByItsIdAndTheTitleGetsNothingAppended)
{
    setApplicationIdentity();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("dorivan"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral(DORIVAN_VERSION));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(DORIVAN_APP_ID));
    // A display name of its own is what the platform appends to every window title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST(BannerAddress, TheSupportAddressElseTheInstalledReadmeElseTheOneBesideTheProgram)
{
    QTemporaryDir prefix;
    const QString program = prefix.filePath(QStringLiteral("bin"));
    const QString doc = prefix.filePath(QStringLiteral("share/doc/dorivan"));
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(doc));
    const QString fromProgram = QStringLiteral("../share/doc/dorivan");
    const auto touch = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };

    EXPECT_TRUE(bannerAddress(QString(), program, fromProgram).isEmpty());
    ASSERT_TRUE(touch(program + QStringLiteral("/README.md")));
    EXPECT_EQ(bannerAddress(QString(), program, fromProgram), QUrl::fromLocalFile(program + "/README.md"));
    ASSERT_TRUE(touch(doc + QStringLiteral("/README.md")));
    EXPECT_EQ(bannerAddress(QString(), program, fromProgram), QUrl::fromLocalFile(doc + "/README.md"));
    EXPECT_EQ(bannerAddress(QStringLiteral("https://support.example/"), program, fromProgram),
              QUrl(QStringLiteral("https://support.example/")));
}

// The tasks look at the data folder before they open anything there, and refuse what they cannot use
// with the reason, changing nothing.
TEST(CommandLine, ATaskRefusesAnAccessDataFileAndTheRemainsOfAnUnfinishedSwapLeavingThemAsTheyAre)
{
    QTemporaryDir root;
    const auto run = [&](const QString& folder, const QString& task) {
        QProcess process;
        process.start(QStringLiteral(DORIVAN_EXECUTABLE), {QStringLiteral("--data-dir"), folder, task,
                                                           root.filePath(QStringLiteral("rows.csv"))});
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    };
    const auto files = [](const QString& folder) {
        QMap<QString, QByteArray> contents;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(QDir(folder).filePath(name));
            file.open(QIODevice::ReadOnly);
            contents.insert(name, file.readAll());
        }
        return contents;
    };
    QFile csv(root.filePath(QStringLiteral("rows.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("日付,入金先名,予定額,入金額\r\n2024/05/03,新規,1,0\r\n");
    csv.close();

    // Dorivan.mdb of the earlier program: the import of it is named, not a damaged database.
    const QString access = root.filePath(QStringLiteral("access"));
    ASSERT_TRUE(QDir().mkpath(access));
    ASSERT_TRUE(QFile::copy(QStringLiteral(DORIVAN_LEGACY_DATA "/small/Dorivan.mdb"),
                            QDir(access).filePath(QStringLiteral("Dorivan.mdb"))));
    const QMap<QString, QByteArray> accessBefore = files(access);
    for (const QString& task : {QStringLiteral("--export-csv"), QStringLiteral("--import-csv")}) {
        const auto [code, error] = run(access, task);
        EXPECT_EQ(code, 1) << task.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("以前のプログラムの形式")) &&
                    error.contains(QStringLiteral("--import-legacy")))
            << error.toStdString();
        EXPECT_EQ(files(access), accessBefore) << task.toStdString();
    }

    // Dorivan.mdb moved aside by an import that stopped half-way: no empty data file takes its place.
    const QString half = root.filePath(QStringLiteral("half"));
    ASSERT_TRUE(QDir().mkpath(half));
    for (const char* name : {"Dorivan.mdb.replaced-20240506-070809", "DorivanWork.mdb"}) {
        QFile left(QDir(half).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    }
    const auto [code, error] = run(half, QStringLiteral("--import-csv"));
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Dorivan.mdb.replaced-20240506-070809")))
        << error.toStdString();
    EXPECT_EQ(files(half).keys(), (QStringList{QStringLiteral("Dorivan.mdb.replaced-20240506-070809"),
                                               QStringLiteral("DorivanWork.mdb")}));
}
