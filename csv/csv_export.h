#pragma once

#include "csv/csv_format.h"
#include "schedule/overdue.h"

#include <QByteArray>
#include <QDate>
#include <QString>

class Database;

namespace csv {

// The months to write; an invalid month leaves that end open (both open: every stored row).
struct ExportRange
{
    QDate fromMonth;
    QDate toMonth;
};

struct ExportResult
{
    QByteArray bytes; // the whole file, ready to be written
    int rows = 0;     // data lines written
    QString error;    // why nothing can be written, in Japanese; empty on success
    bool ok() const { return error.isEmpty(); }
};

// The stored rows of the range as a CSV file, in date order and then 行番号. With Shift_JIS a payer
// name that has a character the encoding lacks refuses the whole export, naming its line. Throws
// StorageError when the store fails.
ExportResult exportSchedule(Database& db, const ExportRange& range, CsvEncoding encoding);

// The open-receipts list as the page shows it, in the same file form as the schedule: the columns
// 日付, 入金先名, 予定額, 入金額, 未入金額 and 経過日数 (days from the row's date to `asOf`), one line per
// row in the order given. The same Shift_JIS refusal as the schedule's export; MoneyOverflow cannot arise (an
// open amount is the difference of two stored amounts of one row, checked).
ExportResult exportOpenRows(const std::vector<schedule::OpenRow>& rows, const QDate& asOf,
                            CsvEncoding encoding);

} // namespace csv
