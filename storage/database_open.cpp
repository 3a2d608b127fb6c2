// Opening the pair of data files: the one place that creates them, checks them, attaches the work file
// and brings an older format forward. Statements and their results are database.cpp's.
#include "storage/database.h"

#include "storage/backup.h"
#include "storage/connection.h"
#include "storage/migrations.h"
#include "storage/open_checks.h"
#include "storage/schema.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kBusyTimeoutMs = 3000;

} // namespace

namespace {

// A file of 0 bytes holds no database: a first start that was killed before its tables were written
// leaves one. It is set up like a missing file instead of being refused for lacking its tables.
bool holdsData(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() && file.size() > 0;
}

} // namespace

std::unique_ptr<Database> Database::open(const QString& permanentPath, const QString& workPath,
                                         const QString& backupFolder)
{
    QStringList created;
    for (const QString& path : {permanentPath, workPath})
        if (!QFileInfo::exists(path))
            created << path;
    try {
        return openFiles(permanentPath, workPath, holdsData(permanentPath), holdsData(workPath),
                         backupFolder);
    } catch (...) {
        // A file this open created goes again: a failed start leaves the folder as it found it. The
        // connection is closed by now.
        for (const QString& path : created) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
        throw;
    }
}

std::unique_ptr<Database> Database::openFiles(const QString& permanentPath, const QString& workPath,
                                              bool permanentExists, bool workExists,
                                              const QString& backupFolder)
{
    std::unique_ptr<SQLite::Database> db;
    try {
        db = std::make_unique<SQLite::Database>(permanentPath.toStdString(),
                                                SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db->setBusyTimeout(kBusyTimeoutMs);
    } catch (const SQLite::Exception& e) {
        throw StorageError(
            StorageError::Kind::CannotOpen,
            QStringLiteral("データベース ファイル「%1」を開けません。").arg(displayPath(permanentPath)),
            e.what(), permanentPath);
    }
    // Nothing here may come before the first read of a file: that read is where the engine rolls
    // back what a crash left half-written (a hot journal), and it must find the journal as it is.
    // Both files are checked before either is changed, so that a refused pair stays as it was.
    int permanentVersion = migrations::permanentFormat().latest();
    if (permanentExists)
        permanentVersion = checkFormat(*db, "main", permanentPath, migrations::permanentFormat());

    try {
        SQLite::Statement attach(*db, "ATTACH DATABASE ? AS work");
        attach.bind(1, workPath.toStdString());
        attach.exec();
    } catch (const SQLite::Exception& e) {
        const int code = e.getErrorCode() & 0xff;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
            throw StorageError(StorageError::Kind::NotADatabase, notADatabaseMessage(workPath), e.what(),
                               workPath);
        throw StorageError(
            StorageError::Kind::CannotOpen,
            QStringLiteral("データベース ファイル「%1」を開けません。").arg(displayPath(workPath)), e.what(),
            workPath);
    }
    int workVersion = migrations::workFormat().latest();
    if (workExists) {
        workVersion = checkFormat(*db, "work", workPath, migrations::workFormat());
        // The work file is small and rebuilt on request, so it is checked whole.
        checkIntact(*db, "work", workPath);
    }
    if (permanentExists)
        keepRollbackJournal(*db, "main", permanentPath);
    if (workExists)
        keepRollbackJournal(*db, "work", workPath);

    std::unique_ptr<Database> result(
        new Database(std::make_unique<Connection>(std::move(db)), permanentPath, workPath));
    if (!permanentExists || !workExists) {
        // First start: the only time anything is created, at the latest format.
        Transaction tx(*result);
        try {
            if (!permanentExists)
                createPermanentSchema(result->m_connection->sqlite(), "main");
            if (!workExists)
                createWorkSchema(result->m_connection->sqlite(), "work");
        } catch (const std::exception& e) {
            result->rethrow(e);
        }
        tx.commit();
    }
    // Set only now: a copy of a file just created would hold nothing and stand in for the day's copy.
    result->setBackupFolder(backupFolder);
    result->m_upgradeNotice = migrations::upgradeDataFiles(*result, permanentVersion, workVersion);
    return result;
}
