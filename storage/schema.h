#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace SQLite {
class Database;
}

// The tables of each file, created only when the file does not exist yet.
QStringList permanentTableNames();
QStringList workTableNames();
void createPermanentSchema(SQLite::Database& db, const std::string& schema);
void createWorkSchema(SQLite::Database& db, const std::string& schema);
// Brings a work file written before the draft tables up to date (a column and two tables, all empty
// until the next load); true when it changed anything.
bool upgradeWorkSchema(SQLite::Database& db, const std::string& schema);
// The names of the required tables that the given schema of the connection lacks.
QStringList missingTables(SQLite::Database& db, const std::string& schema, const QStringList& required);
