#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace SQLite {
class Database;
}
namespace migrations {
struct FileFormat;
}

// What Database::open checks on a file before the program uses it. Each throws StorageError naming
// the file; none of them writes to a file that turns out not to be ours.

// The absolute path as the user sees it.
QString displayPath(const QString& path);
QString notADatabaseMessage(const QString& path);

// The schema is of a format this program knows and has the tables of that format; returns the format.
// A file of a newer format is refused with Kind::NewerFormat; a file another process keeps locked is
// reported as busy.
int checkFormat(SQLite::Database& db, const std::string& schema, const QString& path,
                const migrations::FileFormat& format);

// The schema reads back whole (SQLite's quick check): a damaged file is found at start-up rather than
// halfway through an operation.
void checkIntact(SQLite::Database& db, const std::string& schema, const QString& path);

// A two-file transaction is atomic only in rollback-journal mode; a file that another tool switched
// to write-ahead logging is switched back, or refused when that cannot be done.
void keepRollbackJournal(SQLite::Database& db, const std::string& schema, const QString& path);

// Whether the file is a database of ours, and whether it holds rows in the permanent tables; nothing
// for a file that is not one of ours. Read-write, so that the engine rolls back a journal a crash left
// beside it before anything is read.
std::optional<bool> oursWithRows(const QString& path);
