#include "csv/csv_export.h"

#include "common/dates.h"
#include "storage/database.h"

#include <QSet>

#include <optional>

namespace csv {

namespace {

constexpr QLatin1StringView kLineEnd("\r\n");

QString amountField(const Value& value)
{
    const std::optional<Money> amount = value.toMoney();
    return amount ? plainAmountText(*amount) : QString();
}

QString dateField(const Value& value)
{
    if (const std::optional<QDate> date = value.toDate())
        return toSlashDate(*date);
    // A date that is not one is passed on as stored rather than dropped with its row.
    return value.toText();
}

QString refusedPayer(int fileLine, const QString& date, const QString& payer, const QString& refused)
{
    return QStringLiteral("%1行目（%2、%3）の入金先名に、Shift_JIS（CP932）で書けない文字「%4」があります。"
                          "入金先名を直すか、UTF-8 で書き出してください。何も書き出していません。")
        .arg(fileLine)
        .arg(date, payer, refused);
}

// The text of a file being written, line by line, and the check that the chosen encoding can hold
// every payer name (the only field that is not ASCII).
class FileText
{
public:
    FileText(CsvEncoding encoding, const QStringList& header)
        : m_text(header.join(QLatin1Char(',')) + kLineEnd)
    {
        if (encoding == CsvEncoding::Cp932)
            m_cp932.emplace(CsvEncoding::Cp932);
    }

    // Starts the next data line with its date and payer. False, with the reason in *error, when the
    // encoding cannot hold the name.
    bool startLine(const QString& date, const QString& payer, QString* error)
    {
        ++m_rows;
        if (m_cp932 && !m_checkedPayers.contains(payer)) {
            qsizetype at = 0;
            if (!m_cp932->encode(payer, &at)) {
                const qsizetype width = payer.at(at).isHighSurrogate() ? 2 : 1;
                *error = refusedPayer(m_rows + 1, date, payer, payer.mid(at, width));
                return false;
            }
            m_checkedPayers.insert(payer);
        }
        appendField(m_text, date);
        m_text += QLatin1Char(',');
        appendField(m_text, payer);
        return true;
    }
    void addField(const QString& field)
    {
        m_text += QLatin1Char(',');
        m_text += field;
    }
    void endLine() { m_text += kLineEnd; }

    ExportResult result()
    {
        ExportResult done;
        done.rows = m_rows;
        // Every name was checked as its line began and the rest is ASCII: the whole text converts.
        done.bytes = m_cp932 ? *m_cp932->encode(m_text) : kUtf8Bom + m_text.toUtf8();
        return done;
    }

private:
    QString m_text;
    std::optional<Converter> m_cp932;
    QSet<QString> m_checkedPayers;
    int m_rows = 0;
};

ExportResult refused(const QString& error)
{
    ExportResult result;
    result.error = error;
    return result;
}

} // namespace

ExportResult exportSchedule(Database& db, const ExportRange& range, CsvEncoding encoding)
{
    // An open end reads every row on that side, undated rows included when both ends are open. The
    // upper end is the first day of the next month, so that a stored date with a time of day counts.
    const QDate from =
        range.fromMonth.isValid() ? QDate(range.fromMonth.year(), range.fromMonth.month(), 1) : QDate();
    const QDate before = range.toMonth.isValid()
                             ? QDate(range.toMonth.year(), range.toMonth.month(), 1).addMonths(1)
                             : QDate();
    const char* statement = nullptr;
    Params params;
    if (from.isValid() && before.isValid()) {
        statement = "select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表"
                    " where 日付 >= ? and 日付 < ? order by 日付, 行番号";
        params = {Value(from), Value(before)};
    } else if (from.isValid()) {
        statement = "select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表"
                    " where 日付 >= ? order by 日付, 行番号";
        params = {Value(from)};
    } else if (before.isValid()) {
        statement = "select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表"
                    " where 日付 < ? order by 日付, 行番号";
        params = {Value(before)};
    } else {
        statement = "select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表 order by 日付, 行番号";
    }

    FileText file(encoding, headerColumns());
    RowWalk rows(db, statement, params);
    while (rows.next()) {
        QString error;
        if (!file.startLine(dateField(rows.value(0)), rows.value(1).toText(), &error))
            return refused(error);
        for (int column = 2; column <= 4; ++column)
            file.addField(amountField(rows.value(column)));
        file.endLine();
    }
    return file.result();
}

ExportResult exportOpenRows(const std::vector<schedule::OpenRow>& rows, const QDate& asOf,
                            CsvEncoding encoding)
{
    static const QStringList header = {QStringLiteral("日付"),     QStringLiteral("入金先名"),
                                       QStringLiteral("予定額"),   QStringLiteral("入金額"),
                                       QStringLiteral("未入金額"), QStringLiteral("経過日数")};
    FileText file(encoding, header);
    for (const schedule::OpenRow& row : rows) {
        QString error;
        if (!file.startLine(toSlashDate(row.日付), row.入金先名, &error))
            return refused(error);
        file.addField(plainAmountText(row.予定額));
        file.addField(plainAmountText(row.入金額));
        file.addField(plainAmountText(row.未入金額()));
        file.addField(QString::number(row.経過日数(asOf)));
        file.endLine();
    }
    return file.result();
}

} // namespace csv
