#include "bank/bank_samples.h"
#include "bank/kana_key.h"
#include "bank/matching_store.h"
#include "bank/zengin_file.h"
#include "storage/database.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

using bank::Judgement;

namespace {

const QDateTime kNow(QDate(2025, 7, 2), QTime(9, 0));

std::vector<bank::Deposit> sampleDeposits(const char* file = "furikomi_01_crlf.txt")
{
    return bank::readZenginFile(bank_samples::bytesOf(QString::fromLatin1(file)), QDate(2025, 7, 2)).deposits;
}

std::vector<std::optional<Money>> received(Database& db)
{
    std::vector<std::optional<Money>> amounts;
    for (const StoredRow& row : readStoredRows(db))
        amounts.push_back(row.入金額);
    return amounts;
}

} // namespace

TEST(MatchingStore, AppliesTheSettledDepositsOnceWithBalancesAndFees)
{
    TempDataFolder folder;
    auto db = folder.open();
    bank_samples::seedScenario(*db);

    bank::MatchRun run = bank::matchStoredDeposits(*db, sampleDeposits());
    ASSERT_EQ(run.judgements.size(), 8u);
    EXPECT_EQ(run.input.settings.fees.size(), 8u);
    // INV-0009 is dated 2025-07-31, within the window; every row is open.
    EXPECT_EQ(run.input.openRows.size(), 9u);
    EXPECT_EQ(run.judgements[1].fee, yen(660));

    const bank::ApplyResult result =
        bank::applyDeposits(*db, bank::settledChoices(run), run.input.settings, kNow);
    EXPECT_EQ(result.deposits, 6);
    EXPECT_EQ(result.rowsChanged, 7);
    // By date: the seven rows of 06-30, then 07-10 and 07-31. The fee leaves the row
    // paid in full; the combined transfer pays both of its rows.
    EXPECT_EQ(received(*db),
              (std::vector<std::optional<Money>>{yen(110000), yen(55000), yen(33000), yen(22000), yen(132000),
                                                 yen(16500), std::nullopt, yen(77000), std::nullopt}));
    const std::vector<std::optional<Money>> balances = storedBalances(*db);
    EXPECT_EQ(balances[5], yen(0));
    EXPECT_EQ(balances.back(), yen(264000 + 110000));
    EXPECT_EQ(countRows(*db, QStringLiteral("消込済入金")), 6);

    // The same file again, and the same transfers in a file without CR LF: applied, nothing changes.
    for (const char* file : {"furikomi_01_crlf.txt", "furikomi_01_nocrlf.txt"}) {
        SCOPED_TRACE(file);
        const bank::MatchRun again = bank::matchStoredDeposits(*db, sampleDeposits(file));
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(again.judgements[i].judgement, Judgement::消込済);
        EXPECT_EQ(
            bank::applyDeposits(*db, bank::settledChoices(again), again.input.settings, kNow).rowsChanged, 0);
        EXPECT_EQ(bank::applyDeposits(*db, bank::settledChoices(run), run.input.settings, kNow).deposits, 0);
    }
    EXPECT_EQ(storedBalances(*db), balances);

    // The 03 statement reports the same transfers; from the withdrawal on, under other reference numbers.
    // エムテック's would fit a new row of 55,000: it waits for the user instead of paying that row too.
    seedStoredRows(*db, {{QDate(2025, 7, 20), 1, QStringLiteral("合同会社エムテック"), yen(55000), {}, {}}});
    const bank::MatchRun statement = bank::matchStoredDeposits(*db, sampleDeposits("nyushukkin_03_crlf.txt"));
    ASSERT_EQ(statement.judgements.size(), 8u);
    EXPECT_EQ(statement.judgements[0].judgement, Judgement::消込済);
    EXPECT_EQ(statement.judgements[2].judgement, Judgement::候補);
    EXPECT_TRUE(statement.judgements[2].reason.contains(QStringLiteral("別の形式")));
    EXPECT_EQ(bank::settledChoices(statement).size(), 0u);
}

