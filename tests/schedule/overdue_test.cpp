#include "schedule/balances.h"
#include "schedule/overdue.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <limits>

using namespace schedule;

namespace {

const QString kA = QStringLiteral("甲商店");
const QString kB = QStringLiteral("乙工業");
const QString kC = QStringLiteral("丙建設");

std::optional<Money> amount(std::int64_t v)
{
    return yen(v);
}

} // namespace

TEST(Overdue, WhoCountsAsOverdue)
{
    const QDate today(2024, 5, 20);
    const QDate yesterday = today.addDays(-1);
    const std::optional<QString> payer = kA;
    EXPECT_TRUE(isOverdue(yesterday, payer, amount(1000), amount(400), today)) << "partly paid";
    EXPECT_TRUE(isOverdue(yesterday, payer, amount(1000), amount(0), today)) << "nothing paid";
    EXPECT_TRUE(isOverdue(yesterday, payer, amount(1000), std::nullopt, today)) << "nothing entered";
    EXPECT_FALSE(isOverdue(yesterday, payer, amount(1000), amount(1000), today)) << "fully paid";
    EXPECT_FALSE(isOverdue(yesterday, payer, amount(1000), amount(1200), today)) << "paid more";
    EXPECT_FALSE(isOverdue(yesterday, payer, std::nullopt, std::nullopt, today)) << "nothing planned";
    EXPECT_FALSE(isOverdue(today, payer, amount(1000), amount(0), today)) << "due today";
    EXPECT_FALSE(isOverdue(today.addDays(1), payer, amount(1000), amount(0), today)) << "future";
    EXPECT_FALSE(isOverdue(yesterday, std::nullopt, amount(1000), amount(0), today)) << "no payer";
    EXPECT_FALSE(isOverdue(yesterday, QString(), amount(1000), amount(0), today)) << "empty payer";
    EXPECT_FALSE(isOverdue(std::nullopt, payer, amount(1000), amount(0), today)) << "no date";
}

TEST(Overdue, OpenRowsUpToTheDateWithTheirTotalsAndPayers)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            {QDate(2024, 5, 31), 1, kA, yen(900), yen(0), {}},   // after the date
                            {QDate(2024, 5, 10), 2, kB, yen(500), yen(100), {}}, // on the date
                            {QDate(2024, 5, 10), 1, kA, yen(300), yen(300), {}}, // paid
                            {QDate(2024, 4, 2), 1, kA, yen(1000), yen(250), {}},
                            {QDate(2024, 4, 2), 3, kC, yen(200), std::nullopt, {}},
                            {QDate(2024, 3, 1), 1, std::nullopt, yen(700), yen(0), {}}, // nobody's
                            {QDate(2024, 3, 5), 4, kC, yen(800), yen(0), {}},
                        });
    const std::vector<OpenRow> rows = readOpenRows(*db, QDate(2024, 5, 10));
    const std::vector<OpenRow> expected{
        {QDate(2024, 3, 5), 4, kC, yen(800), yen(0)},
        {QDate(2024, 4, 2), 1, kA, yen(1000), yen(250)},
        {QDate(2024, 4, 2), 3, kC, yen(200), yen(0)},
        {QDate(2024, 5, 10), 2, kB, yen(500), yen(100)},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows[0].経過日数(QDate(2024, 5, 10)), 66);
    EXPECT_EQ(rows[3].経過日数(QDate(2024, 5, 10)), 0);

    EXPECT_EQ(totalsOf(rows), (OpenTotals{4, yen(800 + 750 + 200 + 400)}));
    QStringList names{kA, kB, kC};
    std::sort(names.begin(), names.end()); // in code-point order, as the store sorts names
    EXPECT_EQ(payersOf(rows), names);
    const std::vector<PayerOpen> byPayer{{kC, 2, yen(1000), QDate(2024, 3, 5)},
                                         {kA, 1, yen(750), QDate(2024, 4, 2)},
                                         {kB, 1, yen(400), QDate(2024, 5, 10)}};
    EXPECT_EQ(totalsByPayer(rows), byPayer);

    const std::vector<OpenRow> ofC = rowsOfPayer(rows, kC);
    ASSERT_EQ(ofC.size(), 2u);
    EXPECT_EQ(totalsOf(ofC), (OpenTotals{2, yen(1000)}));
    EXPECT_EQ(rowsOfPayer(rows, QString()).size(), 4u);
    EXPECT_TRUE(rowsOfPayer(rows, QStringLiteral("丁")).empty());

    // Past due on 10 May is everything before it; both ways of counting agree.
    EXPECT_EQ(readPastDue(*db, QDate(2024, 5, 10)), (OpenTotals{3, yen(1750)}));
    EXPECT_EQ(pastDueOf(rows, QDate(2024, 5, 10)), readPastDue(*db, QDate(2024, 5, 10)));
    EXPECT_EQ(readPastDue(*db, QDate(2024, 3, 5)), OpenTotals{});
    EXPECT_TRUE(readOpenRows(*db, QDate(2024, 3, 4)).empty());
}

