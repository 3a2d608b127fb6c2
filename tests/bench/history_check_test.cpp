#include "bench/history_generator.h"
#include "schedule/draft.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <SQLiteCpp/Database.h>

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
    schedule::MonthDraft draft;
    const auto load = draft.load(*db, month);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->storedRows, 200);
    draft.setCells(*db, {{0, schedule::k予定額, Value(*draft.rows()[0].予定額 + Money::fromYen(1000))}},
                   load->繰越額, QString());
    draft.save(*db);

    BalanceCheck check = checkBalanceRule(*db);
    EXPECT_TRUE(check.ok()) << check.fault.toStdString();
    EXPECT_EQ(check.rows, 2000);
    EXPECT_EQ(readStoredRows(*db).back().残高, *lastBefore + Money::fromYen(1000));

    // What the deletion benchmark measures: a stored row in the middle of the month.
    const auto loaded = draft.load(*db, month);
    EXPECT_TRUE(draft.deleteRow(*db, 99, loaded->繰越額));
    draft.save(*db);
    check = checkBalanceRule(*db);
    EXPECT_TRUE(check.ok()) << check.fault.toStdString();
    EXPECT_EQ(check.rows, 1999);
}

namespace {

// Rows that the connection's statements have stepped through by scanning a whole table since the last
// call. The store keeps every statement it prepares, so none escapes the count.
std::int64_t fullScanSteps(Database& db)
{
    sqlite3* handle = rawConnection(db).getHandle();
    std::int64_t steps = 0;
    for (sqlite3_stmt* st = sqlite3_next_stmt(handle, nullptr); st; st = sqlite3_next_stmt(handle, st))
        steps += sqlite3_stmt_status(st, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
    return steps;
}

// Full-table steps of loading the middle month of a history of that many rows (with its carry-forward
// and running total) and opening a row in it.
std::int64_t scansOfMonthActions(int rows)
{
    TempDataFolder folder;
    auto db = folder.open();
    HistoryShape shape = smallHistory();
    shape.rows = rows;
    generateHistory(*db, shape);
    const QDate month = layoutOf(shape).testMonth();

    fullScanSteps(*db);
    schedule::MonthDraft draft;
    const auto load = draft.load(*db, month);
    EXPECT_TRUE(load && load->storedRows == 200);
    EXPECT_EQ(draft.insertRow(*db, 0), schedule::InsertResult::NoRoom); // a full month
    EXPECT_TRUE(draft.deleteRow(*db, 199, load->繰越額));
    EXPECT_EQ(draft.insertRow(*db, 0), schedule::InsertResult::Inserted);
    return fullScanSteps(*db);
}

} // namespace

// These actions must find their stored rows through the index: walking the 200 working rows is expected,
// but a scan of the stored table would make them grow with the history.
TEST(HistoryGenerator, MonthActionsDoNotGrowWithTheHistory)
{
    EXPECT_EQ(scansOfMonthActions(2000), scansOfMonthActions(6000));
}
