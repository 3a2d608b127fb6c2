#include "csv/csv_reader.h"

#include "common/dates.h"

#include <QBuffer>

#include <algorithm>

namespace csv {

void ProblemList::add(int line, const QString& reason)
{
    ++m_total;
    // Problems mostly arrive in line order, but a month's are found after the whole file: the list
    // keeps the lowest lines, as the user reads them.
    const auto at = std::upper_bound(m_problems.begin(), m_problems.end(), line,
                                     [](int l, const ImportProblem& p) { return l < p.line; });
    if (at == m_problems.end() && int(m_problems.size()) >= kShown)
        return;
    m_problems.insert(at, {line, reason});
    if (int(m_problems.size()) > kShown)
        m_problems.pop_back();
}

QString ProblemList::text() const
{
    QStringList lines;
    for (const ImportProblem& p : m_problems)
        lines << (p.line > 0 ? QStringLiteral("%1行目：%2").arg(p.line).arg(p.reason) : p.reason);
    if (m_total > kShown)
        lines << QStringLiteral("ほかに %1 件の誤りがあります。").arg(m_total - kShown);
    return lines.join(QLatin1Char('\n'));
}

namespace {

// A field as shown in a message: long values are cut short.
QString shown(const QString& field)
{
    const QString text = field.trimmed();
    return text.size() > 30 ? text.left(30) + QStringLiteral("…") : text;
}

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool isAsciiBlank(const ByteRecord& record)
{
    return std::all_of(record.fields.begin(), record.fields.end(), [](const QByteArray& field) {
        return std::all_of(field.begin(), field.end(), [](char c) { return c == ' ' || c == '\t'; });
    });
}

bool isBlankRecord(const QStringList& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); });
}

// The encoding of a file nobody named, from its first line that is not blank: the header, when the
// file is one of ours, names its encoding by the bytes of 日付.
CsvEncoding detectEncoding(const ByteRecord& first)
{
    Converter utf8(CsvEncoding::Utf8);
    Converter cp932(CsvEncoding::Cp932);
    const QByteArray& head = first.fields.front();
    const QString& title = headerColumns().front();
    if (const std::optional<QString> text = utf8.decode(head.constData(), head.size());
        text && text->trimmed().startsWith(title))
        return CsvEncoding::Utf8;
    if (const std::optional<QString> text = cp932.decode(head.constData(), head.size());
        text && text->trimmed().startsWith(title))
        return CsvEncoding::Cp932;
    for (const QByteArray& field : first.fields)
        if (!utf8.decode(field.constData(), field.size()))
            return CsvEncoding::Cp932;
    return CsvEncoding::Utf8;
}

// A number refused only for its fraction: cut to four decimals it would read.
bool hasTooManyDecimals(const QString& field)
{
    const QString text = field.trimmed();
    qsizetype point = text.lastIndexOf(QLatin1Char('.'));
    if (point < 0)
        point = text.lastIndexOf(QChar(u'．'));
    if (point < 0 || text.size() - point - 1 <= 4)
        return false;
    const ParsedAmount cut = parseAmount(text.left(point + 5));
    return cut.status == AmountParse::Ok || cut.status == AmountParse::OutOfRange;
}

// An amount field: nothing in it is no amount (a blank cell, nothing planned or received yet).
struct AmountField
{
    bool ok = false;
    std::optional<Money> amount;
};

AmountField readAmount(const QString& field, const QString& column, int line, ProblemList& problems)
{
    const ParsedAmount parsed = parseAmount(field);
    switch (parsed.status) {
    case AmountParse::Ok:
        return {true, parsed.amount};
    case AmountParse::Empty:
        return {true, std::nullopt};
    case AmountParse::OutOfRange:
        problems.add(line,
                     QStringLiteral("%1「%2」は扱える金額の範囲を超えています。").arg(column, shown(field)));
        return {};
    case AmountParse::NotNumber:
        break;
    }
    if (hasTooManyDecimals(field))
        problems.add(line, QStringLiteral("%1「%2」は小数が4桁を超えています。").arg(column, shown(field)));
    else
        problems.add(line, QStringLiteral("%1「%2」は数値ではありません。").arg(column, shown(field)));
    return {};
}

// How many columns the header announces: 5, 4 without the balance, 0 when it is not the header.
int headerColumnCount(const QStringList& fields)
{
    const QStringList& expected = headerColumns();
    if (fields.size() != kColumnsWithBalance && fields.size() != kColumnsWithoutBalance)
        return 0;
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].trimmed() != expected[i])
            return 0;
    return int(fields.size());
}

