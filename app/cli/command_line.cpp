#include "app/cli/command_line.h"

#include "app/build_info.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <vector>

namespace {

enum class OptionKind {
    Start,       // chooses how the window starts
    Task,        // runs an import or export instead of the window
    TaskSetting, // refines the task named in OptionEntry::task
    Info,        // --help, --version
};

// One line of the help. An option that refines two tasks (--encoding) has a line under each.
struct OptionEntry
{
    OptionKind kind;
    QString name;
    QString shortName;
    QString valueName; // empty for a switch
    QString description;
    QString task; // for TaskSetting: the task it belongs to
};

const std::vector<OptionEntry>& optionTable()
{
    using K = OptionKind;
    static const std::vector<OptionEntry> table = {
        {K::Start,
         QStringLiteral("data-dir"),
         {},
         QStringLiteral("DIR"),
         QStringLiteral("データフォルダを DIR にします。"),
         {}},
        {K::Start,
         QStringLiteral("instance-name"),
         {},
         QStringLiteral("NAME"),
         QStringLiteral("二重起動を防ぐ名前を NAME にします（同じ名前では一つしか動きません）。"),
         {}},
        {K::Task,
         QStringLiteral("import-legacy"),
         {},
         QStringLiteral("FOLDER"),
         QStringLiteral("FOLDER にある旧版のデータベースを取り込んで終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("replace"),
         {},
         {},
         QStringLiteral("今のデータを取り込むデータで置き換えます。"),
         QStringLiteral("import-legacy")},
        {K::Task,
         QStringLiteral("export-csv"),
         {},
         QStringLiteral("FILE"),
         QStringLiteral("入金予定を CSV ファイル FILE に書き出して終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("from"),
         {},
         QStringLiteral("YYYY-MM"),
         QStringLiteral("この月から書き出します。"),
         QStringLiteral("export-csv")},
        {K::TaskSetting,
         QStringLiteral("to"),
         {},
         QStringLiteral("YYYY-MM"),
         QStringLiteral("この月まで書き出します。"),
         QStringLiteral("export-csv")},
        {K::TaskSetting,
         QStringLiteral("encoding"),
         {},
         QStringLiteral("utf-8|cp932"),
         QStringLiteral("書き出す文字コードです。"),
         QStringLiteral("export-csv")},
        {K::Task,
         QStringLiteral("import-csv"),
         {},
         QStringLiteral("FILE"),
         QStringLiteral("CSV ファイル FILE の入金予定を取り込んで終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("encoding"),
         {},
         QStringLiteral("auto|utf-8|cp932"),
         QStringLiteral("読む文字コードです（auto は自動判別）。"),
         QStringLiteral("import-csv")},
        {K::Task,
         QStringLiteral("export-payers"),
         {},
         QStringLiteral("FILE"),
         QStringLiteral("入金先マスタ（支払条件を含む）を CSV ファイル FILE に書き出して終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("encoding"),
         {},
         QStringLiteral("utf-8|cp932"),
         QStringLiteral("書き出す文字コードです。"),
         QStringLiteral("export-payers")},
        {K::Task,
         QStringLiteral("import-payers"),
         {},
         QStringLiteral("FILE"),
         QStringLiteral("CSV ファイル FILE の入金先を追加・更新して終わります（削除はしません）。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("encoding"),
         {},
         QStringLiteral("auto|utf-8|cp932"),
         QStringLiteral("読む文字コードです（auto は自動判別）。"),
         QStringLiteral("import-payers")},
        {K::Task,
         QStringLiteral("due-date"),
         {},
         QStringLiteral("PAYER YYYY-MM-DD"),
         QStringLiteral("入金先 PAYER のその日付の請求の支払期日を表示して終わります。"),
         {}},
        {K::Task,
         QStringLiteral("plan-receipts"),
         {},
         {},
         QStringLiteral("定額のある入金先の入金予定を --from から --to の月まで作って終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("from"),
         {},
         QStringLiteral("YYYY-MM"),
         QStringLiteral("この月から作ります。"),
         QStringLiteral("plan-receipts")},
        {K::TaskSetting,
         QStringLiteral("to"),
         {},
         QStringLiteral("YYYY-MM"),
         QStringLiteral("この月まで作ります。"),
         QStringLiteral("plan-receipts")},
        {K::TaskSetting,
         QStringLiteral("dry-run"),
         {},
         {},
         QStringLiteral("作る予定を表示するだけで、保存しません。"),
         QStringLiteral("plan-receipts")},
        {K::Task,
         QStringLiteral("match-bank"),
         {},
         QStringLiteral("FILE"),
         QStringLiteral(
             "銀行のファイル FILE の入金を未入金の予定と照合し、一致した入金を消し込んで終わります。"),
         {}},
        {K::TaskSetting,
         QStringLiteral("dry-run"),
         {},
         {},
         QStringLiteral("照合の結果を表示するだけで、消し込みません。"),
         QStringLiteral("match-bank")},
        {K::TaskSetting,
         QStringLiteral("encoding"),
         {},
         QStringLiteral("auto|utf-8|cp932"),
         QStringLiteral("銀行の CSV の文字コードです（auto は自動判別）。"),
         QStringLiteral("match-bank")},
        {K::Info,
         QStringLiteral("help"),
         QStringLiteral("h"),
         {},
         QStringLiteral("この説明を表示して終わります。"),
         {}},
        {K::Info,
         QStringLiteral("version"),
         QStringLiteral("v"),
         {},
         QStringLiteral("版を表示して終わります。"),
         {}},
    };
    return table;
}

// The options QApplication reads itself. A session manager restores the program with "-session ID", and
// a user may pick a style or platform; the window start hands them on untouched.
void addQtOptions(QCommandLineParser& parser)
{
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "session", "display", "geometry", "style", "stylesheet", "qmljsdebugger"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("VALUE")));
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
}

QString spelled(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The option as the user typed it (one dash or two), for messages.
QString asTyped(const QStringList& arguments, const QString& name)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--"))
            break;
        QString bare = argument.section(QLatin1Char('='), 0, 0);
        const QString typed = bare;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (bare == name && typed != bare)
            return typed;
    }
    return spelled(name);
}

const OptionEntry* entryNamed(const QString& name)
{
    for (const OptionEntry& entry : optionTable())
        if (entry.name == name || entry.shortName == name)
            return &entry;
    return nullptr;
}

// Why QCommandLineParser refused the arguments, in the program's words.
QString refusal(const QCommandLineParser& parser, const QStringList& arguments)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        return QStringLiteral("知らないオプション %1 があります。").arg(asTyped(arguments, name));
    }
    // The parser's only other refusal is a value option at the very end with nothing after it.
    QString last = arguments.constLast();
    while (last.startsWith(QLatin1Char('-')))
        last.remove(0, 1);
    if (const OptionEntry* entry = entryNamed(last); entry && !entry->valueName.isEmpty())
        return QStringLiteral("%1 のあとに %2 を書いてください。")
            .arg(asTyped(arguments, last), entry->valueName);
    return parser.errorText().trimmed();
}

CommandLine refused(const QString& error)
{
    CommandLine line;
    line.action = CommandAction::UsageError;
    line.error = error;
    return line;
}

} // namespace

QString defaultInstanceName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    user.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QStringLiteral("dorivan-") + (user.isEmpty() ? QStringLiteral("user") : user);
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-data-dir" is taken as "--data-dir", and an unknown "-xyz" is reported as itself.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList names;
    // Options whose value is two words (--due-date PAYER YYYY-MM-DD): the second follows as an argument.
    QStringList takesSecondValue;
    for (const OptionEntry& entry : optionTable()) {
        if (names.contains(entry.name))
            continue;
        names << entry.name;
        QStringList spellings{entry.name};
        if (!entry.shortName.isEmpty())
            spellings << entry.shortName;
        parser.addOption(entry.valueName.isEmpty()
                             ? QCommandLineOption(spellings)
                             : QCommandLineOption(spellings, entry.description, entry.valueName));
        if (entry.valueName.contains(QLatin1Char(' ')))
            takesSecondValue << entry.name;
    }
    addQtOptions(parser);
    if (!parser.parse(arguments.isEmpty() ? QStringList{kProgramName} : arguments))
        return refused(refusal(parser, arguments));
    QStringList extra = parser.positionalArguments();
    CommandLine line;
    for (const QString& name : std::as_const(takesSecondValue)) {
        if (!parser.isSet(name))
            continue;
        if (extra.isEmpty())
            return refused(QStringLiteral("%1 のあとに %2 を書いてください。")
                               .arg(asTyped(arguments, name), entryNamed(name)->valueName));
        line.secondValue = extra.takeFirst();
    }
    // The menu entry passes no file, so a word that is not an option is a mistake, not a document.
    if (!extra.isEmpty())
        return refused(QStringLiteral("余分な引数 %1 があります。").arg(extra.constFirst()));

