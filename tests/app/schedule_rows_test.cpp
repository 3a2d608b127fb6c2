#include "schedule_window.h"

#include "app/widgets/amount_field.h"
#include "app/widgets/month_edit.h"
#include "storage/database.h"
#include "storage/transaction.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList storedPayers(FrmDorivan& window)
{
    QStringList names;
    for (const StoredRow& row : readStoredRows(window.db()))
        names << row.入金先名.value_or(QString());
    return names;
}

// The payers of the working rows in grid order, blank rows as "-".
QStringList gridPayers(FrmDorivan& window, int rows)
{
    QStringList names;
    for (int row = 0; row < rows; ++row) {
        const Value payer = control<WorkTableModel>(window, "datInp")->value(row, kPayer);
        names << (payer.isNull() ? QStringLiteral("-") : payer.toText());
    }
    return names;
}

} // namespace

TEST(ScheduleSave, AsksThenStoresRowsMatchedByDateAndPayer)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 3, QStringLiteral("甲社"), 100);
    putWorkRow(*window, 2, 3, QStringLiteral("甲社"), 250);
    // The row being typed when the button is pressed is saved with the rest.
    putCursor(*window, 2, kDay);
    typeKeys(QStringLiteral("9"));
    pressKey(Qt::Key_Tab);
    commitImeText(QStringLiteral("乙社"));

    ScopedDialogAnswers answers(*window, {true});
    QSignalSpy bar(control<QProgressBar>(*window, "Pbar"), &QProgressBar::valueChanged);
    click(control<QPushButton>(*window, "cmd登録"));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().message, QStringLiteral("入金予定表 を登録します。よろしいですか"));
    auto rows = readStoredRows(window->db());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].入金先名, QStringLiteral("甲社"));
    EXPECT_EQ(rows[1].予定額, yen(250)); // two rows with the same date and payer stay two
    EXPECT_EQ(rows[1].行番号, 2);
    EXPECT_EQ(rows[2].入金先名, QStringLiteral("乙社"));
    EXPECT_EQ(rows[2].日付, QDate(2024, 5, 9));
    EXPECT_EQ(bar.first().at(0).toInt(), 10);
    EXPECT_EQ(bar.last().at(0).toInt(), 100);
    EXPECT_FALSE(control<QProgressBar>(*window, "Pbar")->isVisible());

    // Read back and saved again: the two rows of 甲社 on the 3rd keep their own amounts.
    click(control<QPushButton>(*window, "cmd読込"));
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    rows = readStoredRows(window->db());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].予定額, yen(100));
    EXPECT_EQ(rows[1].予定額, yen(250));

    // Saving again adds nothing; a corrected payer name changes the row that was stored.
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(readStoredRows(window->db()).size(), 3u);
    putWorkRow(*window, 3, 9, QStringLiteral("丙社"), 0);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    QStringList payers = storedPayers(*window);
    payers.sort();
    EXPECT_EQ(payers, QStringList({QStringLiteral("丙社"), QStringLiteral("甲社"), QStringLiteral("甲社")}));
    EXPECT_EQ(answers.questionCount(), 4);
}

TEST(ScheduleSave, NoLeavesBothFilesUntouchedAndARowWithoutDateStopsTheSave)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 3, QStringLiteral("甲社"), 100);
    putWorkRow(*window, 150, std::nullopt, QStringLiteral("乙社"), 200);
    const QByteArray permanent = fileBytes(folder.permanentPath());
    const QByteArray work = fileBytes(folder.workPath());

    ScopedDialogAnswers answers(*window, {false});
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(fileBytes(folder.permanentPath()), permanent);
    EXPECT_EQ(fileBytes(folder.workPath()), work);

    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.last().message, QStringLiteral("日付が指定されていません。確認してください"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 0);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 149);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentColumn(), int(kDay));
    EXPECT_TRUE(control<BoundGrid>(*window, "GridInp")->hasFocus());

    // Typing the day there lets the save through.
    typeKeys(QStringLiteral("20"));
    pressKey(Qt::Key_Return);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(storedPayers(*window), QStringList({QStringLiteral("甲社"), QStringLiteral("乙社")}));
    EXPECT_EQ(readStoredRows(window->db())[1].行番号, 150);
}

TEST(ScheduleSave, AFullMonthIsThereAgainAfterARestart)
{
    TempDataFolder folder;
    {
        auto window = openWindow(folder);
        showMonth(*window, QDate(2024, 5, 1));
        // The whole month comes in one paste, as from a spreadsheet.
        QStringList lines;
        for (int row = 1; row <= 200; ++row)
            lines << QStringLiteral("%1\t社%2\t%3").arg(1 + (row - 1) % 31).arg(row).arg(row);
        QApplication::clipboard()->setText(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        putCursor(*window, 0, kDay);
        QTest::keyClick(control<BoundGrid>(*window, "GridInp"), Qt::Key_V, Qt::ControlModifier);
        ScopedDialogAnswers answers(*window, {true});
        click(control<QPushButton>(*window, "cmd登録"));
        click(control<QPushButton>(*window, "cmd履歴閉じる"));
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2024, 5, 1));
    EXPECT_EQ(answers.count(), 0);
    ASSERT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    QSet<QString> payers;
    for (int row = 0; row < 200; ++row)
        payers << control<WorkTableModel>(*window, "datInp")->value(row, kPayer).toText();
    EXPECT_EQ(payers.size(), 200);
    EXPECT_FALSE(payers.contains(QString()));
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("20,100"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("20,100"));
}

