#include "csv/csv_reader.h"

#include <QRegularExpression>

#include <algorithm>

namespace csv {

void ProblemList::add(int line, const QString& reason)
{
    ++m_total;
    if (int(m_problems.size()) < kKept)
        m_problems.push_back({line, reason});
}

std::vector<ImportProblem> ProblemList::sorted() const
{
    std::vector<ImportProblem> problems = m_problems;
    std::stable_sort(problems.begin(), problems.end(),
                     [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    return problems;
}

QString ProblemList::text() const
{
    QStringList lines;
    const std::vector<ImportProblem> problems = sorted();
    for (std::size_t i = 0; i < problems.size() && int(i) < kShown; ++i) {
        const ImportProblem& p = problems[i];
        lines << (p.line > 0 ? QStringLiteral("%1行目：%2").arg(p.line).arg(p.reason) : p.reason);
    }
    if (m_total > kShown)
        lines << QStringLiteral("ほかに %1 件の誤りがあります。").arg(m_total - kShown);
    return lines.join(QLatin1Char('\n'));
}

namespace {

bool isBreak(char c)
{
    return c == '\r' || c == '\n';
}

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

// Calls visit(line, begin, end) for each line of the bytes, the line break excluded, with the same
// numbering as splitRecords (CRLF, LF or CR each end one line). Neither encoding uses the bytes of CR
// or LF inside a character, so the bytes can be split before they are decoded.
template <typename Visit> void forEachByteLine(const char* data, qsizetype size, Visit&& visit)
{
    int line = 1;
    qsizetype start = 0;
    for (qsizetype pos = 0; pos <= size; ++pos) {
        if (pos < size && !isBreak(data[pos]))
            continue;
        qsizetype breakLength = 0;
        if (pos < size)
            breakLength = data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n' ? 2 : 1;
        visit(line, start, pos, breakLength);
        if (pos == size)
            break;
        pos += breakLength - 1;
        start = pos + 1;
        ++line;
    }
}

bool startsWithHeaderAsUtf8(const char* data, qsizetype size)
{
    qsizetype end = 0;
    while (end < size && !isBreak(data[end]))
        ++end;
    Converter utf8(CsvEncoding::Utf8);
    const std::optional<QString> first = utf8.decode(data, end);
    return first && first->trimmed().startsWith(headerColumns().front());
}

// The text of the file, each line that cannot be read reported and read as far as it goes.
QString decodeText(const char* data, qsizetype size, CsvEncoding encoding, ProblemList& problems)
{
    Converter converter(encoding);
    if (std::optional<QString> whole = converter.decode(data, size))
        return *whole;
    QString text;
    forEachByteLine(data, size, [&](int line, qsizetype begin, qsizetype end, qsizetype breakLength) {
        QByteArray bad;
        if (std::optional<QString> part = converter.decode(data + begin, end - begin, &bad)) {
            text += *part;
        } else {
            problems.add(line, QStringLiteral("%1 として読めない文字があります（バイト %2）。")
                                   .arg(encodingName(encoding), hexBytes(bad)));
            text += converter.decodeLossy(data + begin, end - begin);
        }
        text += QString::fromLatin1(data + end, breakLength);
    });
    return text;
}

std::optional<QDate> readDate(const QString& field)
{
    // yyyy/mm/dd as written, yyyy-mm-dd, and months and days without their leading zero.
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const QRegularExpressionMatch match = form.match(field.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
    if (!date.isValid() || date.year() < 1)
        return std::nullopt;
    return date;
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

std::optional<Money> readAmount(const QString& field, const QString& column, int line, ProblemList& problems)
{
    const ParsedAmount parsed = parseAmount(field);
    switch (parsed.status) {
    case AmountParse::Ok:
        return parsed.amount;
    case AmountParse::Empty:
        // A blank cell: nothing planned or nothing received yet.
        return Money();
    case AmountParse::OutOfRange:
        problems.add(line,
                     QStringLiteral("%1「%2」は扱える金額の範囲を超えています。").arg(column, shown(field)));
        return std::nullopt;
    case AmountParse::NotNumber:
        break;
    }
    if (hasTooManyDecimals(field))
        problems.add(line, QStringLiteral("%1「%2」は小数が4桁を超えています。").arg(column, shown(field)));
    else
        problems.add(line, QStringLiteral("%1「%2」は数値ではありません。").arg(column, shown(field)));
    return std::nullopt;
}

bool isBlankRecord(const QStringList& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); });
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

void readLine(const CsvRecord& record, int columns, CsvContent& content)
{
    ProblemList& problems = content.problems;
    const QStringList& f = record.fields;
    if (f.size() != columns) {
        problems.add(record.line,
                     QStringLiteral("項目の数が %1 個です（%2 個のはずです）。").arg(f.size()).arg(columns));
        return;
    }
    const int before = problems.total();
    const std::optional<QDate> date = readDate(f[0]);
    if (!date)
        problems.add(
            record.line,
            QStringLiteral("日付「%1」が正しくありません（yyyy/mm/dd の形の、ある日付）。").arg(shown(f[0])));
    if (f[1].trimmed().isEmpty())
        problems.add(record.line, QStringLiteral("入金先名が空です。"));
    const std::optional<Money> planned = readAmount(f[2], headerColumns()[2], record.line, problems);
    const std::optional<Money> received = readAmount(f[3], headerColumns()[3], record.line, problems);
    if (problems.total() != before)
        return;
    // The name is kept exactly: payers are matched by the whole name, blanks included.
    content.lines.push_back({record.line, *date, f[1], *planned, *received});
}

} // namespace

CsvContent readScheduleCsv(const QByteArray& bytes, std::optional<CsvEncoding> encoding)
{
    CsvContent content;
    const char* data = bytes.constData();
    qsizetype size = bytes.size();
    const bool bom = bytes.startsWith(kUtf8Bom);
    if (bom && encoding != CsvEncoding::Cp932) {
        data += kUtf8Bom.size();
        size -= kUtf8Bom.size();
    }
    if (std::all_of(data, data + size, [](char c) { return c == ' ' || c == '\t' || isBreak(c); })) {
        content.problems.add(0, QStringLiteral("ファイルが空です。"));
        return content;
    }

    std::optional<QString> text;
    if (encoding) {
        content.encoding = *encoding;
    } else if (text = Converter(CsvEncoding::Utf8).decode(data, size); text) {
        content.encoding = CsvEncoding::Utf8;
    } else {
        // Not UTF-8 throughout: a UTF-8 file with a damaged byte still has its byte-order mark or a UTF-8
        // header, and is better reported line by line as UTF-8 than read whole as Shift_JIS.
        content.encoding = bom || startsWithHeaderAsUtf8(data, size) ? CsvEncoding::Utf8 : CsvEncoding::Cp932;
    }
    if (!text)
        text = decodeText(data, size, content.encoding, content.problems);

    SplitText split = splitRecords(*text);
    for (const CsvSyntaxError& error : split.errors)
        content.problems.add(error.line, error.reason);
    auto record = split.records.begin();
    while (record != split.records.end() && isBlankRecord(record->fields))
        ++record;
    if (record == split.records.end()) {
        if (content.problems.isEmpty())
            content.problems.add(0, QStringLiteral("ファイルが空です。"));
        return content;
    }
    const int columns = headerColumnCount(record->fields);
    if (columns == 0) {
        content.problems.add(
            record->line,
            QStringLiteral("見出しが「%1」ではありません。").arg(headerColumns().join(QLatin1Char(','))));
        return content;
    }
    content.lines.reserve(split.records.size());
    for (++record; record != split.records.end(); ++record) {
        if (!isBlankRecord(record->fields))
            readLine(*record, columns, content);
    }
    return content;
}

} // namespace csv
