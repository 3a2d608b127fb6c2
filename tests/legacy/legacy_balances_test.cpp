#include "legacy/jet_stream.h"
#include "legacy/legacy_balances.h"
#include "legacy/legacy_data.h"
#include "schedule/balances.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

// The import checks imported balances by the rule the program's stored passes follow; on the same rows
// both must come out alike, gaps in the amounts, a row without a payer and rows of the same day and
// number included.
TEST(LegacyBalances, TheImportsRuleAgreesWithTheStoredPassOnAnAwkwardHistory)
{
    const std::vector<StoredRow> stored = {
        {QDate(2020, 1, 3), 1, QStringLiteral("A"), yen(100), yen(0), yen(1)},
        {QDate(2020, 1, 3), 2, QStringLiteral("B"), std::nullopt, yen(10), yen(2)},
        {QDate(2020, 1, 3), 2, QStringLiteral("C"), yen(5), yen(1), yen(3)},
        {QDate(2020, 1, 2), 1, QStringLiteral("D"), yen(7), yen(0), yen(4)},
        {QDate(2020, 2, 1), 1, QStringLiteral("E"), yen(1000), yen(999), std::nullopt},
        {QDate(2020, 2, 9), 1, QStringLiteral(""), yen(50), yen(0), yen(5)},
        {QDate(2020, 3, 1), 1, QStringLiteral("F"), yen(50), yen(0), yen(6)},
    };
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, stored);
    schedule::recomputeBalances(*db, QDate(2020, 1, 2));

    std::vector<legacy::LegacyRow> rows;
    for (const StoredRow& r : stored)
        rows.push_back({r.日付, r.行番号, r.入金先名, r.予定額, r.入金額, r.残高});
    std::size_t overflowRow = 0;
    const int changed = legacy::settleBalances(rows, std::vector<bool>(rows.size(), false), &overflowRow);

    std::vector<std::optional<Money>> imported;
    // readStoredRows gives date and row-number order; so does this, ties kept as stored.
    for (std::size_t i : {3, 0, 1, 2, 4, 5, 6})
        imported.push_back(rows[i].残高);
    EXPECT_EQ(imported, storedBalances(*db));
    // The rows after the one without a payer keep their stored values.
    EXPECT_EQ(rows[6].残高, std::optional<Money>(yen(6)));
    EXPECT_EQ(changed, 5);

    // Rows that agree stay exactly as they are, and a balance beyond the range is refused at its row.
    std::vector<legacy::LegacyRow> agreeing(rows.begin(), rows.begin() + 5);
    EXPECT_EQ(legacy::settleBalances(agreeing, std::vector<bool>(5, false), &overflowRow), 0);
    std::vector<legacy::LegacyRow> huge = {
        {QDate(2020, 1, 1), 1, QStringLiteral("A"), Money::fromRaw(INT64_MAX), yen(0), std::nullopt},
        {QDate(2020, 1, 2), 1, QStringLiteral("A"), yen(1), yen(0), std::nullopt}};
    EXPECT_THROW(legacy::settleBalances(huge, {false, false}, &overflowRow), MoneyOverflow);
    EXPECT_EQ(overflowRow, 1u);
    EXPECT_FALSE(huge[0].残高.has_value());
}

// The other side of the currency scale than the file reader's: a hand-over of currency as whole
// ten-thousandths and of reals as yen must give the same amounts, exact to the ten-thousandth.
TEST(LegacyData, CurrencyArrivesAsTenThousandthsAndRealsAsYen)
{
    using legacy::JetTable;
    JetTable schedule{QStringLiteral("入金予定表"),
                      2,
                      {{QStringLiteral("日付"), legacy::kJetDateTime},
                       {QStringLiteral("行番号"), legacy::kJetLong},
                       {QStringLiteral("入金先名"), legacy::kJetText},
                       {QStringLiteral("予定額"), legacy::kJetMoney},
                       {QStringLiteral("入金額"), legacy::kJetDouble},
                       {QStringLiteral("残高"), legacy::kJetMoney}},
                      {{QByteArray("45000:0"), QByteArray("1"), QByteArray("甲"), QByteArray("12345678"),
                        QByteArray("0.5"), QByteArray("12340678")},
                       {QByteArray("45001:0"), QByteArray("1"), QByteArray("乙"), QByteArray("1"),
                        QByteArray("0.0001"), QByteArray("12340678")}}};
    JetTable payers{QStringLiteral("入金先マスタ"), 0, {{QStringLiteral("入金先名"), legacy::kJetText}}, {}};
    JetTable settings{QStringLiteral("自社情報"),
                      1,
                      {{QStringLiteral("年号"), legacy::kJetText},
                       {QStringLiteral("入金先自動登録"), legacy::kJetBool},
                       {QStringLiteral("LineColor1"), legacy::kJetLong}},
                      {{QByteArray("西暦"), QByteArray("0"), QByteArray("0")}}};
    legacy::JetDump dump;
    dump.format = 4;
    dump.tables = {schedule, payers, settings};

    const legacy::LegacyData data = legacy::takePermanentTables(dump, QStringLiteral("Dorivan.mdb"));

    ASSERT_EQ(data.rows.size(), 2u);
    EXPECT_EQ(data.rows[0].日付, QDate(2023, 3, 15));
    EXPECT_EQ(data.rows[0].予定額, Money::fromRaw(12345678)); // 1,234.5678 yen
    EXPECT_EQ(data.rows[0].入金額, Money::fromRaw(5000));
    EXPECT_EQ(data.rows[1].予定額, Money::fromRaw(1));
    EXPECT_EQ(data.rows[1].入金額, Money::fromRaw(1));
    EXPECT_EQ(data.changedBalances, 0) << "the stored balances agree only at this scale";
}
