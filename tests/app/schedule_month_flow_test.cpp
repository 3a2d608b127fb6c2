// The month the working set holds: failed clears, loads and balance passes, unsaved edits, the rows a
// save leaves out, and the balance pass over blank rows.
#include "schedule_window.h"

#include "app/dialogs/dialog_prompts.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/month_edit.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

namespace {

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeAmount(FrmDorivan& window, int row, int column, const QString& figure)
{
    putCursor(window, row, column);
    typeKeys(figure);
    pressKey(Qt::Key_Tab);
}

// Runs `action` with real boxes, each answered with `key`. Returns the last one as
// "title|text|sorted buttons|default button".
QString answerBoxes(FrmDorivan& window, const std::function<void()>& action, Qt::Key key)
{
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        seen = QStringList{box->windowTitle(), box->text(), buttons.join(u','), box->defaultButton()->text()}
                   .join(u'|');
        QTest::keyClick(box, key);
    });
    poll.start(5);
    scriptedPromptsOf(window).passThrough = dialogPrompts();
    action();
    scriptedPromptsOf(window).passThrough = nullptr;
    poll.stop();
    // No window manager here gives the window its activation back.
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    return seen;
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
    ScopedDialogAnswers answers(*window, {false}); // いいえ: the unsaved edit may go
    click(control<QPushButton>(*window, "cmd履歴クリア"));
    other.exec("ROLLBACK");
    EXPECT_EQ(answers.count(), 2); // the question and the busy file
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 3, 1));
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("300"));

    // The save stores March and carries its new figure into April's stored balance.
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(300), yen(350)}));
}

TEST(ScheduleMonthFlow, AFailedFirstLoadLeavesNoMonthInTheField)
{
    TempDataFolder folder;
    folder.open();
    SQLite::Database other(folder.workPath().toStdString(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window, {true});
    other.exec("ROLLBACK");
    EXPECT_FALSE(control<MonthEdit>(*window, "Dt年月")->hasValue());
    // The save asks for a month instead of guessing one; a month typed now loads.
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(answers.last().message, QStringLiteral("年月を指定してください。"));
    QTest::keyClicks(control<MonthEdit>(*window, "Dt年月"), QStringLiteral("2024/5"));
    QTest::keyClick(control<MonthEdit>(*window, "Dt年月"), Qt::Key_Return);
    EXPECT_EQ(window->schedulePage().workMonth().month(), 5);
}

TEST(ScheduleMonthFlow, AnEditTheWorkFileCannotTakeLeavesTheDraftAndTheGridAsTheyWere)
{
    TempDataFolder folder;
    seedStoredRows(*folder.open(),
                   {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                    {QDate(2024, 5, 3), 2, QStringLiteral("乙社"), yen(50), yen(0), yen(150)}});
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));

    // Another program is reading the work file: the typed amount and its balance pass, one unit,
    // cannot be committed.
    SQLite::Database reader(folder.workPath().toStdString(), SQLite::OPEN_READONLY);
    reader.exec("BEGIN");
    reader.execAndGet("select count(*) from InpWork");
    ScopedDialogAnswers answers(*window);
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    reader.exec("COMMIT");
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(workCell(*window, 2, "残高").toMoney(), yen(150));
    EXPECT_EQ(shownText(*window, 0, kPlanned), QStringLiteral("100"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("150"));
    EXPECT_FALSE(window->schedulePage().hasUnsavedEdits());
    EXPECT_FALSE(control<QPushButton>(*window, "cmd元に戻す")->isEnabled()) << "no step was recorded";

    // Once the file is free the same edit goes through.
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("350"));
    EXPECT_TRUE(window->schedulePage().hasUnsavedEdits());
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
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("1,050"));
    // A change above the blank rows reaches row 16 as well.
    typeAmount(*window, 1, kReceived, QStringLiteral("1000"));
    EXPECT_EQ(workCell(*window, 16, "残高").toMoney(), yen(50));
}

