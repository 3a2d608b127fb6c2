#pragma once

#include "storage/value.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The engine behind a Database is private to storage/ (storage/connection.h).
class CachedStatement;
class Connection;
class DailyBackup;
class RowSet;

// A failure of the store, worded for the user (Japanese). `detail` keeps the engine's own text for logs
// and tests.
class StorageError : public std::runtime_error
{
public:
    enum class Kind {
        Generic,
        Busy,
        ReadOnly,
        Full,
        Overflow,
        NotADatabase,
        MissingTable,
        CannotOpen,
        BadStatement,
        NewerFormat
    };
    StorageError(Kind kind, const QString& userMessage, const std::string& detail = {},
                 const QString& file = {});
    Kind kind() const { return m_kind; }
    const QString& userMessage() const { return m_userMessage; }
    // The file the failure is about, when it is known (for example a damaged work file at start-up,
    // which the window offers to rebuild).
    const QString& file() const { return m_file; }

private:
    Kind m_kind;
    QString m_userMessage;
    QString m_file;
};

using Params = std::vector<Value>;

// The two database files behind one SQLite connection: the permanent file is the schema `main` and the
// work file is attached beside it as the schema `work`. Every table name exists in exactly one of the two
// files, so a statement can name any table without saying which file holds it; a copy between the files
// names both schemas (`insert into main.入金先マスタ ... select ... from work.w入金先マスタ`). One
// transaction covers both files atomically (the files stay in rollback-journal mode for that reason).
//
// Statements are plain SQLite text and constants of the code: every value, dates included (a QDate binds
// as its ISO text), goes in through a `?` placeholder. A statement is prepared once and kept, so the
// cache stays the size of the code. A statement whose placeholders do not match the values given, or
// that hides a second statement after its semicolon, is refused with Kind::BadStatement.
class Database
{
public:
    // Opens (and on a first start creates) both files. Throws StorageError naming the file when a file
    // is not a database, lacks a table, or cannot be opened; such a file is left untouched. A damaged
    // work file is reported with Kind::NotADatabase and file() == workPath (see work_file_repair.h).
    // A file another tool switched to write-ahead logging is put back into rollback-journal mode,
    // which the two-file transactions depend on. A transaction that a crash left half-done is rolled
    // back by the engine as the files are first read here.
    // A file of 0 bytes counts as missing. When the open fails, a file it created is removed again.
    // A file of an older format is brought forward (storage/migrations.h), after a copy of the
    // permanent file into `backupFolder` when one is given, which then also takes the daily copies
    // (setBackupFolder). A file of a newer format is refused with Kind::NewerFormat before anything
    // is written to either file.
    static std::unique_ptr<Database> open(const QString& permanentPath, const QString& workPath,
                                          const QString& backupFolder = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // What the user is told once about files this open brought to a newer format; empty when it
    // changed none, and after the first call.
    QString takeUpgradeNotice();

    const QString& permanentPath() const { return m_permanentPath; }
    const QString& workPath() const { return m_workPath; }
    // The files the engine could open only for reading; a write to them fails with Kind::ReadOnly.
    QStringList readOnlyFiles() const;

    // Daily copies of the permanent file into `folder` (normally the data folder's backup/), taken
    // at the first transaction of each day. Off until a folder is set.
    void setBackupFolder(const QString& folder);
    // A fresh copy now (the delete-all takes one first); false when it could not be written, which
    // is also reported through the backups' failure handler.
    bool backupNow();
    // Clock and failure handler of the copies.
    DailyBackup& backups() { return *m_backup; }
    // Whether the next outermost transaction takes the day's copy first.
    bool copyDueBeforeWrite() const;

    // Runs a statement that returns no rows; returns the number of rows it changed.
    int execute(const std::string& statement, const Params& params = {});
    // The row id of the row the last insert on this connection added.
    std::int64_t lastInsertRowId() const;
    // Reads the rows a select returns, to look at; the set cannot be changed.
    RowSet openRowSet(const std::string& select, const Params& params = {});
    // Reads the rows of one table, to change them or add to them through the set: every column of
    // `table` (a constant name of the code), with `clauses` (where, order by, limit; values as `?`)
    // after it.
    RowSet openTable(const std::string& table, const std::string& clauses = {}, const Params& params = {});
    // Reads the first column of the first row a select returns; nothing when it returns no row.
    Value readFirst(const std::string& statement, const Params& params = {});
    // Reads the value of the alias `total` of an aggregate select; a sum over no rows reads as nothing.
    // Amounts are added up by sumAmounts instead, which reports leaving the currency range.
    Value readTotal(const std::string& statement, const Params& params = {});
    // Adds up the first column of every row a select returns as amounts, with Money's checked addition:
    // a total past the currency range throws StorageError Kind::Overflow rather than wrap. A missing or
    // unreadable amount counts as 0, as everywhere else in the program.
    Money sumAmounts(const std::string& select, const Params& params = {});

    // Translates an engine exception into a StorageError with a Japanese message.
    [[noreturn]] void rethrow(const std::exception& e) const;

private:
    // The rest of storage/ reaches the engine through these; nothing outside it can.
    friend class RowSet;
    friend class RowWalk;
    friend class RepeatedWrite;
    friend class Transaction;
    friend Connection& connectionOf(Database& db);
    Database(std::unique_ptr<Connection> connection, QString permanentPath, QString workPath);
    static std::unique_ptr<Database> openFiles(const QString& permanentPath, const QString& workPath,
                                               bool permanentExists, bool workExists,
                                               const QString& backupFolder);
    // The outermost transaction has just taken the write lock: the day's copy comes first.
    void beforeFirstWrite();
    [[noreturn]] void throwReadOnly(int code, const std::string& what) const;

    // A prepared statement, kept for reuse; reset and with cleared bindings.
    CachedStatement& cachedStatement(const std::string& sql);
    // The cached statement with the values bound in order; refuses a count of values that does not
    // match its placeholders.
    CachedStatement& prepare(const std::string& statement, const Params& params);

    std::unique_ptr<Connection> m_connection;
    QString m_permanentPath;
    QString m_workPath;
    // Reads a select into a row set; with `table`, its first column is the row id of that table.
    RowSet readRows(const std::string& select, const Params& params, const std::string& table);
    std::unique_ptr<DailyBackup> m_backup;
    QString m_upgradeNotice;
};

// One writing statement run for many rows, with new values each time (a balance a row): prepared once and
// bound in place, so a long walk pays for finding the statement only once. The statement is left idle
// after each run.
class RepeatedWrite
{
public:
    RepeatedWrite(Database& db, const std::string& statement);
    RepeatedWrite(const RepeatedWrite&) = delete;
    RepeatedWrite& operator=(const RepeatedWrite&) = delete;

