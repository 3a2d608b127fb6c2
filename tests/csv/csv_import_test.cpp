#include "csv/csv_export.h"
#include "csv/csv_import.h"

#include "schedule/balances.h"
#include "storage/transaction.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

namespace {

csv::ImportSummary import(Database& db, const QByteArray& bytes, bool registerPayers = false)
{
    const csv::PreparedImport prepared = csv::prepareImport(db, bytes, std::nullopt, registerPayers);
    EXPECT_TRUE(prepared.problems.isEmpty()) << prepared.problems.text().toStdString();
    return csv::applyImport(db, prepared.plan);
}

QByteArray file(const char* lines)
{
    return QByteArray("日付,入金先名,予定額,入金額,残高\r\n") + lines;
}

StoredRow row(const QDate& date, int number, const char* payer, std::int64_t planned, std::int64_t received,
              std::optional<std::int64_t> balance)
{
    return {date,         number,        QString::fromUtf8(payer),
            yen(planned), yen(received), balance ? std::optional(yen(*balance)) : std::nullopt};
}

} // namespace

TEST(ImportCsv, ExportThenImportIntoAnEmptyFolderReproducesEveryRowAndBalance)
{
    TempDataFolder source;
    auto from = source.open();
    seedStoredRows(*from, {
                              row(QDate(2023, 12, 28), 1, "年末", 10, 0, std::nullopt),
                              row(QDate(2024, 1, 5), 1, "山田,商店", 1000, 250, std::nullopt),
                              row(QDate(2024, 1, 5), 2, "山田,商店", 200, 0, std::nullopt),
                              row(QDate(2024, 1, 9), 3, "言う\"ね\"", -30, 0, std::nullopt),
                              row(QDate(2024, 3, 1), 1, " 二行\n目 ", 0, 999, std::nullopt),
                          });
    from->execute("update 入金予定表 set 予定額 = 予定額 + 1234 where 行番号 = 3"); // 0.1234 yen
    schedule::recomputeBalances(*from, QDate(2023, 12, 1));
    const std::vector<StoredRow> expected = readStoredRows(*from);
    ASSERT_TRUE(expected.back().残高.has_value());

    for (const csv::CsvEncoding encoding : {csv::CsvEncoding::Utf8, csv::CsvEncoding::Cp932}) {
        const csv::ExportResult exported = csv::exportSchedule(*from, {}, encoding);
        ASSERT_TRUE(exported.ok());
        TempDataFolder target;
        auto into = target.open();
        const csv::ImportSummary summary = import(*into, exported.bytes);
        EXPECT_EQ(summary.added, 5);
        EXPECT_EQ(summary.updated, 0);
        EXPECT_EQ(readStoredRows(*into), expected);

        // The same file again finds every row, the two of one payer on one day included.
        const csv::PreparedImport again = csv::prepareImport(*into, exported.bytes, std::nullopt, false);
        EXPECT_FALSE(again.plan.changesAnything());
        EXPECT_EQ(again.plan.unchanged, 5);
    }
}

TEST(ImportCsv, StoresEachLineAsTheSaveDoesAndRecomputesTheBalancesOnward)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {
                            row(QDate(2024, 4, 10), 1, "前月", 1000, 0, 1000),
                            row(QDate(2024, 5, 1), 1, "山田", 500, 0, 1500),
                            row(QDate(2024, 5, 3), 5, "鈴木", 300, 100, 1700),
                            row(QDate(2024, 6, 1), 1, "後月", 0, 200, 1500),
                        });
    const QByteArray bytes = file("2024/05/03,鈴木,300,300,\r\n"
                                  "2024/05/01,山田,500,0,\r\n"
                                  "2024/05/02,新規,50,0,\r\n"
                                  "2024/05/03,鈴木,10,0,\r\n");
    const csv::ImportSummary summary = import(*db, bytes);
    EXPECT_EQ(summary.added, 2);
    EXPECT_EQ(summary.updated, 1);
    EXPECT_EQ(csv::summaryText(summary), QStringLiteral("追加 2 行、更新 1 行"));
    // New rows follow the month's highest 行番号; the stored row keeps its own.
    const std::vector<StoredRow> expected{
        row(QDate(2024, 4, 10), 1, "前月", 1000, 0, 1000), row(QDate(2024, 5, 1), 1, "山田", 500, 0, 1500),
        row(QDate(2024, 5, 2), 6, "新規", 50, 0, 1550),    row(QDate(2024, 5, 3), 5, "鈴木", 300, 300, 1550),
        row(QDate(2024, 5, 3), 7, "鈴木", 10, 0, 1560),    row(QDate(2024, 6, 1), 1, "後月", 0, 200, 1360),
    };
    EXPECT_EQ(readStoredRows(*db), expected);

    const csv::ImportSummary second = import(*db, bytes);
    EXPECT_EQ(second.added + second.updated, 0);
    EXPECT_EQ(readStoredRows(*db), expected);
}

