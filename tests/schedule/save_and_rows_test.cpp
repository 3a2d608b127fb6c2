#include "schedule/balances.h"
#include "schedule/day_entry.h"
#include "schedule/row_edit.h"
#include "schedule/save.h"
#include "schedule/working_set.h"

#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace schedule;

namespace {

const QDate kMay2024(2024, 5, 1);

// Types a row into the working set the way the grid leaves it.
void typeRow(Database& db, int row, std::optional<int> day, const std::optional<QString>& payer,
             std::int64_t planned, std::int64_t received = 0)
{
    db.execute(
        "update InpWork set 日付 = ?, 表示日付 = ?, 入金先名 = ?, 予定額 = ?, 入金額 = ? where 行番号 = ?",
        {day ? Value(QDate(2024, 5, *day)) : Value(), day ? Value(QString::number(*day)) : Value(), payer,
         yen(planned), yen(received), row});
}

WorkRow workRow(Database& db, int row)
{
    for (const WorkRow& r : readWorkRows(db)) {
        if (r.行番号 == row)
            return r;
    }
    return {};
}

// Every stored balance equals the one before it plus planned minus received.
void expectBalanceRule(Database& db)
{
    Money running;
    for (const StoredRow& r : readStoredRows(db)) {
        running = running + r.予定額.value_or(Money()) - r.入金額.value_or(Money());
        EXPECT_EQ(r.残高, running) << r.入金先名.value_or(QString()).toStdString() << " "
                                   << r.日付.toString(Qt::ISODate).toStdString();
    }
}

} // namespace

TEST(DayEntry, TypedDayBecomesADateOfTheDisplayedMonthOrClearsTheCell)
{
    const DayEntry seven = completeDay(kMay2024, QStringLiteral("7"));
    EXPECT_EQ(seven.kind, DayEntry::Kind::SetDate);
    EXPECT_EQ(seven.date, QDate(2024, 5, 7));
    EXPECT_EQ(completeDay(kMay2024, QStringLiteral("０７")).date, QDate(2024, 5, 7));
    EXPECT_EQ(completeDay(QDate(2024, 2, 10), QStringLiteral("29")).date, QDate(2024, 2, 29));
    EXPECT_EQ(completeDay(kMay2024, QString()).kind, DayEntry::Kind::KeepDate);
    EXPECT_EQ(completeDay(kMay2024, QStringLiteral("  ")).kind, DayEntry::Kind::KeepDate);
    for (const char* bad : {"31x", "a", "0", "-1", "1e3", "7.5", "32", "１２３"})
        EXPECT_EQ(completeDay(kMay2024, QString::fromUtf8(bad)).kind, DayEntry::Kind::Clear) << bad;
    EXPECT_EQ(completeDay(QDate(2024, 4, 1), QStringLiteral("31")).kind, DayEntry::Kind::Clear);
    EXPECT_EQ(completeDay(QDate(2023, 2, 1), QStringLiteral("29")).kind, DayEntry::Kind::Clear);
}

TEST(SaveMonth, StoresRowsWithAPayerAndAddsNoRowWhenSavedAgain)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    typeRow(*db, 1, 3, QStringLiteral("甲社"), 1000);
    typeRow(*db, 4, 9, QStringLiteral("O'Hara"), 0, 300);
    typeRow(*db, 5, 10, std::nullopt, 700); // no payer: not stored
    std::vector<int> progress;
    Entry入金予定表(*db, kMay2024, [&](int p) { progress.push_back(p); });

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
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 90), 3); // rows 198, 199, 200
    EXPECT_EQ(workRow(*db, 4).元行番号, 4);

    // Saving again adds nothing; a renamed payer is a new row and the old one stays.
    Entry入金予定表(*db, kMay2024);
    EXPECT_EQ(readStoredRows(*db).size(), 2u);
    typeRow(*db, 4, 9, QStringLiteral("O'Hara2"), 0, 300);
    Entry入金予定表(*db, kMay2024);
    stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 3u);
    expectBalanceRule(*db);
}

