#include "schedule/balances.h"
#include "schedule/draft.h"
#include "schedule/working_set.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace schedule;

namespace {

StoredRow stored(int y, int m, int d, int n, const QString& payer, int planned, int received, int balance)
{
    return {QDate(y, m, d), n, payer, yen(planned), yen(received), yen(balance)};
}

void expectBlank(const WorkRow& row, int number)
{
    EXPECT_EQ(row.行番号, number);
    EXPECT_EQ(row.元行番号, number);
    EXPECT_TRUE(row.表示日付.isEmpty());
    EXPECT_FALSE(row.日付);
    EXPECT_FALSE(row.入金先名);
    EXPECT_EQ(row.予定額, Money());
    EXPECT_EQ(row.入金額, Money());
}

// `count` rows of May 2024 spread over the days, numbered so that one day's rows are not in insertion
// order.
std::vector<StoredRow> mayRows(int count)
{
    std::vector<StoredRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(stored(2024, 5, 1 + (i * 7) % 31, count - i, QStringLiteral("先%1").arg(i), i, 0, i));
    return rows;
}

} // namespace

TEST(WorkingSet, ClearLeavesTwoHundredBlankRowsWhateverWasThere)
{
    TempDataFolder folder;
    auto db = folder.open();
    db->execute("insert into InpWork (行番号, 元行番号, 入金先名, 予定額) values (5, 9, ?, 100)",
                {Value("残り")});

    MonthDraft().clear(*db, QDate(2024, 5, 1));

    const std::vector<WorkRow> rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    for (int i = 0; i < 200; ++i)
        expectBlank(rows[i], i + 1);
}

TEST(MonthLoad, PacksTheMonthFromRowOneKeepingStoredNumbersAndBalances)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            stored(2024, 4, 30, 1, "四月", 0, 0, 250),
                            stored(2024, 5, 9, 12, "丙", 300, 100, 900),
                            stored(2024, 5, 2, 3, "甲", 1000, 0, 1250),
                            stored(2024, 5, 31, 1, "月末", 0, 50, 850),
                            stored(2024, 5, 5, 7, "乙", 0, 250, 1000),
                            stored(2024, 6, 1, 1, "六月", 10, 0, 860),
                        });

    std::vector<int> points;
    MonthDraft draft;
    const auto load = draft.load(*db, QDate(2024, 5, 17), [&](int p) { points.push_back(p); });

    ASSERT_TRUE(load);
    EXPECT_EQ(points, (std::vector<int>{10, 30, 90, 100}));
    const std::vector<WorkRow> rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    const QStringList days{"02", "05", "09", "31"};
    const std::vector<int> storedNumbers{3, 7, 12, 1};
    const QStringList payers{"甲", "乙", "丙", "月末"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].行番号, i + 1);
        EXPECT_EQ(rows[i].元行番号, storedNumbers[i]);
        EXPECT_EQ(rows[i].表示日付, days[i]);
        EXPECT_EQ(rows[i].日付, QDate(2024, 5, days[i].toInt()));
        EXPECT_EQ(rows[i].入金先名, payers[i]);
    }
    EXPECT_EQ(rows[1].残高, yen(1000)); // as stored, not recomputed
    for (int i = 4; i < 200; ++i)
        expectBlank(rows[i], i + 1);

    EXPECT_EQ(load->storedRows, 4);
    EXPECT_FALSE(load->truncated);
    EXPECT_EQ(load->予定額月計, yen(1300));
    EXPECT_EQ(load->入金額月計, yen(400));
    EXPECT_EQ(load->繰越額, yen(250));
    EXPECT_EQ(load->累計, yen(860)); // the later month's last row
    EXPECT_EQ(draft.rows(), rows) << "the draft is what the work file holds";
    EXPECT_FALSE(draft.isDirty());
}

TEST(MonthLoad, EmptyFullAndOverfullMonths)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;

    auto load = draft.load(*db, QDate(2024, 5, 1));
    ASSERT_TRUE(load);
    EXPECT_EQ(load->storedRows, 0);
    EXPECT_EQ(load->予定額月計, Money());
    EXPECT_EQ(load->入金額月計, Money());
    EXPECT_EQ(load->繰越額, Money());
    EXPECT_EQ(load->累計, Money());
    std::vector<WorkRow> rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    expectBlank(rows[0], 1);
    expectBlank(rows[199], 200);

    seedStoredRows(*db, mayRows(200));
    load = draft.load(*db, QDate(2024, 5, 1));
    ASSERT_TRUE(load);
    EXPECT_FALSE(load->truncated);
    rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_TRUE(
        std::all_of(rows.begin(), rows.end(), [](const WorkRow& r) { return r.入金先名.has_value(); }));

    // 201 rows: the first 200 in date order are shown, the last one stays stored only.
    db->execute("delete from 入金予定表");
    std::vector<StoredRow> seeded = mayRows(201);
    seedStoredRows(*db, seeded);
    load = draft.load(*db, QDate(2024, 5, 1));
    ASSERT_TRUE(load);
    EXPECT_TRUE(load->truncated);
    EXPECT_EQ(load->storedRows, 201);
    rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    std::sort(seeded.begin(), seeded.end(), [](const StoredRow& a, const StoredRow& b) {
        return std::pair(a.日付, a.行番号) < std::pair(b.日付, b.行番号);
    });
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(rows[i].日付, seeded[i].日付) << i;
        EXPECT_EQ(rows[i].元行番号, seeded[i].行番号) << i;
    }
    EXPECT_EQ(readStoredRows(*db).size(), 201u);
}

TEST(MonthLoad, NoMonthLoadsNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, QDate(2024, 5, 1));
    draft.setCells(*db, {{0, k入金先名, Value("入力中")}}, Money(), QString());
    bool called = false;

    EXPECT_FALSE(draft.load(*db, QDate(), [&](int) { called = true; }));

    EXPECT_FALSE(called);
    EXPECT_EQ(readWorkRows(*db)[0].入金先名, QStringLiteral("入力中"));
    EXPECT_EQ(draft.rows()[0].入金先名, QStringLiteral("入力中"));
}
