// Unsaved edits of the displayed month, and the rows a save leaves out.
#include "real_boxes.h"
#include "schedule_window.h"

#include "app/month_edit.h"
#include "storage/database.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kUnsavedText = QStringLiteral("この月の変更はまだ登録されていません。登録しますか？");

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

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// May 2024 holding one stored row, June one more.
std::unique_ptr<FrmDorivan> mayAndJune(const TempDataFolder& folder)
{
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                             {QDate(2024, 6, 1), 1, QStringLiteral("乙社"), yen(10), yen(0), yen(110)}});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    return window;
}

} // namespace

TEST(ScheduleUnsaved, EditsAreMarkedAndAskedAboutBeforeTheMonthIsLeft)
{
    TempDataFolder folder;
    auto window = mayAndJune(folder);
    auto* mark = window->findChild<QLabel*>(QStringLiteral("lbl未登録"));
    ASSERT_TRUE(mark);
    EXPECT_FALSE(mark->isVisible());
    EXPECT_EQ(window->windowTitle(), kWindowCaption);
    // A month without edits asks nothing.
    auto seen = withRealBoxes(
        [&] {
            click(window->cmdMonNext);
            click(window->cmdMonBef);
            click(window->cmd読込);
        },
        {});
    EXPECT_TRUE(seen.empty());

    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    EXPECT_TRUE(mark->isVisible());
    EXPECT_EQ(mark->text(), QStringLiteral("未登録"));
    EXPECT_EQ(window->windowTitle(), kWindowCaption + QStringLiteral(" *"));

    // Escape on ▶ stays on the month with the edit.
    seen = withRealBoxes([&] { click(window->cmdMonNext); }, {pressEscape()});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, QStringLiteral("未登録の変更"));
    EXPECT_EQ(seen[0].text, kUnsavedText);
    EXPECT_EQ(sorted(seen[0].buttons),
              sorted({QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("キャンセル")}));
    EXPECT_EQ(seen[0].defaultButton, QStringLiteral("はい"));
    EXPECT_EQ(window->workMonth(), QDate(2024, 5, 1));
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(300));
    EXPECT_TRUE(window->hasUnsavedEdits());

    // A month typed into the field: キャンセル puts the month the grid holds back into the field.
    seen = withRealBoxes(
        [&] {
            window->Dt年月->setFocus();
            QTest::keyClick(window->Dt年月, Qt::Key_Delete);
            QTest::keyClicks(window->Dt年月, QStringLiteral("2024/7"));
            QTest::keyClick(window->Dt年月, Qt::Key_Return);
        },
        {clickButton(QStringLiteral("キャンセル"))});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(window->Dt年月->month(), QDate(2024, 5, 1));
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(300));

    // いいえ on 読込 throws the edit away.
    seen = withRealBoxes([&] { click(window->cmd読込); }, {clickButton(QStringLiteral("いいえ"))});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(100));
    EXPECT_FALSE(window->hasUnsavedEdits());
    EXPECT_FALSE(mark->isVisible());
    EXPECT_EQ(window->windowTitle(), kWindowCaption);

    // Enter answers はい: the month is saved, without the save question a second time, then left.
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));
    seen = withRealBoxes([&] { click(window->cmdMonNext); }, {pressEnter()});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(window->workMonth(), QDate(2024, 6, 1));
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(300), yen(310)}));
    EXPECT_FALSE(window->hasUnsavedEdits());
}

TEST(ScheduleUnsaved, ClearAndBothWaysOfClosingAskAsWell)
{
    TempDataFolder folder;
    auto window = mayAndJune(folder);
    // An inserted row is an edit: the rows below it move.
    putCursor(*window, 0, kDay);
    click(window->cmd行挿入);
    EXPECT_TRUE(window->hasUnsavedEdits());
    auto seen =
        withRealBoxes([&] { click(window->cmd履歴クリア); }, {clickButton(QStringLiteral("キャンセル"))});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(window->workMonth(), QDate(2024, 5, 1));
    EXPECT_EQ(window->datInp->value(1, kPayer).toText(), QStringLiteral("甲社"));

    seen = withRealBoxes([&] { click(window->cmd履歴クリア); }, {clickButton(QStringLiteral("いいえ"))});
    EXPECT_EQ(window->workMonth(), QDate::currentDate());
    EXPECT_FALSE(window->hasUnsavedEdits());

    // 閉じる and the window's own close button: キャンセル keeps the window, いいえ closes it unsaved.
    typeAmount(*window, 0, kPlanned, QStringLiteral("5"));
    seen = withRealBoxes([&] { click(window->cmd履歴閉じる); }, {clickButton(QStringLiteral("キャンセル"))});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    seen = withRealBoxes([&] { window->close(); }, {pressEscape()});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->hasUnsavedEdits());
    seen = withRealBoxes([&] { window->close(); }, {clickButton(QStringLiteral("いいえ"))});
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(countRows(*folder.open(), QStringLiteral("入金予定表")), 2);
}

