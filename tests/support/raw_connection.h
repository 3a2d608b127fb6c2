#pragma once

#include "storage/database.h"

#include <SQLiteCpp/Database.h>

// The SQLite connection under a Database, for tests that set a fault up behind the program's back (a
// trigger that refuses a write, a dropped table, a page limit). The program itself has no way to it.
SQLite::Database& rawConnection(Database& db);
