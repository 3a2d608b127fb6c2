#include "schedule_window.h"

#include "app/dialogs/hint_window.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/month_edit.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void pressWith(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void expectCursor(FrmDorivan& window, int row, int column)
{
    EXPECT_EQ(control<BoundGrid>(window, "GridInp")->currentRow(), row);
    EXPECT_EQ(control<BoundGrid>(window, "GridInp")->currentColumn(), column);
}

} // namespace

TEST(ScheduleKeys, StartUpPutsTheCursorOnTheDayOfTheFirstEmptyRow)
{
    TempDataFolder folder;
    const QDate first = QDate::currentDate().addDays(1 - QDate::currentDate().day());
    {
        auto db = folder.open();
        seedStoredRows(*db, {{first, 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                             {first.addDays(1), 1, QStringLiteral("乙社"), yen(0), yen(50), yen(50)}});
    }
    auto window = openWindow(folder);
    expectCursor(*window, 2, kDay);
    EXPECT_EQ(QApplication::focusWidget(), control<BoundGrid>(*window, "GridInp"));
}

TEST(ScheduleKeys, TheBalanceIsReadOnlyAndTheCursorPassesItBy)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    EXPECT_FALSE(control<WorkTableModel>(*window, "datInp")->index(0, kBalance).flags() & Qt::ItemIsEditable);
    putCursor(*window, 0, kReceived);
    pressKey(Qt::Key_Tab);
    expectCursor(*window, 1, kDay);
    // Neither a click nor code puts the cursor there.
    const QModelIndex balance = control<WorkTableModel>(*window, "datInp")->index(2, kBalance);
    QTest::mouseDClick(control<BoundGrid>(*window, "GridInp")->viewport(), Qt::LeftButton, {},
                       control<BoundGrid>(*window, "GridInp")->visualRect(balance).center());
    putCursor(*window, 2, kBalance);
    expectCursor(*window, 1, kDay);
    EXPECT_EQ(QApplication::focusWidget(), control<BoundGrid>(*window, "GridInp"));
}

TEST(ScheduleKeys, DeleteEmptiesTheCellUnderTheCursor)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 3, QStringLiteral("甲社"), 1000, 200);
    for (int column : {kReceived, kPayer, kDay}) {
        putCursor(*window, 0, column);
        pressKey(Qt::Key_Delete);
        EXPECT_EQ(shownText(*window, 0, column), QString()) << column;
    }
    // Amounts become 0 and the balance follows; an emptied day keeps the row's date, as when typed away.
    EXPECT_EQ(workCell(*window, 1, "入金額").toMoney(), Money());
    EXPECT_EQ(workCell(*window, 1, "残高").toMoney(), yen(1000));
    EXPECT_TRUE(workCell(*window, 1, "入金先名").isNull());
    EXPECT_EQ(workCell(*window, 1, "日付").toDate(), QDate(2024, 5, 3));
}

