#include "legacy/legacy_balances.h"
#include "schedule/balances.h"
#include "schedule/day_entry.h"
#include "schedule/draft.h"
#include "schedule/working_set.h"

#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <set>

using namespace schedule;

namespace {

const QDate kMay2024(2024, 5, 1);

// Types a row into the draft the way the grid hands it over: one step.
void typeRow(Database& db, MonthDraft& draft, std::size_t row, std::optional<int> day,
             const std::optional<QString>& payer, std::int64_t planned, std::int64_t received = 0)
{
    const QDate month = draft.month();
    draft.setCells(
        db,
        {{row, k表示日付, day ? Value(QStringLiteral("%1").arg(*day, 2, 10, QLatin1Char('0'))) : Value()},
         {row, k日付, day ? Value(QDate(month.year(), month.month(), *day)) : Value()},
         {row, k入金先名, Value(payer)},
         {row, k予定額, Value(yen(planned))},
         {row, k入金額, Value(yen(received))}},
        Money(), QStringLiteral("入力"));
}

// Every stored balance equals the one before it plus planned minus received, an empty amount as 0.
void expectBalanceRule(Database& db)
{
    Money running;
    for (const StoredRow& r : readStoredRows(db)) {
        running = running + r.予定額.value_or(Money()) - r.入金額.value_or(Money());
        EXPECT_EQ(r.残高, running) << r.入金先名.value_or(QString()).toStdString() << " "
                                   << r.日付.toString(Qt::ISODate).toStdString();
    }
}

std::vector<Money> plannedOfMonth(Database& db, int month)
{
    std::vector<Money> amounts;
    for (const StoredRow& r : readStoredRows(db)) {
        if (r.日付.month() == month)
            amounts.push_back(r.予定額.value_or(Money()));
    }
    return amounts;
}

} // namespace

TEST(DayEntry, TypedDayBecomesADateOfTheDisplayedMonthOrClearsTheCell)
{
    const DayEntry seven = completeDay(kMay2024, QStringLiteral("7"));
    EXPECT_EQ(seven.kind, DayEntry::Kind::SetDate);
    EXPECT_EQ(seven.date, QDate(2024, 5, 7));
    EXPECT_EQ(seven.cellText, QStringLiteral("07")) << "the form a loaded row shows";
    EXPECT_EQ(completeDay(kMay2024, QStringLiteral("０７")).date, QDate(2024, 5, 7));
    EXPECT_EQ(completeDay(QDate(2024, 2, 10), QStringLiteral("29")).date, QDate(2024, 2, 29));
    EXPECT_EQ(completeDay(kMay2024, QString()).kind, DayEntry::Kind::KeepDate);
    EXPECT_EQ(completeDay(kMay2024, QStringLiteral("  ")).kind, DayEntry::Kind::KeepDate);
    for (const char* bad : {"31x", "a", "0", "-1", "1e3", "7.5", "32", "１２３"})
        EXPECT_EQ(completeDay(kMay2024, QString::fromUtf8(bad)).kind, DayEntry::Kind::Clear) << bad;
    EXPECT_EQ(completeDay(QDate(2024, 4, 1), QStringLiteral("31")).kind, DayEntry::Kind::Clear);
    EXPECT_EQ(completeDay(QDate(2023, 2, 1), QStringLiteral("29")).kind, DayEntry::Kind::Clear);
}

