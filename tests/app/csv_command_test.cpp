#include "app/cli/csv_command.h"
#include "csv/csv_export.h"
#include "schedule/balances.h"
#include "storage/migrations.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Standard streams of a command run in this process.
struct Streams
{
    QBuffer in;
    QBuffer out;
    QBuffer err;
    explicit Streams(const QByteArray& input = {})
    {
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
    }
    QString errors() const { return QString::fromUtf8(err.data()); }
};

CsvCommandOptions options(const QString& folder, const QString& file, const QString& encoding = {})
{
    CsvCommandOptions o;
    o.dataFolder = folder;
    o.file = file;
    o.encoding = encoding;
    return o;
}

void seedHistory(Database& db)
{
    seedStoredRows(db, {
                           {QDate(2024, 4, 30), 1, QStringLiteral("山田"), yen(100), yen(0), {}},
                           {QDate(2024, 5, 2), 1, QStringLiteral("鈴木"), yen(50), yen(20), {}},
                           {QDate(2024, 5, 9), 2, QStringLiteral("山田"), yen(5), yen(0), {}},
                       });
    schedule::recomputeBalances(db, QDate(2024, 4, 1));
}

QByteArray readAllOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString dayCopy(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("backup/Dorivan-%1.mdb")
                                     .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
}

} // namespace

TEST(CsvCommand, ExportWritesOnlyTheDataAndImportSummarisesOnStandardError)
{
    TempDataFolder source;
    QByteArray everything;
    QByteArray may;
    {
        auto db = source.open();
        seedHistory(*db);
        everything = csv::exportSchedule(*db, {}, csv::CsvEncoding::Utf8).bytes;
        may = csv::exportSchedule(*db, {QDate(2024, 5, 1), QDate(2024, 5, 1)}, csv::CsvEncoding::Cp932).bytes;
    }
    Streams toStdout;
    EXPECT_EQ(runExportCsvCommand(options(source.path(), QStringLiteral("-")), toStdout.out, toStdout.err),
              0);
    EXPECT_EQ(toStdout.out.data(), everything);
    EXPECT_TRUE(toStdout.err.data().isEmpty());

    QTemporaryDir scratch;
    const QString mayFile = scratch.filePath(QStringLiteral("may.csv"));
    CsvCommandOptions ranged = options(source.path(), mayFile, QStringLiteral("cp932"));
    ranged.from = ranged.to = QStringLiteral("2024-05");
    Streams toFile;
    EXPECT_EQ(runExportCsvCommand(ranged, toFile.out, toFile.err), 0);
    QFile written(mayFile);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), may);
    EXPECT_TRUE(toFile.out.data().isEmpty());

    // Into a folder that does not exist yet, from standard input; the day's copy is taken first.
    const QString target = scratch.filePath(QStringLiteral("new/data/"));
    Streams fromStdin(everything);
    EXPECT_EQ(runImportCsvCommand(options(target, QStringLiteral("-")), fromStdin.in, fromStdin.err), 0);
    EXPECT_EQ(fromStdin.errors(), QStringLiteral("追加 3 行、更新 0 行\n"));
    EXPECT_TRUE(QFileInfo::exists(dayCopy(target)));

    // Options that cannot be followed stop before anything is read or written.
    CsvCommandOptions backwards = options(source.path(), mayFile);
    backwards.from = QStringLiteral("2024-06");
    backwards.to = QStringLiteral("2024-05");
    CsvCommandOptions notAMonth = options(source.path(), mayFile);
    notAMonth.from = QStringLiteral("2024-5");
    for (const CsvCommandOptions& bad :
         {backwards, notAMonth, options(source.path(), mayFile, QStringLiteral("latin1")),
          options(source.path(), mayFile, QStringLiteral("auto")),
          options(scratch.filePath(QStringLiteral("none/")), mayFile)}) {
        Streams s;
        EXPECT_EQ(runExportCsvCommand(bad, s.out, s.err), 1) << bad.from.toStdString();
        EXPECT_FALSE(s.err.data().isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath(QStringLiteral("none"))));
}

TEST(CsvCommand, BadInputExitsOneListsEveryBadLineAndStoresNothing)
{
    TempDataFolder folder;
    std::vector<StoredRow> before;
    {
        auto db = folder.open();
        seedHistory(*db);
        before = readStoredRows(*db);
    }
    Streams bad(QByteArray("日付,入金先名,予定額,入金額\r\n"
                           "2024/05/03,新規,1,0\r\n"
                           "2024/13/01,新規,1,0\r\n"
                           "2024/05/04,新規,x,0\r\n"));
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), bad.in, bad.err), 1);
    EXPECT_EQ(bad.errors(),
              QStringLiteral("取り込めませんでした。何も変更していません。\n"
                             "3行目：日付「2024/13/01」が正しくありません（yyyy/mm/dd の形の、ある日付）。\n"
                             "4行目：予定額「x」は数値ではありません。\n"));
    Streams missing;
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), folder.path() + QStringLiteral("none.csv")),
                                  missing.in, missing.err),
              1);
    EXPECT_TRUE(missing.errors().contains(QStringLiteral("を読み込めません")))
        << missing.errors().toStdString();

    auto db = folder.open();
    EXPECT_EQ(readStoredRows(*db), before);
    // Nothing was written, so not even the day's copy was taken.
    EXPECT_FALSE(QFileInfo::exists(dayCopy(folder.path())));
}

