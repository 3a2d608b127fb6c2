#include "storage/open_checks.h"

#include "storage/database.h"
#include "storage/migrations.h"
#include "storage/schema.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool isBusy(const SQLite::Exception& e)
{
    const int code = e.getErrorCode() & 0xff;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

[[noreturn]] void throwBusy(const QString& path, const SQLite::Exception& e)
{
    throw StorageError(
        StorageError::Kind::Busy,
        QStringLiteral("データ ファイル「%1」は他のプログラムが使用中です。そのプログラムを終了"
                       "してから、もう一度実行してください。")
            .arg(displayPath(path)),
        e.what(), path);
}

} // namespace

QString displayPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString notADatabaseMessage(const QString& path)
{
    return QStringLiteral("ファイル「%1」はデータベースではないか、壊れています。").arg(displayPath(path));
}

int checkFormat(SQLite::Database& db, const std::string& schema, const QString& path,
                const migrations::FileFormat& format)
{
    int version = 0;
    QStringList missing;
    try {
        // The first read of the file: the engine rolls back here what a crash left half-written.
        version = migrations::readVersion(db, schema);
        // A newer program may have dropped or renamed a table; its file is refused for its format.
        if (version > format.latest())
            throw StorageError(StorageError::Kind::NewerFormat,
                               migrations::newerFormatMessage(path, version, format.latest()),
                               "format " + std::to_string(version), path);
        missing = missingTables(db, schema, format.tablesAt(version));
    } catch (const SQLite::Exception& e) {
        if (isBusy(e))
            throwBusy(path, e);
        if ((e.getErrorCode() & 0xff) == SQLITE_READONLY)
            throw StorageError(
                StorageError::Kind::ReadOnly,
                QStringLiteral("データ ファイル「%1」は読み取り専用のため、前回途中で終わった処理を"
                               "元に戻せません。書き込みを許可してから、もう一度起動してください。")
                    .arg(displayPath(path)),
                e.what(), path);
        throw StorageError(StorageError::Kind::NotADatabase, notADatabaseMessage(path), e.what(), path);
    }
    if (!missing.isEmpty())
        throw StorageError(StorageError::Kind::MissingTable,
                           QStringLiteral("データベース ファイル「%1」に表「%2」がありません。")
                               .arg(displayPath(path), missing.join(QStringLiteral("」「"))),
                           {}, path);
    return version;
}

void checkIntact(SQLite::Database& db, const std::string& schema, const QString& path)
{
    std::string verdict;
    try {
        SQLite::Statement check(db, "PRAGMA " + schema + ".quick_check(1)");
        if (check.executeStep())
            verdict = check.getColumn(0).getString();
    } catch (const SQLite::Exception& e) {
        if (isBusy(e))
            throwBusy(path, e);
        throw StorageError(StorageError::Kind::NotADatabase, notADatabaseMessage(path), e.what(), path);
    }
    if (verdict != "ok")
        throw StorageError(StorageError::Kind::NotADatabase, notADatabaseMessage(path), verdict, path);
}

void keepRollbackJournal(SQLite::Database& db, const std::string& schema, const QString& path)
{
    try {
        if (QString::fromStdString(db.execAndGet("PRAGMA " + schema + ".journal_mode").getString())
                .compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            return;
        const std::string mode = db.execAndGet("PRAGMA " + schema + ".journal_mode = DELETE").getString();
        if (QString::fromStdString(mode).compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0)
            return;
        throw StorageError(StorageError::Kind::Busy,
                           QStringLiteral("データ ファイル「%1」を元の記録方式に戻せませんでした。ほかにこの"
                                          "ファイルを開いているプログラムを終了してから、もう一度起動して"
                                          "ください。")
                               .arg(displayPath(path)),
                           "journal mode stays " + mode, path);
    } catch (const SQLite::Exception& e) {
        if (isBusy(e))
            throwBusy(path, e);
        throw StorageError(StorageError::Kind::CannotOpen,
                           QStringLiteral("データ ファイル「%1」を元の記録方式に戻せませんでした。（%2）")
                               .arg(displayPath(path), QString::fromUtf8(e.what())),
                           e.what(), path);
    }
}

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
