#include "bank/bank_csv.h"

#include "common/dates.h"

#include <QBuffer>

#include <algorithm>

namespace bank {

namespace {

csv::CsvEncoding encodingOf(const QByteArray& bytes, const std::optional<csv::CsvEncoding>& chosen)
{
    if (chosen)
        return *chosen;
    if (bytes.startsWith(csv::kUtf8Bom))
        return csv::CsvEncoding::Utf8;
    csv::Converter utf8(csv::CsvEncoding::Utf8);
    return utf8.decode(bytes.constData(), bytes.size()) ? csv::CsvEncoding::Utf8 : csv::CsvEncoding::Cp932;
}

[[noreturn]] void refuse(int line, const QString& reason)
{
    throw BankFileError(QStringLiteral("%1 行目: %2").arg(line).arg(reason));
}

// Reads the records of the file decoded, blank ones passed over.
class DecodedRecords
{
public:
    DecodedRecords(const QByteArray& bytes, csv::CsvEncoding encoding)
        : m_bytes(bytes), m_converter(encoding), m_records(m_buffer)
    {
        m_buffer.setData(m_bytes);
        m_buffer.open(QIODevice::ReadOnly);
        if (encoding == csv::CsvEncoding::Utf8)
            m_records.skipPrefix(csv::kUtf8Bom);
    }

    // False at the end of the file.
    bool next(int& line, QStringList& fields)
    {
        csv::ByteRecord record;
        while (m_records.next(record)) {
            line = record.line;
            if (!record.error.isEmpty())
                refuse(record.line, record.error);
            fields.clear();
            for (const QByteArray& field : record.fields) {
                QByteArray bad;
                const std::optional<QString> text = m_converter.decode(field.constData(), field.size(), &bad);
                if (!text)
                    refuse(record.line, QStringLiteral("%1 として読めない文字があります（バイト %2）。")
                                            .arg(csv::encodingName(m_converter.encoding()),
                                                 QString::fromLatin1(bad.toHex(' ').toUpper())));
                fields << *text;
            }
            if (std::any_of(fields.begin(), fields.end(),
                            [](const QString& f) { return !f.trimmed().isEmpty(); }))
                return true;
        }
        if (!m_records.readError().isEmpty())
            throw BankFileError(
                QStringLiteral("ファイルを最後まで読み込めません。（%1）").arg(m_records.readError()));
        return false;
    }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    csv::Converter m_converter;
    csv::RecordStream m_records;
};

std::optional<QDate> readDate(const QString& field)
{
    QString text = field.trimmed();
    // 2025年6月30日 and 2025.06.30 as the slash form.
    text.replace(QChar(u'年'), QLatin1Char('/')).replace(QChar(u'月'), QLatin1Char('/')).remove(QChar(u'日'));
    text.replace(QLatin1Char('.'), QLatin1Char('/'));
    const std::optional<QDate> date = parseDateText(text);
    if (!date || !isKeptDate(*date))
        return std::nullopt;
    return date;
}

// The name without the bank's word for a transfer in front of it.
QString payerName(const QString& field)
{
    QString name = field.trimmed();
    for (const char16_t* word : {u"振込入金", u"振込", u"ﾌﾘｺﾐ", u"フリコミ"}) {
        const QString prefix = QString::fromUtf16(word);
        if (name.startsWith(prefix) && name.size() > prefix.size()) {
            name = name.mid(prefix.size()).trimmed();
            break;
        }
    }
    return name;
}

} // namespace

QString bankCsvLayoutKey(const QByteArray& bytes)
{
    DecodedRecords records(bytes, encodingOf(bytes, std::nullopt));
    int line = 0;
    QStringList fields;
    try {
        if (!records.next(line, fields))
            return {};
    } catch (const BankFileError&) {
        return {};
    }
    if (std::any_of(fields.begin(), fields.end(), [](const QString& f) { return readDate(f).has_value(); }))
        return QStringLiteral("項目数:%1").arg(fields.size());
    for (QString& field : fields)
        field = field.trimmed();
    return QStringLiteral("見出し:") + fields.join(QLatin1Char(','));
}

std::vector<Deposit> readBankCsv(const QByteArray& bytes, const BankCsvMapping& mapping)
{
    DecodedRecords records(bytes, encodingOf(bytes, mapping.encoding));
    const int columns = std::max({mapping.dateColumn, mapping.nameColumn, mapping.amountColumn}) + 1;
    std::vector<Deposit> deposits;
    int line = 0;
    QStringList fields;
    bool header = mapping.hasHeader;
    while (records.next(line, fields)) {
        if (header) {
            header = false;
            continue;
        }
        if (fields.size() < columns)
            refuse(line, QStringLiteral("項目が %1 個しかありません（%2 個目まで読みます）。")
                             .arg(fields.size())
                             .arg(columns));
        QString amountText = fields[mapping.amountColumn];
        amountText.remove(QChar(u'円')).remove(QChar(u'¥')).remove(QChar(u'￥'));
        const ParsedAmount amount = parseAmount(amountText);
        if (amount.status == AmountParse::Empty)
            continue;
        if (amount.status != AmountParse::Ok)
            refuse(line, QStringLiteral("入金額「%1」が金額ではありません。")
                             .arg(fields[mapping.amountColumn].trimmed()));
        if (amount.amount <= Money())
            continue;
        const std::optional<QDate> date = readDate(fields[mapping.dateColumn]);
        if (!date)
            refuse(line, QStringLiteral("日付「%1」が読めません（年月日の日付）。")
                             .arg(fields[mapping.dateColumn].trimmed()));
        Deposit deposit;
        deposit.source = DepositSource::Csv;
        deposit.record = line;
        deposit.口座番号 = mapping.account;
        deposit.取引日 = *date;
        deposit.起算日 = *date;
        deposit.金額 = amount.amount;
        deposit.振込依頼人名 = payerName(fields[mapping.nameColumn]);
        deposits.push_back(std::move(deposit));
    }
    if (line == 0)
        throw BankFileError(QStringLiteral("ファイルが空です。"));
    numberOccurrences(deposits);
    return deposits;
}

} // namespace bank