    // Binds the values in order and runs the statement; returns how many rows it changed.
    int run(std::initializer_list<Value> values);

private:
    Database& m_db;
    CachedStatement& m_statement;
};

// Steps a select, prepared with its values, through its rows. However the walk ends, the statement is
// left idle, so that the transaction around it can finish and the next use finds it ready; a failure of
// the engine arrives as StorageError.
class RowWalk
{
public:
    RowWalk(Database& db, const std::string& select, const Params& params = {});
    ~RowWalk();
    RowWalk(const RowWalk&) = delete;
    RowWalk& operator=(const RowWalk&) = delete;

    // The next row; false after the last.
    bool next();

    // The columns of the select (known before the first row).
    int columnCount() const;
    QString columnName(int index) const;

    // Column `index` (0-based) of the current row.
    Value value(int index);
    bool isNull(int index);
    // The column as the engine keeps its text (UTF-8), without a copy: valid until the walk moves on.
    // Nothing reads as empty.
    std::string_view text(int index);
    // A whole-number column; nothing reads as 0.
    std::int64_t integer(int index);
    // An amount column; a missing or unreadable amount counts as 0, as everywhere else in the program.
    Money amount(int index);

private:
    Database& m_db;
    CachedStatement& m_statement;
};

// A table or column name written into statement text, in double quotes.
std::string quotedName(const QString& name);
