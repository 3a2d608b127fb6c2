#include "support/raw_connection.h"

#include "storage/connection.h"

SQLite::Database& rawConnection(Database& db)
{
    return connectionOf(db).sqlite();
}