    QStringList tasks;
    for (const QString& name : names) {
        if (!parser.isSet(name))
            continue;
        const OptionEntry& entry = *entryNamed(name);
        if (entry.valueName.isEmpty()) {
            line.values.insert(name, QString());
        } else {
            const QString value = parser.value(name);
            if (value.isEmpty())
                return refused(QStringLiteral("%1 の値が空です。").arg(asTyped(arguments, name)));
            line.values.insert(name, value);
        }
        if (entry.kind == OptionKind::Task)
            tasks << name;
    }
    if (tasks.size() > 1)
        return refused(QStringLiteral("%1 と %2 は一緒に使えません。")
                           .arg(asTyped(arguments, tasks[0]), asTyped(arguments, tasks[1])));
    line.task = tasks.value(0);
    for (auto it = line.values.cbegin(); it != line.values.cend(); ++it) {
        QStringList owners;
        for (const OptionEntry& entry : optionTable())
            if (entry.kind == OptionKind::TaskSetting && entry.name == it.key())
                owners << spelled(entry.task);
        if (!owners.isEmpty() && !owners.contains(spelled(line.task)))
            return refused(QStringLiteral("%1 は %2 と一緒に使います。")
                               .arg(asTyped(arguments, it.key()), owners.join(QStringLiteral(" か "))));
    }