TEST(SaveMonth, StoresRowsWithAPayerAndKeepsTheRestAsUnsavedRows)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, kMay2024);
    typeRow(*db, draft, 0, 3, QStringLiteral("甲社"), 1000);
    typeRow(*db, draft, 3, 9, QStringLiteral("O'Hara"), 0, 300);
    typeRow(*db, draft, 4, 10, std::nullopt, 700); // no payer: not stored
    std::vector<int> progress;
    draft.save(*db, [&](int p) { progress.push_back(p); });

    auto stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].入金先名, QStringLiteral("甲社"));
    EXPECT_EQ(stored[0].行番号, 1);
    EXPECT_EQ(stored[0].予定額, yen(1000));
    EXPECT_EQ(stored[1].入金先名, QStringLiteral("O'Hara"));
    EXPECT_EQ(stored[1].行番号, 4);
    expectBalanceRule(*db);
    EXPECT_EQ(progress.front(), 10);
    EXPECT_EQ(progress.back(), 100);
    // The row the save left out is still on the screen, still unsaved; the stored ones are not.
    EXPECT_TRUE(draft.isDirty());
    EXPECT_EQ(draft.unsavedRows(), (std::vector<std::size_t>{4}));
    EXPECT_FALSE(draft.isRowUnsaved(0));
    EXPECT_TRUE(draft.isRowUnsaved(4));
    EXPECT_EQ(draft.rows()[3].残高, stored[1].残高);
    EXPECT_EQ(readWorkRows(*db), draft.rows());

    // Saving again adds nothing; a corrected payer name changes the row that was stored.
    draft.save(*db);
    EXPECT_EQ(readStoredRows(*db).size(), 2u);
    draft.setCells(*db, {{3, k入金先名, Value("O'Hara商会")}}, Money(), QString());
    draft.save(*db);
    stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].入金先名, QStringLiteral("O'Hara商会"));
    expectBalanceRule(*db);

    // Once the payer-less row gets a payer, the month is clean.
    draft.setCells(*db, {{4, k入金先名, Value("丙")}}, Money(), QString());
    draft.save(*db);
    EXPECT_FALSE(draft.isDirty());
    EXPECT_EQ(readStoredRows(*db).size(), 3u);
}

TEST(SaveMonth, EachStoredRowStandsForOneWorkingRowOnly)
{
    TempDataFolder folder;
    auto db = folder.open();
    const QString payer = QStringLiteral("渡辺商事");
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                         {QDate(2024, 5, 10), 1, payer, yen(1250000), yen(0), yen(0)},
                         {QDate(2024, 5, 10), 2, payer, yen(330000), yen(0), yen(0)},
                         {QDate(2024, 6, 1), 1, QStringLiteral("翌月"), yen(5), yen(0), yen(0)}});
    MonthDraft draft;
    ASSERT_TRUE(draft.load(*db, kMay2024));
    for (int save = 0; save < 3; ++save) {
        draft.save(*db);
        EXPECT_EQ(plannedOfMonth(*db, 5), (std::vector<Money>{yen(1250000), yen(330000)})) << "save " << save;
    }
    expectBalanceRule(*db);
    EXPECT_EQ(readStoredRows(*db).back().残高, yen(1580105));

    // A row opened above them with the same day and payer is a third row, not either of theirs.
    ASSERT_EQ(draft.insertRow(*db, 0), InsertResult::Inserted);
    typeRow(*db, draft, 0, 10, payer, 5000);
    for (int save = 0; save < 3; ++save) {
        draft.save(*db);
        EXPECT_EQ(plannedOfMonth(*db, 5), (std::vector<Money>{yen(5000), yen(1250000), yen(330000)}))
            << "save " << save;
        expectBalanceRule(*db);
    }

    // A work file in which two rows claim one stored row (edited by hand): the first takes it, the
    // second is stored as a row of its own rather than over it; the row nobody claims any more goes.
    ASSERT_TRUE(draft.load(*db, kMay2024));
    db->execute("update InpWork set StoredRowId = (select StoredRowId from InpWork where 行番号 = 2),"
                " 予定額 = ? where 行番号 = 3",
                {yen(7)});
    db->execute("update InpWorkDraft set 未登録 = 1");
    MonthDraft restored;
    ASSERT_EQ(MonthDraft::pendingMonth(*db), kMay2024);
    restored.restore(*db);
    restored.save(*db);
    EXPECT_EQ(plannedOfMonth(*db, 5), (std::vector<Money>{yen(5000), yen(1250000), yen(7)}));
    expectBalanceRule(*db);
}

