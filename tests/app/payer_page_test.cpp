#include "app/FrmDorivan.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

enum PayerColumn { Tick = 0, Name = 1 };

// The main window on a data folder whose master holds the given names, shown on the payer page.
struct PayerWindow
{
    TempDataFolder folder;
    std::unique_ptr<FrmDorivan> window;

    explicit PayerWindow(const QStringList& master = {}, const QStringList& copy = {})
    {
        {
            auto db = folder.open();
            seedPayers(*db, master);
            seedPayerCopy(*db, copy, QList<bool>(copy.size(), true));
        }
        window = std::make_unique<FrmDorivan>(folder.path(), std::make_shared<ScriptedPrompts>());
        control<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    Database& db() { return window->db(); }
    BoundGrid& grid() { return *control<BoundGrid>(*window, "Grid入金先マスタ"); }
    WorkTableModel& model() { return *control<WorkTableModel>(*window, "dat入金先マスタ"); }

    QStringList gridNames()
    {
        QStringList names;
        for (int r = 0; r < model().dataRowCount(); ++r)
            names << model().value(r, Name).toText();
        return names;
    }
    QList<bool> gridTicks()
    {
        QList<bool> ticks;
        for (int r = 0; r < model().dataRowCount(); ++r)
            ticks << model().value(r, Tick).toBool();
        return ticks;
    }
    QStringList master() { return readNames(db(), QStringLiteral("入金先マスタ")); }
    // What the schedule grid's payer drop-down offers.
    QStringList dropDownNames()
    {
        QStringList names;
        for (int r = 0; r < control<WorkTableModel>(*window, "dat入金先名")->dataRowCount(); ++r)
            names << control<WorkTableModel>(*window, "dat入金先名")->value(r, 0).toText();
        return names;
    }
    QStringList copy() { return readNames(db(), QStringLiteral("w入金先マスタ")); }

    void focusCell(int row, int column)
    {
        grid().setFocus();
        grid().setCurrentIndex(model().index(row, column));
    }
    // Types into the current cell the way a user does: the first key opens the editor.
    void type(const QString& text)
    {
        QTest::keyClicks(&grid(), text.left(1));
        if (text.size() > 1)
            QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
    }
    void typeAndEnter(const QString& text)
    {
        type(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    void tickByClick(int row)
    {
        const QRect cell = grid().visualRect(model().index(row, Tick));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cell.center());
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

} // namespace

TEST(PayerPage, OpeningThePageShowsTheMasterSortedAndUntickedAndReadShowsItAgain)
{
    PayerWindow page(
        {QStringLiteral("伊藤"), QStringLiteral("Beta"), QStringLiteral("あおば"), QStringLiteral("Alpha")},
        {QStringLiteral("前回の行")});
    ScopedDialogAnswers answers(*page.window);
    // The copy left by the last run is gone; the first opening of the page shows the master.
    const QStringList sorted = {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("あおば"),
                                QStringLiteral("伊藤")};
    EXPECT_EQ(page.copy(), sorted);
    EXPECT_EQ(page.gridNames(), sorted);
    EXPECT_EQ(page.gridTicks(), QList<bool>(4, false));
    EXPECT_TRUE(page.model().isNewRow(4));

    // Later visits keep the page as the user left it.
    page.tickByClick(1);
    control<QTabWidget>(*page.window, "SSTab1")->setCurrentIndex(2);
    control<QTabWidget>(*page.window, "SSTab1")->setCurrentIndex(1);
    EXPECT_EQ(page.gridTicks(), QList<bool>({false, true, false, false}));

    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    EXPECT_EQ(page.gridNames(), sorted);
    EXPECT_EQ(page.gridTicks(), QList<bool>(4, false));

    // Reading again replaces the copy, ticks and edits included, instead of adding to it.
    page.focusCell(0, Tick);
    QTest::keyClick(&page.grid(), Qt::Key_Space);
    EXPECT_EQ(page.gridTicks()[0], true);
    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    EXPECT_EQ(page.gridNames(), sorted);
    EXPECT_EQ(page.gridTicks(), QList<bool>(4, false));
    EXPECT_EQ(answers.count(), 0);

    page.click(control<QPushButton>(*page.window, "cmd支払先クリア"));
    EXPECT_TRUE(page.copy().isEmpty());
    EXPECT_EQ(page.master().size(), 4);
    EXPECT_EQ(answers.count(), 0);
}

TEST(PayerPage, SaveAsksAndThenReplacesTheMasterWithEveryRowOfTheGrid)
{
    PayerWindow page({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    page.focusCell(1, Name);
    page.typeAndEnter(QStringLiteral("Bee"));
    page.tickByClick(2);
    // A name left in its open editor is saved too.
    page.focusCell(3, Name);
    page.type(QStringLiteral("Dee"));

    {
        ScopedDialogAnswers answers(*page.window, {false});
        control<QPushButton>(*page.window, "cmd支払先登録")->click();
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message, QStringLiteral("入金先 を登録します。よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultYes);
        EXPECT_EQ(page.master(), QStringList({"A", "B", "C"}));
    }
    {
        ScopedDialogAnswers answers(*page.window, {true});
        control<QPushButton>(*page.window, "cmd支払先登録")->click();
        EXPECT_EQ(answers.count(), 1);
        EXPECT_EQ(sortedPayers(page.db()), QStringList({"A", "Bee", "C", "Dee"}));
        // The drop-down of the schedule grid offers the saved names at once.
        EXPECT_EQ(page.dropDownNames(), QStringList({"A", "Bee", "C", "Dee"}));
    }
    {
        // A store that refuses a name leaves the master exactly as it was and tells the user.
        rawConnection(page.db()).exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON main.入金先マスタ"
                                      " WHEN NEW.入金先名 = 'Bad' BEGIN SELECT RAISE(ABORT, 'refused'); END");
        page.focusCell(0, Name);
        page.typeAndEnter(QStringLiteral("Bad"));
        ScopedDialogAnswers answers(*page.window, {true});
        page.click(control<QPushButton>(*page.window, "cmd支払先登録"));
        ASSERT_EQ(answers.count(), 2);
        EXPECT_EQ(answers.last().style, DialogStyle::Notice);
        EXPECT_FALSE(answers.last().message.isEmpty());
        EXPECT_EQ(sortedPayers(page.db()), QStringList({"A", "Bee", "C", "Dee"}));
        rawConnection(page.db()).exec("DROP TRIGGER temp.refuse");
    }
    {
        // Saving an empty page empties the master.
        ScopedDialogAnswers answers(*page.window, {true});
        page.click(control<QPushButton>(*page.window, "cmd支払先クリア"));
        page.click(control<QPushButton>(*page.window, "cmd支払先登録"));
        EXPECT_TRUE(page.master().isEmpty());
    }
}

TEST(PayerPage, LineDeleteAsksFirstThenRemovesTheTickedNamesFromMasterAndPage)
{
    PayerWindow page({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    page.focusCell(1, Tick);
    QTest::keyClick(&page.grid(), Qt::Key_Space);
    page.tickByClick(3);
    // A name typed on the page but never saved, ticked as well.
    page.focusCell(4, Name);
    page.typeAndEnter(QStringLiteral("X"));
    page.tickByClick(4);
    EXPECT_EQ(page.gridTicks(), QList<bool>({false, true, false, true, true}));

    {
        ScopedDialogAnswers answers(*page.window, {false});
        page.click(control<QPushButton>(*page.window, "cmd支払先行削除"));
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message, QStringLiteral("指定された 入金先 を削除します。よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultNo);
        EXPECT_EQ(page.master().size(), 4);
        EXPECT_EQ(page.gridNames(), QStringList({"A", "B", "C", "D", "X"}));
    }
    {
        ScopedDialogAnswers answers(*page.window, {true});
        page.click(control<QPushButton>(*page.window, "cmd支払先行削除"));
        EXPECT_EQ(sortedPayers(page.db()), QStringList({"A", "C"}));
        EXPECT_EQ(page.gridNames(), QStringList({"A", "C"}));
        EXPECT_EQ(page.copy(), QStringList({"A", "C"}));
        EXPECT_EQ(page.dropDownNames(), QStringList({"A", "C"}));
    }
    {
        // With nothing ticked the question still comes, and Yes changes nothing.
        ScopedDialogAnswers answers(*page.window, {true});
        page.click(control<QPushButton>(*page.window, "cmd支払先行削除"));
        EXPECT_EQ(answers.questionCount(), 1);
        EXPECT_EQ(sortedPayers(page.db()), QStringList({"A", "C"}));
        EXPECT_EQ(page.gridNames(), QStringList({"A", "C"}));
    }
}

TEST(PayerPage, DeleteAllSaysWhatItDoesAsksWithNoAsTheDefaultThenEmptiesMasterPageAndDropDown)
{
    PayerWindow page({QStringLiteral("A"), QStringLiteral("B")});
    EXPECT_EQ(control<QPushButton>(*page.window, "cmd支払先削除")->text(), QStringLiteral("全件削除"));
    EXPECT_EQ(control<QPushButton>(*page.window, "cmd支払先削除")->objectName(),
              QStringLiteral("cmd支払先削除"));
    {
        // One Enter on the question keeps every payer.
        ScopedDialogAnswers answers(*page.window, {false});
        page.click(control<QPushButton>(*page.window, "cmd支払先削除"));
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().title, QStringLiteral("確認"));
        EXPECT_EQ(answers.last().message, QStringLiteral("すべての入金先を削除します、よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultNo);
        EXPECT_EQ(page.master().size(), 2);
        EXPECT_EQ(page.gridNames().size(), 2);
        EXPECT_EQ(page.dropDownNames(), QStringList({"A", "B"}));
    }
    ScopedDialogAnswers answers(*page.window, {true});
    page.click(control<QPushButton>(*page.window, "cmd支払先削除"));
    EXPECT_TRUE(page.master().isEmpty());
    EXPECT_TRUE(page.copy().isEmpty());
    EXPECT_EQ(page.model().rowCount(), 1);
    EXPECT_TRUE(page.dropDownNames().isEmpty());
}

TEST(PayerPage, TheGridsDropDownOffersANameRegisteredFromTheGridAtOnce)
{
    PayerWindow page({QStringLiteral("A")});
    storeSettings(*page.window, [](settings::SettingsRecord& record) { record.autoRegister = true; });
    control<QTabWidget>(*page.window, "SSTab1")->setCurrentIndex(0);
    BoundGrid& grid = *control<BoundGrid>(*page.window, "GridInp");
    const int payer =
        control<WorkTableModel>(*page.window, "datInp")->columnIndex(QStringLiteral("入金先名"));
    grid.setFocus();
    grid.setCurrentIndex(control<WorkTableModel>(*page.window, "datInp")->index(0, payer));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("名古屋運輸"));
    QApplication::sendEvent(&grid, &commit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(page.master(), QStringList({"A", "名古屋運輸"}));
    EXPECT_EQ(page.dropDownNames(), QStringList({"A", "名古屋運輸"}));

    // The list the user opens on the next row holds it.
    grid.setCurrentIndex(control<WorkTableModel>(*page.window, "datInp")->index(1, payer));
    QTest::keyClick(&grid, Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_TRUE(combo);
    EXPECT_GE(combo->findText(QStringLiteral("名古屋運輸")), 0);
    QTest::keyClick(combo, Qt::Key_Escape);
}

TEST(PayerPage, ANameWithQuotesRoundTripsAndMatchesOnlyItself)
{
    const QString quoted = QStringLiteral("O'Hara & 'Sons'");
    PayerWindow page({QStringLiteral("O"), QStringLiteral("Hara")});
    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    page.focusCell(2, Name);
    page.typeAndEnter(quoted);
    ScopedDialogAnswers answers(*page.window, {true}, true);
    page.click(control<QPushButton>(*page.window, "cmd支払先登録"));
    EXPECT_TRUE(page.master().contains(quoted));

    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    EXPECT_EQ(page.gridNames(), QStringList({"Hara", "O", quoted}));
    page.window->schedulePage().registerPayer(quoted);
    page.window->schedulePage().registerPayer(QString());
    EXPECT_EQ(page.master().size(), 3);
    page.window->schedulePage().registerPayer(QStringLiteral("O'"));
    EXPECT_EQ(page.master().size(), 4);

    page.tickByClick(2);
    page.click(control<QPushButton>(*page.window, "cmd支払先行削除"));
    EXPECT_EQ(sortedPayers(page.db()), QStringList({"Hara", "O", "O'"}));
    EXPECT_EQ(page.gridNames(), QStringList({"Hara", "O"}));
}

TEST(PayerPage, NewRowsAreAddedAtTheBottomByKeyboard)
{
    PayerWindow page({QStringLiteral("A"), QStringLiteral("B")});
    page.click(control<QPushButton>(*page.window, "cmd支払先読込"));
    page.focusCell(0, Name);
    QTest::keyClick(&page.grid(), Qt::Key_Down);
    QTest::keyClick(&page.grid(), Qt::Key_Down);
    ASSERT_TRUE(page.model().isNewRow(page.grid().currentIndex().row()));
    EXPECT_EQ(page.model().headerData(2, Qt::Vertical).toString(), QStringLiteral("*"));

    page.typeAndEnter(QStringLiteral("Kato"));
    EXPECT_EQ(page.copy(), QStringList({"A", "B", "Kato"}));
    // A fresh new row follows the one just added, and the keyboard reaches it as well.
    ASSERT_EQ(page.model().rowCount(), 4);
    EXPECT_TRUE(page.model().isNewRow(3));
    page.focusCell(2, Name);
    QTest::keyClick(&page.grid(), Qt::Key_Down);
    page.typeAndEnter(QStringLiteral("Mori"));
    EXPECT_EQ(page.copy(), QStringList({"A", "B", "Kato", "Mori"}));
    EXPECT_EQ(page.gridTicks(), QList<bool>(4, false));

    // Escape leaves the new row without adding anything.
    QTest::keyClick(&page.grid(), Qt::Key_End, Qt::ControlModifier);
    page.type(QStringLiteral("Zed"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(page.copy().size(), 4);
    EXPECT_EQ(page.master(), QStringList({"A", "B"}));
}
