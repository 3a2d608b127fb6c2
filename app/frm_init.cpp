// FormInit: binds the grids to the work file and gives the controls their settings. It runs once at
// load, after the settings were read; running it again re-applies everything.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/twips.h"
#include "app/work_table_model.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

struct ColumnSetting
{
    const char16_t* field;
    bool hidden;
    const char16_t* caption; // nullptr keeps the field name
    Qt::Alignment alignment;
    double widthTwips; // 0 keeps the grid's width
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

const ColumnSetting kScheduleColumns[] = {
    {u"行番号", true, nullptr, kLeft, 0},
    {u"元行番号", true, nullptr, kLeft, 0},
    {u"表示日付", false, u"日付", kCentre, 600},
    {u"日付", true, nullptr, kLeft, 0},
    {u"入金先名", false, u"入金先名", kLeft, 4140.284},
    {u"予定額", false, u"予定額", kRight, 1395.213},
    {u"入金額", false, u"入金額", kRight, 1365.165},
    {u"残高", false, u"総　額", kRight, 1319.811},
};

const ColumnSetting kPayerColumns[] = {
    {u"チェック", false, u"", kCentre, 380},
    {u"入金先名", false, u"入　金　先　名", kLeft, 5490},
};

// The width an amount column needs for the largest amount in the grid's font: the text at its exact
// (fractional) width, the cell's margins on both sides and the grid line.
double amountColumnTwips(const BoundGrid* grid)
{
    const qreal text = QFontMetricsF(grid->font()).horizontalAdvance(AmountField::kWidestAmount);
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return pixelsToTwips(int(std::ceil(text)) + 2 * margin + 1, grid);
}

void applyColumns(BoundGrid* grid, WorkTableModel* model, const ColumnSetting* begin,
                  const ColumnSetting* end)
{
    // A column the table lacks is skipped; the others still get their settings.
    for (const ColumnSetting* s = begin; s != end; ++s) {
        const int column = model->columnIndex(QString::fromUtf16(s->field));
        if (column < 0)
            continue;
        model->setColumnHidden(column, s->hidden);
        if (s->caption)
            model->setColumnCaption(column, QString::fromUtf16(s->caption));
        model->setColumnAlignment(column, s->alignment);
        double width = s->widthTwips;
        // The right-aligned columns are the amounts: never narrower than the largest amount.
        if (s->alignment == kRight && !s->hidden)
            width = std::max(width, amountColumnTwips(grid));
        if (width > 0)
            grid->setColumnWidthTwips(column, width);
    }
}

} // namespace

void FrmDorivan::FormInit()
{
    lblSupport->setText(QStringLiteral("質問は下のバナーをクリックしてモルベクスフリー掲示板へ"));

    // Data sources: the schedule rows in grid order, the other two as stored.
    datInp->bind(m_db.get(), QStringLiteral("InpWork"), QStringLiteral("行番号"));
    dat入金先名->bind(m_db.get(), QStringLiteral("w入金先名"));
    dat入金先マスタ->bind(m_db.get(), QStringLiteral("w入金先マスタ"));
    dat入金先マスタ->setAppendRow(true);
    GridInp->setWorkModel(datInp);
    Grid入金先マスタ->setWorkModel(dat入金先マスタ);

    // The month field takes the form of the era value read at load.
    applyEraToMonthField();

    applyColumns(GridInp, datInp, std::begin(kScheduleColumns), std::end(kScheduleColumns));
    // The balance is computed from the amounts; nobody types it.
    datInp->setColumnReadOnly(datInp->columnIndex(QStringLiteral("残高")), true);
    GridInp->setDropDown(datInp->columnIndex(QStringLiteral("入金先名")), dat入金先名);
    applyColumns(Grid入金先マスタ, dat入金先マスタ, std::begin(kPayerColumns), std::end(kPayerColumns));

    cmb年号->clear();
    cmb年号->addItem(QStringLiteral("西暦"));
    cmb年号->addItem(QStringLiteral("和暦"));
    const int known = cmb年号->findText(m年号);
    cmb年号->setCurrentIndex(known);
    // A stored value outside the list is still shown as it is.
    cmb年号->setEditText(m年号);

    datInp->refresh();
    dat入金先名->refresh();
    dat入金先マスタ->refresh();
}