TEST(ImportCsv, RegistersNewPayersOnlyWithAutomaticRegistration)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {QStringLiteral("山田")});
    const QByteArray bytes = file("2024/05/01,山田,1,0,\r\n2024/05/02,鈴木,1,0,\r\n2024/05/03,鈴木,1,0,\r\n");

    EXPECT_TRUE(csv::prepareImport(*db, bytes, std::nullopt, false).plan.newPayers.isEmpty());
    EXPECT_EQ(import(*db, bytes, true).payersRegistered, 1);
    EXPECT_EQ(sortedPayers(*db), (QStringList{QStringLiteral("山田"), QStringLiteral("鈴木")}));
}

TEST(ImportCsv, AMonthPast200RowsStoresNothingAndNumbersFreedByDeletionsAreReused)
{
    TempDataFolder folder;
    auto db = folder.open();
    std::vector<StoredRow> full;
    for (int i = 1; i <= 195; ++i)
        full.push_back(row(QDate(2024, 5, 1), i, qPrintable(QStringLiteral("既存%1").arg(i)), 1, 0, i));
    // Three rows left of a month whose other rows were deleted, the last one numbered 199.
    full.push_back(row(QDate(2024, 7, 1), 1, "一", 1, 0, 196));
    full.push_back(row(QDate(2024, 7, 2), 150, "二", 1, 0, 197));
    full.push_back(row(QDate(2024, 7, 3), 199, "三", 1, 0, 198));
    {
        Transaction seeding(*db);
        seedStoredRows(*db, full);
        seeding.commit();
    }

    QByteArray tooMany = file("");
    for (int i = 1; i <= 6; ++i)
        tooMany += QStringLiteral("2024/05/20,新%1,1,0,\r\n").arg(i).toUtf8();
    const csv::PreparedImport refused = csv::prepareImport(*db, tooMany, std::nullopt, true);
    ASSERT_EQ(refused.problems.total(), 1);
    EXPECT_EQ(refused.problems.sorted()[0].line, 7);
    EXPECT_EQ(refused.problems.sorted()[0].reason,
              QStringLiteral("2024年05月の行が 200 行を超えます（登録済み 195 行に 6 行を追加）。"));

    import(*db, file("2024/07/01,四,1,0,\r\n2024/07/04,五,1,0,\r\n"));
    std::vector<int> numbers;
    for (const StoredRow& r : readStoredRows(*db))
        if (r.日付.month() == 7)
            numbers.push_back(r.行番号);
    EXPECT_EQ(numbers, (std::vector<int>{1, 4, 2, 3, 5}));
}

TEST(ImportCsv, AFailureWhileStoringLeavesRowsAndPayersAsTheyWere)
{
    TempDataFolder folder;
    auto db = folder.open();
    // The balance reaches the top of the currency range; one more yen after it cannot be stored.
    const Money top = Money::fromRaw(std::numeric_limits<std::int64_t>::max());
    seedStoredRows(*db, {{QDate(2024, 1, 1), 1, QStringLiteral("大口"), top, yen(0), top}});
    const std::vector<StoredRow> before = readStoredRows(*db);

    const csv::PreparedImport prepared =
        csv::prepareImport(*db, file("2024/02/01,新規,1,0,\r\n"), std::nullopt, true);
    ASSERT_TRUE(prepared.problems.isEmpty());
    EXPECT_THROW(csv::applyImport(*db, prepared.plan), schedule::AmountOutOfRange);
    EXPECT_EQ(readStoredRows(*db), before);
    EXPECT_TRUE(sortedPayers(*db).isEmpty());
}

