#include "schedule/balances.h"
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
    EXPECT_EQ(Get繰越額(*db, QDate(2005, 12, 1)), Money()); // nothing stored at all
    EXPECT_EQ(Get累計額(*db), Money());

    seedStoredRows(*db, {
                            {QDate(2005, 11, 30), 7, "乙", yen(0), yen(0), yen(700)},
                            {QDate(2005, 11, 30), 3, "甲", yen(0), yen(0), yen(300)},
                            {QDate(2005, 11, 2), 9, "丙", yen(0), yen(0), yen(900)},
                            {QDate(2005, 12, 1), 1, "丁", yen(0), yen(0), yen(100)},
                            {QDate(2006, 1, 15), 2, "戊", yen(0), yen(0), yen(1234)},
                        });
    EXPECT_EQ(Get繰越額(*db, QDate(2005, 12, 1)), yen(700));
    EXPECT_EQ(Get繰越額(*db, QDate(2005, 11, 1)), Money());
    // Rows of later months count for the cumulative balance.
    EXPECT_EQ(Get累計額(*db), yen(1234));

    // A last row without a balance: carry 0, cumulative nothing.
    seedStoredRows(*db, {{QDate(2006, 2, 1), 1, "己", yen(0), yen(0), std::nullopt}});
    EXPECT_EQ(Get繰越額(*db, QDate(2006, 3, 1)), Money());
    EXPECT_EQ(Get累計額(*db), std::nullopt);
}

TEST(MonthTotals, SumTheWorkingSetAndRefuseToWrap)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    EXPECT_EQ(Calc入金予定額(*db), Money());
    EXPECT_EQ(Calc入金額(*db), Money());

    db->execute("update InpWork set 予定額 = ?, 入金額 = ? where 行番号 <= 3",
                {Value(yen(1000)), Value(yen(7))});
    db->execute("update InpWork set 予定額 = null where 行番号 = 4");
    EXPECT_EQ(Calc入金予定額(*db), yen(3000));
    EXPECT_EQ(Calc入金額(*db), yen(21));

    db->execute("update InpWork set 予定額 = ? where 行番号 = 5", {Value(kHuge)});
    EXPECT_THROW(Calc入金予定額(*db), AmountOutOfRange);
}

TEST(GridPass, WorkedExampleStopsAtTheBlankRow)
{
    std::vector<WorkRow> rows = blankGrid();
    fill(rows[0], 2, "甲", 1000, 0);
    fill(rows[1], 3, "乙", 200, 0);
    fill(rows[2], 4, "丙", 0, 300);
    rows[4].残高 = yen(99); // below the blank row: untouched

    const GridPassResult result = Calc行残高(rows, 0, yen(500));

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

    GridPassResult result = Calc行残高(rows, 1, yen(500));
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
    result = Calc行残高(rows, 1, yen(500));
    EXPECT_EQ(rows[1].残高, Money());
    EXPECT_EQ(result.last, yen(500));
}

TEST(GridPass, LastRowOfTheGridAndOverflow)
{
    std::vector<WorkRow> rows = blankGrid();
    fill(rows[198], 30, "甲", 0, 0, 900);
    fill(rows[199], 31, "乙", 50, 20);

    GridPassResult result = Calc行残高(rows, 199, yen(500));
    EXPECT_EQ(rows[199].残高, yen(930));
    EXPECT_EQ(result.changed, (std::vector<std::size_t>{199}));
    EXPECT_EQ(result.last, yen(930));

    // The second row overflows: the first row's new balance is not written either.
    rows = blankGrid();
    fill(rows[0], 1, "甲", 10, 0, 7);
    rows[1].予定額 = kHuge;
    const std::vector<WorkRow> before = rows;
    EXPECT_THROW(Calc行残高(rows, 0, yen(500)), AmountOutOfRange);
    EXPECT_EQ(rows, before);
}

TEST(WorkingSetPass, SkipsRowsWithoutDateOrPayer)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    auto setRow = [&](int n, const Value& date, const Value& payer, int planned, int received) {
        db->execute(
            "update InpWork set 日付 = ?, 入金先名 = ?, 予定額 = ?, 入金額 = ?, 残高 = ? where 行番号 = ?",
            {date, payer, Value(yen(planned)), Value(yen(received)), Value(yen(-1)), Value(n)});
    };
    setRow(1, QDate(2024, 5, 1), "甲", 1000, 0);
    setRow(2, Value(), "日付なし", 999, 0);
    setRow(3, QDate(2024, 5, 3), Value(), 999, 0);
    setRow(4, QDate(2024, 5, 4), "乙", 0, 300);

    EXPECT_EQ(ReCalc残高(*db, yen(500)), yen(1200));

    const std::vector<WorkRow> rows = readWorkRows(*db);
    EXPECT_EQ(rows[0].残高, yen(1500));
    EXPECT_EQ(rows[1].残高, yen(-1));
    EXPECT_EQ(rows[2].残高, yen(-1));
    EXPECT_EQ(rows[3].残高, yen(1200));
    EXPECT_EQ(rows[4].残高, Money()); // blank rows have no payer

    setRow(5, QDate(2024, 5, 5), "丙", 0, 0);
    db->execute("update InpWork set 予定額 = ? where 行番号 = 5", {Value(kHuge)});
    const std::vector<WorkRow> before = readWorkRows(*db);
    EXPECT_THROW(ReCalc残高(*db, yen(500)), AmountOutOfRange);
    EXPECT_EQ(readWorkRows(*db), before) << "an overflow leaves the working set as it was";
}
