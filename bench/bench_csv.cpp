// The CSV export of every stored row and the import of a 10,000-row file, each beside its floor: the
// sqlite3 shell writing the same rows as CSV (no conversion of dates or amounts), and the sqlite3 shell
// loading the same file into a bare table (no checks, no matching, no balances). Besides, the peak
// memory of the import command on a 100 MB file.
#include "bench/bench_programs.h"
#include "bench/bench_support.h"
#include "bench/history_generator.h"

#include "csv/csv_export.h"
#include "csv/csv_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

namespace {

constexpr int kImportedRows = 10000;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Runs the sqlite3 shell; false when it is missing or fails.
bool runSqlite3(const QStringList& arguments, const QString& outputFile = {})
{
    QProcess shell;
    if (!outputFile.isEmpty())
        shell.setStandardOutputFile(outputFile);
    shell.start(QStringLiteral("sqlite3"), arguments);
    return shell.waitForFinished(60000) && shell.exitStatus() == QProcess::NormalExit &&
           shell.exitCode() == 0;
}

// What the export command does: the file built from the store and written whole.
void BM_ExportCsv(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    const QString path = folder.path() + QStringLiteral("export.csv");
    int rows = 0;
    for (auto _ : state) {
        const csv::ExportResult result = csv::exportSchedule(folder.db(), {}, csv::CsvEncoding::Utf8);
        rows = result.rows;
        if (!result.ok() || !writeFile(path, result.bytes)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    state.counters["rows"] = double(rows);
    state.counters["file_kB"] = double(QFile(path).size()) / 1024.0;
}

void BM_Floor_ExportCsv(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    const QString path = folder.path() + QStringLiteral("floor.csv");
    for (auto _ : state) {
        if (!runSqlite3({QStringLiteral("-csv"), QStringLiteral("-header"), folder.permanentPath(),
                         QStringLiteral("select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表"
                                        " order by 日付, 行番号")},
                        path)) {
            state.SkipWithError("the sqlite3 shell (Debian: sqlite3) did not run");
            break;
        }
    }
}

// The exported file of a generated 10,000-row history.
QByteArray importedFile()
{
    static const QByteArray bytes = [] {
        WorkingFolder source(historyFolder(kImportedRows));
        return csv::exportSchedule(source.db(), {}, csv::CsvEncoding::Utf8).bytes;
    }();
    return bytes;
}

// An empty data folder, made afresh while the timer is paused.
class EmptyFolder
{
public:
    void reset()
    {
        m_db.reset();
        m_dir = std::make_unique<QTemporaryDir>(QDir(cacheRoot()).filePath(QStringLiteral("csv-XXXXXX")));
        m_db = Database::open(path() + QStringLiteral("Dorivan.mdb"),
                              path() + QStringLiteral("DorivanWork.mdb"));
    }
    QString path() const { return m_dir->path() + QLatin1Char('/'); }
    Database& db() { return *m_db; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

// What the import command does after reading the file: read, check, plan against the store, then store
// every row, register the payers and recompute every balance in one transaction.
void BM_ImportCsv(benchmark::State& state)
{
    const QByteArray bytes = importedFile();
    EmptyFolder folder;
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
        const csv::PreparedImport prepared = csv::prepareImport(folder.db(), bytes, std::nullopt, true);
        if (!prepared.problems.isEmpty()) {
            state.SkipWithError("the exported file was refused");
            break;
        }
        added = csv::applyImport(folder.db(), prepared.plan).added;
    }
    state.counters["rows_added"] = double(added);
    const BalanceCheck check = checkBalanceRule(folder.db());
    if (!check.ok())
        state.SkipWithError("an imported balance breaks the balance rule");
}

// The same file a second time: every line found, nothing written.
void BM_ImportCsv_Again(benchmark::State& state)
{
    const QByteArray bytes = importedFile();
    EmptyFolder folder;
    folder.reset();
    csv::applyImport(folder.db(), csv::prepareImport(folder.db(), bytes, std::nullopt, true).plan);
    for (auto _ : state) {
        const csv::PreparedImport prepared = csv::prepareImport(folder.db(), bytes, std::nullopt, true);
        if (prepared.plan.changesAnything()) {
            state.SkipWithError("the second import would change something");
            break;
        }
        csv::applyImport(folder.db(), prepared.plan);
    }
}

void BM_Floor_ImportCsv(benchmark::State& state)
{
    QTemporaryDir dir(QDir(cacheRoot()).filePath(QStringLiteral("csv-XXXXXX")));
    const QString file = dir.filePath(QStringLiteral("in.csv"));
    writeFile(file, importedFile());
    const QString database = dir.filePath(QStringLiteral("floor.db"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(database);
        state.ResumeTiming();
        if (!runSqlite3({database, QStringLiteral("CREATE TABLE t (日付, 入金先名, 予定額, 入金額, 残高)"),
                         QStringLiteral(".import --csv --skip 1 ") + file + QStringLiteral(" t")})) {
            state.SkipWithError("the sqlite3 shell (Debian: sqlite3) did not run");
            break;
        }
    }
}

// A 100 MB file of good lines spread over every month the program keeps, so that the import holds
// the most lines it ever keeps (200 a month); most months have too many and the file is refused after
// the whole of it was read and planned. Written once into the cache.
QString largeFile()
{
    const QString path = QDir(cacheRoot()).filePath(QStringLiteral("csv-100MB.csv"));
    constexpr qint64 kBytes = 100 * 1000 * 1000;
    if (QFileInfo(path).size() >= kBytes)
        return path;
    QDir().mkpath(cacheRoot());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk = QByteArray("日付,入金先名,予定額,入金額,残高\r\n");
    qint64 written = 0;
    for (qint64 i = 0; written < kBytes; ++i) {
        const QDate month = QDate(1900, 1, 1).addMonths(int(i % 2400));
        chunk += QStringLiteral("%1/%2/%3,入金先%4,%5,0,\r\n")
                     .arg(month.year())
                     .arg(month.month(), 2, 10, QLatin1Char('0'))
                     .arg(1 + (i / 2400) % 28, 2, 10, QLatin1Char('0'))
                     .arg(i % 300)
                     .arg(1000 + i % 90000)
                     .toUtf8();
        if (chunk.size() > (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return file.commit() ? path : QString();
}

// The import command (`dorivan --import-csv`) as a process of its own, for its peak resident memory.
void BM_ImportCsv_100MB(benchmark::State& state)
{
    const QString file = largeFile();
    if (file.isEmpty()) {
        state.SkipWithError("the 100 MB file could not be written");
        return;
    }
    double peakMB = 0;
    for (auto _ : state) {
        QTemporaryDir folder(QDir(cacheRoot()).filePath(QStringLiteral("csv-XXXXXX")));
        const QByteArray program = DORIVAN_EXECUTABLE;
        const QByteArray dataDir = folder.path().toLocal8Bit();
        const QByteArray input = file.toLocal8Bit();
        char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--data-dir"),
                        const_cast<char*>(dataDir.constData()), const_cast<char*>("--import-csv"),
                        const_cast<char*>(input.constData()),   nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const int spawned = posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage usage{};
        if (spawned != 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 1) {
            state.SkipWithError("the import command did not refuse the file as expected");
            break;
        }
        peakMB = std::max(peakMB, double(usage.ru_maxrss) / 1024.0);
    }
    state.counters["peak_MB"] = peakMB;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
}

benchmark::internal::Benchmark* registerImport(const char* name, void (*fn)(benchmark::State&))
{
    return benchmark::RegisterBenchmark(name, fn)
        ->Arg(kImportedRows)
        ->ArgName("rows")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace

void registerCsvBenchmarks()
{
    registerPerSize("ExportCsv", BM_ExportCsv);
    registerPerSize("Floor/ExportCsv", BM_Floor_ExportCsv);
    registerImport("ImportCsv", BM_ImportCsv);
    registerImport("ImportCsv/again", BM_ImportCsv_Again);
    registerImport("Floor/ImportCsv", BM_Floor_ImportCsv);
    benchmark::RegisterBenchmark("ImportCsv/100MB", BM_ImportCsv_100MB)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
}

} // namespace bench
