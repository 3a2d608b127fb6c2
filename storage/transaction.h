#pragma once

#include <string>

class Database;

// One unit of work over both files: everything it wrote is stored on commit() or rolled back when it
// goes out of scope without one (an exception on the way). Nested units become savepoints, so an
// operation can be called alone or inside a larger one.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    std::string m_savepoint; // empty for the outermost unit
    bool m_done = false;
};
