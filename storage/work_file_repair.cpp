#include "storage/work_file_repair.h"

#include "storage/data_files.h"
#include "storage/database.h"
#include "storage/open_checks.h"
#include "storage/schema.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

namespace {

QString asideName(const QString& workPath, const QDateTime& now)
{
    const QString base =
        workPath + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

[[noreturn]] void cannotRebuild(const QString& workPath, const std::string& detail)
{
    throw StorageError(
        StorageError::Kind::CannotOpen,
        QStringLiteral("作業用ファイル「%1」を作り直せませんでした。").arg(displayPath(workPath)), detail,
        workPath);
}

// Copies the hint rows one by one, in the stored types, until the damaged file stops answering.
int copyReadableHints(const QString& damaged, sqlite3* fresh)
{
    sqlite3* source = nullptr;
    int copied = 0;
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* write = nullptr;
    // Read-write, so that a journal left beside the damaged file is rolled back before reading.
    if (sqlite3_open_v2(QFile::encodeName(damaged).constData(), &source, SQLITE_OPEN_READWRITE, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(source, "SELECT FormName, CtlName, FormTitle, Contents FROM ClHint", -1, &read,
                           nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(fresh,
                           "INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) VALUES (?, ?, ?, ?)",
                           -1, &write, nullptr) == SQLITE_OK) {
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int c = 0; c < 4; ++c)
                sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
            if (sqlite3_step(write) == SQLITE_DONE)
                ++copied;
            sqlite3_reset(write);
        }
    }
    sqlite3_finalize(write);
    sqlite3_finalize(read);
    sqlite3_close(source);
    return copied;
}

} // namespace

bool isRebuildableWorkFileError(const StorageError& error, const QString& workPath)
{
    return (error.kind() == StorageError::Kind::NotADatabase ||
            error.kind() == StorageError::Kind::MissingTable) &&
           !error.file().isEmpty() &&
           QFileInfo(error.file()).absoluteFilePath() == QFileInfo(workPath).absoluteFilePath();
}

WorkFileRebuild rebuildWorkFile(const QString& workPath, const QDateTime& now)
{
    WorkFileRebuild result;
    result.damagedCopy = asideName(workPath, now);
    if (QFileInfo::exists(workPath) && !QFile::rename(workPath, result.damagedCopy))
        cannotRebuild(workPath, "cannot move the damaged file aside");
    for (const char* suffix : data_files::kCompanions) {
        const QString companion = workPath + QLatin1String(suffix);
        if (QFileInfo::exists(companion) &&
            !QFile::rename(companion, result.damagedCopy + QLatin1String(suffix)))
            QFile::remove(companion);
    }

    try {
        SQLite::Database fresh(workPath.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        // All tables or none: a half-made file would only be refused again at the next start.
        fresh.exec("BEGIN");
        createWorkSchema(fresh, "main");
        result.hintsRecovered = copyReadableHints(result.damagedCopy, fresh.getHandle());
        fresh.exec("COMMIT");
    } catch (const SQLite::Exception& e) {
        QFile::remove(workPath);
        QFile::rename(result.damagedCopy, workPath);
        cannotRebuild(workPath, e.what());
    }
    return result;
}