TEST(SaveMonth, WritesOnlyTheCellsTheUserChangedSoAnAmountStoredMeanwhileStays)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 5, 10), 1, QStringLiteral("甲"), yen(1000), yen(0), yen(1000)},
                         {QDate(2024, 5, 20), 2, QStringLiteral("乙"), yen(500), yen(0), yen(1500)}});
    MonthDraft draft;
    ASSERT_TRUE(draft.load(*db, kMay2024));
    // The command line pays both rows while the draft waits, as after a start that left it unsaved.
    db->execute("update 入金予定表 set 入金額 = 予定額");
    draft.setCells(*db, {{0, k予定額, Value(yen(1200))}}, Money(), QStringLiteral("入力"));
    draft.save(*db);
    const std::vector<StoredRow> rows = readStoredRows(*db);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].予定額, yen(1200));
    EXPECT_EQ(rows[0].入金額, yen(1000));
    EXPECT_EQ(rows[1].入金額, yen(500));
    expectBalanceRule(*db);
    // The draft shows what is stored, and the stored amounts are no edit of its own.
    EXPECT_EQ(draft.rows()[0].入金額, yen(1000));
    EXPECT_EQ(draft.rows()[1].残高, yen(200));
    EXPECT_FALSE(draft.isDirty());
}

TEST(SaveMonth, RowWithAPayerButNoDateIsRefusedAndNothingIsStored)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, kMay2024);
    typeRow(*db, draft, 0, 3, QStringLiteral("甲社"), 1000);
    typeRow(*db, draft, 6, std::nullopt, QStringLiteral("乙社"), 1000);
    EXPECT_EQ(draft.firstRowWithoutDate(), 7);
    const auto work = readWorkRows(*db);
    try {
        draft.save(*db);
        FAIL() << "a row without a date was saved";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("7行目"))) << e.userMessage().toStdString();
    }
    EXPECT_TRUE(readStoredRows(*db).empty());
    EXPECT_EQ(readWorkRows(*db), work);
    EXPECT_EQ(draft.rows(), work);
}

TEST(SaveMonth, BalancesFollowFromTheEarliestDateTouched)
{
    TempDataFolder folder;
    auto db = folder.open();
    // A stored row early in the month whose balance is not yet right.
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                         {QDate(2024, 5, 2), 1, QStringLiteral("丙"), yen(7), yen(0), yen(0)}});
    MonthDraft draft;
    ASSERT_TRUE(draft.load(*db, QDate(2024, 5, 20)));
    typeRow(*db, draft, 1, 3, QStringLiteral("甲"), 50);
    typeRow(*db, draft, 2, 25, QStringLiteral("乙"), 0, 20);
    draft.save(*db);
    expectBalanceRule(*db);
    EXPECT_EQ(readStoredRows(*db).back().残高, yen(137));
    EXPECT_EQ(draft.rows()[2].残高, yen(137)) << "the screen shows the stored balance";
}

TEST(SaveMonth, FailureLeavesBothFilesAndTheDraftAsTheyWere)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("既存"), yen(1), yen(0), yen(1)}});
    MonthDraft draft;
    ASSERT_TRUE(draft.load(*db, kMay2024));
    typeRow(*db, draft, 1, 3, QStringLiteral("新規"), 60);
    ASSERT_EQ(draft.insertRow(*db, 0), InsertResult::Inserted);
    draft.deleteRow(*db, 1, Money()); // the stored row goes with the save
    db->execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values ('2024-05-20', "
                "9, 'x', ?, 0, 0)",
                {Money::fromRaw(INT64_MAX)});
    const auto stored = readStoredRows(*db);
    const auto work = readWorkRows(*db);
    EXPECT_THROW(draft.save(*db), AmountOutOfRange); // the balance pass leaves the range
    EXPECT_EQ(readStoredRows(*db), stored);
    EXPECT_EQ(readWorkRows(*db), work);
    EXPECT_EQ(draft.rows(), work);
    EXPECT_TRUE(draft.isDirty());
    EXPECT_TRUE(draft.history().canUndo()) << "a failed save keeps the history";

    // Without the oversized row the same save goes through.
    db->execute("delete from 入金予定表 where 入金先名 = 'x'");
    draft.save(*db);
    const auto after = readStoredRows(*db);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].入金先名, QStringLiteral("新規"));
    EXPECT_EQ(after[0].行番号, 2);
    EXPECT_FALSE(draft.isDirty());
}

