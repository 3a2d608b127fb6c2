#include "schedule_window.h"

#include "app/widgets/amount_field.h"
#include "app/widgets/month_edit.h"
#include "storage/database.h"

#include "settings/settings_record.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include <SQLiteCpp/Database.h>

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
    EXPECT_EQ(shownText(*window, 0, kDay), QStringLiteral("07"));
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kPayer));

    // Emptying the day keeps the row's date.
    putCursor(*window, 0, kDay);
    pressKey(Qt::Key_F2);
    pressKey(Qt::Key_Backspace);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workCell(*window, 1, "日付").toDate(), QDate(2024, 5, 7));
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
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("1,200"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("1,400"));

    putCursor(*window, 2, kReceived);
    typeKeys(QStringLiteral("400"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 3, "残高"), yen(1300));
    EXPECT_EQ(workAmount(*window, 1, "残高"), yen(1500)); // rows above stay
    EXPECT_EQ(control<AmountField>(*window, "num入金額月計")->text(), QStringLiteral("400"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("1,300"));

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
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("200"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("300"));
}

TEST(ScheduleEdit, ARefusedDayOrAmountIsToldAndTheCursorStaysOnItsTextSelected)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    showMonth(*window, QDate(2024, 2, 1));
    putWorkRow(*window, 1, 12, QStringLiteral("甲社"), 1000);
    ScopedDialogAnswers answers(*window);
    struct Case
    {
        int column;
        const char* typed;
        Qt::Key leaveBy;
        const char* message;
    };
    const Case cases[] = {
        {kDay, "30", Qt::Key_Return, "日付が指定範囲外です。確認してください"},
        {kDay, "ab", Qt::Key_Tab, "日付には数字以外使用できません"},
        {kPlanned, "12a", Qt::Key_Return, "予定額には数字以外使用できません"},
        {kReceived, "1-", Qt::Key_Tab, "入金額には数字以外使用できません"},
        {kPlanned, "99999999999999999999", Qt::Key_Return, "予定額が指定範囲外です。確認してください"}};
    for (const Case& c : cases) {
        putCursor(*window, 0, c.column);
        typeKeys(QString::fromLatin1(c.typed));
        pressKey(c.leaveBy);
        QApplication::processEvents(); // the warning waits for the editor to close
        EXPECT_EQ(answers.last().message, QString::fromUtf8(c.message));
        EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), c.column) << c.typed;
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << c.typed;
        EXPECT_EQ(editor->selectedText(), QString::fromLatin1(c.typed));
        pressKey(Qt::Key_Escape);
    }
    EXPECT_EQ(answers.last().title, QStringLiteral("入力注意"));
    // A day the month does not have clears the row's day and date, as before; amounts stay.
    EXPECT_TRUE(workCell(*window, 1, "表示日付").isNull());
    EXPECT_TRUE(workCell(*window, 1, "日付").isNull());
    EXPECT_EQ(workAmount(*window, 1, "予定額"), yen(1000));
    // A click elsewhere does not leave a refused text either.
    putCursor(*window, 0, kPlanned);
    typeKeys(QStringLiteral("x"));
    QTest::mouseClick(control<BoundGrid>(*window, "GridInp")->viewport(), Qt::LeftButton, {},
                      control<BoundGrid>(*window, "GridInp")
                          ->visualRect(control<WorkTableModel>(*window, "datInp")->index(3, kPayer))
                          .center());
    QApplication::processEvents();
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 0);
    EXPECT_EQ(answers.count(), 6);
}

TEST(ScheduleEdit, APayerTheStoreCannotTakeIsToldWithTheStorageMessage)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 1000);
    rawConnection(window->db())
        .exec("create temp trigger refuse before update of 入金先名 on InpWork"
              " begin select raise(abort, 'disk gone'); end");
    ScopedDialogAnswers answers(*window);
    putCursor(*window, 0, kPayer);
    commitImeText(QStringLiteral("乙社"));
    pressKey(Qt::Key_Return);
    QApplication::processEvents();
    // The storage message once, and no word about digits.
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers.last().message.startsWith(QStringLiteral("データベースの処理に失敗しました。")));
    EXPECT_EQ(answers.last().style, DialogStyle::Warning);
    EXPECT_EQ(workCell(*window, 1, "入金先名").toText(), QStringLiteral("甲社"));
}

TEST(ScheduleEdit, ATypedPayerJoinsTheMasterOnlyWithAutomaticRegistration)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    storeSettings(*window, [](settings::SettingsRecord& record) { record.autoRegister = true; });
    putCursor(*window, 0, kPayer);
    commitImeText(QStringLiteral("名古屋運輸"));
    pressKey(Qt::Key_Tab); // leaving by Tab registers as well as by Enter
    EXPECT_EQ(workCell(*window, 1, "入金先名").toText(), QStringLiteral("名古屋運輸"));
    putCursor(*window, 1, kPayer);
    commitImeText(QStringLiteral("O'Brien"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(sortedPayers(window->db()),
              QStringList({QStringLiteral("O'Brien"), QStringLiteral("名古屋運輸")}));

    storeSettings(*window, [](settings::SettingsRecord& record) { record.autoRegister = false; });
    putCursor(*window, 2, kPayer);
    commitImeText(QStringLiteral("札幌商会"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workCell(*window, 3, "入金先名").toText(), QStringLiteral("札幌商会"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金先マスタ")), 2);
}

TEST(ScheduleEdit, TheInputMethodIsOnInThePayerColumnOnly)
{
    TempDataFolder folder;
    auto window = mayWithCarry(folder);
    BoundGrid* grid = control<BoundGrid>(*window, "GridInp");
    for (int column : {kDay, kPayer, kPlanned, kReceived, kPayer, kDay}) {
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
    storeSettings(*window, [](settings::SettingsRecord& record) { record.autoRegister = true; });
    putCursor(*window, 0, kDay);
    // Enter after the day and the payer opens the next cell; Enter after 入金額 starts the next row.
    for (int row = 1; row <= 2; ++row) {
        typeKeys(QString::number(4 + row));
        pressKey(Qt::Key_Return);
        ASSERT_NE(qobject_cast<QComboBox*>(QApplication::focusWidget()), nullptr);
        commitImeText(row == 1 ? QStringLiteral("東京商事") : QStringLiteral("大阪物産"));
        pressKey(Qt::Key_Return);
        ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
        EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kPlanned));
        typeKeys(QString::number(1000 * row));
        pressKey(Qt::Key_Return);
        typeKeys(QStringLiteral("200"));
        pressKey(Qt::Key_Return);
        EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), row);
        EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kDay));
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
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("3,000"));
    EXPECT_EQ(control<AmountField>(*window, "num入金額月計")->text(), QStringLiteral("400"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("3,100"));
    EXPECT_EQ(sortedPayers(window->db()),
              QStringList({QStringLiteral("大阪物産"), QStringLiteral("東京商事")}));

    // On the last row Enter after 入金額 stays on that row, at its day; from the grid as from the editor.
    putCursor(*window, 199, kReceived);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 199);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kDay));
    putCursor(*window, 199, kReceived);
    typeKeys(QStringLiteral("42"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(workAmount(*window, 200, "入金額"), yen(42));
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 199);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kDay));
}
