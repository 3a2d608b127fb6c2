#include "terms/due_dates.h"

#include <gtest/gtest.h>

using namespace terms;

namespace {

PaymentTerms termsOf(TermDay closing, int months, TermDay payDay, HolidayShift shift = HolidayShift::Keep)
{
    PaymentTerms terms;
    terms.締め日 = closing;
    terms.支払月 = months;
    terms.支払日 = payDay;
    terms.休日 = shift;
    return terms;
}

const TermDay kEnd = TermDay::monthEnd();

} // namespace

TEST(DueDates, MonthEndsAndFebruaries)
{
    const BankCalendar banks;
    const PaymentTerms monthEnd = termsOf(kEnd, 1, kEnd, HolidayShift::Before); // 月末締め翌月末払い
    EXPECT_EQ(dueDate(QDate(2025, 1, 15), monthEnd, banks), QDate(2025, 2, 28));
    EXPECT_EQ(dueDate(QDate(2024, 1, 31), monthEnd, banks), QDate(2024, 2, 29));
    EXPECT_EQ(dueDate(QDate(2023, 2, 28), monthEnd, banks), QDate(2023, 3, 31));
    EXPECT_EQ(dueDate(QDate(2023, 12, 1), termsOf(kEnd, 2, kEnd), banks), QDate(2024, 2, 29));
    // 20日締め翌々月10日払い
    const PaymentTerms twentieth = termsOf(TermDay{20}, 2, TermDay{10}, HolidayShift::Before);
    EXPECT_EQ(dueDate(QDate(2025, 1, 20), twentieth, banks), QDate(2025, 3, 10));
    EXPECT_EQ(dueDate(QDate(2025, 1, 21), twentieth, banks), QDate(2025, 4, 10));
    EXPECT_EQ(dueDate(QDate(2024, 2, 29), termsOf(TermDay{28}, 1, kEnd), banks), QDate(2024, 4, 30));
    EXPECT_EQ(dueDate(QDate(2025, 1, 10), termsOf(TermDay{10}, 6, TermDay{10}), banks), QDate(2025, 7, 10));
}

TEST(DueDates, EachHolidayRuleAcrossWeekendsNewYearAndGoldenWeek)
{
    const BankCalendar banks;
    auto due = [&](const QDate& invoice, TermDay closing, int months, TermDay payDay, HolidayShift shift) {
        return dueDate(invoice, termsOf(closing, months, payDay, shift), banks);
    };
    // Due on Saturday 2025-05-31.
    EXPECT_EQ(due(QDate(2025, 4, 15), kEnd, 1, kEnd, HolidayShift::Before), QDate(2025, 5, 30));
    EXPECT_EQ(due(QDate(2025, 4, 15), kEnd, 1, kEnd, HolidayShift::After), QDate(2025, 6, 2));
    EXPECT_EQ(due(QDate(2025, 4, 15), kEnd, 1, kEnd, HolidayShift::Keep), QDate(2025, 5, 31));
    // Due on the banks' 12/31, and on 1/2.
    EXPECT_EQ(due(QDate(2025, 11, 10), kEnd, 1, kEnd, HolidayShift::Before), QDate(2025, 12, 30));
    EXPECT_EQ(due(QDate(2025, 11, 10), kEnd, 1, kEnd, HolidayShift::After), QDate(2026, 1, 5));
    EXPECT_EQ(due(QDate(2025, 11, 10), kEnd, 1, kEnd, HolidayShift::Keep), QDate(2025, 12, 31));
    EXPECT_EQ(due(QDate(2025, 12, 10), TermDay{15}, 1, TermDay{2}, HolidayShift::Before),
              QDate(2025, 12, 30));
    EXPECT_EQ(due(QDate(2025, 12, 10), TermDay{15}, 1, TermDay{2}, HolidayShift::After), QDate(2026, 1, 5));
    EXPECT_EQ(due(QDate(2025, 12, 25), TermDay{20}, 1, TermDay{10}, HolidayShift::After), QDate(2026, 2, 10));
    // Due on こどもの日 2025, with the substitute holiday after it.
    EXPECT_EQ(due(QDate(2025, 4, 10), kEnd, 1, TermDay{5}, HolidayShift::Before), QDate(2025, 5, 2));
    EXPECT_EQ(due(QDate(2025, 4, 10), kEnd, 1, TermDay{5}, HolidayShift::After), QDate(2025, 5, 7));
    // Without a 休日 rule the date stays.
    PaymentTerms unset = termsOf(kEnd, 1, kEnd);
    unset.休日.reset();
    EXPECT_EQ(dueDate(QDate(2025, 4, 15), unset, banks), QDate(2025, 5, 31));
}

TEST(DueDates, PaidInTheClosingMonthOrNotAtAll)
{
    const BankCalendar banks;
    const PaymentTerms sameMonth = termsOf(TermDay{15}, 0, kEnd, HolidayShift::Before); // 15日締め当月末払い
    EXPECT_EQ(dueDate(QDate(2025, 3, 10), sameMonth, banks), QDate(2025, 3, 31));
    EXPECT_EQ(dueDate(QDate(2025, 3, 15), sameMonth, banks), QDate(2025, 3, 31));
    EXPECT_EQ(dueDate(QDate(2025, 3, 16), sameMonth, banks), QDate(2025, 4, 30));
    EXPECT_EQ(dueDate(QDate(2025, 5, 31), termsOf(kEnd, 0, kEnd, HolidayShift::Before), banks),
              QDate(2025, 5, 30));

    PaymentTerms fixedOnly;
    fixedOnly.定額 = Money::fromYen(1000);
    fixedOnly.支払日 = TermDay{25};
    EXPECT_FALSE(dueDate(QDate(2025, 3, 10), PaymentTerms{}, banks));
    EXPECT_FALSE(dueDate(QDate(2025, 3, 10), fixedOnly, banks));
    EXPECT_FALSE(dueDate(QDate(), sameMonth, banks));
}