TEST(Draft, RowDeletionWaitsForTheSaveAndIsUndone)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                         {QDate(2024, 5, 2), 1, QStringLiteral("A"), yen(10), yen(0), yen(110)},
                         {QDate(2024, 5, 3), 2, QStringLiteral("B"), yen(20), yen(0), yen(130)},
                         {QDate(2024, 5, 4), 3, QStringLiteral("C"), yen(30), yen(0), yen(160)}});
    const auto before = readStoredRows(*db);
    MonthDraft draft;
    const auto load = draft.load(*db, kMay2024);
    ASSERT_TRUE(load);

    ASSERT_TRUE(draft.deleteRow(*db, 1, load->繰越額));
    EXPECT_EQ(readStoredRows(*db), before) << "nothing is stored before the save";
    EXPECT_TRUE(draft.isDirty());
    EXPECT_EQ(draft.rows()[1].入金先名, QStringLiteral("C"));
    EXPECT_EQ(draft.rows()[1].残高, yen(140)) << "the balances carry on over the gap at once";
    EXPECT_EQ(draft.cumulative(), yen(140));
    EXPECT_EQ(draft.rows().size(), 200u);

    // Undone, the month is as stored again and clean; redone, the save removes exactly that row.
    ASSERT_TRUE(draft.undo(*db));
    EXPECT_FALSE(draft.isDirty());
    EXPECT_EQ(draft.rows()[1].入金先名, QStringLiteral("B"));
    EXPECT_EQ(readWorkRows(*db), draft.rows());
    ASSERT_TRUE(draft.redo(*db));
    EXPECT_FALSE(draft.redo(*db));
    draft.save(*db);
    const auto stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[2].入金先名, QStringLiteral("C"));
    EXPECT_EQ(stored[2].行番号, 2);
    expectBalanceRule(*db);
    EXPECT_FALSE(draft.history().canUndo()) << "a save starts a new history";
}

TEST(Draft, EachEditIsOneStepAndUndoingToTheStoredStateIsClean)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("A"), yen(10), yen(0), yen(10)},
                         {QDate(2024, 5, 3), 2, QStringLiteral("B"), yen(20), yen(0), yen(30)}});
    MonthDraft draft;
    ASSERT_TRUE(draft.load(*db, kMay2024));

    // An amount typed: its balance pass is part of the same step.
    const auto changed = draft.setCells(*db, {{0, k予定額, Value(yen(15))}}, Money(), QString());
    EXPECT_EQ(changed, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(draft.rows()[1].残高, yen(35));
    EXPECT_EQ(draft.history().count(), 1);
    // The same value again is no edit at all.
    EXPECT_TRUE(draft.setCells(*db, {{0, k予定額, Value(yen(15))}}, Money(), QString()).empty());
    EXPECT_EQ(draft.history().count(), 1);

    // Typed back to the stored figure, the month is clean without an undo; and after undo, redo and
    // another undo, it is clean again with the stored balances.
    draft.setCells(*db, {{0, k予定額, Value(yen(10))}}, Money(), QString());
    EXPECT_FALSE(draft.isDirty());
    ASSERT_TRUE(draft.undo(*db));
    EXPECT_TRUE(draft.isDirty());
    ASSERT_TRUE(draft.undo(*db));
    EXPECT_FALSE(draft.isDirty());
    EXPECT_EQ(draft.rows()[1].残高, yen(30));
    EXPECT_FALSE(draft.undo(*db));
    EXPECT_EQ(readWorkRows(*db), draft.rows());
}

