#pragma once

#include "storage/value.h"

#include <QString>

#include <string>
#include <vector>

// Turns a statement of the program's dialect into SQLite text:
//   delete * from T            -> delete from T
//   #yyyy/mm/dd#               -> 'yyyy-mm-dd' (the stored form of a date)
//   #yyyy/mm/dd hh:mm:ss#      -> 'yyyy-mm-dd' at midnight, else 'yyyy-mm-dd hh:mm:ss'
//   select top N ...           -> select ... limit N
//   isnull(x)                  -> ((x) is null)
//   = True / = False           -> = 1 / = 0
//   T in ?  (after from/into)  -> schema.T; the path parameter is taken out of the bound list
//   order by 日付               -> order by 日付,行番号 (one date's rows always in row-number order)
// Table and column names are compared without regard to letter case, as SQLite does.
struct AttachedFile
{
    QString path;
    std::string schema; // "main" or "work"
};

struct TranslatedSql
{
    std::string sql;
    std::vector<Value> params; // what is left to bind, in order
    std::string selectTable;   // the single table of a plain select (empty otherwise)
    bool isSelect = false;
};

// Throws std::invalid_argument for a malformed date literal, an unbalanced isnull(, a `top` without a
// count, a parameter count that does not match, an `in` path naming neither file, a placeholder other
// than a plain `?`, a comment, or a second statement after a semicolon.
// With withRowId, a plain `select * from T` also returns T's row id as its first column "__rowid__",
// so that a row set over it can store its rows back.
TranslatedSql translateJetSql(const std::string& statement, const std::vector<Value>& params,
                              const std::vector<AttachedFile>& files, bool withRowId = false);
