// The statement translator over arbitrary text. The input is the statement, then its parameters, separated
// by NUL bytes; a parameter that reads as a whole number is bound as one, anything else as text.
//
// The translator may refuse a statement only with std::invalid_argument. What it accepts goes to SQLite
// over both schemas (prepared, never run); SQLite may refuse it, but what SQLite accepts must be exactly
// one statement whose placeholders are the plain `?` kind, one for each value left to bind: anything
// else would run less than was written or bind values to the wrong places without a word.
#include "storage/jet_sql.h"
#include "storage/schema.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const QString kPermanentPath = QStringLiteral("/fuzz/data/Dorivan.mdb");
const QString kWorkPath = QStringLiteral("/fuzz/data/DorivanWork.mdb");

SQLite::Database& schemaDatabase()
{
    static SQLite::Database* db = [] {
        auto* d = new SQLite::Database(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        d->exec("ATTACH DATABASE ':memory:' AS work");
        createPermanentSchema(*d, "main");
        createWorkSchema(*d, "work");
        return d;
    }();
    return *db;
}

[[noreturn]] void fail(const char* what, const std::string& statement, const std::string& sql)
{
    std::fprintf(stderr, "%s\n  statement: %s\n  sqlite:    %s\n", what, statement.c_str(), sql.c_str());
    std::abort();
}

bool onlyBlanksAndSemicolons(const char* tail)
{
    for (; *tail; ++tail) {
        if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\n' && *tail != '\r')
            return false;
    }
    return true;
}

void checkWithSqlite(const std::string& statement, const TranslatedSql& t)
{
    sqlite3* db = schemaDatabase().getHandle();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, t.sql.c_str(), -1, &st, &tail);
    if (rc != SQLITE_OK || st == nullptr) {
        sqlite3_finalize(st);
        return;
    }
    const int count = sqlite3_bind_parameter_count(st);
    bool named = false;
    for (int i = 1; i <= count; ++i)
        named = named || sqlite3_bind_parameter_name(st, i) != nullptr;
    sqlite3_finalize(st);
    if (!onlyBlanksAndSemicolons(tail))
        fail("SQLite would run only the first of several statements", statement, t.sql);
    if (named)
        fail("a placeholder other than a plain ? reached SQLite", statement, t.sql);
    if (count != int(t.params.size()))
        fail("SQLite sees a different number of placeholders than values are left to bind", statement, t.sql);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t nul = input.find('\0', at);
        parts.push_back(input.substr(at, nul == std::string::npos ? std::string::npos : nul - at));
        if (nul == std::string::npos)
            break;
        at = nul + 1;
    }
    const std::string statement = parts.front();
    std::vector<Value> params;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const QString text = QString::fromUtf8(parts[i]);
        bool isNumber = false;
        const qlonglong number = text.toLongLong(&isNumber);
        params.push_back(isNumber ? Value(number) : Value(text));
    }
    const std::vector<AttachedFile> files{{kPermanentPath, "main"}, {kWorkPath, "work"}};

    for (const bool withRowId : {false, true}) {
        TranslatedSql t;
        try {
            t = translateJetSql(statement, params, files, withRowId);
        } catch (const std::invalid_argument&) {
            return 0;
        }
        if (t.params.size() > params.size())
            fail("more values to bind than were given", statement, t.sql);
        if (!t.selectTable.empty() && !t.isSelect)
            fail("a row set table for a statement that is not a select", statement, t.sql);
        checkWithSqlite(statement, t);
    }
    return 0;
}