TEST(Draft, InsertRowOpensABlankRowAboveAndNeverLosesData)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, kMay2024);
    typeRow(*db, draft, 0, 1, QStringLiteral("A"), 10);
    typeRow(*db, draft, 1, 2, QStringLiteral("B"), 20);

    EXPECT_EQ(draft.insertRow(*db, 0), InsertResult::Inserted);
    auto rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(rows[std::size_t(i)].行番号, i + 1);
    EXPECT_FALSE(rows[0].入金先名);
    EXPECT_EQ(rows[1].入金先名, QStringLiteral("A"));
    EXPECT_EQ(rows[2].入金先名, QStringLiteral("B"));

    // A last row holding a figure is never pushed out.
    typeRow(*db, draft, 199, 30, QStringLiteral("Z"), 1);
    const auto before = readWorkRows(*db);
    EXPECT_EQ(draft.insertRow(*db, 4), InsertResult::NoRoom);
    EXPECT_EQ(readWorkRows(*db), before);
    EXPECT_EQ(draft.insertRow(*db, 999), InsertResult::NoCurrentRow);

    // After a deletion there is room again, and the figure stays the last row.
    draft.deleteRow(*db, 9, Money());
    EXPECT_EQ(draft.insertRow(*db, 2), InsertResult::Inserted);
    rows = readWorkRows(*db);
    EXPECT_EQ(rows.back().入金先名, QStringLiteral("Z"));
    EXPECT_EQ(rows.back().行番号, 200);
}

TEST(Draft, TypedWorkIsFoundAgainByTheNextStartUntilSavedOrDiscarded)
{
    TempDataFolder folder;
    std::vector<WorkRow> typed;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("A"), yen(10), yen(0), yen(10)}});
        MonthDraft draft;
        ASSERT_TRUE(draft.load(*db, kMay2024));
        EXPECT_EQ(MonthDraft::pendingMonth(*db), std::nullopt) << "a loaded month is nothing to restore";
        typeRow(*db, draft, 1, 9, QStringLiteral("B"), 20);
        draft.deleteRow(*db, 0, Money());
        typed = draft.rows();
    } // the program ends here without a word: killed, or the power went
    auto db = folder.open();
    ASSERT_EQ(MonthDraft::pendingMonth(*db), kMay2024);
    MonthDraft restored;
    restored.restore(*db);
    EXPECT_EQ(restored.month(), kMay2024);
    EXPECT_EQ(restored.rows(), typed);
    EXPECT_TRUE(restored.isDirty());
    restored.save(*db);
    const auto stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].入金先名, QStringLiteral("B"));
    EXPECT_EQ(MonthDraft::pendingMonth(*db), std::nullopt);

    // Discarded edits are not offered again either.
    typeRow(*db, restored, 5, 7, QStringLiteral("C"), 1);
    ASSERT_EQ(MonthDraft::pendingMonth(*db), kMay2024);
    restored.discard(*db);
    EXPECT_EQ(MonthDraft::pendingMonth(*db), std::nullopt);
}

TEST(SaveMonth, AMonthOfMoreThan200RowsKeepsTheRowsItDoesNotShow)
{
    TempDataFolder folder;
    auto db = folder.open();
    // Earlier data numbered its rows by day: numbers repeat within the month.
    std::vector<StoredRow> seeded;
    for (int i = 0; i < 203; ++i)
        seeded.push_back({QDate(2024, 5, 1 + i / 7), 1 + i % 7, QStringLiteral("先%1").arg(i), yen(1), yen(0),
                          yen(i + 1)});
    seedStoredRows(*db, seeded);
    MonthDraft draft;
    const auto load = draft.load(*db, kMay2024);
    ASSERT_TRUE(load && load->truncated);
    const QString firstPayer = *draft.rows()[0].入金先名;

    draft.deleteRow(*db, 0, Money());
    draft.save(*db);

    const auto stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 202u) << "exactly the deleted row is gone";
    std::set<int> numbers;
    for (const StoredRow& r : stored) {
        EXPECT_NE(r.入金先名, firstPayer);
        numbers.insert(r.行番号);
    }
    EXPECT_EQ(numbers.size(), stored.size()) << "no two rows of the month share a number";
    EXPECT_EQ(stored.back().入金先名, QStringLiteral("先202"));
    expectBalanceRule(*db);

    // Loaded again, the month shows the same first 200 rows in the same order.
    ASSERT_TRUE(draft.load(*db, kMay2024));
    EXPECT_EQ(draft.rows()[0].入金先名, QStringLiteral("先1"));
    EXPECT_EQ(draft.rows()[199].入金先名, QStringLiteral("先200"));
}

