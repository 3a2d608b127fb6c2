#include "schedule/balances.h"
#include "schedule/draft.h"
#include "schedule/working_set.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <limits>

using namespace schedule;

namespace {

std::vector<WorkRow> blankGrid()
{
    std::vector<WorkRow> rows(kWorkRowCount);
    for (int i = 0; i < kWorkRowCount; ++i) {
        rows[i].行番号 = rows[i].元行番号 = i + 1;
        rows[i].予定額 = rows[i].入金額 = rows[i].残高 = Money();
    }
    return rows;
}

void fill(WorkRow& row, int day, const QString& payer, int planned, int received, int balance = 0)
{
    row.日付 = QDate(2024, 5, day);
    row.表示日付 = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
    row.入金先名 = payer;
    row.予定額 = yen(planned);
    row.入金額 = yen(received);
    row.残高 = yen(balance);
}

const Money kHuge = Money::fromRaw(std::numeric_limits<std::int64_t>::max() - 5);

} // namespace

TEST(CarryForward, TakesTheLastRowBeforeTheDayByDateThenRowNumber)
{
    TempDataFolder folder;
    auto db = folder.open();
    EXPECT_EQ(readCarryForward(*db, QDate(2005, 12, 1)), Money()); // nothing stored at all
    EXPECT_EQ(readLastBalance(*db), Money());

    seedStoredRows(*db, {
                            {QDate(2005, 11, 30), 7, "乙", yen(0), yen(0), yen(700)},
                            {QDate(2005, 11, 30), 3, "甲", yen(0), yen(0), yen(300)},
                            {QDate(2005, 11, 2), 9, "丙", yen(0), yen(0), yen(900)},
                            {QDate(2005, 12, 1), 1, "丁", yen(0), yen(0), yen(100)},
                            {QDate(2006, 1, 15), 2, "戊", yen(0), yen(0), yen(1234)},
                        });
    EXPECT_EQ(readCarryForward(*db, QDate(2005, 12, 1)), yen(700));
    EXPECT_EQ(readCarryForward(*db, QDate(2005, 11, 1)), Money());
    // Rows of later months count for the cumulative balance.
    EXPECT_EQ(readLastBalance(*db), yen(1234));

    // A last row without a balance: carry 0, cumulative nothing.
    seedStoredRows(*db, {{QDate(2006, 2, 1), 1, "己", yen(0), yen(0), std::nullopt}});
    EXPECT_EQ(readCarryForward(*db, QDate(2006, 3, 1)), Money());
    EXPECT_EQ(readLastBalance(*db), std::nullopt);
}

TEST(MonthTotals, SumTheDraftAndRefuseToWrap)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, QDate(2024, 5, 1));
    EXPECT_EQ(draft.plannedTotal(), Money());
    EXPECT_EQ(draft.receivedTotal(), Money());

    std::vector<CellChange> changes;
    for (std::size_t row = 0; row < 3; ++row) {
        changes.push_back({row, k予定額, Value(yen(1000))});
        changes.push_back({row, k入金額, Value(yen(7))});
    }
    changes.push_back({3, k予定額, Value()});
    draft.setCells(*db, changes, Money(), QString());
    EXPECT_EQ(draft.plannedTotal(), yen(3000));
    EXPECT_EQ(draft.receivedTotal(), yen(21));

    // A figure that cannot be carried into a balance is refused before it reaches the draft.
    EXPECT_THROW(draft.setCells(*db, {{4, k予定額, Value(kHuge)}}, Money(), QString()), AmountOutOfRange);
    EXPECT_EQ(draft.plannedTotal(), yen(3000));
}

TEST(GridPass, WorkedExampleStopsAtTheBlankRow)
{
    std::vector<WorkRow> rows = blankGrid();
    fill(rows[0], 2, "甲", 1000, 0);
    fill(rows[1], 3, "乙", 200, 0);
    fill(rows[2], 4, "丙", 0, 300);
    rows[4].残高 = yen(99); // below the blank row: untouched

    const GridPassResult result = recomputeGridBalances(rows, 0, yen(500));

    EXPECT_EQ(rows[0].残高, yen(1500));
    EXPECT_EQ(rows[1].残高, yen(1700));
    EXPECT_EQ(rows[2].残高, yen(1400));
    EXPECT_EQ(rows[3].残高, Money());
    EXPECT_EQ(rows[4].残高, yen(99));
    EXPECT_EQ(result.changed, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(result.last, yen(1400));
}

TEST(GridPass, BlankRowsNeitherStopNorRestartTheChain)
{
    std::vector<WorkRow> rows = blankGrid();
    fill(rows[0], 2, "甲", 1000, 0, 1111); // above the edit: taken as it stands
    rows[3].残高 = yen(77);                // a blank row with a balance left behind
    fill(rows[5], 6, "乙", 200, 0);
    fill(rows[6], 7, "丙", 0, 0, 5); // a payer with both amounts 0 still holds data
    rows[8].入金額 = yen(11);        // so does an amount alone
    rows[8].予定額.reset();          // (an empty amount counts as 0)
    rows[9].残高 = yen(66);          // below the last row holding data: left alone

    GridPassResult result = recomputeGridBalances(rows, 1, yen(500));
    EXPECT_EQ(rows[3].残高, Money());
    EXPECT_EQ(rows[5].残高, yen(1311));
    EXPECT_EQ(rows[6].残高, yen(1311));
    EXPECT_EQ(rows[8].残高, yen(1300));
    EXPECT_EQ(rows[9].残高, yen(66));
    EXPECT_EQ(result.changed, (std::vector<std::size_t>{3, 5, 6, 8}));
    EXPECT_EQ(result.last, yen(1300));

    // With no row holding data above, the carry; a row emptied by the user goes back to 0.
    rows = blankGrid();
    rows[1].残高 = yen(650);
    result = recomputeGridBalances(rows, 1, yen(500));
    EXPECT_EQ(rows[1].残高, Money());
    EXPECT_EQ(result.last, yen(500));
}

TEST(GridPass, LastRowOfTheGridAndOverflow)
{
    std::vector<WorkRow> rows = blankGrid();
    fill(rows[198], 30, "甲", 0, 0, 900);
    fill(rows[199], 31, "乙", 50, 20);

    GridPassResult result = recomputeGridBalances(rows, 199, yen(500));
    EXPECT_EQ(rows[199].残高, yen(930));
    EXPECT_EQ(result.changed, (std::vector<std::size_t>{199}));
    EXPECT_EQ(result.last, yen(930));

    // The second row overflows: the first row's new balance is not written either.
    rows = blankGrid();
    fill(rows[0], 1, "甲", 10, 0, 7);
    rows[1].予定額 = kHuge;
    const std::vector<WorkRow> before = rows;
    EXPECT_THROW(recomputeGridBalances(rows, 0, yen(500)), AmountOutOfRange);
    EXPECT_EQ(rows, before);
}
