#pragma once

#include <QDate>
#include <QString>

#include <vector>

// Japan's national holidays, computed from the holidays act and its amendments (the moved Monday
// holidays, the substitute holiday and the citizens' holiday), the equinox days by the usual
// astronomical formula, and the one-off holidays of imperial ceremonies and of the Olympic years.
namespace terms {

// The years the rules cover; outside them no day is a national holiday.
inline constexpr int kFirstHolidayYear = 1955;
inline constexpr int kLastHolidayYear = 2099;

struct Holiday
{
    QDate date;
    QString name; // 元日, 振替休日, 国民の休日, …
};

// The year's national holidays in date order. Computed once per year and kept for the life of the
// process; safe to call from several threads.
const std::vector<Holiday>& nationalHolidays(int year);

bool isNationalHoliday(const QDate& date);
// The holiday's name, or an empty text for a day that is none.
QString nationalHolidayName(const QDate& date);

// The day of March (春分日) and of September (秋分日) of the equinoxes, 1900 to 2099.
int vernalEquinoxDay(int year);
int autumnalEquinoxDay(int year);

} // namespace terms