TEST(ScheduleRows, InsertOpensABlankRowAboveTheCursorWhileThereIsRoom)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 1, QStringLiteral("A"), 10);
    putWorkRow(*window, 2, 2, QStringLiteral("B"), 20);
    ScopedDialogAnswers answers(*window);

    putCursor(*window, 0, kPlanned);
    click(control<QPushButton>(*window, "cmd行挿入"));
    EXPECT_EQ(gridPayers(*window, 3), QStringList({"-", "A", "B"}));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(199, kRowNo).toInt64(), 200);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->currentRow(), 0);

    // Above the last row: the empty last row goes, the count stays.
    putCursor(*window, 199, kDay);
    click(control<QPushButton>(*window, "cmd行挿入"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_TRUE(
        control<WorkTableModel>(*window, "datInp")->value(199, kOrigin).isNull()); // the new blank row
    EXPECT_EQ(answers.count(), 0);

    // A last row holding data is not pushed out.
    putWorkRow(*window, 200, 30, QStringLiteral("Z"), 5);
    putCursor(*window, 10, kDay);
    click(control<QPushButton>(*window, "cmd行挿入"));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().message, QStringLiteral("行挿入する余白はありません。"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(199, kPayer).toText(), QStringLiteral("Z"));

    // After a deletion there is room again (the grid keeps its 200 rows, a blank one last), and the
    // numbers close up.
    answers.queue(true);
    putCursor(*window, 5, kDay);
    click(control<QPushButton>(*window, "cmd行削除"));
    ASSERT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(198, kPayer).toText(), QStringLiteral("Z"));
    putCursor(*window, 1, kDay);
    click(control<QPushButton>(*window, "cmd行挿入"));
    ASSERT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    for (int row = 0; row < 200; ++row)
        EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(row, kRowNo).toInt64(), row + 1);
    EXPECT_EQ(gridPayers(*window, 4), QStringList({"-", "-", "A", "B"}));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(199, kPayer).toText(), QStringLiteral("Z"));
}

TEST(ScheduleRows, DeleteAsksAndRemovesTheStoredRowItStillMatches)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                             {QDate(2024, 5, 4), 2, QStringLiteral("乙社"), yen(200), yen(0), yen(300)},
                             {QDate(2024, 5, 6), 3, QStringLiteral("丙社"), yen(300), yen(0), yen(600)},
                             {QDate(2024, 6, 1), 1, QStringLiteral("翌月"), yen(1), yen(0), yen(601)}});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    ScopedDialogAnswers answers(*window, {false});

    // No leaves everything as it was.
    putCursor(*window, 0, kPayer);
    click(control<QPushButton>(*window, "cmd行削除"));
    EXPECT_EQ(answers.last().message, QStringLiteral("指定された行 を削除します。よろしいですか"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 4);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);

    // Yes takes the row from the screen only: the store loses it with the save, and the screen says
    // so meanwhile. The balances shown follow at once.
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd行削除"));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 4);
    EXPECT_TRUE(control<QLabel>(*window, "lbl未登録")->isVisible());
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" *")));
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("500"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("500"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("乙社"));
    EXPECT_TRUE(control<BoundGrid>(*window, "GridInp")->hasFocus());

    // Undone, the row is back and nothing is left to save; redone and saved, the first row of the
    // month, with no stored row before it, leaves the later balances right.
    QTest::keyClick(control<BoundGrid>(*window, "GridInp"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("甲社"));
    EXPECT_FALSE(control<QLabel>(*window, "lbl未登録")->isVisible());
    QTest::keyClick(control<BoundGrid>(*window, "GridInp"), Qt::Key_Y, Qt::ControlModifier);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(storedPayers(*window), QStringList({"乙社", "丙社", "翌月"}));
    EXPECT_EQ(storedBalances(window->db()),
              (std::vector<std::optional<Money>>{yen(200), yen(500), yen(501)}));
    EXPECT_FALSE(control<QLabel>(*window, "lbl未登録")->isVisible());

    // A row whose day was changed is still the stored row it was loaded from: deleted, it goes with
    // the next save whatever was typed into it.
    putCursor(*window, 0, kDay);
    typeKeys(QStringLiteral("5"));
    pressKey(Qt::Key_Return);
    putCursor(*window, 0, kDay);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd行削除"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("丙社"));
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(storedPayers(*window), QStringList({"丙社", "翌月"}));

    // A blank row goes from the grid, which keeps its 200 rows; nothing is stored and nothing changes.
    const QByteArray permanent = fileBytes(folder.permanentPath());
    putCursor(*window, 5, kDay);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd行削除"));
    EXPECT_EQ(fileBytes(folder.permanentPath()), permanent);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(), QStringLiteral("300"));
}

TEST(ScheduleRows, ARowMovedByAnInsertionAndSavedAgainCanBeDeleted)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 100);
    putWorkRow(*window, 2, 4, QStringLiteral("乙社"), 200);
    ScopedDialogAnswers answers(*window, {true});
    click(control<QPushButton>(*window, "cmd登録"));
    putCursor(*window, 0, kDay);
    click(control<QPushButton>(*window, "cmd行挿入"));
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(readStoredRows(window->db())[0].行番号, 2);

    putCursor(*window, 1, kDay);
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd行削除"));
    answers.queue(true);
    click(control<QPushButton>(*window, "cmd登録"));
    EXPECT_EQ(storedPayers(*window), QStringList({"乙社"}));
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(200)}));
}