TEST(Overdue, SumsBeyondTheCurrencyRangeAreRefused)
{
    TempDataFolder folder;
    auto db = folder.open();
    const Money huge = Money::fromRaw(std::numeric_limits<std::int64_t>::max() - 5);
    seedStoredRows(
        *db, {{QDate(2024, 1, 1), 1, kA, huge, yen(0), {}}, {QDate(2024, 1, 2), 1, kB, huge, yen(0), {}}});
    EXPECT_THROW(readPastDue(*db, QDate(2024, 2, 1)), AmountOutOfRange);
    EXPECT_THROW(totalsOf(readOpenRows(*db, QDate(2024, 2, 1))), MoneyOverflow);
}

TEST(Overdue, OutlookGivesTwelveMonthsWithTheirTotalsAndMonthEndBalances)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            {QDate(2023, 11, 30), 1, kA, yen(100), yen(0), yen(5000)}, // before: the carry
                            {QDate(2023, 12, 5), 1, kA, yen(300), yen(100), yen(5200)},
                            {QDate(2023, 12, 20), 2, kB, yen(50), yen(0), yen(5250)},
                            {QDate(2023, 12, 20), 1, kC, yen(10), yen(0), yen(5210)},
                            // nothing in January to March: they end where December ended
                            {QDate(2024, 4, 1), 1, kA, yen(700), std::nullopt, std::nullopt},
                            {QDate(2024, 5, 31), 1, kB, yen(1000), yen(1500), yen(4710)},
                            {QDate(2024, 12, 1), 1, kB, yen(1), yen(0), yen(1)}, // after the twelve
                        });
    const std::vector<MonthOutlook> months = readOutlook(*db, QDate(2024, 5, 17));
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months.front().month, QDate(2023, 12, 1));
    EXPECT_EQ(months.back(), (MonthOutlook{QDate(2024, 11, 1), Money(), Money(), yen(4710)}));
    EXPECT_EQ(months[0], (MonthOutlook{QDate(2023, 12, 1), yen(360), yen(100), yen(5250)}));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(months[i], (MonthOutlook{QDate(2024, i, 1), Money(), Money(), yen(5250)}));
    EXPECT_EQ(months[4], (MonthOutlook{QDate(2024, 4, 1), yen(700), Money(), Money()}))
        << "no balance reads 0";
    EXPECT_EQ(months[5], (MonthOutlook{QDate(2024, 5, 1), yen(1000), yen(1500), yen(4710)}));
    EXPECT_EQ(months[10].月末残高, yen(4710));

    // With nothing before the months the line starts from 0.
    EXPECT_EQ(readOutlook(*db, QDate(2023, 6, 1))[0].月末残高, Money());
    EXPECT_TRUE(readOutlook(*db, QDate()).empty());
}
