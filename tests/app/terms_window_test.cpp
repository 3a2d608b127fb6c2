#include "app/grid/bound_grid.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/date_edit.h"
#include "app/widgets/month_edit.h"
#include "schedule_window.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/controls.h"
#include "support/seed.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

enum PayerTab { kSchedule = 0, kPayers = 1, kSettings = 2 };

void showTab(FrmDorivan& window, int tab)
{
    control<QTabWidget>(window, "SSTab1")->setCurrentIndex(tab);
}

void click(FrmDorivan& window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Clicks the button and works in the modal dialog it opens, once it is shown.
void clickIntoDialog(FrmDorivan& window, const char* button, const std::function<void(QDialog&)>& work)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        work(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    click(window, button);
    EXPECT_TRUE(seen);
}

void seedTerms(Database& db, const char* name, const char* closing, int months, const char* paying,
               const char* shift, std::optional<Money> fixed = std::nullopt)
{
    db.execute(
        "insert into 入金先マスタ (入金先名, 締め日, 支払月, 支払日, 休日, 定額) values (?, ?, ?, ?, ?, ?)",
        {Value(name), Value(closing), Value(months), Value(paying), Value(shift), Value(fixed)});
}

int payerRow(WorkTableModel& model, const QString& name)
{
    for (int r = 0; r < model.dataRowCount(); ++r)
        if (model.value(r, 1).toText() == name)
            return r;
    return -1;
}

QStringList dropDown(FrmDorivan& window)
{
    QStringList names;
    auto* model = control<WorkTableModel>(window, "dat入金先名");
    for (int r = 0; r < model->dataRowCount(); ++r)
        names << model->value(r, 0).toText();
    return names;
}

} // namespace

TEST(TermsWindow, ARenamedPayersRowsFollowOnlyWhenAnsweredYesAndTheScheduleShowsTheNewName)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {"旧名", "他社"});
        seedStoredRows(*db, {{QDate(2026, 1, 5), 1, QString("旧名"), yen(100), std::nullopt, yen(100)},
                             {QDate(2026, 1, 6), 2, QString("他社"), yen(100), std::nullopt, yen(200)},
                             {QDate(2026, 2, 5), 1, QString("旧名"), yen(100), std::nullopt, yen(300)}});
    }
    auto window = openWindow(folder);
    // 登録's confirmation, then one question a renamed payer in page order: 他社 no, 旧名 yes.
    ScopedDialogAnswers answers(*window, {true, false, true});
    showMonth(*window, QDate(2026, 1, 1));
    ASSERT_EQ(shownText(*window, 0, kPayer), "旧名");

    showTab(*window, kPayers);
    auto& payers = *control<WorkTableModel>(*window, "dat入金先マスタ");
    payers.setData(payers.index(payerRow(payers, "他社"), 1), QStringLiteral("別社"));
    payers.setData(payers.index(payerRow(payers, "旧名"), 1), QStringLiteral("新名"));
    click(*window, "cmd支払先登録");

    ASSERT_EQ(answers.questionCount(), 3);
    EXPECT_TRUE(answers.shown()[1].message.contains("「他社」の入金予定 1 件"));
    EXPECT_TRUE(answers.shown()[2].message.contains("「旧名」の入金予定 2 件"));
    EXPECT_EQ(sortedPayers(window->db()), (QStringList{"別社", "新名"}));
    std::vector<StoredRow> rows = readStoredRows(window->db());
    EXPECT_EQ(rows[0].入金先名, "新名");
    EXPECT_EQ(rows[1].入金先名, "他社"); // いいえ: the master only
    EXPECT_EQ(rows[2].入金先名, "新名");

    // The displayed month and the drop-down show the new name, and nothing is left unsaved.
    showTab(*window, kSchedule);
    EXPECT_EQ(shownText(*window, 0, kPayer), "新名");
    EXPECT_EQ(dropDown(*window), (QStringList{"別社", "新名"}));
    EXPECT_FALSE(control<QLabel>(*window, "lbl未登録")->isVisible());

    // The page counts as read with the new names: saving again asks nothing more.
    showTab(*window, kPayers);
    click(*window, "cmd支払先登録");
    EXPECT_EQ(answers.questionCount(), 4);
}