std::optional<CsvLine> readLine(int line, const QStringList& f, int columns, ProblemList& problems)
{
    if (f.size() != columns) {
        problems.add(line,
                     QStringLiteral("項目の数が %1 個です（%2 個のはずです）。").arg(f.size()).arg(columns));
        return std::nullopt;
    }
    const int before = problems.total();
    const std::optional<QDate> date = parseSeparatedDate(f[0]);
    if (!date)
        problems.add(
            line,
            QStringLiteral("日付「%1」が正しくありません（yyyy/mm/dd の形の、ある日付）。").arg(shown(f[0])));
    else if (!isKeptDate(*date))
        problems.add(line, outsideKeptDatesMessage(shown(f[0])));
    // An export writes a stored row without a payer with an empty name, and such rows come back as
    // they were; a file typed without the balance column has no such rows, and there a missing name
    // is a slip that would end every later balance.
    if (columns == kColumnsWithoutBalance && f[1].trimmed().isEmpty())
        problems.add(line, QStringLiteral("入金先名が空です。"));
    const AmountField planned = readAmount(f[2], headerColumns()[2], line, problems);
    const AmountField received = readAmount(f[3], headerColumns()[3], line, problems);
    if (problems.total() != before)
        return std::nullopt;
    std::optional<Money> balance;
    if (columns == kColumnsWithBalance) {
        // Only what is beyond the balance pass keeps it (see applyImport); one that does not read is
        // left to the pass like an empty one.
        if (const ParsedAmount b = parseAmount(f[4]); b.status == AmountParse::Ok)
            balance = b.amount;
    }
    // The name is kept exactly: payers are matched by the whole name, blanks included.
    return CsvLine{line, *date, f[1], planned.amount, received.amount, balance};
}

} // namespace

CsvReadResult readScheduleCsv(QIODevice& source, std::optional<CsvEncoding> encoding, const LineSink& take)
{
    CsvReadResult result;
    ProblemList& problems = result.problems;
    RecordStream records(source);
    const bool bom = encoding != CsvEncoding::Cp932 && records.skipPrefix(kUtf8Bom);
    if (encoding)
        result.encoding = *encoding;
    else if (bom)
        encoding = CsvEncoding::Utf8;

    std::optional<Converter> converter;
    if (encoding)
        converter.emplace(*encoding);
    int columns = 0;
    ByteRecord record;
    QStringList fields;
    while (records.next(record)) {
        if (!record.error.isEmpty()) {
            problems.add(record.line, record.error);
            continue;
        }
        if (isAsciiBlank(record))
            continue;
        if (!converter) {
            result.encoding = detectEncoding(record);
            converter.emplace(result.encoding);
        }
        fields.clear();
        QByteArray bad;
        bool reported = false;
        for (const QByteArray& field : record.fields) {
            if (std::optional<QString> text = converter->decode(field.constData(), field.size(), &bad)) {
                fields << *text;
                continue;
            }
            if (!reported)
                problems.add(record.line, QStringLiteral("%1 として読めない文字があります（バイト %2）。")
                                              .arg(encodingName(result.encoding), hexBytes(bad)));
            reported = true;
            // Read as far as it goes, so that the rest of the line is still checked.
            fields << converter->decodeLossy(field.constData(), field.size());
        }
        if (isBlankRecord(fields))
            continue;
        if (columns == 0) {
            columns = headerColumnCount(fields);
            if (columns == 0) {
                problems.add(record.line, QStringLiteral("見出しが「%1」ではありません。")
                                              .arg(headerColumns().join(QLatin1Char(','))));
                return result;
            }
            continue;
        }
        if (std::optional<CsvLine> line = readLine(record.line, fields, columns, problems)) {
            ++result.lines;
            take(std::move(*line));
        }
    }
    if (!records.readError().isEmpty())
        problems.add(0, QStringLiteral("ファイルを最後まで読み込めません。（%1）").arg(records.readError()));
    else if (columns == 0 && problems.isEmpty())
        problems.add(0, QStringLiteral("ファイルが空です。"));
    return result;
}

CsvContent readScheduleCsv(const QByteArray& bytes, std::optional<CsvEncoding> encoding)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvContent content;
    CsvReadResult read =
        readScheduleCsv(buffer, encoding, [&](CsvLine&& line) { content.lines.push_back(std::move(line)); });
    content.problems = std::move(read.problems);
    content.encoding = read.encoding;
    return content;
}

} // namespace csv
