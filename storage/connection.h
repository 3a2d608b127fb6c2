#pragma once

// Private to storage/: the SQLite connection behind a Database and its prepared statements. The rest
// of the program reaches the data only through Database, RowSet, RowWalk and Transaction, so nothing
// outside this folder includes SQLiteCpp.

#include "storage/database.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <memory>
#include <string>
#include <unordered_map>

// A statement a Database keeps prepared for reuse.
class CachedStatement : public SQLite::Statement
{
public:
    using SQLite::Statement::Statement;
};

class Connection
{
public:
    explicit Connection(std::unique_ptr<SQLite::Database> db) : m_db(std::move(db)) {}
    ~Connection()
    {
        // Statements must be finalised before the connection closes.
        statements.clear();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    SQLite::Database& sqlite() { return *m_db; }

    std::unordered_map<std::string, std::unique_ptr<CachedStatement>> statements;

private:
    std::unique_ptr<SQLite::Database> m_db;
};

// The connection of a Database, for the files of storage/.
Connection& connectionOf(Database& db);

// Binds one value to a 1-based parameter of a prepared statement.
void bindValue(SQLite::Statement& statement, int index, const Value& value);
// Reads column i of the current row of a stepped statement.
Value columnValue(SQLite::Statement& statement, int index);