TEST(MatchingStore, TheUsersChoicesPayPartlyAddRowsAndTeachNames)
{
    TempDataFolder folder;
    auto db = folder.open();
    bank_samples::seedScenario(*db);
    const std::vector<bank::Deposit> deposits = sampleDeposits();
    bank::MatchRun run = bank::matchStoredDeposits(*db, deposits);
    ASSERT_EQ(run.judgements[6].judgement, Judgement::候補);
    ASSERT_EQ(run.judgements[7].judgement, Judgement::不明);
    const qint64 northRow = run.judgements[6].candidates.front();

    // ﾉ-ｽﾌ-ｽﾞ… confirmed for two transfers that pay the row in parts, the second one short by a fee;
    // ｷﾑﾗ ｹﾝｼﾞ is 佐藤 花子's relative, on a row of its own.
    bank::Deposit partial = deposits[6];
    partial.金額 = yen(200000);
    bank::Deposit rest = deposits[6];
    rest.照会番号 = QStringLiteral("77");
    rest.金額 = yen(64000 - 440);
    std::vector<bank::DepositChoice> choices = {
        {partial, {}, {northRow}, false, true},
        {rest, {}, {northRow}, false, true},
        {deposits[7], QStringLiteral("佐藤 花子"), {}, true, true},
    };
    const bank::ApplyResult result = bank::applyDeposits(*db, choices, run.input.settings, kNow);
    EXPECT_EQ(result.deposits, 3);
    EXPECT_EQ(result.rowsChanged, 2);
    EXPECT_EQ(result.rowsAdded, 1);
    EXPECT_EQ(result.namesLearned, 2);
    const std::vector<StoredRow> rows = readStoredRows(*db);
    ASSERT_EQ(rows.size(), 10u);
    // The new row comes after the others of 06-30, numbered on from them.
    EXPECT_EQ(rows[7], (StoredRow{QDate(2025, 6, 30), 8, QStringLiteral("佐藤 花子"), yen(8800), yen(8800),
                                  rows[7].残高}));
    EXPECT_EQ(rows[6].入金額, yen(264000));

    const std::vector<bank::LearnedName> learned = bank::readLearnedNames(*db);
    ASSERT_EQ(learned.size(), 2u);
    EXPECT_EQ(learned[0].入金先名, QStringLiteral("ノースフーズ株式会社 札幌営業所"));
    EXPECT_EQ(learned[0].振込依頼人名, deposits[6].振込依頼人名);
    EXPECT_EQ(learned[1].照合キー, bank::matchKey(QStringLiteral("ｷﾑﾗ ｹﾝｼﾞ")));

    // Next month the learned name is enough for 一致; taught to another payer, it leaves the first.
    bank::Deposit next = deposits[7];
    next.照会番号 = QStringLiteral("999");
    next.取引日 = QDate(2025, 7, 31);
    next.金額 = yen(110000);
    EXPECT_EQ(bank::matchStoredDeposits(*db, {next}).judgements[0].judgement, Judgement::候補);
    ASSERT_TRUE(bank::learnName(*db, QStringLiteral("株式会社山田商事"), next.振込依頼人名));
    const bank::MatchRun learnedRun = bank::matchStoredDeposits(*db, {next});
    EXPECT_EQ(learnedRun.judgements[0].judgement, Judgement::一致);
    EXPECT_EQ(learnedRun.judgements[0].payers, QStringList{QStringLiteral("株式会社山田商事")});
    EXPECT_EQ(bank::readLearnedNames(*db).size(), 2u);
    bank::deleteLearnedName(*db, QStringLiteral("株式会社山田商事"), learned[1].照合キー);
    EXPECT_EQ(bank::readLearnedNames(*db).size(), 1u);
}

