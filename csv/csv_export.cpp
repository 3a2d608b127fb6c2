#include "csv/csv_export.h"

#include "common/dates.h"
#include "storage/database.h"

#include <SQLiteCpp/Statement.h>

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

// Leaves the statement idle whatever happens while it is stepped.
struct ResetOnExit
{
    SQLite::Statement& statement;
    ~ResetOnExit()
    {
        try {
            statement.reset();
        } catch (...) {
        }
    }
};

QString refusedPayer(int fileLine, const QString& date, const QString& payer, const QString& refused)
{
    return QStringLiteral("%1行目（%2、%3）の入金先名に、Shift_JIS（CP932）で書けない文字「%4」があります。"
                          "入金先名を直すか、UTF-8 で書き出してください。何も書き出していません。")
        .arg(fileLine)
        .arg(date, payer, refused);
}

} // namespace

ExportResult exportSchedule(Database& db, const ExportRange& range, CsvEncoding encoding)
{
    std::string statement = "select 日付, 入金先名, 予定額, 入金額, 残高 from 入金予定表";
    Params params;
    if (range.fromMonth.isValid()) {
        statement += " where 日付 >= ?";
        params.push_back(Value(QDate(range.fromMonth.year(), range.fromMonth.month(), 1)));
    }
    if (range.toMonth.isValid()) {
        // Before the first day of the next month, so that a stored date with a time of day still counts.
        statement += params.empty() ? " where 日付 < ?" : " and 日付 < ?";
        params.push_back(Value(QDate(range.toMonth.year(), range.toMonth.month(), 1).addMonths(1)));
    }
    statement += " order by 日付, 行番号";

    std::optional<Converter> cp932;
    if (encoding == CsvEncoding::Cp932)
        cp932.emplace(CsvEncoding::Cp932);
    QSet<QString> checkedPayers;

    ExportResult result;
    QString text = headerColumns().join(QLatin1Char(',')) + kLineEnd;
    SQLite::Statement& rows = db.prepare(statement, params);
    ResetOnExit idle{rows};
    try {
        while (rows.executeStep()) {
            const QString date = dateField(columnValue(rows, 0));
            const QString payer = columnValue(rows, 1).toText();
            ++result.rows;
            if (cp932 && !checkedPayers.contains(payer)) {
                qsizetype at = 0;
                if (!cp932->encode(payer, &at)) {
                    const qsizetype width = payer.at(at).isHighSurrogate() ? 2 : 1;
                    result.error = refusedPayer(result.rows + 1, date, payer, payer.mid(at, width));
                    result.rows = 0;
                    return result;
                }
                checkedPayers.insert(payer);
            }
            appendField(text, date);
            text += QLatin1Char(',');
            appendField(text, payer);
            for (int column = 2; column <= 4; ++column) {
                text += QLatin1Char(',');
                text += amountField(columnValue(rows, column));
            }
            text += kLineEnd;
        }
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& e) {
        db.rethrow(e);
    }

    if (cp932) {
        // Every name was checked above and the rest is ASCII: the whole text converts.
        result.bytes = *cp932->encode(text);
    } else {
        result.bytes = kUtf8Bom + text.toUtf8();
    }
    return result;
}

} // namespace csv
