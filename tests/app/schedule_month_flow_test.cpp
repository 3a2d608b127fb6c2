// The month the working set holds when a clear, a load or a balance pass fails, and the balance pass
// over blank rows.
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

void typeAmount(FrmDorivan& window, int row, int column, const QString& figure)
{
    putCursor(window, row, column);
    typeKeys(figure);
    pressKey(Qt::Key_Tab);
}

} // namespace

TEST(ScheduleMonthFlow, AFailedClearKeepsTheMonthTheGridHoldsForTheSave)
{
    TempDataFolder folder;
    seedStoredRows(*folder.open(),
                   {{QDate(2024, 3, 10), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                    {QDate(2024, 4, 5), 1, QStringLiteral("乙社"), yen(50), yen(0), yen(150)}});
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 3, 1));
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));

    // Another program holds the work file's write lock: the clear fails and the screen stays on March.
    SQLite::Database other(folder.workPath().toStdString(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    ScopedDialogAnswers answers({false}); // いいえ: the unsaved edit may go
    QTest::mouseClick(window->cmd履歴クリア, Qt::LeftButton);
    other.exec("ROLLBACK");
    EXPECT_EQ(answers.count(), 2); // the question and the busy file
    EXPECT_EQ(window->Dt年月->month(), QDate(2024, 3, 1));
    EXPECT_EQ(window->num予定額月計->text(), QStringLiteral("300"));

    // The save stores March and carries its new figure into April's stored balance.
    answers.queue(true);
    QTest::mouseClick(window->cmd登録, Qt::LeftButton);
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(300), yen(350)}));
}

TEST(ScheduleMonthFlow, AFailedFirstLoadLeavesNoMonthInTheField)
{
    TempDataFolder folder;
    folder.open();
    SQLite::Database other(folder.workPath().toStdString(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    ScopedDialogAnswers answers({true});
    auto window = openWindow(folder);
    other.exec("ROLLBACK");
    EXPECT_FALSE(window->Dt年月->hasValue());
    // The save asks for a month instead of guessing one; a month typed now loads.
    QTest::mouseClick(window->cmd登録, Qt::LeftButton);
    EXPECT_EQ(answers.last().message, QStringLiteral("年月を指定してください。"));
    QTest::keyClicks(window->Dt年月, QStringLiteral("2024/5"));
    QTest::keyClick(window->Dt年月, Qt::Key_Return);
    EXPECT_EQ(window->workMonth().month(), 5);
}

TEST(ScheduleMonthFlow, AFailedCommitOfTheBalancePassShowsWhatInpWorkHolds)
{
    TempDataFolder folder;
    seedStoredRows(*folder.open(),
                   {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                    {QDate(2024, 5, 3), 2, QStringLiteral("乙社"), yen(50), yen(0), yen(150)}});
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));

    // Another program starts reading the work file just after the typed amount is written: the pass
    // writes its balances, but its commit cannot have the file.
    SQLite::Database reader(folder.workPath().toStdString(), SQLite::OPEN_READONLY);
    QObject::connect(window->datInp, &QAbstractItemModel::dataChanged, [&](const QModelIndex& cell) {
        if (cell.column() == kPlanned) {
            reader.exec("BEGIN");
            reader.execAndGet("select count(*) from InpWork");
        }
    });
    ScopedDialogAnswers answers;
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    reader.exec("COMMIT");
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(workCell(*window, 2, "残高").toMoney(), yen(150));
    EXPECT_EQ(shownText(*window, 0, kBalance), QStringLiteral("100"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("150"));
}

TEST(ScheduleMonthFlow, TheBalancePassGoesOnAcrossBlankRows)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    for (int number = 1; number <= 8; ++number)
        putWorkRow(*window, number, number, QStringLiteral("社%1").arg(number), 100);
    typeAmount(*window, 0, kReceived, QStringLiteral("0"));
    // Row 16, typed into with rows 9-15 blank, goes on from row 8.
    typeAmount(*window, 15, kPlanned, QStringLiteral("250"));
    EXPECT_EQ(shownText(*window, 15, kBalance), QStringLiteral("1,050"));
    EXPECT_EQ(shownText(*window, 10, kBalance), QString());
    EXPECT_EQ(window->num累計->text(), QStringLiteral("1,050"));
    // A change above the blank rows reaches row 16 as well.
    typeAmount(*window, 1, kReceived, QStringLiteral("1000"));
    EXPECT_EQ(workCell(*window, 16, "残高").toMoney(), yen(50));
}
