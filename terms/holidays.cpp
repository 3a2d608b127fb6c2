#include "terms/holidays.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <mutex>

namespace terms {

namespace {

// The substitute holiday exists from the amendment of 1973-04-12, the citizens' holiday from that of
// 1985-12-27; the amendment of 2007 widened both.
const QDate kSubstituteHolidaysFrom(1973, 4, 12);
const QDate kCitizensHolidaysFrom(1985, 12, 27);
constexpr int kWiderRulesFrom = 2007;

QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    return first.addDays((8 - first.dayOfWeek()) % 7 + 7 * (n - 1));
}

// The holidays the act and the special laws name, before the substitute and citizens' holidays that
// follow from them.
std::vector<Holiday> namedHolidays(int year)
{
    std::vector<Holiday> days;
    auto add = [&](int month, int day, const char* name) {
        days.push_back({QDate(year, month, day), QString::fromUtf8(name)});
    };
    auto addDate = [&](const QDate& date, const char* name) {
        days.push_back({date, QString::fromUtf8(name)});
    };

    add(1, 1, "元日");
    if (year < 2000)
        add(1, 15, "成人の日");
    else
        addDate(nthMonday(year, 1, 2), "成人の日");
    if (year >= 1967)
        add(2, 11, "建国記念の日");
    if (year >= 2020)
        add(2, 23, "天皇誕生日");
    add(3, vernalEquinoxDay(year), "春分の日");
    if (year <= 1988)
        add(4, 29, "天皇誕生日");
    else if (year < 2007)
        add(4, 29, "みどりの日");
    else
        add(4, 29, "昭和の日");
    add(5, 3, "憲法記念日");
    if (year >= 2007)
        add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");

    // The Olympic years moved 海の日, スポーツの日 and 山の日 next to the opening and closing days.
    if (year == 2020) {
        add(7, 23, "海の日");
        add(7, 24, "スポーツの日");
        add(8, 10, "山の日");
    } else if (year == 2021) {
        add(7, 22, "海の日");
        add(7, 23, "スポーツの日");
        add(8, 8, "山の日");
    } else {
        if (year >= 1996 && year < 2003)
            add(7, 20, "海の日");
        else if (year >= 2003)
            addDate(nthMonday(year, 7, 3), "海の日");
        if (year >= 2016)
            add(8, 11, "山の日");
        if (year >= 1966 && year < 2000)
            add(10, 10, "体育の日");
        else if (year >= 2000)
            addDate(nthMonday(year, 10, 2), year < 2020 ? "体育の日" : "スポーツの日");
    }
    if (year >= 1966 && year < 2003)
        add(9, 15, "敬老の日");
    else if (year >= 2003)
        addDate(nthMonday(year, 9, 3), "敬老の日");
    add(9, autumnalEquinoxDay(year), "秋分の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (year >= 1989 && year <= 2018)
        add(12, 23, "天皇誕生日");

    // Days of imperial ceremonies, each made a holiday by a law of its own.
    switch (year) {
    case 1959:
        add(4, 10, "皇太子明仁親王の結婚の儀");
        break;
    case 1989:
        add(2, 24, "昭和天皇の大喪の礼");
        break;
    case 1990:
        add(11, 12, "即位礼正殿の儀");
        break;
    case 1993:
        add(6, 9, "皇太子徳仁親王の結婚の儀");
        break;
    case 2019:
        add(5, 1, "天皇の即位の日");
        add(10, 22, "即位礼正殿の儀");
        break;
    default:
        break;
    }
    std::sort(days.begin(), days.end(), [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    return days;
}

std::vector<Holiday> computeHolidays(int year)
{
    const std::vector<Holiday> named = namedHolidays(year);
    auto isNamed = [&](const QDate& date) {
        return std::any_of(named.begin(), named.end(), [&](const Holiday& h) { return h.date == date; });
    };
    std::vector<Holiday> all = named;

    std::vector<QDate> substitutes;
    for (const Holiday& holiday : named) {
        if (holiday.date < kSubstituteHolidaysFrom || holiday.date.dayOfWeek() != Qt::Sunday)
            continue;
        QDate day = holiday.date.addDays(1);
        // Until 2007 only the Monday after, and only when it was no holiday itself; since then the
        // first day after that is no named holiday.
        if (year >= kWiderRulesFrom) {
            while (isNamed(day))
                day = day.addDays(1);
        } else if (isNamed(day)) {
            continue;
        }
        substitutes.push_back(day);
        all.push_back({day, QStringLiteral("振替休日")});
    }

    for (std::size_t i = 0; i + 1 < named.size(); ++i) {
        if (named[i].date.daysTo(named[i + 1].date) != 2)
            continue;
        const QDate between = named[i].date.addDays(1);
        if (between < kCitizensHolidaysFrom)
            continue;
        // Before 2007 a Sunday or a substitute holiday between two holidays stayed what it was.
        const bool isSubstitute =
            std::find(substitutes.begin(), substitutes.end(), between) != substitutes.end();
        if (year < kWiderRulesFrom && (between.dayOfWeek() == Qt::Sunday || isSubstitute))
            continue;
        if (!isSubstitute)
            all.push_back({between, QStringLiteral("国民の休日")});
    }
    std::sort(all.begin(), all.end(), [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    return all;
}

struct YearHolidays
{
    std::once_flag computed;
    std::vector<Holiday> list;
    std::bitset<367> byDayOfYear;
};

YearHolidays& yearHolidays(int year)
{
    static std::array<YearHolidays, kLastHolidayYear - kFirstHolidayYear + 1> years;
    YearHolidays& entry = years[std::size_t(year - kFirstHolidayYear)];
    std::call_once(entry.computed, [&] {
        entry.list = computeHolidays(year);
        for (const Holiday& holiday : entry.list)
            entry.byDayOfYear.set(std::size_t(holiday.date.dayOfYear()));
    });
    return entry;
}

bool isCoveredYear(int year)
{
    return year >= kFirstHolidayYear && year <= kLastHolidayYear;
}

// The formula's constants (in millionths of a day) hold for 1900-1979 and 1980-2099; integers keep the
// result free of rounding at the day boundary.
int equinoxDay(int year, std::int64_t earlyBase, std::int64_t lateBase)
{
    const std::int64_t yearsFrom1980 = year - 1980;
    const std::int64_t base = year < 1980 ? earlyBase : lateBase;
    const std::int64_t leapDays = year < 1980 ? (year - 1983) / 4 : (year - 1980) / 4;
    return int((base + 242194 * yearsFrom1980 - 1000000 * leapDays) / 1000000);
}

} // namespace

int vernalEquinoxDay(int year)
{
    return equinoxDay(year, 20835700, 20843100);
}

int autumnalEquinoxDay(int year)
{
    return equinoxDay(year, 23258800, 23248800);
}

const std::vector<Holiday>& nationalHolidays(int year)
{
    static const std::vector<Holiday> none;
    return isCoveredYear(year) ? yearHolidays(year).list : none;
}

bool isNationalHoliday(const QDate& date)
{
    return date.isValid() && isCoveredYear(date.year()) &&
           yearHolidays(date.year()).byDayOfYear.test(std::size_t(date.dayOfYear()));
}

QString nationalHolidayName(const QDate& date)
{
    if (!isNationalHoliday(date))
        return {};
    for (const Holiday& holiday : nationalHolidays(date.year())) {
        if (holiday.date == date)
            return holiday.name;
    }
    return {};
}

} // namespace terms
