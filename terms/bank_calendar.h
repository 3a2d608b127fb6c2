#pragma once

#include "terms/payment_terms.h"

#include <QDate>
#include <QSet>

// The days the banks do business: not a Saturday or Sunday, not a national holiday, not one of the
// banks' year-end days (12/31, 1/2, 1/3), and not a day the company's own bank closes besides.
namespace terms {

class BankCalendar
{
public:
    explicit BankCalendar(QSet<QDate> extraClosingDays = {});

    bool isBusinessDay(const QDate& date) const;
    // The date itself when the banks are open, else the nearest business day before or after it.
    QDate businessDayOnOrBefore(QDate date) const;
    QDate businessDayOnOrAfter(QDate date) const;
    // Moves a date off a closed day as the 休日 rule of the terms says.
    QDate shifted(const QDate& date, HolidayShift shift) const;

private:
    QSet<QDate> m_extraClosingDays;
};

} // namespace terms