TEST(ScheduleUnsaved, EditsAreMarkedAndAskedAboutBeforeTheMonthIsLeft)
{
    TempDataFolder folder;
    seedStoredRows(*folder.open(),
                   {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                    {QDate(2024, 6, 1), 1, QStringLiteral("乙社"), yen(10), yen(0), yen(110)}});
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    auto* mark = window->findChild<QLabel*>(QStringLiteral("lbl未登録"));
    ASSERT_TRUE(mark);
    {
        ScopedDialogAnswers answers(*window);
        click(control<QPushButton>(*window, "cmdMonNext")); // a month without edits asks nothing
        click(control<QPushButton>(*window, "cmdMonBef"));
        EXPECT_EQ(answers.count(), 0);
        typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
        EXPECT_TRUE(mark->isVisible());
        EXPECT_EQ(window->windowTitle(), kWindowCaption + QStringLiteral(" *"));

        // いいえ on 読込 throws the edit away; クリア and 閉じる ask the same way.
        click(control<QPushButton>(*window, "cmd読込"));
        EXPECT_EQ(answers.last().title, QStringLiteral("未登録の変更"));
        EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(100));
        EXPECT_FALSE(mark->isVisible());
        EXPECT_EQ(window->windowTitle(), kWindowCaption);

        // はい runs the save's own checks: a payer without a day keeps the user on the month.
        typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
        putWorkRow(*window, 3, std::nullopt, QStringLiteral("丙社"), 20);
        answers.queue(true);
        click(control<QPushButton>(*window, "cmd履歴クリア"));
        EXPECT_EQ(answers.last().message, QStringLiteral("日付が指定されていません。確認してください"));
        EXPECT_EQ(window->schedulePage().workMonth(), QDate(2024, 5, 1));
    }
    putWorkRow(*window, 3, std::nullopt, std::nullopt, 0);
    // The window's close button: Escape is キャンセル and keeps it.
    EXPECT_EQ(answerBoxes(
                  *window, [&] { window->close(); }, Qt::Key_Escape),
              QStringLiteral("未登録の変更|この月の変更はまだ登録されていません。登録しますか？|"
                             "いいえ,はい,キャンセル|はい"));
    EXPECT_TRUE(window->isVisible());
    // A typed month: Escape puts the month the grid holds back into the field.
    answerBoxes(
        *window,
        [&] {
            control<MonthEdit>(*window, "Dt年月")->setFocus();
            QTest::keyClick(control<MonthEdit>(*window, "Dt年月"), Qt::Key_Delete);
            QTest::keyClicks(control<MonthEdit>(*window, "Dt年月"), QStringLiteral("2024/7"));
            QTest::keyClick(control<MonthEdit>(*window, "Dt年月"), Qt::Key_Return);
        },
        Qt::Key_Escape);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 5, 1));
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(300));
    // Enter (はい) saves without the save question again, then moves on.
    answerBoxes(
        *window, [&] { click(control<QPushButton>(*window, "cmdMonNext")); }, Qt::Key_Return);
    EXPECT_EQ(window->schedulePage().workMonth(), QDate(2024, 6, 1));
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(300), yen(310)}));
    EXPECT_FALSE(window->schedulePage().hasUnsavedEdits());
}

TEST(ScheduleSave, RowsWithoutPayerAreNamedInOneNoticeAfterTheSaveQuestion)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 100);
    putWorkRow(*window, 9, 10, std::nullopt, 50);               // a day and an amount
    putWorkRow(*window, 12, std::nullopt, std::nullopt, 0, 30); // an amount alone

    // Enter to both: the save question says yes, the notice goes back to the first row without payer.
    EXPECT_EQ(answerBoxes(
                  *window, [&] { click(control<QPushButton>(*window, "cmd登録")); }, Qt::Key_Return),
              QStringLiteral("登録の確認|入金先のない行は登録されません: 9行目, 12行目|いいえ,はい|いいえ"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 0);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 8);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kPayer));

    ScopedDialogAnswers yes(*window, {true, true});
    click(control<QPushButton>(*window, "cmd登録"));
    ASSERT_EQ(readStoredRows(window->db()).size(), 1u);
    EXPECT_EQ(workCell(*window, 9, "予定額").toMoney(), yen(50)); // still there to be completed
}
