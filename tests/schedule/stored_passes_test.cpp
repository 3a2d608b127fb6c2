#include "schedule/balances.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <limits>

using namespace schedule;

namespace {

using Balances = std::vector<std::optional<Money>>;

StoredRow row(int m, int d, int n, std::optional<QString> payer, std::optional<int> planned, int received,
              std::optional<int> balance)
{
    return {QDate(2024, m, d),
            n,
            payer,
            planned ? std::optional(yen(*planned)) : std::nullopt,
            yen(received),
            balance ? std::optional(yen(*balance)) : std::nullopt};
}

} // namespace

TEST(SavePass, RecomputesFromTheStoredCarryThroughLaterMonthsAndStopsWithoutPayer)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            row(4, 30, 1, "前月", 0, 0, 500),
                            row(5, 2, 2, "乙", 0, 300, 0), // same day, higher number: second
                            row(5, 2, 1, "甲", 1000, 0, 0),
                            row(5, 20, 1, "丙", std::nullopt, 0, 0), // an empty amount counts as 0
                            row(6, 3, 1, "丁", 200, 0, 0),
                            row(7, 1, 1, std::nullopt, 0, 0, 11), // no payer: the pass ends here
                            row(7, 2, 1, "戊", 5, 0, 77),
                        });

    recomputeBalances(*db, QDate());
    EXPECT_EQ(storedBalances(*db), (Balances{yen(500), yen(0), yen(0), yen(0), yen(0), yen(11), yen(77)}));

    recomputeBalances(*db, QDate(2024, 5, 1));
    EXPECT_EQ(storedBalances(*db),
              (Balances{yen(500), yen(1500), yen(1200), yen(1200), yen(1400), yen(11), yen(77)}));
}

TEST(StoredPasses, OverflowLeavesStorageUnchanged)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {row(5, 1, 1, "甲", 100, 0, 0), row(5, 2, 1, "乙", 0, 0, 0)});
    db->execute("update 入金予定表 set 予定額 = ? where 入金先名 = ?",
                {Value(Money::fromRaw(std::numeric_limits<std::int64_t>::max())), Value("乙")});
    const std::vector<StoredRow> before = readStoredRows(*db);

    EXPECT_THROW(recomputeBalances(*db, QDate(2024, 5, 1)), AmountOutOfRange);
    EXPECT_EQ(readStoredRows(*db), before);
}

TEST(StoredPasses, APayerOfEmptyTextEndsTheWalkLikeNoPayer)
{
    // Files written by other tools can hold empty text where this program leaves the payer empty.
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            row(5, 1, 1, "甲", 100, 0, 0),
                            row(5, 2, 1, "乙", 0, 30, 0),
                            row(5, 3, 1, "", 0, 0, 7), // the walk ends here
                            row(5, 4, 1, "丙", 5, 0, 9),
                        });
    ASSERT_EQ(readStoredRows(*db)[2].入金先名, QString(""));

    recomputeBalances(*db, QDate(2024, 5, 1));
    EXPECT_EQ(storedBalances(*db), (Balances{yen(100), yen(70), yen(7), yen(9)}));
}
