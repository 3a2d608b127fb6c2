#include "schedule_window.h"

#include "app/amount_field.h"
#include "app/month_edit.h"
#include "storage/database.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// May 2024 on screen with a carry-forward of 500 from April.
std::unique_ptr<FrmDorivan> mayWithCarry(const TempDataFolder& folder)
{
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月社"), yen(500), yen(0), yen(500)}});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    return window;
}

std::optional<Money> workAmount(FrmDorivan& window, int rowNumber, const char* column)
{
    return workCell(window, rowNumber, column).toMoney();
}

} // namespace

TEST(ScheduleEdit, ATypedDayBecomesTheRowsDateOrClearsTheCell)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    putCursor(*window, 0, kDay);
    typeKeys(QStringLiteral("7"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workCell(*window, 1, "日付").toDate(), QDate(2024, 5, 7));
    EXPECT_EQ(shownText(*window, 0, kDay), QStringLiteral("7"));
    EXPECT_EQ(window->GridInp->currentColumn(), int(kPayer));

    // Emptying the day keeps the row's date.
    putCursor(*window, 0, kDay);
    pressKey(Qt::Key_F2);
    pressKey(Qt::Key_Backspace);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workCell(*window, 1, "日付").toDate(), QDate(2024, 5, 7));

    // A letter clears the cell and the date.
    putCursor(*window, 0, kDay);
    typeKeys(QStringLiteral("a"));
    pressKey(Qt::Key_Tab);
    EXPECT_TRUE(workCell(*window, 1, "表示日付").isNull());
    EXPECT_TRUE(workCell(*window, 1, "日付").isNull());

    // The 31st of a 30-day month is no day.
    ScopedDialogAnswers discardMay({false});
    showMonth(*window, QDate(2024, 4, 1));
    putCursor(*window, 1, kDay);
    typeKeys(QStringLiteral("31"));
    pressKey(Qt::Key_Return);
    EXPECT_TRUE(workCell(*window, 2, "表示日付").isNull());
    EXPECT_TRUE(workCell(*window, 2, "日付").isNull());
    EXPECT_EQ(shownText(*window, 1, kDay), QString());
}

TEST(ScheduleEdit, AmountsRecomputeTheirTotalAndTheBalancesAtOnce)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    putWorkRow(*window, 2, 3, QStringLiteral("乙社"), 200);
    putWorkRow(*window, 3, 4, QStringLiteral("丙社"), 0, 300);
    putCursor(*window, 0, kPlanned);
    typeKeys(QStringLiteral("1000"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 1, "残高"), yen(1500));
    EXPECT_EQ(workAmount(*window, 2, "残高"), yen(1700));
    EXPECT_EQ(workAmount(*window, 3, "残高"), yen(1400));
    EXPECT_EQ(shownText(*window, 2, kBalance), QStringLiteral("1,400"));
    EXPECT_EQ(window->num予定額月計->text(), QStringLiteral("1,200"));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("1,400"));

    putCursor(*window, 2, kReceived);
    typeKeys(QStringLiteral("400"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 3, "残高"), yen(1300));
    EXPECT_EQ(workAmount(*window, 1, "残高"), yen(1500)); // rows above stay
    EXPECT_EQ(window->num入金額月計->text(), QStringLiteral("400"));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("1,300"));

    // Emptying a planned amount stores 0 and recomputes from that row down; the row, now holding
    // nothing, keeps no balance and the next row goes on from the carry-forward.
    putCursor(*window, 0, kPlanned);
    pressKey(Qt::Key_F2);
    pressKey(Qt::Key_Backspace);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 1, "予定額"), Money());
    EXPECT_EQ(shownText(*window, 0, kPlanned), QString());
    EXPECT_EQ(workAmount(*window, 1, "残高"), Money());
    EXPECT_EQ(shownText(*window, 0, kBalance), QString());
    EXPECT_EQ(workAmount(*window, 2, "残高"), yen(700));
    EXPECT_EQ(workAmount(*window, 3, "残高"), yen(300));
    EXPECT_EQ(window->num予定額月計->text(), QStringLiteral("200"));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("300"));

    // A typed balance recomputes nothing.
    putCursor(*window, 1, kBalance);
    typeKeys(QStringLiteral("9"));
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(workAmount(*window, 2, "残高"), yen(9));
    EXPECT_EQ(workAmount(*window, 3, "残高"), yen(300));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("300"));
}

TEST(ScheduleEdit, AFigureThatIsNoAmountIsRefusedWithAWarning)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 1000);
    ScopedDialogAnswers answers;
    const std::pair<int, const char*> cases[] = {{kPlanned, "12a"}, {kReceived, "x"}, {kBalance, "1-"}};
    for (const auto& [column, typed] : cases) {
        putCursor(*window, 0, column);
        typeKeys(QString::fromLatin1(typed));
        pressKey(Qt::Key_Return);
    }
    putCursor(*window, 0, kPlanned);
    typeKeys(QStringLiteral("99999999999999999999"));
    pressKey(Qt::Key_Return);
    QApplication::processEvents(); // the warnings wait for the editor to close
    ASSERT_EQ(answers.count(), 4);
    EXPECT_EQ(answers.shown()[0].message, QStringLiteral("予定額には数字以外使用できません"));
    EXPECT_EQ(answers.shown()[1].message, QStringLiteral("入金額には数字以外使用できません"));
    EXPECT_EQ(answers.shown()[2].message, QStringLiteral("総額には数字以外使用できません"));
    EXPECT_EQ(answers.shown()[3].message, QStringLiteral("予定額が指定範囲外です。確認してください"));
    EXPECT_EQ(answers.shown()[3].title, QStringLiteral("入力注意"));
    EXPECT_EQ(workAmount(*window, 1, "予定額"), yen(1000));
    EXPECT_EQ(shownText(*window, 0, kPlanned), QStringLiteral("1,000"));
}

