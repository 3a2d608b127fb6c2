#pragma once

#include "csv/csv_format.h"

#include <QByteArray>
#include <QDate>
#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace csv {

// A bad line of an import file and what is wrong with it; line 0 speaks of the whole file.
struct ImportProblem
{
    int line = 0;
    QString reason;
};

// Every problem found in a file, shown to the user by line number. A broken file can have one on every
// line: only the kShown of the lowest lines are kept (the user reads no more), the rest are counted.
class ProblemList
{
public:
    static constexpr int kShown = 100;

    void add(int line, const QString& reason);
    bool isEmpty() const { return m_total == 0; }
    int total() const { return m_total; }
    // By line number, then in the order they were found; at most kShown of them.
    std::vector<ImportProblem> sorted() const { return m_problems; }
    // "3行目：…" a line, the first kShown of them, then how many more there are.
    QString text() const;

private:
    std::vector<ImportProblem> m_problems; // kept sorted
    int m_total = 0;
};

// One data line of an import file, read and checked.
struct CsvLine
{
    int line = 0; // in the file, the header being line 1
    QDate date;
    QString payer;                 // empty: a row without a payer (only in the export's form, see below)
    std::optional<Money> planned;  // nothing for an empty field
    std::optional<Money> received; // nothing for an empty field
    std::optional<Money> balance;  // the 残高 field when there is one and it reads as an amount
};

struct CsvReadResult
{
    ProblemList problems;
    CsvEncoding encoding = CsvEncoding::Utf8;
    int lines = 0; // good data lines handed over
};

// Reads a schedule CSV record by record from `source`, handing every good line to `take` as it is
// read: nothing of the file is held but the record at hand and the first problems.
//
// Without a chosen encoding: UTF-8 when the file starts with its byte-order mark or its header reads
// as UTF-8, Shift_JIS (CP932) when the header reads as that, otherwise UTF-8 when the first line is
// valid UTF-8 and Shift_JIS when not. Accepts besides the exported form dates yyyy-mm-dd and yyyy/m/d
// (1900 to 2099), amounts as the grid reads them (thousands separators, full-width digits), an empty
// amount (no amount), and a file without the 残高 column. Lines whose fields are all empty
// (spreadsheets write them for formatted blank rows) are skipped.
//
// The payer is kept exactly as written. In the export's form (with the 残高 column) an empty payer is
// a stored row without a payer, which the Access data may hold and the export writes so; in a file
// without the 残高 column, which people type, an empty or blank payer is refused.
using LineSink = std::function<void(CsvLine&&)>;
CsvReadResult readScheduleCsv(QIODevice& source, std::optional<CsvEncoding> encoding, const LineSink& take);

// The same over bytes in memory, every good line collected.
struct CsvContent
{
    std::vector<CsvLine> lines;
    ProblemList problems;
    CsvEncoding encoding = CsvEncoding::Utf8;
};
CsvContent readScheduleCsv(const QByteArray& bytes, std::optional<CsvEncoding> encoding);

} // namespace csv