TEST(CsvCommand, AFolderInUseByARunningCopyExitsTwo)
{
    TempDataFolder folder;
    folder.open();
    QLockFile running(
        QDir(QFileInfo(folder.path()).canonicalFilePath()).filePath(QStringLiteral(".dorivan.lock")));
    ASSERT_TRUE(running.tryLock(0));
    Streams exporting;
    EXPECT_EQ(runExportCsvCommand(options(folder.path(), QStringLiteral("-")), exporting.out, exporting.err),
              2);
    EXPECT_TRUE(exporting.out.data().isEmpty());
    EXPECT_TRUE(exporting.errors().contains(QStringLiteral("起動中の入金予定表が使用しています")));
    Streams importing(QByteArray("日付,入金先名,予定額,入金額\r\n2024/05/03,新規,1,0\r\n"));
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), importing.in, importing.err),
              2);

    running.unlock();
    Streams later(QByteArray("日付,入金先名,予定額,入金額\r\n2024/05/03,新規,1,0\r\n"));
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), later.in, later.err), 0);
}

TEST(CsvCommand, TheProgramRunsBothCommandsWithoutADisplay)
{
    TempDataFolder folder;
    QByteArray expected;
    {
        auto db = folder.open();
        seedHistory(*db);
        expected = csv::exportSchedule(*db, {}, csv::CsvEncoding::Utf8).bytes;
    }
    // A window could not start here: there is no display to connect to.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    auto run = [&](const QStringList& arguments, const QByteArray& input = {}) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(DORIVAN_EXECUTABLE), arguments);
        process->write(input);
        process->closeWriteChannel();
        EXPECT_TRUE(process->waitForFinished(30000));
        return process;
    };
    const QString dataDir = folder.path();
    auto exported =
        run({QStringLiteral("--data-dir"), dataDir, QStringLiteral("--export-csv"), QStringLiteral("-")});
    EXPECT_EQ(exported->exitCode(), 0);
    EXPECT_EQ(exported->readAllStandardOutput(), expected);
    EXPECT_TRUE(exported->readAllStandardError().isEmpty());

    QTemporaryDir target;
    auto imported = run({QStringLiteral("--data-dir"), target.path(), QStringLiteral("--import-csv"),
                         QStringLiteral("-"), QStringLiteral("--encoding"), QStringLiteral("auto")},
                        expected);
    EXPECT_EQ(imported->exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(imported->readAllStandardError()), QStringLiteral("追加 3 行、更新 0 行\n"));

    auto mistyped = run({QStringLiteral("--data-dir"), dataDir, QStringLiteral("--export-csv"),
                         QStringLiteral("-"), QStringLiteral("--form"), QStringLiteral("2024-05")});
    // A mistyped option is a usage error like any other, and exports nothing.
    EXPECT_EQ(mistyped->exitCode(), 2);
    EXPECT_TRUE(mistyped->readAllStandardOutput().isEmpty());
}

TEST(CsvCommand, AFailedImportLeavesTheFolderAsItFoundIt)
{
    QTemporaryDir scratch;
    const QString empty = scratch.filePath(QStringLiteral("empty/"));
    ASSERT_TRUE(QDir().mkpath(empty));
    QByteArray huge("日付,入金先名,予定額,入金額\r\n2024/01/05,\"");
    huge += QByteArray(200 * 1024, 'x') + "\",1,0\r\n";
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {QByteArray("日付,入金先名,予定額,入金額\r\n0224/01/05,A社,1000,0\r\n"),
         QStringLiteral("2行目：日付「0224/01/05」は 1900年から2099年までの範囲にありません。")},
        {huge, QStringLiteral("2行目：行が長すぎます（65536 バイトを超えています）。")},
        {QByteArray("日付,入金先名,予定額,入金額\r\n2024/01/05, ,1,0\r\n"),
         QStringLiteral("2行目：入金先名が空です。")},
    };
    for (const auto& [bytes, reason] : cases) {
        for (const QString& folder : {empty, scratch.filePath(QStringLiteral("new/data/"))}) {
            Streams s(bytes);
            EXPECT_EQ(runImportCsvCommand(options(folder, QStringLiteral("-")), s.in, s.err), 1);
            EXPECT_TRUE(s.errors().contains(reason)) << s.errors().toStdString();
        }
        EXPECT_TRUE(QDir(empty).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        EXPECT_FALSE(QFileInfo::exists(scratch.filePath(QStringLiteral("new"))));
    }

    // Into a folder with data, the same line changes nothing stored.
    TempDataFolder folder;
    std::vector<StoredRow> before;
    {
        auto db = folder.open();
        seedHistory(*db);
        before = readStoredRows(*db);
    }
    Streams s(cases[0].first);
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), s.in, s.err), 1);
    EXPECT_EQ(readStoredRows(*folder.open()), before);
}

