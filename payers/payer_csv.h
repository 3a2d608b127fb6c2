#pragma once

#include "csv/csv_format.h"
#include "csv/csv_reader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class Database;

// The payer master as a CSV file, in the schedule file's form (RFC 4180, CRLF, UTF-8 with a byte-order
// mark or Shift_JIS): the columns 入金先名, フリガナ and the terms in the payer page's text forms
// (締め日 and 支払日 1-28 or 末, 支払月 0-6, 休日 前/後/なし, 定額 a plain amount, 定額開始 and 定額終了
// yyyy/mm).
namespace payers {

const QStringList& payerCsvColumns();

struct PayerCsvExport
{
    QByteArray bytes;
    int rows = 0;
    QString error; // a name or kana the encoding cannot hold; empty on success
    bool ok() const { return error.isEmpty(); }
};
// The master in name order. Throws StorageError when the store fails.
PayerCsvExport exportPayers(Database& db, csv::CsvEncoding encoding);

struct PayerImportSummary
{
    int added = 0;
    int updated = 0;
    int unchanged = 0;
};
struct PayerCsvImport
{
    csv::ProblemList problems; // every bad line; when not empty nothing was stored
    PayerImportSummary summary;
};
// Reads the whole file, then adds each payer the master lacks and updates the kana and terms of each
// it has, matched by the exact 入金先名, in one transaction; no payer is ever deleted. Without a chosen
// encoding, a byte-order mark or text that reads as UTF-8 is UTF-8, anything else Shift_JIS. A bad line
// (fields missing, a field that does not read, terms that do not go together, a name given twice)
// stores nothing. Throws StorageError when the store fails.
PayerCsvImport importPayers(Database& db, const QByteArray& bytes, std::optional<csv::CsvEncoding> encoding);

} // namespace payers