TEST(TermsWindow, ThePayerPageStoresTermsAsTypedAndABadRowIsRefusedByName)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {"甲"});
        seedStoredRows(*db, {{QDate(2026, 1, 5), 1, QString("甲"), yen(100), std::nullopt, yen(100)}});
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window, {}, true);
    showTab(*window, kPayers);
    auto& payers = *control<WorkTableModel>(*window, "dat入金先マスタ");
    const auto set = [&](const char* column, const QVariant& value) {
        payers.setData(payers.index(0, payers.columnIndex(QString::fromUtf8(column))), value);
    };
    // 休日's three words are offered in the cell's list.
    auto* grid = control<BoundGrid>(*window, "Grid入金先マスタ");
    ASSERT_EQ(grid->dropDownColumn(), payers.columnIndex("休日"));
    QStringList offered;
    for (int r = 0; r < grid->dropDownList()->rowCount(); ++r)
        offered << grid->dropDownList()->index(r, 0).data().toString();
    EXPECT_EQ(offered, (QStringList{"", "前", "後", "なし"}));
    set("締め日", QStringLiteral("末"));
    set("支払月", QStringLiteral("1"));
    set("支払日", QStringLiteral("１０"));
    set("休日", QStringLiteral("後"));
    set("定額", QStringLiteral("30,000"));
    click(*window, "cmd支払先登録");
    RowSet stored = window->db().openRowSet("select * from 入金先マスタ");
    stored.moveFirst();
    EXPECT_EQ(stored.get("締め日").toInt64(), 99);
    EXPECT_EQ(stored.get("支払日").toInt64(), 10);
    EXPECT_EQ(stored.get("休日").toText(), "後");
    EXPECT_EQ(stored.get("定額").toMoney(), yen(30000));

    // A bad term refuses the save by the payer's name before a rename is asked about.
    set("休日", QStringLiteral("翌日"));
    set("入金先名", QStringLiteral("甲二"));
    click(*window, "cmd支払先登録");
    EXPECT_TRUE(answers.last().message.contains("入金先「甲二」")) << answers.last().message.toStdString();
    EXPECT_EQ(answers.questionCount(), 2); // the two confirmations of 登録
    EXPECT_EQ(window->db().readFirst("select 休日 from 入金先マスタ").toText(), "後");
    EXPECT_EQ(sortedPayers(window->db()), QStringList{"甲"});
    EXPECT_EQ(readStoredRows(window->db())[0].入金先名, "甲");
}

TEST(TermsWindow, AnInvoiceGoesIntoTheDisplayedMonthsDraftOrIsStoredInItsOwnMonth)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedTerms(*db, "月末", "99", 1, "99", "前");
        seedPayers(*db, {"条件なし"});
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2026, 5, 1));

    const auto invoice = [&](const QDate& date, const QString& amount, QString* due) {
        clickIntoDialog(*window, "cmd請求登録", [&](QDialog& dialog) {
            // Only payers whose terms give a due date are offered.
            EXPECT_EQ(control<QComboBox>(dialog, "cbo請求入金先")->count(), 1);
            control<DateEdit>(dialog, "txt請求日")->setDate(date);
            control<QLineEdit>(dialog, "txt請求額")->setText(amount);
            *due = control<QLabel>(dialog, "lbl支払期日")->text();
            QTest::mouseClick(control<QPushButton>(dialog, "cmd請求追加"), Qt::LeftButton);
        });
    };
    // Closed on 4/30, due on 5/31, a Sunday: Friday the 29th, in the displayed month.
    QString due;
    invoice(QDate(2026, 4, 15), QStringLiteral("12,345"), &due);
    EXPECT_EQ(due, "2026/05/29");
    EXPECT_EQ(shownText(*window, 0, kPayer), "月末");
    EXPECT_EQ(shownText(*window, 0, kDay), "29");
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(12345));
    EXPECT_TRUE(control<QLabel>(*window, "lbl未登録")->isVisible());
    EXPECT_EQ(countRows(window->db(), "入金予定表"), 0);
    EXPECT_TRUE(answers.last().message.contains("表示中の月"));

    // Due in July: stored there at once, the draft left alone.
    invoice(QDate(2026, 6, 10), QStringLiteral("500"), &due);
    EXPECT_EQ(due, "2026/07/31");
    ASSERT_EQ(readStoredRows(window->db()).size(), 1u);
    EXPECT_EQ(readStoredRows(window->db())[0],
              (StoredRow{QDate(2026, 7, 31), 1, QString("月末"), yen(500), std::nullopt, yen(500)}));
    EXPECT_TRUE(answers.last().message.contains("2026年7月")) << answers.last().message.toStdString();
    EXPECT_EQ(shownText(*window, 1, kPayer), "");

    // An amount that does not read cannot be added.
    clickIntoDialog(*window, "cmd請求登録", [&](QDialog& dialog) {
        control<QLineEdit>(dialog, "txt請求額")->setText(QStringLiteral("abc"));
        EXPECT_FALSE(control<QPushButton>(dialog, "cmd請求追加")->isEnabled());
    });

    // Due before the displayed month: May's edit is settled first (saved here), the row stored, and
    // August read again with the carry-forward the row moved.
    answers.queue(true);
    showMonth(*window, QDate(2026, 8, 1));
    ASSERT_EQ(control<AmountField>(*window, "num繰越額")->amount(), yen(12845));
    putWorkRow(*window, 1, 3, QStringLiteral("条件なし"), 100);
    answers.queue(true);
    invoice(QDate(2026, 6, 20), QStringLiteral("1,000"), &due);
    EXPECT_EQ(due, "2026/07/31");
    EXPECT_EQ(readStoredRows(window->db()).size(), 4u);
    EXPECT_EQ(control<AmountField>(*window, "num繰越額")->amount(), yen(13845));
    EXPECT_EQ(workCell(*window, 1, "予定額").toMoney(), yen(100));
    EXPECT_FALSE(control<QLabel>(*window, "lbl未登録")->isVisible());
}

