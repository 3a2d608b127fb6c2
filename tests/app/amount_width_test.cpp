#include "app/FrmDorivan.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QAbstractItemDelegate>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace {

// Whether the field shows its whole text: with the cursor at the end, as after a setText, the first
// character still starts inside the field.
bool showsWholeText(AmountField* field)
{
    field->setCursorPosition(int(field->text().size()));
    const QRect inside = field->contentsRect();
    return field->cursorPositionAt(QPoint(inside.left() + 1, inside.center().y())) == 0;
}

} // namespace

TEST(AmountWidths, TheLargestTypedAmountFitsEveryAmountCellAndTotalAndLargerTotalsShrinkToFit)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path(), std::make_shared<ScriptedPrompts>());
    ScopedDialogAnswers answers(window);
    control<QTabWidget>(window, "SSTab1")->setCurrentIndex(0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    window.db().execute("update InpWork set 入金先名 = ?, 予定額 = ?, 入金額 = ?, 残高 = ? where 行番号 = 1",
                        {Value("東京商事"), Value(yen(999'999'999'999)), Value(yen(999'999'999'999)),
                         Value(yen(-999'999'999'999))});
    control<WorkTableModel>(window, "datInp")->refresh();
    for (const char* column : {"予定額", "入金額", "残高"}) {
        const int c = control<WorkTableModel>(window, "datInp")->columnIndex(QString::fromUtf8(column));
        const QModelIndex cell = control<WorkTableModel>(window, "datInp")->index(0, c);
        QStyleOptionViewItem option;
        option.initFrom(control<BoundGrid>(window, "GridInp")->viewport());
        option.font = control<BoundGrid>(window, "GridInp")->font();
        // What the grid's own delegate needs to draw the cell, and no ellipsis where the style draws
        // the text: inside the cell's margins.
        const int needed =
            control<BoundGrid>(window, "GridInp")->itemDelegateForIndex(cell)->sizeHint(option, cell).width();
        EXPECT_GE(control<BoundGrid>(window, "GridInp")->columnWidth(c), needed) << column;
        const int margin =
            control<BoundGrid>(window, "GridInp")
                ->style()
                ->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, control<BoundGrid>(window, "GridInp")) +
            1;
        const QString text = cell.data().toString();
        EXPECT_EQ(
            control<BoundGrid>(window, "GridInp")
                ->fontMetrics()
                .elidedText(text, Qt::ElideRight,
                            control<BoundGrid>(window, "GridInp")->visualRect(cell).width() - 2 * margin),
            text)
            << column;
    }

    AmountField* const totals[] = {
        control<AmountField>(window, "num繰越額"), control<AmountField>(window, "num予定額月計"),
        control<AmountField>(window, "num入金額月計"), control<AmountField>(window, "num累計")};
    for (AmountField* field : totals) {
        field->setAmount(yen(-999'999'999'999));
        EXPECT_TRUE(showsWholeText(field)) << field->objectName().toStdString();
        EXPECT_FALSE(field->testAttribute(Qt::WA_SetFont)) << "the usual font is enough";
    }

    // A balance beyond what anyone types is drawn smaller rather than cut off, and a small one goes
    // back to the usual font.
    const QFont usual = control<AmountField>(window, "num累計")->font();
    control<AmountField>(window, "num累計")
        ->setAmount(Money::fromRaw(std::numeric_limits<std::int64_t>::min() + 1));
    EXPECT_TRUE(showsWholeText(control<AmountField>(window, "num累計")))
        << control<AmountField>(window, "num累計")->text().toStdString();
    EXPECT_LT(control<AmountField>(window, "num累計")->font().pointSizeF(), usual.pointSizeF());
    control<AmountField>(window, "num累計")->setAmount(yen(12));
    EXPECT_EQ(control<AmountField>(window, "num累計")->font(), usual);
    EXPECT_FALSE(control<AmountField>(window, "num累計")->testAttribute(Qt::WA_SetFont));
}
