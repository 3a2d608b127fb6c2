#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

enum Col { RowNo, OrigRowNo, Day, Date, Payer, Planned, Received, Balance };

// Five working rows, written in reverse order so the grid has to sort them by row number.
void seedRows(Database& db)
{
    for (int n = 5; n >= 1; --n)
        db.execute("insert into InpWork (行番号, 元行番号, 予定額, 入金額, 残高) values (?, ?, ?, ?, ?)",
                   {Value(n), Value(n), Value(Money::fromYen(n * 1000)), Value(Money()), Value(Money())});
    db.execute("update InpWork set 入金先名 = ?, 日付 = ?, 表示日付 = ? where 行番号 = 1",
               {Value("東京商事"), Value(QDate(2024, 5, 7)), Value("07")});
}

Value stored(Database& db, int rowNo, const char* column)
{
    RowSet rows = db.openRowSet("select * from InpWork where 行番号 = ?", {rowNo});
    return rows.isEmpty() ? Value() : rows.get(QString::fromUtf8(column));
}

// Types text the way a user does: the first key opens the cell's editor, the rest go to the editor.
void typeInto(BoundGrid& grid, const QString& text)
{
    QTest::keyClicks(&grid, text.left(1));
    if (text.size() > 1)
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
}

// Text as an input method hands it over when a conversion is accepted.
void commitText(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

void showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

struct ScheduleGrid
{
    TempDataFolder folder;
    std::unique_ptr<Database> db = folder.open();
    WorkTableModel model;
    WorkTableModel names;
    QWidget window;
    BoundGrid& grid = *new BoundGrid(&window);
    QLineEdit& elsewhere = *new QLineEdit(&window);

    ScheduleGrid()
    {
        seedRows(*db);
        db->execute("insert into w入金先名 (入金先名) values (?)", {Value("大阪物産")});
        model.bind(db.get(), QStringLiteral("InpWork"), QStringLiteral("行番号"));
        model.refresh();
        names.bind(db.get(), QStringLiteral("w入金先名"));
        names.refresh();
        for (int c : {RowNo, OrigRowNo, Date})
            model.setColumnHidden(c, true);
        grid.setWorkModel(&model);
        grid.setDropDown(Payer, &names);
        grid.setGeometry(0, 0, 700, 300);
        elsewhere.setGeometry(0, 310, 100, 24);
        showActive(window);
        grid.setFocus();
        grid.setCurrentIndex(model.index(0, Day));
    }
};

} // namespace

TEST(WorkTableModel, ShowsTheTableAndWritesEveryCellThroughAtOnce)
{
    ScheduleGrid g;
    WorkTableModel& model = g.model;
    ASSERT_EQ(model.rowCount(), 5);
    ASSERT_EQ(model.columnCount(), 9); // the draft's link to the stored row comes last
    EXPECT_EQ(model.columnName(Balance), QStringLiteral("残高"));
    EXPECT_EQ(model.data(model.index(0, RowNo), Qt::EditRole).toInt(), 1);
    EXPECT_EQ(model.data(model.index(4, RowNo), Qt::EditRole).toInt(), 5);

    EXPECT_EQ(model.data(model.index(0, Planned), Qt::EditRole).toDouble(), 1000.0);
    EXPECT_EQ(model.data(model.index(0, Planned)).toString(), QStringLiteral("1,000"));
    EXPECT_EQ(model.data(model.index(0, Received)).toString(), QString());
    EXPECT_EQ(model.data(model.index(0, Date), Qt::EditRole).toDate(), QDate(2024, 5, 7));
    EXPECT_EQ(model.data(model.index(0, Payer), Qt::EditRole).toString(), QStringLiteral("東京商事"));
    EXPECT_TRUE(model.data(model.index(1, Payer), Qt::EditRole).isNull());
    EXPECT_TRUE(model.data(model.index(1, Date), Qt::EditRole).isNull());

    EXPECT_TRUE(model.setData(model.index(1, Planned), QStringLiteral("１２,３４５")));
    EXPECT_EQ(stored(*g.db, 2, "予定額").toMoney(), Money::fromYen(12345));
    EXPECT_EQ(model.data(model.index(1, Planned)).toString(), QStringLiteral("12,345"));
    EXPECT_TRUE(model.setData(model.index(1, Received), 250.5));
    EXPECT_EQ(stored(*g.db, 2, "入金額").toMoney(), Money::fromRaw(2505000));

    // A figure that is not an amount is refused and nothing changes.
    EXPECT_FALSE(model.setData(model.index(1, Planned), QStringLiteral("12a")));
    EXPECT_FALSE(model.setData(model.index(1, Planned), QStringLiteral("99999999999999999999")));
    EXPECT_EQ(stored(*g.db, 2, "予定額").toMoney(), Money::fromYen(12345));

    // An emptied cell holds nothing; a payer name keeps its blanks and quotes.
    EXPECT_TRUE(model.setData(model.index(0, Payer), QString()));
    EXPECT_TRUE(stored(*g.db, 1, "入金先名").isNull());
    EXPECT_TRUE(model.setData(model.index(0, Payer), QStringLiteral("O'Brien ")));
    EXPECT_EQ(stored(*g.db, 1, "入金先名").toText(), QStringLiteral("O'Brien "));
    EXPECT_TRUE(model.setData(model.index(2, Date), QDate(2024, 5, 31)));
    EXPECT_EQ(stored(*g.db, 3, "日付").toDate(), QDate(2024, 5, 31));

    // A statement behind the grid's back shows after a refresh.
    g.db->execute("update InpWork set 残高 = ? where 行番号 = 5", {Value(Money::fromYen(-3000))});
    EXPECT_EQ(model.data(model.index(4, Balance)).toString(), QString());
    model.refresh();
    EXPECT_EQ(model.data(model.index(4, Balance)).toString(), QStringLiteral("-3,000"));
}