TEST(ScheduleUnsaved, YesRunsTheSavesOwnChecksAndARefusedSaveStays)
{
    TempDataFolder folder;
    auto window = mayAndJune(folder);
    putWorkRow(*window, 3, std::nullopt, QStringLiteral("乙社"), 20); // a payer without a day
    typeAmount(*window, 0, kPlanned, QStringLiteral("300"));

    ScopedDialogAnswers answers({true});
    click(window->cmdMonNext);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.shown()[0].title, QStringLiteral("未登録の変更"));
    EXPECT_EQ(answers.last().message, QStringLiteral("日付が指定されていません。確認してください"));
    EXPECT_EQ(window->workMonth(), QDate(2024, 5, 1));
    EXPECT_TRUE(window->hasUnsavedEdits());
    EXPECT_EQ(window->GridInp->currentRow(), 2);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kDay));

    // A row without payer: いいえ to the notice goes back to it.
    putWorkRow(*window, 3, 4, QStringLiteral("乙社"), 20);
    putWorkRow(*window, 5, 6, std::nullopt, 40);
    answers.queue(true);
    answers.queue(false);
    click(window->cmdMonNext);
    ASSERT_EQ(answers.count(), 4);
    EXPECT_EQ(answers.last().message, QStringLiteral("入金先のない行は登録されません: 5行目"));
    EXPECT_EQ(window->workMonth(), QDate(2024, 5, 1));
    EXPECT_EQ(window->GridInp->currentRow(), 4);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kPayer));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 2);

    // はい to both saves the rest and moves on.
    answers.queue(true);
    answers.queue(true);
    click(window->cmdMonNext);
    EXPECT_EQ(window->workMonth(), QDate(2024, 6, 1));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 3);
}

TEST(ScheduleSave, RowsWithoutPayerAreNamedInOneNoticeAfterTheSaveQuestion)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 100);
    putWorkRow(*window, 9, 10, std::nullopt, 50);               // a day and an amount
    putWorkRow(*window, 12, std::nullopt, std::nullopt, 0, 30); // an amount alone
    putWorkRow(*window, 14, 15, std::nullopt, 0);               // a day alone

    // Enter to both: the save question says yes, the notice no.
    auto seen = withRealBoxes([&] { click(window->cmd登録); }, {pressEnter(), pressEnter()});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, QStringLiteral("入金予定表 を登録します。よろしいですか"));
    EXPECT_EQ(seen[1].text, QStringLiteral("入金先のない行は登録されません: 9行目, 12行目, 14行目"));
    EXPECT_EQ(sorted(seen[1].buttons), sorted({QStringLiteral("はい"), QStringLiteral("いいえ")}));
    EXPECT_EQ(seen[1].defaultButton, QStringLiteral("いいえ"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 0);
    EXPECT_EQ(window->GridInp->currentRow(), 8);
    EXPECT_EQ(window->GridInp->currentColumn(), int(kPayer));
    EXPECT_TRUE(window->GridInp->hasFocus());

    seen =
        withRealBoxes([&] { click(window->cmd登録); }, {pressEnter(), clickButton(QStringLiteral("はい"))});
    EXPECT_EQ(seen.size(), 2u);
    ASSERT_EQ(readStoredRows(window->db()).size(), 1u);
    EXPECT_EQ(readStoredRows(window->db())[0].入金先名, QStringLiteral("甲社"));
    // The rows left out are still on the screen to be completed.
    EXPECT_EQ(workCell(*window, 9, "予定額").toMoney(), yen(50));
}
