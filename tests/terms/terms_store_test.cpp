#include "terms/terms_store.h"

#include "schedule/overdue.h"
#include "schedule/working_set.h"
#include "storage/transaction.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

using namespace terms;

namespace {

PaymentTerms termsOf(const char* 締め日, const char* 支払月, const char* 支払日, const char* 休日,
                     const char* 定額 = "", const char* 開始 = "", const char* 終了 = "")
{
    PaymentTerms t;
    t.締め日 = parse締め日(QString::fromUtf8(締め日)).value;
    t.支払月 = parse支払月(QString::fromUtf8(支払月)).value;
    t.支払日 = parse支払日(QString::fromUtf8(支払日)).value;
    t.休日 = parse休日(QString::fromUtf8(休日)).value;
    t.定額 = parse定額(QString::fromUtf8(定額)).value;
    t.定額開始 = parse定額開始(QString::fromUtf8(開始)).value;
    t.定額終了 = parse定額終了(QString::fromUtf8(終了)).value;
    return t;
}

void seedPayer(Database& db, const QString& name, const PaymentTerms& terms)
{
    Params values{Value(name)};
    for (const Value& v : storedTermsValues(terms))
        values.push_back(v);
    db.execute(std::string("insert into 入金先マスタ (入金先名, ") + kTermsColumns +
                   ") values (?, ?, ?, ?, ?, ?, ?, ?)",
               values);
}

} // namespace

TEST(TermsStore, StoredTermsReadBackAndDueDatesFollowTheBanksOwnClosingDays)
{
    TempDataFolder folder;
    auto db = folder.open();
    // 月末締め翌月末払い, moved to the previous business day.
    seedPayer(*db, "月末", termsOf("末", "1", "末", "前"));
    seedPayer(*db, "二十日", termsOf("20", "2", "10", "後", "30000", "2026/01", "2026/06"));
    seedPayers(*db, {"条件なし"});

    // 99 stands for 末 in the file, and every field comes back as written.
    EXPECT_EQ(db->readFirst("select 締め日 from 入金先マスタ where 入金先名 = '月末'").toInt64(), 99);
    EXPECT_EQ(readTermsOf(*db, "二十日"), termsOf("20", "2", "10", "後", "30000", "2026/01", "2026/06"));
    EXPECT_TRUE(readTermsOf(*db, "条件なし")->isEmpty());
    EXPECT_FALSE(readTermsOf(*db, "いない"));
    EXPECT_EQ(readPayerTerms(*db).size(), 3u);

    // 2026/04/15 closes on 4/30 and is due on 5/31, a Sunday: the Friday before.
    EXPECT_EQ(dueDateFor(*db, "月末", QDate(2026, 4, 15)), QDate(2026, 5, 29));
    // The bank closing that Friday too moves it one day further back.
    addClosingDay(*db, QDate(2026, 5, 29));
    addClosingDay(*db, QDate(2026, 5, 29));
    EXPECT_EQ(readClosingDays(*db), std::vector<QDate>{QDate(2026, 5, 29)});
    EXPECT_EQ(dueDateFor(*db, "月末", QDate(2026, 4, 15)), QDate(2026, 5, 28));
    removeClosingDay(*db, QDate(2026, 5, 29));
    EXPECT_EQ(dueDateFor(*db, "月末", QDate(2026, 4, 15)), QDate(2026, 5, 29));

    // A payer without terms or unknown has no due date, and says which.
    try {
        dueDateFor(*db, "条件なし", QDate(2026, 4, 15));
        ADD_FAILURE();
    } catch (const TermsInputError& e) {
        EXPECT_TRUE(e.userMessage().contains("条件なし"));
    }
    EXPECT_THROW(dueDateFor(*db, "いない", QDate(2026, 4, 15)), TermsInputError);
    EXPECT_THROW(addClosingDay(*db, QDate(2100, 1, 4)), TermsInputError);
}