TEST(TermsWindow, PlansAreListedWithTicksAndOnlyTheTickedAreStoredAndNotOfferedAgain)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedTerms(*db, "定額", "99", 1, "10", "後", yen(50000));
        seedTerms(*db, "保守", "99", 1, "99", "なし", yen(1000));
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2026, 1, 1));
    showTab(*window, kPayers);

    const auto plan = [&](const std::function<void(QTableWidget&)>& tick) {
        clickIntoDialog(*window, "cmd予定作成", [&](QDialog& dialog) {
            control<MonthEdit>(dialog, "dtp予定開始")->setMonth(QDate(2026, 1, 1));
            control<MonthEdit>(dialog, "dtp予定終了")->setMonth(QDate(2026, 2, 1));
            QTest::mouseClick(control<QPushButton>(dialog, "cmd予定表示"), Qt::LeftButton);
            tick(*control<QTableWidget>(dialog, "Grid予定作成"));
            QTest::mouseClick(control<QPushButton>(dialog, "cmd予定登録"), Qt::LeftButton);
        });
    };
    plan([](QTableWidget& rows) {
        ASSERT_EQ(rows.rowCount(), 4);
        // 1/10 is a Saturday and 1/12 a holiday: 後 gives the 13th.
        EXPECT_EQ(rows.item(0, 0)->text(), "2026/01/13");
        EXPECT_EQ(rows.item(3, 1)->text(), "保守");
        rows.item(3, 0)->setCheckState(Qt::Unchecked);
    });
    EXPECT_TRUE(answers.last().message.contains("3 件"));
    EXPECT_EQ(countRows(window->db(), "入金予定表"), 3);
    // The displayed month shows its new rows.
    EXPECT_EQ(shownText(*window, 0, kPayer), "定額");
    EXPECT_EQ(shownText(*window, 1, kPayer), "保守");

    // Only the row left unticked is offered again.
    plan([](QTableWidget& rows) {
        ASSERT_EQ(rows.rowCount(), 1);
        EXPECT_EQ(rows.item(0, 0)->text(), "2026/02/28");
    });
    EXPECT_EQ(countRows(window->db(), "入金予定表"), 4);
}

TEST(TermsWindow, TheBanksClosingDaysAreAddedAndRemovedOnTheSettingsPage)
{
    TempDataFolder folder;
    folder.open();
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showTab(*window, kSettings);
    auto* list = control<QListWidget>(*window, "lst銀行休業日");
    control<DateEdit>(*window, "txt銀行休業日")->setDate(QDate(2026, 8, 14));
    click(*window, "cmd休業日追加");
    control<DateEdit>(*window, "txt銀行休業日")->setDate(QDate(2026, 8, 13));
    click(*window, "cmd休業日追加");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "2026/08/13");
    EXPECT_EQ(countRows(window->db(), "銀行休業日"), 2);

    list->setCurrentRow(0);
    click(*window, "cmd休業日削除");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "2026/08/14");
    EXPECT_EQ(answers.count(), 0);
}

TEST(TermsWindow, TermsTypedButNotSavedAreSavedFirstOrLeftOutAsTheUserAnswers)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedTerms(*db, "定額", "99", 1, "10", "後", yen(50000));
        seedPayers(*db, {"新規"});
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2026, 1, 1));
    showTab(*window, kPayers);
    auto& payers = *control<WorkTableModel>(*window, "dat入金先マスタ");
    payers.setData(payers.index(payerRow(payers, "新規"), payers.columnIndex("定額")),
                   QStringLiteral("7,000"));

    const auto listed = [&] {
        int rows = -1;
        clickIntoDialog(*window, "cmd予定作成", [&](QDialog& dialog) {
            control<MonthEdit>(dialog, "dtp予定開始")->setMonth(QDate(2026, 1, 1));
            control<MonthEdit>(dialog, "dtp予定終了")->setMonth(QDate(2026, 1, 1));
            QTest::mouseClick(control<QPushButton>(dialog, "cmd予定表示"), Qt::LeftButton);
            rows = control<QTableWidget>(dialog, "Grid予定作成")->rowCount();
        });
        return rows;
    };
    // いいえ: the stored terms only, the page left as typed.
    answers.queue(false);
    EXPECT_EQ(listed(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("入金先の変更"));
    EXPECT_TRUE(window->db().readFirst("select 定額 from 入金先マスタ where 入金先名 = '新規'").isNull());
    // はい: saved first, and the new fixed amount is planned too.
    answers.queue(true);
    EXPECT_EQ(listed(), 2);
    EXPECT_EQ(window->db().readFirst("select 定額 from 入金先マスタ where 入金先名 = '新規'").toMoney(),
              yen(7000));
    // Nothing left to save: no question.
    const int asked = answers.count();
    listed();
    EXPECT_EQ(answers.count(), asked);
}
