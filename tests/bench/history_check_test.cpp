#include "bench/history_generator.h"
#include "schedule/row_edit.h"
#include "schedule/save.h"
#include "schedule/working_set.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include <QSet>

using namespace bench;

namespace {

HistoryShape smallHistory()
{
    HistoryShape shape;
    shape.rows = 2000;
    shape.testMonth = QDate(2024, 6, 1);
    return shape;
}

} // namespace

TEST(HistoryGenerator, FillsFullMonthsWhoseBalancesObeyTheRule)
{
    TempDataFolder folder;
    auto db = folder.open();
    const HistoryShape shape = smallHistory();
    generateHistory(*db, shape);

    const HistoryLayout layout = layoutOf(shape);
    EXPECT_EQ(layout.months, 10);
    EXPECT_EQ(layout.testMonth(), QDate(2024, 6, 1));
    EXPECT_EQ(layout.firstMonth, QDate(2024, 2, 1));

    const BalanceCheck check = checkBalanceRule(*db);
    EXPECT_TRUE(check.ok()) << check.fault.toStdString();
    EXPECT_EQ(check.rows, 2000);

    const std::vector<StoredRow> rows = readStoredRows(*db);
    std::map<QDate, int> perMonth;
    std::map<QDate, int> perDay;
    std::set<std::pair<QDate, QString>> keys;
    std::set<QString> payers;
    for (const StoredRow& row : rows) {
        ++perMonth[QDate(row.日付.year(), row.日付.month(), 1)];
        ++perDay[row.日付];
        keys.insert({row.日付, *row.入金先名});
        payers.insert(*row.入金先名);
        EXPECT_GT(*row.予定額, Money()); // every row carries the grid pass on
    }
    EXPECT_EQ(perMonth.size(), 10u);
    for (const auto& [month, count] : perMonth)
        EXPECT_EQ(count, 200) << month.toString(Qt::ISODate).toStdString();
    // The save finds a stored row by date and payer: the pair must name one row.
    EXPECT_EQ(keys.size(), rows.size());
    EXPECT_GT(payers.size(), 200u);
    EXPECT_GE(
        std::max_element(perDay.begin(), perDay.end(), [](auto& a, auto& b) { return a.second < b.second; })
            ->second,
        5);
    EXPECT_EQ(countRows(*db, QStringLiteral("入金先マスタ")), kMasterNames);
    const QStringList names = payerNames();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), kMasterNames);

    // The check itself finds a broken balance, at its position.
    db->execute("update 入金予定表 set 残高 = 残高 + 1 where rowid = 1234");
    const BalanceCheck broken = checkBalanceRule(*db);
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(*broken.firstFault, 1233);
}

TEST(HistoryGenerator, SavingOrDeletingInTheMiddleMonthKeepsTheWholeHistoryRight)
{
    TempDataFolder folder;
    auto db = folder.open();
    const HistoryShape shape = smallHistory();
    generateHistory(*db, shape);
    const QDate month = layoutOf(shape).testMonth();
    const std::optional<Money> lastBefore = readStoredRows(*db).back().残高;

    // What the save benchmark measures: the loaded month with its first planned amount raised.
    const auto load = schedule::Read入金予定(*db, month);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->storedRows, 200);
    db->execute("update InpWork set 予定額 = 予定額 + ? where 行番号 = 1", {Value(Money::fromYen(1000))});
    schedule::Entry入金予定表(*db, month);

    BalanceCheck check = checkBalanceRule(*db);
    EXPECT_TRUE(check.ok()) << check.fault.toStdString();
    EXPECT_EQ(check.rows, 2000);
    EXPECT_EQ(readStoredRows(*db).back().残高, *lastBefore + Money::fromYen(1000));

    // What the deletion benchmark measures: a stored row in the middle of the month.
    const auto loaded = schedule::Read入金予定(*db, month);
    const schedule::DeleteResult deleted = schedule::LineDelete(*db, 100, loaded->繰越額);
    EXPECT_TRUE(deleted.storedRowDeleted);
    check = checkBalanceRule(*db);
    EXPECT_TRUE(check.ok()) << check.fault.toStdString();
    EXPECT_EQ(check.rows, 1999);
}
