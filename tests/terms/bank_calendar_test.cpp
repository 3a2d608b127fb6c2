#include "terms/bank_calendar.h"

#include <gtest/gtest.h>

using namespace terms;

TEST(BankCalendar, ClosedOnWeekendsHolidaysYearEndAndTheBanksOwnDays)
{
    const BankCalendar calendar;
    EXPECT_TRUE(calendar.isBusinessDay(QDate(2025, 4, 30))) << "a Wednesday";
    EXPECT_FALSE(calendar.isBusinessDay(QDate(2025, 5, 3))) << "a Saturday";
    EXPECT_FALSE(calendar.isBusinessDay(QDate(2025, 5, 4))) << "a Sunday";
    EXPECT_FALSE(calendar.isBusinessDay(QDate(2025, 4, 29))) << "昭和の日";
    EXPECT_FALSE(calendar.isBusinessDay(QDate(2026, 9, 22))) << "国民の休日";
    for (const QDate& day : {QDate(2025, 12, 31), QDate(2026, 1, 1), QDate(2026, 1, 2), QDate(2027, 1, 2),
                             QDate(2025, 1, 3), QDate(1950, 1, 3), QDate(2150, 12, 31)})
        EXPECT_FALSE(calendar.isBusinessDay(day)) << day.toString(Qt::ISODate).toStdString();
    EXPECT_TRUE(calendar.isBusinessDay(QDate(2025, 12, 30)));
    EXPECT_TRUE(calendar.isBusinessDay(QDate(2025, 1, 6)));
    EXPECT_TRUE(calendar.isBusinessDay(QDate(2100, 3, 22))) << "beyond the holiday years, weekdays count";

    const BankCalendar ownBank({QDate(2025, 4, 30), QDate(2025, 8, 15)});
    EXPECT_FALSE(ownBank.isBusinessDay(QDate(2025, 4, 30)));
    EXPECT_FALSE(ownBank.isBusinessDay(QDate(2025, 8, 15)));
    EXPECT_TRUE(ownBank.isBusinessDay(QDate(2025, 8, 14)));
}

TEST(BankCalendar, ShiftsFindTheNearestOpenDayEachWay)
{
    // Golden Week 2025: 5/3 Sat to 5/6 substitute holiday, 5/7 closed by the bank itself.
    const BankCalendar calendar({QDate(2025, 5, 7)});
    EXPECT_EQ(calendar.shifted(QDate(2025, 5, 4), HolidayShift::Before), QDate(2025, 5, 2));
    EXPECT_EQ(calendar.shifted(QDate(2025, 5, 4), HolidayShift::After), QDate(2025, 5, 8));
    for (HolidayShift shift : {HolidayShift::Before, HolidayShift::After, HolidayShift::Keep})
        EXPECT_EQ(calendar.shifted(QDate(2025, 5, 8), shift), QDate(2025, 5, 8)) << "an open day stays";
}