TEST(WorkTableModel, ThePayerGridTicksWithSpaceAndAddsRowsAtTheBottom)
{
    TempDataFolder folder;
    auto db = folder.open();
    db->execute("insert into w入金先マスタ (入金先名) values (?)", {Value("東京商事")});
    WorkTableModel model;
    model.bind(db.get(), QStringLiteral("w入金先マスタ"));
    model.setAppendRow(true);
    model.refresh();
    BoundGrid grid;
    grid.setWorkModel(&model);
    showActive(grid);
    grid.setFocus();

    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_TRUE(model.isNewRow(1));
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

    grid.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    RowSet ticked = db->openRowSet("select * from w入金先マスタ where チェック = 1");
    EXPECT_EQ(ticked.size(), 1u);
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_EQ(db->readTotal("select count(*) as total from w入金先マスタ where チェック = 1").toInt64(), 0);

    // Typing a name into the row after the last one adds it to the table.
    grid.setCurrentIndex(model.index(1, 1));
    commitText(&grid, QStringLiteral("大阪物産"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(model.dataRowCount(), 2);
    EXPECT_EQ(model.rowCount(), 3);
    RowSet rows = db->openRowSet("select * from w入金先マスタ");
    ASSERT_EQ(rows.size(), 2u);
    rows.moveNext();
    EXPECT_EQ(rows.get(QStringLiteral("入金先名")).toText(), QStringLiteral("大阪物産"));
    EXPECT_FALSE(rows.get(QStringLiteral("チェック")).toBool());
}

TEST(BoundGrid, CursorOperationsWorkOnTheCurrentRow)
{
    ScheduleGrid g;
    BoundGrid& grid = g.grid;
    EXPECT_TRUE(grid.isFirstRow());
    EXPECT_EQ(grid.cell(Payer).toText(), QStringLiteral("東京商事"));
    EXPECT_TRUE(grid.cellAbove(Balance).isNull());

    grid.moveNext();
    EXPECT_EQ(grid.currentRow(), 1);
    EXPECT_FALSE(grid.isFirstRow());
    EXPECT_EQ(grid.cellAbove(Planned).toMoney(), Money::fromYen(1000));
    EXPECT_TRUE(grid.setCell(Balance, Value(Money::fromYen(777))));
    EXPECT_EQ(stored(*g.db, 2, "残高").toMoney(), Money::fromYen(777));
    EXPECT_EQ(grid.cellText(Balance), QStringLiteral("777"));
    const BoundGrid::Bookmark mark = grid.bookmark();

    int visited = 1;
    while (!grid.atEnd()) {
        grid.moveNext();
        ++visited;
    }
    EXPECT_EQ(visited, 5);
    EXPECT_TRUE(grid.cell(Planned).isNull());
    EXPECT_FALSE(grid.setCell(Planned, Value(Money())));
    grid.movePrevious();
    EXPECT_FALSE(grid.atEnd());
    EXPECT_EQ(grid.currentRow(), 4);

    grid.returnTo(mark);
    EXPECT_EQ(grid.currentRow(), 1);
    grid.setCurrentColumn(Received);
    EXPECT_EQ(grid.currentColumn(), int(Received));
    EXPECT_EQ(grid.currentRow(), 1);

    // Deleting takes the row out of the table; the next one becomes current.
    EXPECT_TRUE(grid.deleteCurrentRow());
    EXPECT_EQ(g.db->readTotal("select count(*) as total from InpWork").toInt64(), 4);
    EXPECT_TRUE(stored(*g.db, 2, "行番号").isNull());
    EXPECT_EQ(grid.cell(RowNo).toInt64(), 3);
    EXPECT_EQ(stored(*g.db, 3, "予定額").toMoney(), Money::fromYen(3000));
}

TEST(BoundGrid, EditsReportTheirCellWhileItIsStillCurrent)
{
    ScheduleGrid g;
    BoundGrid& grid = g.grid;
    std::vector<std::pair<int, int>> committed; // column, current row at the time
    QObject::connect(&grid, &BoundGrid::cellCommitted, [&](int column) {
        committed.emplace_back(column, grid.currentRow());
        EXPECT_EQ(grid.currentColumn(), column);
    });

    // A typed day is stored on Enter and the cursor moves to the next shown column; each key is
    // reported once, also the one that opened the editor.
    QSignalSpy keys(&grid, &BoundGrid::keyPressed);
    QTest::keyClicks(&grid, QStringLiteral("9"));
    EXPECT_EQ(keys.count(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(stored(*g.db, 1, "表示日付").toText(), QStringLiteral("9"));
    EXPECT_EQ(grid.currentColumn(), int(Payer));

    // Moving down out of an amount commits it before the cursor leaves the row.
    grid.setCurrentIndex(g.model.index(2, Planned));
    typeInto(grid, QStringLiteral("1500"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(stored(*g.db, 3, "予定額").toMoney(), Money::fromYen(1500));
    EXPECT_EQ(grid.currentRow(), 3);
    ASSERT_EQ(committed.size(), 2u);
    EXPECT_EQ(committed[0], std::make_pair(int(Day), 0));
    EXPECT_EQ(committed[1], std::make_pair(int(Planned), 2));

    // Leaving a cell unchanged, or Escape, writes and reports nothing.
    grid.setCurrentIndex(g.model.index(0, Planned));
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(&grid, QStringLiteral("8"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(committed.size(), 2u);
    EXPECT_EQ(stored(*g.db, 1, "予定額").toMoney(), Money::fromYen(1000));

    // A handler can take Enter away from the grid.
    QObject::connect(&grid, &BoundGrid::keyPressed, [&](int* key) {
        if (*key == Qt::Key_Return && grid.currentColumn() == Balance)
            *key = 0;
    });
    grid.setCurrentIndex(g.model.index(1, Balance));
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(grid.currentColumn(), int(Balance));
    QTest::keyClicks(&grid, QStringLiteral("5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(grid.indexWidget(g.model.index(1, Balance)));
    grid.commitRow();
    EXPECT_EQ(stored(*g.db, 2, "残高").toMoney(), Money::fromYen(5));
    EXPECT_EQ(committed.back(), std::make_pair(int(Balance), 1));
}

TEST(BoundGrid, ThePayerColumnTakesInputMethodTextAndNamesOutsideItsList)
{
    ScheduleGrid g;
    BoundGrid& grid = g.grid;
    QSignalSpy payerDone(&grid, &BoundGrid::payerEditFinished);
    QSignalSpy focus(&grid, &BoundGrid::focusReceived);

    grid.setCurrentIndex(g.model.index(1, Payer));
    commitText(&grid, QStringLiteral("名古屋"));
    auto* combo = qobject_cast<QComboBox*>(grid.indexWidget(g.model.index(1, Payer)));
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->isEditable());
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("大阪物産"));
    commitText(combo, QStringLiteral("運輸"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(stored(*g.db, 2, "入金先名").toText(), QStringLiteral("名古屋運輸"));
    EXPECT_EQ(payerDone.count(), 1);
    // Focus coming back from the editor is not the grid being entered.
    EXPECT_EQ(focus.count(), 0);

    // A name from the list can be picked as well.
    grid.setCurrentIndex(g.model.index(2, Payer));
    QTest::keyClick(&grid, Qt::Key_F2);
    combo = qobject_cast<QComboBox*>(grid.indexWidget(g.model.index(2, Payer)));
    ASSERT_TRUE(combo);
    combo->setCurrentIndex(0);
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(stored(*g.db, 3, "入金先名").toText(), QStringLiteral("大阪物産"));
    EXPECT_EQ(payerDone.count(), 2);

    g.elsewhere.setFocus();
    grid.takeFocus();
    EXPECT_EQ(focus.count(), 1);
}