TEST(MatchingStore, ARefusedApplyStoresNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    bank_samples::seedScenario(*db);
    const bank::MatchRun run = bank::matchStoredDeposits(*db, sampleDeposits());
    std::vector<bank::DepositChoice> choices = bank::settledChoices(run);
    // Another window paid the last of the rows meanwhile.
    db->execute("update 入金予定表 set 入金額 = 予定額 where rowid = ?",
                {Value(choices.back().rows.front())});
    const std::vector<StoredRow> before = readStoredRows(*db);
    try {
        bank::applyDeposits(*db, choices, run.input.settings, kNow);
        ADD_FAILURE() << "a row paid meanwhile was paid again";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("すでに入金済み")))
            << e.userMessage().toStdString();
    }
    EXPECT_EQ(readStoredRows(*db), before);
    EXPECT_EQ(countRows(*db, QStringLiteral("消込済入金")), 0);

    // A new row needs its payer.
    choices = {{run.deposits[7], {}, {}, true, false}};
    EXPECT_THROW(bank::applyDeposits(*db, choices, run.input.settings, kNow), StorageError);
    EXPECT_EQ(readStoredRows(*db), before);

    // A month the grid shows full takes no new row: it would push a shown row out of sight.
    std::vector<StoredRow> filler;
    for (int n = 1; n <= 193; ++n)
        filler.push_back(
            {QDate(2025, 6, 28), 100 + n, QStringLiteral("佐藤 花子"), yen(1), yen(1), std::nullopt});
    seedStoredRows(*db, filler);
    const std::vector<StoredRow> full = readStoredRows(*db);
    choices = {{run.deposits[7], QStringLiteral("佐藤 花子"), {}, true, false}};
    try {
        bank::applyDeposits(*db, choices, run.input.settings, kNow);
        ADD_FAILURE() << "a 201st row was added to June";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("2025年6月は 200 行")))
            << e.userMessage().toStdString();
    }
    EXPECT_EQ(readStoredRows(*db), full);
}

TEST(MatchingStore, KeepsFeesAndCsvMappingsAndTellsTheFileKinds)
{
    TempDataFolder folder;
    auto db = folder.open();
    EXPECT_EQ(bank::readFees(*db).front(), yen(110));
    EXPECT_THROW(bank::addFee(*db, Money()), StorageError);
    EXPECT_THROW(bank::addFee(*db, yen(10000)), StorageError);
    bank::addFee(*db, yen(165));
    bank::addFee(*db, yen(165));
    bank::deleteFee(*db, yen(880));
    const std::vector<Money> fees = bank::readFees(*db);
    EXPECT_EQ(fees.size(), 8u);
    EXPECT_EQ(fees[1], yen(165));
    EXPECT_EQ(fees.back(), yen(770));

    const QString key = bank::bankCsvLayoutKey(bank_samples::bytesOf("generic_bank_statement.csv"));
    EXPECT_FALSE(bank::readCsvMapping(*db, key));
    bank::BankCsvMapping mapping;
    mapping.dateColumn = 1;
    mapping.nameColumn = 3;
    mapping.amountColumn = 5;
    mapping.encoding = csv::CsvEncoding::Cp932;
    mapping.account = QStringLiteral("本店 普通 1234567");
    bank::saveCsvMapping(*db, key, mapping);
    const std::optional<bank::BankCsvMapping> stored = bank::readCsvMapping(*db, key);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->amountColumn, 5);
    EXPECT_EQ(stored->encoding, csv::CsvEncoding::Cp932);
    EXPECT_EQ(stored->account, mapping.account);
    EXPECT_TRUE(stored->hasHeader);

    EXPECT_TRUE(bank::isZenginFile(bank_samples::bytesOf("furikomi_01_nocrlf.txt")));
    EXPECT_TRUE(bank::isZenginFile(bank_samples::bytesOf("nyushukkin_03_crlf.txt")));
    EXPECT_TRUE(bank::isZenginFile(QByteArray("\xF1\xF0\xF1", 3)));
    EXPECT_FALSE(bank::isZenginFile(bank_samples::bytesOf("generic_bank_statement.csv")));
}