// Data from the Access import: amounts left empty and rows without a payer, after which the stored
// balance pass stops and the rows keep the balances they came with.
TEST(ImportCsv, ExportThenImportKeepsEmptyAmountsAndRowsWithoutAPayer)
{
    TempDataFolder source;
    auto from = source.open();
    seedStoredRows(*from, {
                              {QDate(2024, 1, 5), 1, QStringLiteral("甲"), yen(100), std::nullopt, {}},
                              {QDate(2024, 1, 9), 2, QStringLiteral("乙"), std::nullopt, yen(0), {}},
                              {QDate(2024, 1, 20), 3, std::nullopt, yen(0), yen(0), {}},
                              {QDate(2024, 1, 21), 4, QString(), yen(7), std::nullopt, yen(3)},
                              {QDate(2024, 2, 1), 1, QStringLiteral("甲"), yen(5), yen(0), yen(8)},
                          });
    schedule::recomputeBalances(*from, QDate(2024, 1, 1));
    std::vector<StoredRow> expected = readStoredRows(*from);
    const QByteArray exported = csv::exportSchedule(*from, {}, csv::CsvEncoding::Utf8).bytes;

    const csv::PreparedImport same = csv::prepareImport(*from, exported, std::nullopt, false);
    EXPECT_TRUE(same.problems.isEmpty()) << same.problems.text().toStdString();
    EXPECT_FALSE(same.plan.changesAnything());
    EXPECT_EQ(same.plan.unchanged, 5);

    TempDataFolder target;
    auto into = target.open();
    EXPECT_EQ(import(*into, exported, true).added, 5);
    // The empty name comes back as no name at all, and is no payer to register.
    expected[3].入金先名 = std::nullopt;
    EXPECT_EQ(readStoredRows(*into), expected);
    EXPECT_EQ(sortedPayers(*into), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));

    // Nothing and 0 agree either way round; an empty field empties any other amount.
    const csv::PreparedImport typed = csv::prepareImport(
        *into, file("2024/01/05,甲,100,0,\r\n2024/01/09,乙,,,\r\n2024/02/01,甲,,,\r\n"), std::nullopt, false);
    ASSERT_EQ(typed.plan.updates.size(), 1u);
    EXPECT_EQ(typed.plan.updates[0].planned, std::nullopt);
    EXPECT_EQ(typed.plan.updates[0].received, Money());
    EXPECT_EQ(typed.plan.unchanged, 2);
}

TEST(ImportCsv, AMonthWithMoreLinesThanItCanHoldIsRefusedWithoutKeepingThemAll)
{
    TempDataFolder folder;
    auto db = folder.open();
    QByteArray bytes = file("");
    for (int i = 0; i < 1000; ++i)
        bytes += "2024/03/01,甲,1,0,\r\n";
    bytes += "2024/04/01,乙,1,0,\r\n";
    const csv::PreparedImport refused = csv::prepareImport(*db, bytes, std::nullopt, true);
    EXPECT_EQ(refused.problems.text(),
              QStringLiteral("202行目：2024年03月の行がファイルだけで 200 行を超えます（1000 行）。"));
    EXPECT_EQ(refused.lines, 1001);
}

TEST(ImportCsv, TheListOfChangesNamesEveryRowWithItsOldAndNewAmountsAndACorrectedNameAsAnAddition)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {row(QDate(2024, 5, 1), 1, "甲社", 500, 0, 500),
                         row(QDate(2024, 5, 8), 2, "丙物流サービス", 300, 100, 700)});
    // 甲社 is paid; "丙物流サービス" is spelled afresh in the file, so matching by date and payer adds a
    // row beside the stored one; a line without a payer, and a new payer to register.
    const csv::PreparedImport prepared = csv::prepareImport(
        *db,
        file(
            "2024/05/01,甲社,500,500,\r\n2024/05/08,丙物流サービス株式会社,300,100,\r\n2024/05/09,,40,,\r\n"),
        std::nullopt, true);
    ASSERT_TRUE(prepared.problems.isEmpty()) << prepared.problems.text().toStdString();
    EXPECT_EQ(csv::describeChanges(prepared.plan),
              QStringLiteral("更新　2024/05/01　甲社　予定額 500　入金額 0 → 500\n"
                             "追加　2024/05/08　丙物流サービス株式会社　予定額 300　入金額 100\n"
                             "追加　2024/05/09　（入金先なし）　予定額 40　入金額 0\n"
                             "入金先マスタに登録　甲社\n"
                             "入金先マスタに登録　丙物流サービス株式会社"));
    // A plan that changes nothing lists nothing.
    EXPECT_TRUE(csv::describeChanges(csv::ImportPlan{}).isEmpty());
}