TEST(ScheduleKeys, ShortcutsPressTheButtonsAndAreNamedInTheirTooltips)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    EXPECT_EQ(control<QPushButton>(*window, "cmdMonBef")->toolTip(), QStringLiteral("前の月 (PageUp)"));
    EXPECT_EQ(control<QPushButton>(*window, "cmd行削除")->toolTip(), QStringLiteral("行削除 (Ctrl+Delete)"));

    // PageDown / PageUp move by a month; in the month field they still step a year.
    showMonth(*window, QDate(2024, 5, 1));
    putCursor(*window, 0, kDay);
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 6, 1));
    pressKey(Qt::Key_PageUp);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 5, 1));
    control<MonthEdit>(*window, "Dt年月")->setFocus();
    pressKey(Qt::Key_PageUp);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2025, 5, 1));
    showMonth(*window, QDate(2024, 5, 1));

    // Ctrl+S stores the figure still being typed, then asks as the button does; so does Ctrl+Delete.
    putWorkRow(*window, 2, 3, QStringLiteral("乙社"), 200);
    ScopedDialogAnswers answers(*window); // all answered No
    putCursor(*window, 1, kPlanned);
    typeKeys(QStringLiteral("250"));
    pressWith(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(workCell(*window, 2, "予定額").toMoney(), yen(250));
    pressWith(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.shown()[0].title, QStringLiteral("登録の確認"));
    EXPECT_EQ(answers.shown()[1].title, QStringLiteral("削除の確認"));
    // Ctrl+I, like the button, opens a row and leaves the cursor on its day.
    pressWith(Qt::Key_I, Qt::ControlModifier);
    expectCursor(*window, 1, kDay);
    EXPECT_TRUE(control<WorkTableModel>(*window, "datInp")->value(1, kPayer).isNull());
    EXPECT_EQ(QApplication::focusWidget(), control<BoundGrid>(*window, "GridInp"));

    bool printed = false;
    scriptedPromptsOf(*window).monthlyReportPreview = [&](QWidget*, Database&, const QDate&, const QString&,
                                                          const report::ScreenFigures&,
                                                          std::int64_t) { printed = true; };
    pressWith(Qt::Key_P, Qt::ControlModifier);
    scriptedPromptsOf(*window).monthlyReportPreview = nullptr;
    EXPECT_TRUE(printed);

    // One key, the button of the page in view.
    control<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    pressKey(Qt::Key_F1);
    auto* hint = qobject_cast<Hint*>(window->hintWindow());
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->lblCtlName->text(), QStringLiteral("cmdHint1"));
    window->hintWindow()->close();
}

TEST(ScheduleKeys, TheCursorComesBackToTheGridAfterEveryMonthChangeLoadSaveInsertionAndDeletion)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                             {QDate(2024, 6, 3), 1, QStringLiteral("乙社"), yen(50), yen(0), yen(150)}});
    }
    auto window = openWindow(folder);
    auto* grid = control<BoundGrid>(*window, "GridInp");
    const auto pressButton = [&](const char* name) {
        auto* button = control<QPushButton>(*window, name);
        button->setFocus(Qt::MouseFocusReason);
        button->click();
    };

    // A month typed into the field and Enter, then 読込, then PageDown from the button row: each time the
    // grid holds the focus on the first empty day, so the next keys are typed there instead of pressing
    // 読込 again.
    auto* field = control<MonthEdit>(*window, "Dt年月");
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, QStringLiteral("2024/5"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window->schedulePage().workMonth(), QDate(2024, 5, 1));
    EXPECT_EQ(QApplication::focusWidget(), grid);
    expectCursor(*window, 1, kDay);
    pressButton("cmd読込");
    EXPECT_EQ(QApplication::focusWidget(), grid);
    expectCursor(*window, 1, kDay);
    control<QPushButton>(*window, "cmd読込")->setFocus();
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 6, 1));
    EXPECT_EQ(QApplication::focusWidget(), grid);
    expectCursor(*window, 1, kDay);
    typeKeys(QStringLiteral("5"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(shownText(*window, 1, kDay), QStringLiteral("05")) << "typed days look like loaded ones";

    // The save, the insertion and the deletion come back to the row worked on.
    putCursor(*window, 1, kPayer);
    {
        ScopedDialogAnswers answers(*window, {true, true});
        pressButton("cmd登録");
        EXPECT_EQ(QApplication::focusWidget(), grid);
        expectCursor(*window, 1, kPayer);
    }
    pressButton("cmd行挿入");
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(grid->currentRow(), 1);
    {
        ScopedDialogAnswers answers(*window, {false});
        pressButton("cmd行削除");
        EXPECT_EQ(answers.questionCount(), 1);
        EXPECT_EQ(QApplication::focusWidget(), grid) << "いいえ keeps the row and the cursor on it";
        EXPECT_EQ(grid->currentRow(), 1);
    }
    {
        ScopedDialogAnswers answers(*window, {true});
        pressButton("cmd行削除");
        EXPECT_EQ(QApplication::focusWidget(), grid);
        EXPECT_EQ(grid->currentRow(), 1);
    }
}