TEST(Balances, EveryPassGivesTheSameBalancesOverEmptyAmounts)
{
    TempDataFolder folder;
    auto db = folder.open();
    // Earlier data keeps an empty amount as nothing; each pass counts it as 0 and carries on.
    const std::vector<StoredRow> history{
        {QDate(2024, 1, 2), 1, QStringLiteral("X"), yen(1000), yen(0), yen(1000)},
        {QDate(2024, 1, 5), 2, QStringLiteral("A"), yen(100), yen(0), yen(1100)},
        {QDate(2024, 1, 10), 3, QStringLiteral("B"), std::nullopt, yen(0), std::nullopt},
        {QDate(2024, 1, 15), 4, QStringLiteral("C"), yen(50), std::nullopt, yen(1150)},
        {QDate(2024, 2, 3), 1, QStringLiteral("D"), yen(7), yen(0), yen(1157)}};
    seedStoredRows(*db, history);

    // The Access import's check and the stored pass (the save's and the CSV import's) agree.
    std::vector<legacy::LegacyRow> legacyRows;
    for (const StoredRow& r : history)
        legacyRows.push_back({r.日付, r.行番号, r.入金先名, r.予定額, r.入金額, r.残高});
    EXPECT_EQ(legacy::settleBalances(legacyRows, std::vector<bool>(legacyRows.size()), nullptr), 1);
    recomputeBalances(*db, QDate(2024, 1, 1));
    const auto stored = storedBalances(*db);
    for (std::size_t i = 0; i < legacyRows.size(); ++i)
        EXPECT_EQ(legacyRows[i].残高, stored[i]) << i;
    EXPECT_EQ(stored[2], yen(1100));

    // Deleting A in the grid and saving gives the grid's balances and then the same stored ones.
    MonthDraft draft;
    const auto load = draft.load(*db, QDate(2024, 1, 1));
    ASSERT_TRUE(load);
    draft.deleteRow(*db, 1, load->繰越額);
    EXPECT_EQ(draft.rows()[1].残高, yen(1000));
    EXPECT_EQ(draft.rows()[2].残高, yen(1050));
    draft.save(*db);
    EXPECT_EQ(storedBalances(*db),
              (std::vector<std::optional<Money>>{yen(1000), yen(1000), yen(1050), yen(1057)}));
    EXPECT_EQ(draft.rows()[2].残高, yen(1050));
}

TEST(MonthSteps, VisitingMoreMonthsPreparesNoMoreStatements)
{
    TempDataFolder folder;
    auto db = folder.open();
    auto preparedStatements = [&] {
        int count = 0;
        for (sqlite3_stmt* st = nullptr; (st = sqlite3_next_stmt(rawConnection(*db).getHandle(), st));)
            ++count;
        return count;
    };
    MonthDraft draft;
    // Load, type, save, open a row, delete one, undo and save: every step that takes the month's days.
    auto visit = [&](const QDate& month) {
        ASSERT_TRUE(draft.load(*db, month));
        typeRow(*db, draft, 0, 3, QStringLiteral("甲"), 10);
        draft.save(*db);
        ASSERT_EQ(draft.insertRow(*db, 0), InsertResult::Inserted);
        draft.deleteRow(*db, 1, readCarryForward(*db, month));
        draft.undo(*db);
        draft.save(*db);
    };
    visit(QDate(2024, 1, 1));
    visit(QDate(2024, 2, 1));
    const int prepared = preparedStatements();
    for (int m = 3; m <= 14; ++m)
        visit(QDate(2024, 1, 1).addMonths(m - 1));
    EXPECT_EQ(preparedStatements(), prepared);
}

TEST(SaveMonth, ARowOutsideTheYearsTheProgramShowsIsRefused)
{
    TempDataFolder folder;
    auto db = folder.open();
    MonthDraft draft;
    draft.clear(*db, QDate(2100, 1, 1)); // the month field goes on past 2099
    typeRow(*db, draft, 0, 5, QStringLiteral("甲社"), 1000);
    try {
        draft.save(*db);
        FAIL() << "a row of 2100 was stored";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("2100/01/05"))) << e.userMessage().toStdString();
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("1900年から2099年")))
            << e.userMessage().toStdString();
    }
    EXPECT_TRUE(readStoredRows(*db).empty());
    EXPECT_TRUE(draft.isDirty());
}
