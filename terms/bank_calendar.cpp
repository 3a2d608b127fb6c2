#include "terms/bank_calendar.h"

#include "terms/holidays.h"

#include <utility>

namespace terms {

BankCalendar::BankCalendar(QSet<QDate> extraClosingDays) : m_extraClosingDays(std::move(extraClosingDays)) {}

bool BankCalendar::isBusinessDay(const QDate& date) const
{
    if (date.dayOfWeek() >= Qt::Saturday)
        return false;
    const int month = date.month();
    const int day = date.day();
    // The banks' own year-end closing, on top of 元日.
    if ((month == 12 && day == 31) || (month == 1 && (day == 2 || day == 3)))
        return false;
    return !isNationalHoliday(date) && !m_extraClosingDays.contains(date);
}

QDate BankCalendar::businessDayOnOrBefore(QDate date) const
{
    while (date.isValid() && !isBusinessDay(date))
        date = date.addDays(-1);
    return date;
}

QDate BankCalendar::businessDayOnOrAfter(QDate date) const
{
    while (date.isValid() && !isBusinessDay(date))
        date = date.addDays(1);
    return date;
}

QDate BankCalendar::shifted(const QDate& date, HolidayShift shift) const
{
    switch (shift) {
    case HolidayShift::Before:
        return businessDayOnOrBefore(date);
    case HolidayShift::After:
        return businessDayOnOrAfter(date);
    case HolidayShift::Keep:
        break;
    }
    return date;
}

} // namespace terms