TEST(SaveMonth, TwoRowsOfOnePayerOnOneDayStayTwoHoweverOftenSaved)
{
    TempDataFolder folder;
    auto db = folder.open();
    const QString payer = QStringLiteral("渡辺商事");
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                         {QDate(2024, 5, 10), 1, payer, yen(1250000), yen(0), yen(0)},
                         {QDate(2024, 5, 10), 2, payer, yen(330000), yen(0), yen(0)},
                         {QDate(2024, 6, 1), 1, QStringLiteral("翌月"), yen(5), yen(0), yen(0)}});
    auto mayAmounts = [&] {
        std::vector<Money> amounts;
        for (const StoredRow& r : readStoredRows(*db)) {
            if (r.日付.month() == 5)
                amounts.push_back(r.予定額.value_or(Money()));
        }
        return amounts;
    };

    ASSERT_TRUE(Read入金予定(*db, kMay2024));
    for (int save = 0; save < 3; ++save) {
        Entry入金予定表(*db, kMay2024);
        EXPECT_EQ(mayAmounts(), (std::vector<Money>{yen(1250000), yen(330000)})) << "save " << save;
    }
    expectBalanceRule(*db);
    EXPECT_EQ(readStoredRows(*db).back().残高, yen(1580105));

    // A row opened above them and typed with the same day and payer is stored under row 1, the number
    // the first of them was loaded from; that one, rewritten as row 2, then carries the number the
    // second was loaded from. Each stored row still stands for one working row only.
    ASSERT_EQ(InsertLine(*db, 1), InsertResult::Inserted);
    typeRow(*db, 1, 10, payer, 5000);
    for (int save = 0; save < 3; ++save) {
        Entry入金予定表(*db, kMay2024);
        EXPECT_EQ(mayAmounts(), (std::vector<Money>{yen(5000), yen(1250000), yen(330000)}))
            << "save " << save;
        expectBalanceRule(*db);
    }

    // Loaded again and changed in one of them: the other stays as it was.
    ASSERT_TRUE(Read入金予定(*db, kMay2024));
    db->execute("update InpWork set 予定額 = ? where 行番号 = 3", {yen(330001)});
    Entry入金予定表(*db, kMay2024);
    Entry入金予定表(*db, kMay2024);
    EXPECT_EQ(mayAmounts(), (std::vector<Money>{yen(5000), yen(1250000), yen(330001)}));
    expectBalanceRule(*db);
}

TEST(SaveMonth, RowWithAPayerButNoDateIsRefusedAndNothingIsStored)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    typeRow(*db, 1, 3, QStringLiteral("甲社"), 1000);
    typeRow(*db, 7, std::nullopt, QStringLiteral("乙社"), 1000);
    EXPECT_EQ(firstRowWithoutDate(*db), 7);
    // A caller that skipped the question is refused by the save itself.
    const auto work = readWorkRows(*db);
    try {
        Entry入金予定表(*db, kMay2024);
        FAIL() << "a row without a date was saved";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("7行目"))) << e.userMessage().toStdString();
    }
    EXPECT_TRUE(readStoredRows(*db).empty());
    EXPECT_EQ(readWorkRows(*db), work);

    typeRow(*db, 7, 8, QStringLiteral("乙社"), 1000);
    EXPECT_EQ(firstRowWithoutDate(*db), std::nullopt);
}

TEST(SaveMonth, BalancesFollowFromTheFirstOfTheMonthWhateverDayTheFieldHolds)
{
    TempDataFolder folder;
    auto db = folder.open();
    // A stored row early in the month whose balance is not yet right, and not on screen.
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                         {QDate(2024, 5, 2), 1, QStringLiteral("丙"), yen(7), yen(0), yen(0)}});
    ClearInpWork(*db);
    typeRow(*db, 1, 3, QStringLiteral("甲"), 50);
    typeRow(*db, 2, 25, QStringLiteral("乙"), 0, 20);
    Entry入金予定表(*db, QDate(2024, 5, 20));
    expectBalanceRule(*db);
    EXPECT_EQ(readStoredRows(*db).back().残高, yen(137));

    // Without a month the pass still starts no later than the first row saved.
    typeRow(*db, 1, 3, QStringLiteral("甲"), 60);
    Entry入金予定表(*db, QDate());
    expectBalanceRule(*db);
}

