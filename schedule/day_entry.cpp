#include "schedule/day_entry.h"

#include "common/dates.h"
#include "common/full_width.h"

#include <QRegularExpression>

#include <cmath>

namespace schedule {

DayEntry completeDay(const QDate& month, const QString& typed)
{
    const QString text = foldFullWidth(typed).trimmed();
    DayEntry entry;
    if (text.isEmpty())
        return entry;
    entry.kind = DayEntry::Kind::Clear;

    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    entry.reason = DayEntry::Reason::NotANumber;
    if (!number.match(text).hasMatch())
        return entry;
    entry.reason = DayEntry::Reason::NotADay;
    if (!month.isValid())
        return entry;
    const double value = text.toDouble();
    // Only a whole day of the displayed month makes a date; 0, negatives and fractions do not.
    if (!std::isfinite(value) || value != std::floor(value) || value < 1 || value > month.daysInMonth())
        return entry;
    const int day = int(value);
    entry.kind = DayEntry::Kind::SetDate;
    entry.reason = DayEntry::Reason::None;
    entry.date = QDate(month.year(), month.month(), day);
    // The day in one form whether typed or loaded: "01", never "1" beside a loaded "01".
    entry.cellText = toTwoDigitDay(entry.date);
    return entry;
}

} // namespace schedule