TEST(TermsStore, PlansAreStoredOnceAndARowTheUserChangedOrDeletedIsNotMadeAgain)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayer(*db, "定額", termsOf("末", "1", "10", "後", "50000", "2026/01", ""));
    seedPayer(*db, "月末", termsOf("末", "0", "末", "前", "20000", "", "2026/02"));
    seedStoredRows(*db, {{QDate(2026, 1, 5), 1, QString("手入力"), yen(1000), std::nullopt, yen(1000)}});

    const std::vector<PlannedRow> plan = planReceipts(*db, {2026, 1}, {2026, 3});
    ASSERT_EQ(plan.size(), 5u);
    // 1/10 is a Saturday and 1/12 成人の日: the next business day is the 13th.
    EXPECT_EQ(plan[0].date, QDate(2026, 1, 13));
    EXPECT_EQ(storePlannedRows(*db, plan), 5);

    std::vector<StoredRow> rows = readStoredRows(*db);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1],
              (StoredRow{QDate(2026, 1, 13), 2, QString("定額"), yen(50000), std::nullopt, yen(51000)}));
    // 1/31 is a Saturday: 前 brings it to Friday the 30th, after the 13th.
    EXPECT_EQ(rows[2].日付, QDate(2026, 1, 30));
    EXPECT_EQ(rows[2].残高, yen(71000));
    EXPECT_EQ(rows.back().残高, yen(1000 + 50000 * 3 + 20000 * 2));

    // Stored like any other row: the outlook and the open-receipts list count them in their months.
    const std::vector<schedule::MonthOutlook> outlook = schedule::readOutlook(*db, QDate(2026, 1, 15));
    EXPECT_EQ(outlook[schedule::kOutlookMonthsBefore].予定額, yen(1000 + 50000 + 20000));
    EXPECT_EQ(outlook[schedule::kOutlookMonthsBefore + 2].予定額, yen(50000));
    EXPECT_EQ(schedule::readOpenRows(*db, QDate(2026, 2, 28)).size(), 5u);

    // Again for the same months: nothing. Storing the same rows again adds nothing either.
    EXPECT_TRUE(planReceipts(*db, {2026, 1}, {2026, 3}).empty());
    EXPECT_EQ(storePlannedRows(*db, plan), 0);

    // The user deletes one made row and moves another to another payer: neither month comes back.
    db->execute("delete from 入金予定表 where 日付 = '2026-02-10'");
    db->execute("update 入金予定表 set 入金先名 = '別' where 日付 = '2026-03-10'");
    EXPECT_TRUE(planReceipts(*db, {2026, 1}, {2026, 3}).empty());
    // A longer range makes only the new month.
    const std::vector<PlannedRow> april = planReceipts(*db, {2026, 1}, {2026, 4});
    ASSERT_EQ(april.size(), 1u);
    EXPECT_EQ(april[0].date, QDate(2026, 4, 10));

    EXPECT_THROW(planReceipts(*db, {2026, 4}, {2026, 1}), TermsInputError);
    EXPECT_THROW(planReceipts(*db, {2099, 12}, {2100, 1}), TermsInputError);
}

TEST(TermsStore, AMonthThatWouldPassTheGridsRowsRefusesThePlanAndStoresNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    // A fixed amount without a paying day is planned on the month's last day.
    seedPayer(*db, "定額", termsOf("", "", "", "", "1000", "", ""));
    std::vector<StoredRow> full;
    for (int i = 1; i <= schedule::kWorkRowCount; ++i)
        full.push_back({QDate(2026, 5, 1), i, QString("既存"), yen(1), std::nullopt, std::nullopt});
    seedStoredRows(*db, full);

    const std::vector<PlannedRow> plan = planReceipts(*db, {2026, 4}, {2026, 5});
    ASSERT_EQ(plan.size(), 2u);
    try {
        storePlannedRows(*db, plan);
        ADD_FAILURE();
    } catch (const TermsInputError& e) {
        EXPECT_TRUE(e.userMessage().contains("2026年5月"));
    }
    EXPECT_EQ(countRows(*db, "入金予定表"), schedule::kWorkRowCount);
    EXPECT_EQ(countRows(*db, "定額予定記録"), 0);
    EXPECT_THROW(storeReceiptRow(*db, QDate(2026, 5, 20), "定額", yen(5)), TermsInputError);

    // A single receipt follows the month's rows; numbers the grid's hidden rows took are closed up.
    db->execute("delete from 入金予定表 where 行番号 <= 10");
    db->execute("update 入金予定表 set 行番号 = 行番号 + 100");
    EXPECT_EQ(storeReceiptRow(*db, QDate(2026, 5, 20), "定額", yen(5)), schedule::kWorkRowCount - 10 + 1);
    EXPECT_EQ(db->readFirst("select max(行番号) from 入金予定表").toInt64(),
              schedule::kWorkRowCount - 10 + 1);
}
