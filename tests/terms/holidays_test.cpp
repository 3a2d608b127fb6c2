#include "terms/holidays.h"

#include <QFile>
#include <QMap>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace terms;

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The list of @holiday-jp/holiday_jp, made by data/holidays/make_holidays_tsv.py.
QMap<QDate, QString> referenceHolidays()
{
    QMap<QDate, QString> days;
    QFile file(QStringLiteral(DORIVAN_HOLIDAY_DATA "/holidays.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return days;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('#')) || line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        days.insert(QDate::fromString(fields.value(0), Qt::ISODate), fields.value(1));
    }
    return days;
}

// The list writes a substitute holiday as "文化の日 振替休日", the citizens' holiday as "休日", the 2019
// enthronement days as "休日（祝日扱い）" and leaves the person out of a ceremony's name.
bool sameHoliday(const QString& ours, const QString& listed)
{
    if (listed.endsWith(s("振替休日")))
        return ours == s("振替休日");
    if (listed == s("休日"))
        return ours == s("国民の休日");
    if (listed == s("休日（祝日扱い）"))
        return ours == s("天皇の即位の日") || ours == s("即位礼正殿の儀");
    if (listed == s("体育の日（スポーツの日）"))
        return ours == s("体育の日");
    return ours.endsWith(listed);
}

QString dates(const QList<QDate>& list)
{
    QStringList texts;
    for (const QDate& date : list)
        texts << date.toString(Qt::ISODate);
    return texts.join(QLatin1Char(' '));
}

} // namespace

TEST(Holidays, EveryYearFrom1970To2050MatchesTheReferenceList)
{
    const QMap<QDate, QString> reference = referenceHolidays();
    ASSERT_GT(reference.size(), 1300) << "tests/data/holidays/holidays.tsv could not be read";

    QList<QDate> missing;
    QList<QDate> extra;
    QList<QDate> otherName;
    int compared = 0;
    int sameName = 0;
    for (int year = 1970; year <= 2050; ++year) {
        for (const Holiday& holiday : nationalHolidays(year)) {
            ++compared;
            const QString listed = reference.value(holiday.date);
            if (listed.isNull())
                extra << holiday.date;
            else if (!sameHoliday(holiday.name, listed))
                otherName << holiday.date;
            sameName += listed == holiday.name;
        }
        for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(1)) {
            if (reference.contains(day) && !isNationalHoliday(day))
                missing << day;
        }
    }
    EXPECT_EQ(dates(missing), QString()) << "holidays of the list we do not have";
    EXPECT_EQ(dates(extra), QString()) << "holidays we have that the list does not";
    EXPECT_EQ(dates(otherName), QString()) << "holidays named otherwise";
    EXPECT_EQ(compared, reference.size());
    std::printf("compared %d holidays of 1970-2050, %d with the same name\n", compared, sameName);
}

TEST(Holidays, YearsBeyondTheReferenceListAndTheNamesItSpellsOtherwise)
{
    auto name = [](int y, int m, int d) { return nationalHolidayName(QDate(y, m, d)); };
    EXPECT_EQ(name(1959, 4, 10), s("皇太子明仁親王の結婚の儀"));
    EXPECT_EQ(name(1965, 9, 15), QString()) << "敬老の日 begins in 1966";
    EXPECT_EQ(name(1966, 9, 15), s("敬老の日"));
    EXPECT_EQ(name(1962, 9, 24), QString()) << "秋分の日 on a Sunday before substitute holidays existed";
    EXPECT_EQ(name(2019, 5, 1), s("天皇の即位の日"));
    EXPECT_EQ(name(2099, 3, 20), s("春分の日"));
    EXPECT_EQ(name(2099, 9, 23), s("秋分の日"));

    // The equinox formula's older constants, checked where the published dates are known.
    EXPECT_EQ(vernalEquinoxDay(1900), 21);
    EXPECT_EQ(autumnalEquinoxDay(1900), 23);
    EXPECT_EQ(vernalEquinoxDay(1960), 20);
    EXPECT_EQ(autumnalEquinoxDay(1960), 23);

    EXPECT_TRUE(nationalHolidays(kFirstHolidayYear - 1).empty());
    EXPECT_TRUE(nationalHolidays(kLastHolidayYear + 1).empty());
    EXPECT_FALSE(isNationalHoliday(QDate()));
    for (int year = kFirstHolidayYear; year <= kLastHolidayYear; ++year) {
        const auto& list = nationalHolidays(year);
        ASSERT_GE(list.size(), 9u) << year;
        for (std::size_t i = 1; i < list.size(); ++i)
            EXPECT_LT(list[i - 1].date, list[i].date) << "in date order, each date once: " << year;
        EXPECT_EQ(list.front().date, QDate(year, 1, 1));
        EXPECT_EQ(list.back().date.year(), year);
    }
}