TEST(SaveMonth, LaterMonthsFollowAndAFullMonthSurvivesARestart)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 6, 1), 1, QStringLiteral("後"), yen(5), yen(0), yen(999)}});
        ClearInpWork(*db);
        for (int row = 1; row <= 200; ++row)
            typeRow(*db, row, 1 + (row - 1) % 31, QStringLiteral("社%1").arg(row), row);
        Entry入金予定表(*db, kMay2024);
        expectBalanceRule(*db);
    }
    auto db = folder.open();
    const auto load = Read入金予定(*db, kMay2024);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->storedRows, 200);
    EXPECT_FALSE(load->truncated);
    const auto rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    for (const WorkRow& r : rows)
        EXPECT_TRUE(r.入金先名.has_value());
}

TEST(SaveMonth, FailureLeavesBothFilesAsTheyWere)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("既存"), yen(1), yen(0), yen(1)}});
    ClearInpWork(*db);
    typeRow(*db, 1, 2, QStringLiteral("既存"), 50);
    typeRow(*db, 2, 3, QStringLiteral("新規"), 60);
    // Both rows move down one place, so the save writes their new numbers into the work file too.
    ASSERT_EQ(InsertLine(*db, 1), InsertResult::Inserted);
    db->execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values ('2024-05-20', "
                "9, 'x', ?, 0, 0)",
                {Money::fromRaw(INT64_MAX)});
    const auto stored = readStoredRows(*db);
    const auto work = readWorkRows(*db);
    EXPECT_THROW(Entry入金予定表(*db, kMay2024), AmountOutOfRange); // the balance pass leaves the range
    EXPECT_EQ(readStoredRows(*db), stored);
    EXPECT_EQ(readWorkRows(*db), work);

    // Without the oversized row the same save goes through and writes both files.
    db->execute("delete from 入金予定表 where 入金先名 = 'x'");
    Entry入金予定表(*db, kMay2024);
    EXPECT_EQ(readStoredRows(*db).size(), 2u);
    EXPECT_EQ(workRow(*db, 2).元行番号, 2);
    EXPECT_EQ(workRow(*db, 3).元行番号, 3);
}

TEST(InsertRow, OpensABlankRowAboveAndNeverLosesData)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    typeRow(*db, 1, 1, QStringLiteral("A"), 10);
    typeRow(*db, 2, 2, QStringLiteral("B"), 20);

    EXPECT_EQ(InsertLine(*db, 1), InsertResult::Inserted);
    auto rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(rows[std::size_t(i)].行番号, i + 1);
    EXPECT_FALSE(rows[0].入金先名);
    EXPECT_EQ(rows[1].入金先名, QStringLiteral("A"));
    EXPECT_EQ(rows[2].入金先名, QStringLiteral("B"));

    // Above the last row of a full set: the empty last row is pushed out.
    EXPECT_EQ(InsertLine(*db, 200), InsertResult::Inserted);
    EXPECT_EQ(readWorkRows(*db).size(), 200u);

    // A last row holding a figure is never pushed out.
    typeRow(*db, 200, 30, QStringLiteral("Z"), 1);
    const auto before = readWorkRows(*db);
    EXPECT_EQ(InsertLine(*db, 5), InsertResult::NoRoom);
    EXPECT_EQ(readWorkRows(*db), before);
    EXPECT_EQ(InsertLine(*db, 999), InsertResult::NoCurrentRow);

    // With a gap (after a deletion) nothing is pushed out and the numbering closes up.
    LineDelete(*db, 10, Money());
    EXPECT_EQ(readWorkRows(*db).size(), 199u);
    EXPECT_EQ(InsertLine(*db, 3), InsertResult::Inserted);
    rows = readWorkRows(*db);
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows.back().入金先名, QStringLiteral("Z"));
    EXPECT_EQ(rows.back().行番号, 200);
}