TEST(CsvCommand, TheExportCreatesNoDataFileAndItsFileImportsBackAsANoOp)
{
    QTemporaryDir scratch;
    Streams none;
    EXPECT_EQ(runExportCsvCommand(options(scratch.path() + QLatin1Char('/'), QStringLiteral("-")), none.out,
                                  none.err),
              1);
    EXPECT_TRUE(none.errors().contains(QStringLiteral("データ（Dorivan.mdb）がありません")))
        << none.errors().toStdString();
    EXPECT_TRUE(QDir(scratch.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

    TempDataFolder folder;
    std::vector<StoredRow> before;
    {
        auto db = folder.open();
        seedHistory(*db);
        seedStoredRows(*db, {{QDate(2024, 5, 20), 3, std::nullopt, yen(0), std::nullopt, {}}});
        before = readStoredRows(*db);
    }
    QFile::remove(QDir(folder.path()).filePath(QStringLiteral("DorivanWork.mdb")));
    Streams exported;
    EXPECT_EQ(runExportCsvCommand(options(folder.path(), QStringLiteral("-")), exported.out, exported.err),
              0);
    EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(QStringLiteral("DorivanWork.mdb"))));
    EXPECT_TRUE(exported.out.data().contains("2024/05/20,,0,,"));

    Streams imported(exported.out.data());
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), imported.in, imported.err), 0);
    EXPECT_EQ(imported.errors(), QStringLiteral("追加 0 行、更新 0 行\n"));
    EXPECT_EQ(readStoredRows(*folder.open()), before);
}

// The thousands grouping, the Shift_JIS detection and the refusal of a typed line without a payer,
// through the command's own reading of a file.
TEST(CsvCommand, ImportsAGroupedAmountFromAShiftJisFileOfItsOwnAccord)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("sjis.csv"));
    csv::Converter cp932(csv::CsvEncoding::Cp932);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*cp932.encode(QStringLiteral("日付,入金先名,予定額,入金額\r\n"
                                                "2024/06/03,ＡＢＣ商会,\"12,345.5\",\"-1,000\"\r\n")));
    }
    TempDataFolder folder;
    Streams s;
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), path), s.in, s.err), 0) << s.errors().toStdString();
    const std::vector<StoredRow> rows = readStoredRows(*folder.open());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].入金先名, QStringLiteral("ＡＢＣ商会"));
    EXPECT_EQ(rows[0].予定額, Money::fromRaw(123455000));
    EXPECT_EQ(rows[0].入金額, yen(-1000));

    for (const char* bad : {"2024/06/04,甲,\"12,34\",0\r\n", "2024/06/04,,1,0\r\n"}) {
        Streams refused(QByteArray("日付,入金先名,予定額,入金額\r\n") + bad);
        EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), refused.in, refused.err),
                  1)
            << bad;
    }
    EXPECT_EQ(readStoredRows(*folder.open()).size(), 1u);
}

// A task on the folder of an older program tells of the upgrade once; a folder of a newer one is refused
// untouched.
TEST(CsvCommand, AnOlderFolderIsBroughtForwardWithOneNoticeAndANewerOneIsRefused)
{
    TempDataFolder folder;
    folder.put102Files();
    const QByteArray line("日付,入金先名,予定額,入金額\r\n2026/12/01,山田商店,0,1234.5678\r\n");
    Streams first(line);
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), first.in, first.err), 0);
    EXPECT_EQ(first.errors().count(QStringLiteral("データ ファイルを新しい形式に更新しました")), 1)
        << first.errors().toStdString();
    EXPECT_TRUE(first.errors().contains(QStringLiteral("DorivanWork.mdb は形式 0 から")));
    // 1.02 stored this row already: the import finds it and adds nothing.
    EXPECT_TRUE(first.errors().endsWith(QStringLiteral("追加 0 行、更新 0 行\n")));

    Streams second;
    EXPECT_EQ(runExportCsvCommand(options(folder.path(), QStringLiteral("-")), second.out, second.err), 0);
    EXPECT_TRUE(second.errors().isEmpty()) << second.errors().toStdString();
    EXPECT_EQ(second.out.data().count("\r\n"), 7);

    {
        auto db = folder.open();
        rawConnection(*db).exec("PRAGMA main.user_version = 99");
    }
    const QByteArray before = readAllOf(folder.permanentPath());
    Streams refused(line);
    EXPECT_EQ(runImportCsvCommand(options(folder.path(), QStringLiteral("-")), refused.in, refused.err), 1);
    EXPECT_TRUE(refused.errors().contains(QStringLiteral("形式 99 のファイルです")))
        << refused.errors().toStdString();
    EXPECT_TRUE(refused.errors().contains(
        QStringLiteral("形式 %1 まで").arg(migrations::permanentFormat().latest())));
    EXPECT_EQ(readAllOf(folder.permanentPath()), before);
}
