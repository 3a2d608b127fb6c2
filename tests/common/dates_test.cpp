#include "common/dates.h"

#include <gtest/gtest.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(Dates, TextFormsAndParsing)
{
    const QDate date(2005, 12, 1);
    EXPECT_EQ(toSlashDate(date), s("2005/12/01"));
    EXPECT_EQ(toSlashDateTime(date), s("2005/12/01 00:00:00"));
    EXPECT_EQ(toCompactDate(date), s("20051201"));
    EXPECT_EQ(toTwoDigitDay(QDate(2005, 4, 5)), s("05"));
    EXPECT_EQ(toSlashDate(QDate()), QString());

    EXPECT_EQ(parseDateText(s("2005/12/01")), date);
    EXPECT_EQ(parseDateText(s(" 2005/1/9 ")), QDate(2005, 1, 9));
    EXPECT_EQ(parseDateText(s("2005-12-01")), date);
    EXPECT_EQ(parseDateText(s("20051201")), date);
    EXPECT_EQ(parseDateText(s("2005/12/01 00:00:00")), date);
    EXPECT_EQ(parseDateText(s("2005-12-01T13:45:00")), date);
    for (const char* bad : {"", "2005/02/30", "2005/13/01", "2005/12-01", "05/12/01", "2005/12/01x",
                            "0000/01/01", "2005120", "abc"})
        EXPECT_FALSE(parseDateText(s(bad)).has_value()) << bad;
}

TEST(Dates, AddToDateMovesByMonthsKeepingTheDayWherePossible)
{
    const QString m = s("m");
    EXPECT_EQ(addToDate(s("2005/01/31"), m, 1), s("2005/02/28"));
    EXPECT_EQ(addToDate(s("2004/01/31"), m, 1), s("2004/02/29"));
    EXPECT_EQ(addToDate(s("2005/03/31"), m, -1), s("2005/02/28"));
    EXPECT_EQ(addToDate(s("2005/12/31"), m, 1), s("2006/01/31"));
    EXPECT_EQ(addToDate(s("2006/03/31"), m, -1), s("2006/02/28"));
    EXPECT_EQ(addToDate(s("2006/01/15"), m, -1), s("2005/12/15"));
    EXPECT_EQ(addToDate(s("20060115"), m, 25), s("2008/02/15"));
    EXPECT_EQ(addToDate(s("2005/01/31"), s("d"), 1), s("2005/02/01"));
    EXPECT_EQ(addToDate(s("2004/02/29"), s("yyyy"), 1), s("2005/02/28"));

    EXPECT_TRUE(addToDate(QString(), m, 1).isNull()) << "an unset value stays unset";
    EXPECT_EQ(addToDate(s(""), m, 1), s(""));
    EXPECT_EQ(addToDate(s("not a date"), m, 1), QString());
    EXPECT_EQ(addToDate(s("2005/01/31"), s("q"), 1), QString());
    EXPECT_EQ(addToDate(s("9999/12/01"), m, 1), QString()) << "no five-digit years";
}

TEST(Dates, MonthRangeAndDayCounts)
{
    auto range = [](const char* text) {
        const auto r = monthRange(s(text));
        return r ? r->first + QLatin1Char('-') + r->last : QStringLiteral("unset");
    };
    EXPECT_EQ(range("2005/02/14"), s("2005/02/01-2005/02/28"));
    EXPECT_EQ(range("2004/02/14"), s("2004/02/01-2004/02/29"));
    EXPECT_EQ(range("2000/02/10"), s("2000/02/01-2000/02/29"));
    EXPECT_EQ(range("1900/02/10"), s("1900/02/01-1900/02/28"));
    EXPECT_EQ(range("2005/4/3"), s("2005/04/01-2005/04/30"));
    EXPECT_EQ(range(""), s("unset"));
    EXPECT_EQ(range("garbage"), s("unset"));

    EXPECT_EQ(daysInMonth(QString()), 0);
    EXPECT_EQ(daysInMonth(s("2005/04/30")), 30);
    EXPECT_EQ(daysInMonth(s("2005/12/01")), 31);
    EXPECT_EQ(daysInMonth(s("2005/07/01")), 31);
    EXPECT_EQ(daysInMonth(s("2005/08/01")), 31);
    EXPECT_EQ(daysInMonth(s("2005/09/01")), 30);
    EXPECT_EQ(daysInMonth(s("1900/02/01")), 28);
    EXPECT_EQ(daysInMonth(s("2000/02/01")), 29);
    EXPECT_EQ(daysInMonth(s("2004/02/01")), 29);
    EXPECT_EQ(daysInMonth(s("2100/02/01")), 28);
}

