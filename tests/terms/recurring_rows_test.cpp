#include "terms/recurring_rows.h"

#include <gtest/gtest.h>

using namespace terms;

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

PayerTerms fixedPayer(const char* name, std::int64_t yen, std::optional<TermDay> payDay,
                      HolidayShift shift = HolidayShift::Keep)
{
    PayerTerms payer{s(name), {}};
    payer.terms.定額 = Money::fromYen(yen);
    payer.terms.支払日 = payDay;
    payer.terms.休日 = shift;
    return payer;
}

QStringList describe(const std::vector<PlannedRow>& rows)
{
    QStringList lines;
    for (const PlannedRow& row : rows)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(row.date.toString(Qt::ISODate), row.payer, formatAmount(row.amount),
                          formatYearMonth(row.month));
    return lines;
}

} // namespace

TEST(RecurringRows, OneRowAMonthWhileTheAmountIsInForce)
{
    PayerTerms rent = fixedPayer("家賃", 80000, TermDay{25}, HolidayShift::Before);
    rent.terms.定額開始 = YearMonth{2025, 4};
    rent.terms.定額終了 = YearMonth{2025, 6};
    PayerTerms fee = fixedPayer("顧問料", 30000, std::nullopt, HolidayShift::After);
    fee.terms.定額終了 = YearMonth{2025, 4};
    PayerTerms invoicesOnly{s("請求先"), {}};
    invoicesOnly.terms.締め日 = TermDay::monthEnd();
    invoicesOnly.terms.支払月 = 1;
    invoicesOnly.terms.支払日 = TermDay{10};

    const auto rows = recurringRows({rent, fee, invoicesOnly}, {2025, 3}, {2025, 7}, {}, BankCalendar());
    // 2025-03-31 and 2025-04-30 are business days; 5/25 is a Sunday, 6/25 a Wednesday. 顧問料 has no
    // 支払日 and is planned on the month's last day.
    EXPECT_EQ(describe(rows),
              (QStringList{s("2025-03-31 顧問料 30,000 2025/03"), s("2025-04-25 家賃 80,000 2025/04"),
                           s("2025-04-30 顧問料 30,000 2025/04"), s("2025-05-23 家賃 80,000 2025/05"),
                           s("2025-06-25 家賃 80,000 2025/06")}));

    EXPECT_TRUE(recurringRows({rent}, {2025, 7}, {2025, 6}, {}, BankCalendar()).empty()) << "an empty range";
    EXPECT_TRUE(recurringRows({}, {2025, 1}, {2025, 12}, {}, BankCalendar()).empty());
}

TEST(RecurringRows, MonthsAlreadyMadeAreNeverMadeAgain)
{
    const PayerTerms rent = fixedPayer("家賃", 80000, TermDay{1}, HolidayShift::Before);
    const PayerTerms other = fixedPayer("駐車場", 5000, TermDay{1});
    const BankCalendar banks;
    const auto first = recurringRows({rent, other}, {2025, 1}, {2025, 3}, {}, banks);
    ASSERT_EQ(first.size(), 6u);
    // 元日 and Saturday 2025-02-01 move the rent back into the month before; each row still plans its
    // own month.
    EXPECT_EQ(describe({first[0], first[2]}),
              (QStringList{s("2024-12-30 家賃 80,000 2025/01"), s("2025-01-31 家賃 80,000 2025/02")}));
    EXPECT_EQ(first[2].key(), (PlanKey{s("家賃"), {2025, 2}}));

    // The caller records the keys of what it made; the user then moved or deleted those rows. Asking
    // again over a longer range makes only the new months.
    QSet<PlanKey> made;
    for (const PlannedRow& row : first)
        made.insert(row.key());
    const auto again = recurringRows({rent, other}, {2025, 1}, {2025, 4}, made, banks);
    EXPECT_EQ(describe(again),
              (QStringList{s("2025-04-01 家賃 80,000 2025/04"), s("2025-04-01 駐車場 5,000 2025/04")}));
    made.remove(PlanKey{s("駐車場"), {2025, 2}});
    EXPECT_EQ(describe(recurringRows({rent, other}, {2025, 2}, {2025, 3}, made, banks)),
              QStringList{s("2025-02-01 駐車場 5,000 2025/02")});

    // A name listed twice, or no name at all, is planned at most once.
    const PayerTerms unnamed = fixedPayer("", 100, TermDay{1});
    EXPECT_EQ(recurringRows({rent, rent, unnamed}, {2025, 5}, {2025, 5}, {}, banks).size(), 1u);
}
