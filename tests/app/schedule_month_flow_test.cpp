// The month the working set holds, when loads, clears and balance passes fail half-way.
#include "schedule_window.h"

#include "app/amount_field.h"
#include "app/month_edit.h"
#include "storage/database.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

namespace {

StoredRow stored(const QDate& day, int number, const QString& payer, std::int64_t planned,
                 std::int64_t balance)
{
    return {day, number, payer, yen(planned), yen(0), yen(balance)};
}

void typeAmount(FrmDorivan& window, int row, int column, const QString& figure)
{
    putCursor(window, row, column);
    typeKeys(figure);
    pressKey(Qt::Key_Tab);
}

// Another program writing to the file: it holds the write lock until release().
class WriteLock
{
public:
    explicit WriteLock(const QString& path) : m_db(path.toStdString(), SQLite::OPEN_READWRITE)
    {
        m_db.exec("BEGIN IMMEDIATE");
    }
    void release() { m_db.exec("ROLLBACK"); }

private:
    SQLite::Database m_db;
};

} // namespace

TEST(ScheduleMonthFlow, AFailedClearKeepsTheMonthTheGridHoldsAndTheSaveMendsTheLaterMonths)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 3, 10), 1, QStringLiteral("甲社"), 100, 100),
                             stored(QDate(2024, 4, 5), 1, QStringLiteral("乙社"), 50, 150)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 3, 1));
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    ASSERT_EQ(window->num予定額月計->text(), QStringLiteral("300"));

    ScopedDialogAnswers answers({false}); // いいえ to the unsaved edits: the clear is wanted
    WriteLock lock(folder.workPath());
    QTest::mouseClick(window->cmd履歴クリア, Qt::LeftButton);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.last().style, DialogStyle::Notice); // the busy file is told
    // The screen stays on March with its figures and its unsaved edit.
    EXPECT_EQ(window->Dt年月->month(), QDate(2024, 3, 1));
    EXPECT_EQ(window->workMonth(), QDate(2024, 3, 1));
    EXPECT_EQ(window->datInp->value(0, kPayer).toText(), QStringLiteral("甲社"));
    EXPECT_EQ(window->num予定額月計->text(), QStringLiteral("300"));
    EXPECT_TRUE(window->hasUnsavedEdits());

    // Saved once the file is free, March's new figure carries into April's stored balance.
    lock.release();
    answers.queue(true);
    QTest::mouseClick(window->cmd登録, Qt::LeftButton);
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(300), yen(350)}));
    EXPECT_FALSE(window->hasUnsavedEdits());

    // A month typed into the field that cannot be loaded leaves the field on March as well.
    WriteLock again(folder.workPath());
    window->Dt年月->setFocus();
    QTest::keyClick(window->Dt年月, Qt::Key_Delete);
    QTest::keyClicks(window->Dt年月, QStringLiteral("2024/6"));
    QTest::keyClick(window->Dt年月, Qt::Key_Return);
    EXPECT_EQ(window->Dt年月->month(), QDate(2024, 3, 1));
    EXPECT_EQ(window->datInp->value(0, kPayer).toText(), QStringLiteral("甲社"));
    again.release();
}

TEST(ScheduleMonthFlow, AFailedFirstLoadLeavesNoMonthInTheField)
{
    TempDataFolder folder;
    folder.open();
    std::unique_ptr<FrmDorivan> window;
    {
        ScopedDialogAnswers answers;
        WriteLock lock(folder.workPath());
        window = openWindow(folder);
        lock.release();
        EXPECT_GE(answers.count(), 1);
    }
    EXPECT_FALSE(window->Dt年月->hasValue());
    EXPECT_FALSE(window->workMonth().isValid());
    // Nothing to save into: the save asks for a month instead of guessing one.
    ScopedDialogAnswers answers({true});
    QTest::mouseClick(window->cmd登録, Qt::LeftButton);
    EXPECT_EQ(answers.last().message, QStringLiteral("年月を指定してください。"));

    // A month typed once the file is free loads as usual.
    window->Dt年月->setFocus();
    QTest::keyClicks(window->Dt年月, QStringLiteral("2024/5"));
    QTest::keyClick(window->Dt年月, Qt::Key_Return);
    EXPECT_EQ(window->workMonth().month(), 5);
    EXPECT_EQ(window->datInp->dataRowCount(), 200);
}

TEST(ScheduleMonthFlow, AFailedCommitOfTheBalancePassShowsTheBalancesInpWorkHolds)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 4, 30), 1, QStringLiteral("前月社"), 500, 500),
                             stored(QDate(2024, 5, 2), 1, QStringLiteral("甲社"), 100, 600),
                             stored(QDate(2024, 5, 3), 2, QStringLiteral("乙社"), 50, 650)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));

    // Another program starts reading the work file just after the typed amount is written: the pass
    // writes its balances, but its commit cannot get the file.
    SQLite::Database reader(folder.workPath().toStdString(), SQLite::OPEN_READONLY);
    bool reading = false;
    QObject::connect(window->datInp, &QAbstractItemModel::dataChanged, [&](const QModelIndex& cell) {
        if (cell.column() == kPlanned && !reading) {
            reader.exec("BEGIN");
            reader.execAndGet("select count(*) from InpWork");
            reading = true;
        }
    });
    ScopedDialogAnswers answers;
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    reader.exec("COMMIT");
    QCoreApplication::processEvents();
    ASSERT_TRUE(reading);
    ASSERT_EQ(answers.count(), 1);

    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(300));
    EXPECT_EQ(workCell(*window, 1, "残高").toMoney(), yen(600));
    EXPECT_EQ(shownText(*window, 0, kBalance), QStringLiteral("600"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("650"));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("650"));

    // The next amount runs the pass again over the rows as they are.
    typeAmount(*window, 0, kPlanned, QStringLiteral("310"));
    EXPECT_EQ(shownText(*window, 0, kBalance), QStringLiteral("810"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("860"));
    EXPECT_EQ(workCell(*window, 2, "残高").toMoney(), yen(860));
}

TEST(ScheduleMonthFlow, TheGridsBalancePassGoesOnAcrossBlankRows)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 4, 30), 1, QStringLiteral("前月社"), 500, 500)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    for (int number = 1; number <= 8; ++number)
        putWorkRow(*window, number, number, QStringLiteral("社%1").arg(number), 100);
    typeAmount(*window, 0, kReceived, QStringLiteral("0")); // the pass over rows 1-8
    ASSERT_EQ(shownText(*window, 7, kBalance), QStringLiteral("1,300"));

    // Row 16, typed into with rows 9-15 blank, goes on from row 8.
    typeAmount(*window, 15, kPlanned, QStringLiteral("250"));
    EXPECT_EQ(shownText(*window, 15, kBalance), QStringLiteral("1,550"));
    EXPECT_EQ(shownText(*window, 10, kBalance), QString());
    EXPECT_EQ(window->num累計->text(), QStringLiteral("1,550"));

    // A change above the blank rows reaches row 16 as well.
    typeAmount(*window, 1, kReceived, QStringLiteral("1000"));
    EXPECT_EQ(shownText(*window, 7, kBalance), QStringLiteral("300"));
    EXPECT_EQ(workCell(*window, 16, "残高").toMoney(), yen(550));
    EXPECT_EQ(workCell(*window, 12, "残高").toMoney(), Money());
    EXPECT_EQ(window->num累計->text(), QStringLiteral("550"));
}
