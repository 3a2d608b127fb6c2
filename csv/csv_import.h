#pragma once

#include "csv/csv_reader.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class Database;

namespace csv {

// What storing an import file would change, worked out against the store without writing to it.
//
// Each line is stored as the save stores a row: a stored row of the same date and payer gets the line's
// amounts, otherwise a new row follows the month's stored rows with the next 行番号. An empty amount
// field is no amount: a new row stores nothing there (counted as 0). Against a stored row nothing and 0
// count alike, so an empty field or 0 leaves a stored NULL or 0 as it is, and an empty field empties
// any other amount. A payer who appears
// twice on one day in the file takes the stored rows of that day and payer in 行番号 order, one a line,
// so that two receipts from one payer on one day stay two rows and a second import of the same file
// finds both.
struct ImportPlan
{
    struct Update
    {
        std::int64_t rowId = 0;
        std::optional<Money> planned;
        std::optional<Money> received;
        // The stored row as it is, for the list the user reads before anything is stored.
        QDate date;
        QString payer;
        std::optional<Money> wasPlanned;
        std::optional<Money> wasReceived;
    };
    struct Insert
    {
        QDate date;
        int rowNumber = 0;
        QString payer; // empty: a row without a payer
        std::optional<Money> planned;
        std::optional<Money> received;
        std::optional<Money> balance; // the file's, kept only where the balance pass does not reach
    };
    struct Renumber
    {
        std::int64_t rowId = 0;
        int rowNumber = 0;
    };

    std::vector<Renumber> renumbered; // stored rows of a month numbered afresh to make room, in order
    std::vector<Update> updates;      // only rows whose amounts change
    std::vector<Insert> inserts;
    int unchanged = 0;     // lines whose stored row already holds their amounts
    QStringList newPayers; // names to add to the payer master (automatic registration on)
    QDate firstMonth;      // first day of the earliest month of the file
    bool changesAnything() const { return !updates.empty() || !inserts.empty() || !newPayers.isEmpty(); }
};

// Reads the file as a stream and plans it. `problems` lists every bad line (a month that would pass 200
// rows among them); when it is not empty, nothing may be stored. The good lines are kept for the plan,
// at most 200 of a month (a month with more in the file is refused anyway), so what is held stays
// bounded however large the file. Throws StorageError when the store fails.
struct PreparedImport
{
    ImportPlan plan;
    ProblemList problems;
    CsvEncoding encoding = CsvEncoding::Utf8;
    int lines = 0; // data lines read
};
PreparedImport prepareImport(Database& db, QIODevice& source, std::optional<CsvEncoding> encoding,
                             bool registerPayers);
PreparedImport prepareImport(Database& db, const QByteArray& bytes, std::optional<CsvEncoding> encoding,
                             bool registerPayers);

struct ImportSummary
{
    int added = 0;
    int updated = 0;
    int payersRegistered = 0;
};

// Stores a plan that has no problems in one transaction (the day's backup copy comes first, as for
// every write), then recomputes the stored balances from the first day of its first month on. A plan
// that changes nothing writes nothing. Throws StorageError, or schedule::AmountOutOfRange when a balance
// would leave the currency range; nothing is stored then.
ImportSummary applyImport(Database& db, const ImportPlan& plan);

// "追加 N 行、更新 M 行"
QString summaryText(const ImportSummary& summary);

// What the plan would change, one line a row, for the user to read before the question: the rows to
// update with their old and new amounts, then the rows to add, then the payers to register. A line of
// the file whose payer is spelled otherwise than the stored row's shows up here as an added row.
QString describeChanges(const ImportPlan& plan);

} // namespace csv
