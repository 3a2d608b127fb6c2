#include "storage/transaction.h"

#include "storage/connection.h"
#include "storage/database.h"

#include <sqlite3.h>

#include <atomic>

namespace {
std::atomic<int> savepointCounter{0};
}

Transaction::Transaction(Database& db) : m_db(db)
{
    try {
        if (sqlite3_get_autocommit(connectionOf(db).sqlite().getHandle())) {
            if (db.copyDueBeforeWrite()) {
                // The day's first unit takes the write lock at once: under it nobody can change the
                // permanent file between the copy and this unit's first write, so the day's copy is
                // exactly the state before it.
                connectionOf(db).sqlite().exec("BEGIN IMMEDIATE");
                try {
                    db.beforeFirstWrite();
                } catch (...) {
                    connectionOf(db).sqlite().exec("ROLLBACK");
                    throw;
                }
            } else {
                // Every other unit locks a file when it first writes to it. An immediate begin locks
                // both files, and SQLite then commits the unit through a super-journal as a two-file
                // commit (three more disk flushes) even when only the work file changed, which is
                // what nearly every action of the screen does. A lock that cannot be had in the middle
                // of a unit fails it like any other error: everything rolls back.
                connectionOf(db).sqlite().exec("BEGIN");
            }
        } else {
            m_savepoint = "unit_" + std::to_string(++savepointCounter);
            connectionOf(db).sqlite().exec("SAVEPOINT " + m_savepoint);
        }
    } catch (const std::exception& e) {
        db.rethrow(e);
    }
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        // The engine may already have rolled back by itself after a full disk or an I/O error.
        if (m_savepoint.empty()) {
            if (!sqlite3_get_autocommit(connectionOf(m_db).sqlite().getHandle()))
                connectionOf(m_db).sqlite().exec("ROLLBACK");
        } else {
            connectionOf(m_db).sqlite().exec("ROLLBACK TO " + m_savepoint);
            connectionOf(m_db).sqlite().exec("RELEASE " + m_savepoint);
        }
    } catch (...) {
        // Nothing more can be done from a destructor; the outer unit, if any, rolls back in turn.
    }
}

void Transaction::commit()
{
    try {
        connectionOf(m_db).sqlite().exec(m_savepoint.empty() ? std::string("COMMIT")
                                                             : "RELEASE " + m_savepoint);
    } catch (const std::exception& e) {
        m_db.rethrow(e);
    }
    m_done = true;
}
