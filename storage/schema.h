#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace SQLite {
class Database;
}

// The tables of each file at the latest format (storage/migrations.h), created only when the file does
// not exist yet; the file is numbered with that format. A change to them comes with a step of
// storage/migrations.cpp that brings an older file to the same tables.
void createPermanentSchema(SQLite::Database& db, const std::string& schema);
void createWorkSchema(SQLite::Database& db, const std::string& schema);
// The names of the required tables that the given schema of the connection lacks.
QStringList missingTables(SQLite::Database& db, const std::string& schema, const QStringList& required);
