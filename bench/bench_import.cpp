// The import of the 50,000-row Access data folder (the shared legacy folder's large-50000.tar.xz)
// beside two floors: the same tables copied into SQLite directly in this process (libmdb reading, one
// prepared insert a row, one transaction, no reader child and no checks), and the command-line tools
// (mdb-export into sqlite3) doing the same. Skipped when the shared folder is not there.
#include "bench/bench_support.h"

#include "legacy/jet_process.h"
#include "legacy/legacy_import.h"
#include "storage/schema.h"

#include <glib.h>
#include <mdbtools.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kRows = 50000;

// The shared legacy folder: DORIVAN_LEGACY_DIR, beside the repository, or where the helpers keep it.
QString legacyFolder()
{
    QStringList candidates{qEnvironmentVariable("DORIVAN_LEGACY_DIR"),
                           QStringLiteral(DORIVAN_SOURCE_DIR "/../shared/legacy"),
                           QStringLiteral("/work/shared/legacy")};
    for (const QString& folder : candidates) {
        if (!folder.isEmpty() &&
            QFileInfo::exists(QDir(folder).filePath(QStringLiteral("large-50000.tar.xz"))))
            return folder;
    }
    return {};
}

// The large files, unpacked once into the benchmark cache.
QString largeFolder()
{
    static QString folder = [] {
        const QString shared = legacyFolder();
        if (shared.isEmpty())
            return QString();
        const QString target = QDir(bench::cacheRoot()).filePath(QStringLiteral("legacy-50000"));
        if (QFileInfo::exists(QDir(target).filePath(QStringLiteral("Dorivan.mdb"))))
            return target;
        QDir().mkpath(target);
        QProcess tar;
        tar.start(QStringLiteral("tar"),
                  {QStringLiteral("-xJf"), QDir(shared).filePath(QStringLiteral("large-50000.tar.xz")),
                   QStringLiteral("-C"), target});
        return tar.waitForFinished(120000) && tar.exitCode() == 0 ? target : QString();
    }();
    return folder;
}

// Each iteration writes into an empty data folder; making and removing it is not timed.
template <typename Import> void timeImport(benchmark::State& state, Import&& import)
{
    const QString source = largeFolder();
    if (source.isEmpty()) {
        state.SkipWithError("large-50000.tar.xz not found (set DORIVAN_LEGACY_DIR)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto data = std::make_unique<QTemporaryDir>(
            QDir(bench::cacheRoot()).filePath(QStringLiteral("import-XXXXXX")));
        state.ResumeTiming();
        if (!import(source, data->path())) {
            state.SkipWithError("the import failed");
            return;
        }
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = bench::peakResidentMB();
}

void importLegacy(benchmark::State& state)
{
    timeImport(state, [](const QString& source, const QString& data) {
        const legacy::ImportSummary summary = legacy::importLegacyData(source, data);
        return summary.rows == kRows;
    });
}

// The direct copy: currency and dates from their stored bytes (left unbound, so that the library does
// not format them), every other column through its bound text.
bool copyTable(MdbHandle* mdb, SQLite::Database& db, const char* name, const char* insert)
{
    MdbTableDef* table = mdb_read_table_by_name(mdb, const_cast<gchar*>(name), MDB_TABLE);
    if (!table)
        return false;
    mdb_read_columns(table);
    std::vector<std::vector<char>> bound(table->num_cols, std::vector<char>(1 << 20));
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const int type = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i))->col_type;
        if (type != MDB_MONEY && type != MDB_DATETIME)
            mdb_bind_column(table, int(i + 1), bound[i].data(), nullptr);
    }
    SQLite::Statement st(db, insert);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        for (unsigned int i = 0; i < table->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
            if (col->col_type == MDB_MONEY || col->col_type == MDB_DATETIME) {
                std::int64_t raw = 0;
                std::memcpy(&raw, mdb->pg_buf + col->cur_value_start, 8);
                if (col->col_type == MDB_MONEY)
                    st.bind(int(i + 1), static_cast<int64_t>(raw));
                else
                    st.bind(int(i + 1), mdb_get_double(mdb->pg_buf, col->cur_value_start));
            } else {
                st.bind(int(i + 1), bound[i].data());
            }
        }
        st.exec();
        st.reset();
    }
    mdb_free_tabledef(table);
    return true;
}

void floorDirectCopy(benchmark::State& state)
{
    timeImport(state, [](const QString& source, const QString& data) {
        SQLite::Database db(QDir(data).filePath(QStringLiteral("Dorivan.mdb")).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("ATTACH DATABASE '" + QDir(data).filePath(QStringLiteral("DorivanWork.mdb")).toStdString() +
                "' AS work");
        db.exec("BEGIN");
        createPermanentSchema(db, "main");
        createWorkSchema(db, "work");
        bool ok = true;
        for (const char* file : {"Dorivan.mdb", "DorivanWork.mdb"}) {
            MdbHandle* mdb =
                mdb_open(QDir(source).filePath(QString::fromLatin1(file)).toUtf8().constData(), MDB_NOFLAGS);
            mdb_set_bind_size(mdb, 1 << 20);
            mdb_read_catalog(mdb, MDB_TABLE);
            if (std::strcmp(file, "Dorivan.mdb") == 0) {
                ok = ok &&
                     copyTable(mdb, db, "入金予定表", "INSERT INTO 入金予定表 VALUES (?, ?, ?, ?, ?, ?)") &&
                     copyTable(mdb, db, "入金先マスタ", "INSERT INTO 入金先マスタ VALUES (?)") &&
                     copyTable(mdb, db, "自社情報", "INSERT INTO 自社情報 VALUES (?, ?, ?)");
            } else {
                ok = ok && copyTable(mdb, db, "ClHint", "INSERT INTO ClHint VALUES (?, ?, ?, ?)");
            }
            mdb_close(mdb);
        }
        db.exec("COMMIT");
        return ok;
    });
}

void floorMdbExport(benchmark::State& state)
{
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
        state.SkipWithError("mdb-export or sqlite3 not installed");
        return;
    }
    timeImport(state, [](const QString& source, const QString& data) {
        const QString script = QStringLiteral(
            "set -e; cd \"$1\"; {"
            " echo 'BEGIN;';"
            " for t in 入金予定表 入金先マスタ 自社情報; do"
            "  mdb-schema Dorivan.mdb sqlite -T \"$t\" --no-relations --no-indexes 2>/dev/null;"
            "  mdb-export -I sqlite -S 500 Dorivan.mdb \"$t\"; done;"
            " echo 'COMMIT;'; } | sqlite3 \"$2/Dorivan.mdb\";"
            " { echo 'BEGIN;'; mdb-schema DorivanWork.mdb sqlite -T ClHint --no-relations --no-indexes "
            "2>/dev/null;"
            " mdb-export -I sqlite DorivanWork.mdb ClHint; echo 'COMMIT;'; } | sqlite3 "
            "\"$2/DorivanWork.mdb\"");
        QProcess shell;
        shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), source, data});
        return shell.waitForFinished(120000) && shell.exitCode() == 0;
    });
}

benchmark::internal::Benchmark* registerImport(const char* name, void (*fn)(benchmark::State&))
{
    return benchmark::RegisterBenchmark(name, fn)
        ->Arg(kRows)
        ->ArgName("rows")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The reader child is the program itself.
    legacy::setJetReaderProgram(QStringLiteral(DORIVAN_EXECUTABLE));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerImport("ImportLegacy", importLegacy);
    registerImport("Floor/ImportLegacy direct copy", floorDirectCopy);
    registerImport("Floor/ImportLegacy mdb-export", floorMdbExport);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
