#include "bank/zengin_record.h"

#include <algorithm>

namespace bank {

std::optional<QDate> decodeEraDate(QByteArrayView yymmdd, const QDate& near)
{
    if (yymmdd == QByteArrayView("000000") ||
        std::all_of(yymmdd.begin(), yymmdd.end(), [](char c) { return c == ' '; }))
        return QDate();
    if (yymmdd.size() != 6 ||
        !std::all_of(yymmdd.begin(), yymmdd.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto two = [&](int at) { return (yymmdd[at] - '0') * 10 + (yymmdd[at + 1] - '0'); };
    const int yy = two(0), mm = two(2), dd = two(4);
    const QDate reiwa(2018 + yy, mm, dd);
    const QDate heisei(1988 + yy, mm, dd);
    const bool reiwaValid = reiwa.isValid() && reiwa >= QDate(2019, 5, 1);
    const bool heiseiValid = heisei.isValid() && heisei >= QDate(1989, 1, 8) && heisei <= QDate(2019, 4, 30);
    if (reiwaValid && heiseiValid)
        return std::abs(reiwa.daysTo(near)) <= std::abs(heisei.daysTo(near)) ? reiwa : heisei;
    if (reiwaValid)
        return reiwa;
    if (heiseiValid)
        return heisei;
    return std::nullopt;
}

namespace {

QString kindName(char kind)
{
    switch (kind) {
    case '1':
        return QStringLiteral("ヘッダー");
    case '2':
        return QStringLiteral("データ");
    case '8':
        return QStringLiteral("トレーラ");
    case '9':
        return QStringLiteral("エンド");
    default:
        return {};
    }
}

bool isBlank(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' '; });
}

} // namespace

QString recordName(int number, char kind)
{
    const QString kindText = kindName(kind);
    return kindText.isEmpty() ? QStringLiteral("%1 件目のレコード").arg(number)
                              : QStringLiteral("%1 件目のレコード（%2）").arg(number).arg(kindText);
}

void refuseRecord(int number, char kind, const QString& reason)
{
    throw BankFileError(recordName(number, kind) + QStringLiteral(": ") + reason);
}

bool isDigits(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Records as the banks write them: each followed by CR LF (LF alone and a last record without its
// break are let pass), or back to back with nothing between them. Some transfer programs end a file
// with the old end-of-file mark 0x1A.
std::vector<QByteArrayView> splitRecords(const QByteArray& bytes)
{
    QByteArrayView data(bytes);
    while (!data.isEmpty() && data.back() == '\x1A')
        data.chop(1);
    // A file without breaks may still end in one.
    if (data.endsWith("\r\n") && !data.chopped(2).contains('\n'))
        data.chop(2);
    std::vector<QByteArrayView> records;
    if (data.contains('\n')) {
        while (!data.isEmpty()) {
            const qsizetype end = data.indexOf('\n');
            QByteArrayView line = end < 0 ? data : data.first(end);
            data = end < 0 ? QByteArrayView() : data.sliced(end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            records.push_back(line);
        }
        while (!records.empty() && records.back().isEmpty())
            records.pop_back();
    } else {
        for (qsizetype at = 0; at < data.size(); at += kRecordBytes)
            records.push_back(data.sliced(at, std::min(kRecordBytes, data.size() - at)));
    }
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].size() != kRecordBytes)
            refuseRecord(
                int(i) + 1, records[i].isEmpty() ? ' ' : records[i][0],
                QStringLiteral("長さが %1 バイトです（200 バイトのはずです）。").arg(records[i].size()));
    return records;
}

RecordReader::RecordReader(const QDate& today, QStringList& warnings)
    : m_reference(today), m_warnings(warnings), m_cp932(csv::CsvEncoding::Cp932)
{
}

void RecordReader::at(int number, QByteArrayView record)
{
    m_number = number;
    m_record = record;
}

void RecordReader::fail(const QString& reason) const
{
    refuseRecord(m_number, kind(), reason);
}

void RecordReader::warn(const QString& reason)
{
    m_warnings << recordName(m_number, kind()) + QStringLiteral(": ") + reason;
}

std::optional<qint64> RecordReader::number(int pos, int len, QStringView name, bool optional) const
{
    const QByteArrayView bytes = field(pos, len);
    if (optional && isBlank(bytes))
        return std::nullopt;
    if (!isDigits(bytes))
        fail(QStringLiteral("%1「%2」が数字ではありません。").arg(name, QString::fromLatin1(bytes)));
    return bytes.toByteArray().toLongLong();
}

Money RecordReader::amount(int pos, int len, QStringView name) const
{
    return Money::fromYen(*number(pos, len, name));
}

std::optional<Money> RecordReader::optionalAmount(int pos, int len, QStringView name) const
{
    const std::optional<qint64> value = number(pos, len, name, true);
    return value ? std::optional(Money::fromYen(*value)) : std::nullopt;
}

QString RecordReader::digits(int pos, int len, QStringView name) const
{
    return number(pos, len, name, true) ? QString::fromLatin1(field(pos, len)) : QString();
}

QString RecordReader::text(int pos, int len, QStringView name)
{
    QByteArrayView bytes = field(pos, len);
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    QByteArray bad;
    const std::optional<QString> decoded = m_cp932.decode(bytes.data(), bytes.size(), &bad);
    if (!decoded)
        fail(QStringLiteral("%1に読めない文字があります（バイト %2）。")
                 .arg(name, QString::fromLatin1(bad.toHex(' ').toUpper())));
    return *decoded;
}

QDate RecordReader::date(int pos, QStringView name)
{
    const QByteArrayView bytes = field(pos, 6);
    const std::optional<QDate> date = decodeEraDate(bytes, m_reference);
    if (!date)
        fail(QStringLiteral("%1「%2」が日付ではありません（和暦の年月日 YYMMDD）。")
                 .arg(name, QString::fromLatin1(bytes)));
    if (date->isValid() && m_created.isValid() && std::abs(date->daysTo(m_created)) > 366)
        warn(QStringLiteral("%1 %2 がファイルの作成日 %3 から1年以上離れています。")
                 .arg(name, date->toString(QStringLiteral("yyyy/MM/dd")),
                      m_created.toString(QStringLiteral("yyyy/MM/dd"))));
    return *date;
}

void RecordReader::setCreated(const QDate& created)
{
    m_created = created;
    if (created.isValid())
        m_reference = created;
}

} // namespace bank
