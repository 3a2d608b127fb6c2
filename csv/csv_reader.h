#pragma once

#include "csv/csv_format.h"

#include <QByteArray>
#include <QDate>
#include <QString>

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
// line: past kKept only the count goes on.
class ProblemList
{
public:
    static constexpr int kKept = 10000;
    static constexpr int kShown = 100;

    void add(int line, const QString& reason);
    bool isEmpty() const { return m_total == 0; }
    int total() const { return m_total; }
    // By line number, then in the order they were found.
    std::vector<ImportProblem> sorted() const;
    // "3行目：…" a line, the first kShown of them, then how many more there are.
    QString text() const;

private:
    std::vector<ImportProblem> m_problems;
    int m_total = 0;
};

// One data line of an import file, read and checked.
struct CsvLine
{
    int line = 0; // in the file, the header being line 1
    QDate date;
    QString payer;
    Money planned;
    Money received;
};

struct CsvContent
{
    std::vector<CsvLine> lines;
    ProblemList problems;
    CsvEncoding encoding = CsvEncoding::Utf8;
};

// Reads the bytes of a schedule CSV. Without a chosen encoding: UTF-8 when the bytes start with its
// byte-order mark or are valid UTF-8, otherwise Shift_JIS (CP932). Accepts besides the exported form
// dates yyyy-mm-dd and yyyy/m/d, amounts as the grid reads them (thousands separators, full-width
// digits), an empty amount as 0, and a file without the 残高 column; the 残高 column is never read.
// Lines whose fields are all empty (spreadsheets write them for formatted blank rows) are skipped.
CsvContent readScheduleCsv(const QByteArray& bytes, std::optional<CsvEncoding> encoding);

} // namespace csv
