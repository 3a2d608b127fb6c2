#pragma once

#include "bank/deposit.h"
#include "csv/csv_format.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A bank's own CSV statement. Every bank lays it out its own way, so the user says once per layout
// which columns hold the date, the name and the deposit amount; the caller keeps that mapping under the
// layout's key and finds it again for the next file of the same layout.
namespace bank {

struct BankCsvMapping
{
    int dateColumn = 0; // columns count from 0
    int nameColumn = 1;
    // The deposit (入金) amount. A line whose amount is empty, zero or negative is no deposit: a
    // withdrawal in a statement with separate columns, or in one with a single signed column.
    int amountColumn = 2;
    bool hasHeader = true;
    // Nothing: UTF-8 when the file starts with its byte-order mark or reads as UTF-8 throughout,
    // otherwise Shift_JIS (CP932), which most banks write.
    std::optional<csv::CsvEncoding> encoding;
    // The caller's name for the account the statement is of, kept as the deposits' 口座番号: it keeps
    // the deposits of two accounts apart.
    QString account;
};

// The layout of a file: "見出し:" and the header line's fields, or "項目数:" and the count of fields
// when the first line is already data (it holds a date). Empty for a file without any line.
QString bankCsvLayoutKey(const QByteArray& bytes);

// The deposits of the file, in file order. Dates yyyy/mm/dd, yyyy-mm-dd, yyyymmdd or yyyy年m月d日;
// amounts with thousands separators, a yen sign or 円. A word such as ﾌﾘｺﾐ or 振込 before the name is
// the bank's and left out. Throws BankFileError naming the line ("3 行目: …") when a line cannot be read.
std::vector<Deposit> readBankCsv(const QByteArray& bytes, const BankCsvMapping& mapping);

} // namespace bank
