#pragma once

#include "csv/csv_format.h"

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

} // namespace csv