TEST(DeleteRow, RemovesTheStoredRowAndKeepsEveryBalanceRight)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)}});
    ClearInpWork(*db);
    typeRow(*db, 1, 2, QStringLiteral("A"), 10);
    typeRow(*db, 2, 3, QStringLiteral("B"), 20);
    typeRow(*db, 3, 4, QStringLiteral("C"), 30);
    Entry入金予定表(*db, kMay2024);
    ASSERT_EQ(readStoredRows(*db).size(), 4u);

    // A saved row goes from storage at once; later rows continue from the anchor.
    const DeleteResult r = LineDelete(*db, 2, yen(100));
    EXPECT_TRUE(r.storedRowDeleted);
    EXPECT_EQ(readStoredRows(*db).size(), 3u);
    expectBalanceRule(*db);
    EXPECT_EQ(r.累計, yen(140));
    EXPECT_EQ(r.予定額月計, yen(40));

    // A row whose day was changed and not saved no longer matches: storage keeps it.
    typeRow(*db, 3, 20, QStringLiteral("C"), 30);
    EXPECT_FALSE(LineDelete(*db, 3, yen(100)).storedRowDeleted);
    EXPECT_EQ(readStoredRows(*db).size(), 3u);

    // A row without date or payer leaves storage alone.
    EXPECT_FALSE(LineDelete(*db, 150, yen(100)).storedRowDeleted);
    EXPECT_EQ(readStoredRows(*db).size(), 3u);
}

TEST(DeleteRow, RowMovedByAnInsertionAndSavedAgainCanBeDeleted)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    typeRow(*db, 1, 2, QStringLiteral("A"), 10);
    typeRow(*db, 2, 3, QStringLiteral("B"), 20);
    Entry入金予定表(*db, kMay2024);
    ASSERT_EQ(InsertLine(*db, 1), InsertResult::Inserted);
    Entry入金予定表(*db, kMay2024); // A is stored under row 2 now, B under row 3
    EXPECT_EQ(workRow(*db, 3).元行番号, 3);
    EXPECT_TRUE(LineDelete(*db, 3, Money()).storedRowDeleted);
    const auto stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].入金先名, QStringLiteral("A"));
}

TEST(DeleteRow, WithNoEarlierStoredRowTheLaterBalancesAreRightAtOnce)
{
    TempDataFolder folder;
    auto db = folder.open();
    ClearInpWork(*db);
    typeRow(*db, 1, 2, QStringLiteral("A"), 10);
    typeRow(*db, 2, 3, QStringLiteral("B"), 20);
    Entry入金予定表(*db, kMay2024);
    seedStoredRows(*db, {{QDate(2024, 7, 1), 1, QStringLiteral("後"), yen(5), yen(0), yen(35)}});
    EXPECT_TRUE(LineDelete(*db, 1, Money()).storedRowDeleted);
    expectBalanceRule(*db);
    EXPECT_EQ(readStoredRows(*db).back().残高, yen(25));
}

TEST(MonthSteps, VisitingMoreMonthsPreparesNoMoreStatements)
{
    TempDataFolder folder;
    auto db = folder.open();
    auto preparedStatements = [&] {
        int count = 0;
        for (sqlite3_stmt* st = nullptr; (st = sqlite3_next_stmt(db->connection().getHandle(), st));)
            ++count;
        return count;
    };
    // Load, type, save, open a row and delete one: every step that takes the month's days.
    auto visit = [&](const QDate& month) {
        ASSERT_TRUE(Read入金予定(*db, month));
        db->execute("update InpWork set 日付 = ?, 表示日付 = '03', 入金先名 = ?, 予定額 = ? where 行番号 = 1",
                    {month.addDays(2), QStringLiteral("甲"), yen(10)});
        Entry入金予定表(*db, month);
        ASSERT_EQ(InsertLine(*db, 1), InsertResult::Inserted);
        LineDelete(*db, 2, Get繰越額(*db, month));
    };
    visit(QDate(2024, 1, 1));
    visit(QDate(2024, 2, 1));
    const int prepared = preparedStatements();
    for (int m = 3; m <= 14; ++m)
        visit(QDate(2024, 1, 1).addMonths(m - 1));
    EXPECT_EQ(preparedStatements(), prepared);
}
