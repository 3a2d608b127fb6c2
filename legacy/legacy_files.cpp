#include "legacy/legacy_files.h"

#include "legacy/import_error.h"
#include "legacy/jet_header.h"
#include "storage/database.h"
#include "storage/open_checks.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

namespace legacy {

namespace {

// The files SQLite keeps beside a database: a journal must travel with its own file.
const char* const kCompanions[] = {"-journal", "-wal", "-shm"};

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Whether the file is a database of ours, and whether it holds rows in the permanent tables.
// Read-write, so that the engine rolls back a journal a crash left beside it before anything is read.
std::optional<bool> oursWithRows(const QString& path)
{
    sqlite3* db = nullptr;
    std::optional<bool> result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 3000);
        sqlite3_stmt* count = nullptr;
        const char* sql = "SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table'),"
                          " EXISTS (SELECT 1 FROM sqlite_master WHERE name = '入金予定表')";
        if (sqlite3_prepare_v2(db, sql, -1, &count, nullptr) == SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW) {
            const bool permanent = sqlite3_column_int(count, 1) != 0;
            result = false;
            if (permanent) {
                sqlite3_stmt* rows = nullptr;
                const char* any =
                    "SELECT EXISTS (SELECT 1 FROM 入金予定表) OR EXISTS (SELECT 1 FROM 入金先マスタ)"
                    " OR EXISTS (SELECT 1 FROM 自社情報)";
                if (sqlite3_prepare_v2(db, any, -1, &rows, nullptr) == SQLITE_OK &&
                    sqlite3_step(rows) == SQLITE_ROW)
                    result = sqlite3_column_int(rows, 0) != 0;
                else
                    result.reset(); // a permanent file without its tables is not one the import replaces
                sqlite3_finalize(rows);
            }
        }
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return result;
}

void insertAll(Database& db, const LegacyData& data, const std::function<void(int)>& percent)
{
    auto run = [](SQLite::Statement& st, const std::vector<Value>& values) {
        for (std::size_t i = 0; i < values.size(); ++i)
            bindValue(st, int(i) + 1, values[i]);
        st.exec();
        st.reset();
    };
    SQLite::Statement& row = db.cachedStatement(
        "INSERT INTO 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) VALUES (?, ?, ?, ?, ?, ?)");
    const std::size_t step = std::max<std::size_t>(data.rows.size() / 20, 1);
    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        const LegacyRow& r = data.rows[i];
        run(row, {Value(r.日付), Value(r.行番号), Value(r.入金先名), Value(r.予定額), Value(r.入金額),
                  Value(r.残高)});
        if (percent && (i + 1) % step == 0)
            percent(int((i + 1) * 100 / data.rows.size()));
    }
    SQLite::Statement& payer = db.cachedStatement("INSERT INTO 入金先マスタ (入金先名) VALUES (?)");
    for (const std::optional<QString>& name : data.payers)
        run(payer, {Value(name)});
    SQLite::Statement& settings =
        db.cachedStatement("INSERT INTO 自社情報 (年号, 入金先自動登録, LineColor1) VALUES (?, ?, ?)");
    for (const std::vector<Value>& values : data.settings)
        run(settings, values);
    SQLite::Statement& hint =
        db.cachedStatement("INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) VALUES (?, ?, ?, ?)");
    for (const std::vector<Value>& values : data.hints)
        run(hint, values);
}

std::int64_t count(Database& db, const char* select)
{
    return db.connection().execAndGet(select).getInt64();
}

} // namespace

Target examineTarget(const QString& path, const QString& sourcePath)
{
    Target target{path, TargetKind::None, false};
    if (!QFileInfo::exists(path))
        return target;
    if (sameFile(path, sourcePath)) {
        target.kind = TargetKind::Source;
        return target;
    }
    const JetFileKind kind = inspectJetFile(path).kind;
    if (kind == JetFileKind::Jet3 || kind == JetFileKind::Jet4 || kind == JetFileKind::Ace) {
        target.kind = TargetKind::OtherAccess;
        target.holdsRows = true;
        return target;
    }
    if (const std::optional<bool> rows = oursWithRows(path)) {
        target.kind = TargetKind::Ours;
        target.holdsRows = *rows;
        return target;
    }
    target.kind = TargetKind::Foreign;
    return target;
}

void removeDatabaseFile(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : kCompanions)
        QFile::remove(path + QLatin1String(suffix));
}

void writeFreshFiles(const QString& permanentPath, const QString& workPath, const LegacyData& data,
                     const std::function<void(int)>& percent)
{
    try {
        std::unique_ptr<Database> db = Database::open(permanentPath, workPath);
        Transaction transaction(*db);
        try {
            insertAll(*db, data, percent);
            // What went in is read back before anything is committed.
            if (count(*db, "SELECT count(*) FROM 入金予定表") != std::int64_t(data.rows.size()) ||
                count(*db, "SELECT count(*) FROM 入金先マスタ") != std::int64_t(data.payers.size()) ||
                count(*db, "SELECT count(*) FROM 自社情報") != std::int64_t(data.settings.size()) ||
                count(*db, "SELECT count(*) FROM ClHint") != std::int64_t(data.hints.size()))
                throw ImportError(QStringLiteral("新しいデータ ファイルに書き込んだ行数が合いません。データは"
                                                 "変更していません。"));
        } catch (const ImportError&) {
            throw;
        } catch (const std::exception& e) {
            db->rethrow(e);
        }
        transaction.commit();
    } catch (const StorageError& e) {
        removeDatabaseFile(permanentPath);
        removeDatabaseFile(workPath);
        throw ImportError(
            QStringLiteral("新しいデータ ファイルを作成できませんでした。データは変更していません。\n%1")
                .arg(e.userMessage()));
    } catch (...) {
        removeDatabaseFile(permanentPath);
        removeDatabaseFile(workPath);
        throw;
    }
}

QString datedName(const QString& path, const QString& what, const QDateTime& when)
{
    const QString base =
        path + QLatin1Char('.') + what + QLatin1Char('-') + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace legacy