TEST(ScheduleEdit, ATypedPayerJoinsTheMasterOnlyWithAutomaticRegistration)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    window->setAutoRegistrationValue(true);
    putCursor(*window, 0, kPayer);
    commitImeText(QStringLiteral("名古屋運輸"));
    pressKey(Qt::Key_Tab); // leaving by Tab registers as well as by Enter
    EXPECT_EQ(workCell(*window, 1, "入金先名").toText(), QStringLiteral("名古屋運輸"));
    putCursor(*window, 1, kPayer);
    commitImeText(QStringLiteral("O'Brien"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(sortedPayers(window->db()),
              QStringList({QStringLiteral("O'Brien"), QStringLiteral("名古屋運輸")}));

    window->setAutoRegistrationValue(false);
    putCursor(*window, 2, kPayer);
    commitImeText(QStringLiteral("札幌商会"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workCell(*window, 3, "入金先名").toText(), QStringLiteral("札幌商会"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金先マスタ")), 2);
}

TEST(ScheduleEdit, EnterInTheBalanceColumnStartsTheNextRowAndStaysOnTheLast)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    putCursor(*window, 4, kBalance);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(window->GridInp->currentRow(), 5);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kDay));

    putCursor(*window, 199, kBalance);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(window->GridInp->currentRow(), 199);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kDay));
    // Also from the editor of that cell, which stores what was typed.
    putCursor(*window, 199, kBalance);
    typeKeys(QStringLiteral("42"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 200, "残高"), yen(42));
    EXPECT_EQ(window->GridInp->currentRow(), 199);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kDay));
}

TEST(ScheduleEdit, TheInputMethodIsOnInThePayerColumnOnly)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    BoundGrid* grid = window->GridInp;
    for (int column : {kDay, kPayer, kPlanned, kReceived, kBalance, kPayer, kDay}) {
        putCursor(*window, 3, column);
        const bool payer = column == kPayer;
        EXPECT_EQ(grid->testAttribute(Qt::WA_InputMethodEnabled), payer) << column;
        EXPECT_EQ(bool(grid->inputMethodHints() & Qt::ImhDigitsOnly), !payer) << column;
        // The editor opened on the cell follows the grid.
        pressKey(Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, grid) << column;
        EXPECT_EQ(editor->testAttribute(Qt::WA_InputMethodEnabled), payer) << column;
        EXPECT_EQ(qobject_cast<QComboBox*>(editor) != nullptr, payer) << column;
        pressKey(Qt::Key_Escape);
    }
}

TEST(ScheduleEdit, ABookkeeperTypesRowsWithTheKeyboardAlone)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    window->setAutoRegistrationValue(true);
    putCursor(*window, 0, kDay);
    for (int row = 1; row <= 2; ++row) {
        typeKeys(QString::number(4 + row));
        pressKey(Qt::Key_Tab);
        commitImeText(row == 1 ? QStringLiteral("東京商事") : QStringLiteral("大阪物産"));
        pressKey(Qt::Key_Tab);
        typeKeys(QString::number(1000 * row));
        pressKey(Qt::Key_Tab);
        typeKeys(QStringLiteral("200"));
        pressKey(Qt::Key_Tab);
        pressKey(Qt::Key_Return);
    }
    EXPECT_EQ(workCell(*window, 1, "日付").toDate(), QDate(2024, 5, 5));
    EXPECT_EQ(workCell(*window, 1, "入金先名").toText(), QStringLiteral("東京商事"));
    EXPECT_EQ(workAmount(*window, 1, "予定額"), yen(1000));
    EXPECT_EQ(workAmount(*window, 1, "入金額"), yen(200));
    EXPECT_EQ(workAmount(*window, 1, "残高"), yen(1300));
    EXPECT_EQ(workCell(*window, 2, "日付").toDate(), QDate(2024, 5, 6));
    EXPECT_EQ(workCell(*window, 2, "入金先名").toText(), QStringLiteral("大阪物産"));
    EXPECT_EQ(workAmount(*window, 2, "予定額"), yen(2000));
    EXPECT_EQ(workAmount(*window, 2, "残高"), yen(3100));
    EXPECT_EQ(window->num予定額月計->text(), QStringLiteral("3,000"));
    EXPECT_EQ(window->num入金額月計->text(), QStringLiteral("400"));
    EXPECT_EQ(window->num累計->text(), QStringLiteral("3,100"));
    EXPECT_EQ(sortedPayers(window->db()),
              QStringList({QStringLiteral("大阪物産"), QStringLiteral("東京商事")}));
    EXPECT_EQ(window->GridInp->currentRow(), 2);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kDay));
}
