#include "app/widgets/page_controls.h"

#include "app/dialogs/user_prompts.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/twips.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace page_controls {

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setMinimumWidth(72);
    b->setAutoDefault(false);
    return b;
}

QPushButton* hintButton(const QString& name, QWidget* parent)
{
    auto* b = button(name, QStringLiteral("ヒント"), parent);
    b->setToolTip(QStringLiteral("このページのヒント"));
    return b;
}

QFrame* panel(const QString& name, QWidget* parent)
{
    auto* frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), name);
}

namespace {

// The width an amount column needs for the largest amount in the grid's font: the text at its exact
// (fractional) width, the cell's margins on both sides and the grid line.
double amountColumnTwips(const BoundGrid* grid, const QString& widest = AmountField::kWidestAmount)
{
    const qreal text = QFontMetricsF(grid->font()).horizontalAdvance(widest);
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return pixelsToTwips(int(std::ceil(text)) + 2 * margin + 1, grid);
}

} // namespace

void applyColumns(BoundGrid* grid, WorkTableModel* model, const ColumnSetting* begin,
                  const ColumnSetting* end)
{
    for (const ColumnSetting* s = begin; s != end; ++s) {
        const int column = model->columnIndex(QString::fromUtf16(s->field));
        if (column < 0)
            continue;
        const Qt::Alignment alignment = s->alignment;
        model->setColumnHidden(column, s->hidden);
        if (s->caption)
            model->setColumnCaption(column, QString::fromUtf16(s->caption));
        model->setColumnAlignment(column, alignment);
        double width = s->widthTwips;
        if ((alignment & Qt::AlignRight) && !s->hidden)
            width = std::max(width, amountColumnTwips(grid));
        if (width > 0)
            grid->setColumnWidthTwips(column, width);
    }
}

void widenForAmount(BoundGrid* grid, int column, const QString& widest)
{
    if (column < 0)
        return;
    const double twips = amountColumnTwips(grid, widest);
    if (grid->columnWidth(column) < twipsToPixels(twips, grid))
        grid->setColumnWidthTwips(column, twips);
}

void showStorageFailure(UserPrompts& prompts, QWidget* page, const QString& message)
{
    prompts.ask(page->window(), {QStringLiteral("入金予定表"), message, DialogStyle::Warning},
                PromptButtons::Standard);
}

} // namespace page_controls