TEST(Dates, MonthFormatChoiceDiffersOnlyForUnknownEraValues)
{
    const QString western = s("yyyy年mm月"), era = s("ggg ee年mm月");
    EXPECT_EQ(monthDisplayFormat(s("西暦")), western);
    EXPECT_EQ(monthDisplayFormat(s("和暦")), era);
    EXPECT_EQ(monthDisplayFormat(s("西暦"), MonthUse::Printout), western);
    EXPECT_EQ(monthDisplayFormat(s("和暦"), MonthUse::Printout), era);
    EXPECT_EQ(monthDisplayFormat(QString()), era);
    EXPECT_EQ(monthDisplayFormat(QString(), MonthUse::Printout), western);
}

TEST(Dates, FormatsMonthsInBothCalendars)
{
    const QString era = s("ggg ee年mm月");
    EXPECT_EQ(formatMonth(QDate(2024, 5, 17), s("yyyy年mm月")), s("2024年05月"));
    EXPECT_EQ(formatMonth(QDate(2019, 5, 1), era), s("令和 01年05月"));
    EXPECT_EQ(formatMonth(QDate(2019, 4, 30), era), s("平成 31年04月"));
    EXPECT_EQ(formatMonth(QDate(1989, 1, 7), era), s("昭和 64年01月"));
    EXPECT_EQ(formatMonth(QDate(1989, 1, 8), era), s("平成 01年01月"));
    EXPECT_EQ(formatMonth(QDate(2024, 12, 31), era), s("令和 06年12月"));
    EXPECT_EQ(formatMonth(QDate(1926, 12, 25), era), s("昭和 01年12月"));
    EXPECT_EQ(formatMonth(QDate(1926, 12, 24), era), s("大正 15年12月"));
    EXPECT_EQ(formatMonth(QDate(), era), QString());

    const auto meiji = japaneseEraOf(QDate(1900, 1, 1));
    ASSERT_TRUE(meiji.has_value());
    EXPECT_EQ(meiji->eraName, s("明治"));
    EXPECT_EQ(meiji->yearInEra, 33);
}

TEST(MonthText, WesternAndEraFormsReadAsTheSameMonthAndAnythingElseIsRefused)
{
    const QDate may2024(2024, 5, 14);
    for (const char* typed : {"2024年05月", "202405", "2024/5", "２０２４年５月", " 2024-05 ",
                              "令和 06年05月", "令和6年5月", "令和０６年０５月"})
        EXPECT_EQ(parseMonthText(QString::fromUtf8(typed), 14), may2024) << typed;
    // 元年 is the first year of an era; a month before the era began is not in it.
    EXPECT_EQ(parseMonthText(QStringLiteral("令和元年5月"), 1), QDate(2019, 5, 1));
    EXPECT_EQ(parseMonthText(QStringLiteral("平成31年4月"), 1), QDate(2019, 4, 1));
    EXPECT_FALSE(parseMonthText(QStringLiteral("令和元年4月"), 1));
    // The day is kept inside the month.
    EXPECT_EQ(parseMonthText(QStringLiteral("2024/2"), 31), QDate(2024, 2, 29));
    EXPECT_EQ(parseMonthText(QStringLiteral("2024/2"), 0), QDate(2024, 2, 1));
    for (const char* typed : {"", "2024年13月", "2024年0月", "令和 06年13月", "未知 06年05月", "24/5", "abc"})
        EXPECT_FALSE(parseMonthText(QString::fromUtf8(typed), 1)) << typed;
}

TEST(Dates, AFileDateIsReadOnlyInItsSeparatedForms)
{
    EXPECT_EQ(parseSeparatedDate(s("2024/05/02")), QDate(2024, 5, 2));
    EXPECT_EQ(parseSeparatedDate(s(" 2024-05-02 ")), QDate(2024, 5, 2));
    EXPECT_EQ(parseSeparatedDate(s("2024/5/2")), QDate(2024, 5, 2));
    for (const char* bad :
         {"20240502", "2024/05/02 00:00:00", "2024-05-02T10:00", "2024/05-02", "2024/02/30", "24/5/2", ""})
        EXPECT_FALSE(parseSeparatedDate(s(bad)).has_value()) << bad;
}