    if (line.isSet(QStringLiteral("data-dir"))) {
        // Made absolute here, so that the help names the folder the start really uses.
        const QString folder = QDir::cleanPath(
            QFileInfo(QDir::fromNativeSeparators(line.value(QStringLiteral("data-dir")))).absoluteFilePath());
        line.options.dataFolder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    }
    line.options.instanceName = line.isSet(QStringLiteral("instance-name"))
                                    ? line.value(QStringLiteral("instance-name"))
                                    : defaultInstanceName();

    if (line.isSet(QStringLiteral("help")))
        line.action = CommandAction::ShowHelp;
    else if (line.isSet(QStringLiteral("version")))
        line.action = CommandAction::ShowVersion;
    else if (!line.task.isEmpty())
        line.action = CommandAction::RunTask;
    return line;
}

QString helpText(const StartOptions& options, const QString& programFolder)
{
    QString text = QStringLiteral("使い方: %1 [オプション]\n"
                                  "入金予定表 Ver %2  月ごとの入金予定と入金額を記録し、残高を求めます。\n"
                                  "取り込みと書き出しはウィンドウを開かずに行います。\n\n"
                                  "オプション:\n")
                       .arg(kProgramName, QStringLiteral(DORIVAN_VERSION));
    for (const OptionEntry& entry : optionTable()) {
        QString left = entry.kind == OptionKind::TaskSetting ? QStringLiteral("    ") : QStringLiteral("  ");
        if (!entry.shortName.isEmpty())
            left += spelled(entry.shortName) + QStringLiteral(", ");
        left += spelled(entry.name);
        if (!entry.valueName.isEmpty())
            left += QLatin1Char(' ') + entry.valueName;
        // Option names are ASCII, so padding by characters lines the descriptions up.
        text += left.leftJustified(32) + QLatin1Char(' ') + entry.description + QLatin1Char('\n');
    }
    const QString perUser = QDir::toNativeSeparators(perUserDataFolder());
    text +=
        QStringLiteral(
            "\nデータフォルダ: %1\n"
            "  --data-dir があればそのフォルダ、なければプログラムと同じ場所の data フォルダ（あるとき）、\n"
            "  どちらもなければ利用者ごとのフォルダ %2 （初めての起動で作ります）。\n")
            .arg(QDir::toNativeSeparators(dataFolderFor(options, programFolder)), perUser);
    return text;
}

QString versionText()
{
    return kProgramName + QLatin1Char(' ') + QStringLiteral(DORIVAN_VERSION) + QLatin1Char('\n');
}

CommandAnswer answerWithoutWindow(const CommandLine& line, const QString& programFolder)
{
    const QString hint = QStringLiteral("使い方は「%1 --help」で表示します。\n").arg(kProgramName);
    switch (line.action) {
    case CommandAction::ShowHelp:
        return {0, helpText(line.options, programFolder), {}};
    case CommandAction::ShowVersion:
        return {0, versionText(), {}};
    case CommandAction::UsageError:
        return {kExitUsage, {}, kProgramName + QStringLiteral(": ") + line.error + QLatin1Char('\n') + hint};
    case CommandAction::RunTask:
        // Each task's runner is called before this; a task that reaches here has none in this build.
        return {kExitUsage,
                {},
                kProgramName + QStringLiteral(": %1 はこの版では使えません。\n").arg(spelled(line.task)) +
                    hint};
    case CommandAction::OpenWindow:
        break;
    }
    return {};
}

int deliver(const CommandAnswer& answer)
{
    if (!answer.standardOutput.isEmpty()) {
        std::fputs(answer.standardOutput.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
    }
    if (!answer.standardError.isEmpty()) {
        std::fputs(answer.standardError.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
    return answer.exitCode;
}
