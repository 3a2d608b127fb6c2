#include "bank/deposit.h"

#include <QHash>
#include <QStringList>

namespace bank {

namespace {

QString withoutLeadingZeros(const QString& digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits[i] == QLatin1Char('0'))
        ++i;
    return digits.mid(i);
}

} // namespace

QString depositKey(const Deposit& deposit)
{
    // The unit separator cannot occur in any decoded field, so no two different deposits join into the
    // same text.
    const QChar separator(0x1F);
    return QStringList{deposit.銀行コード,
                       withoutLeadingZeros(deposit.支店コード),
                       withoutLeadingZeros(deposit.口座番号),
                       withoutLeadingZeros(deposit.照会番号),
                       deposit.取引日.toString(Qt::ISODate),
                       QString::number(deposit.金額.raw()),
                       deposit.振込依頼人名.trimmed(),
                       QString::number(deposit.occurrence)}
        .join(separator);
}

void numberOccurrences(std::vector<Deposit>& deposits)
{
    QHash<QString, int> seen;
    for (Deposit& deposit : deposits) {
        deposit.occurrence = 1;
        deposit.occurrence = ++seen[depositKey(deposit)];
    }
}

} // namespace bank
