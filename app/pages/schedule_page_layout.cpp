// The schedule page's controls, their wiring and the binding of its grid to the work file.
#include "app/pages/schedule_page.h"

#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/column_widths.h"
#include "app/grid/grid_delegate.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/month_edit.h"
#include "app/widgets/page_controls.h"
#include "app/widgets/twips.h"
#include "common/dates.h"
#include "schedule/draft.h"
#include "schedule/overdue.h"
#include "schedule/row_content.h"

#include <QAction>
#include <QBrush>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QVBoxLayout>

#include <algorithm>

using namespace page_controls;
using namespace schedule_columns;

namespace {

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

// The widest running total the grid shows: past the largest amount of a row.
const QString kWidestBalance = QStringLiteral("-999,999,999,999,999");

// A soft red under black text: marked at a glance, still easy to read.
const QBrush kOverdueBackground(QColor(0xff, 0xd6, 0xd6));

std::optional<QString> payerOf(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
}

// The width the month field always had for its form, or more when the desktop's font needs more: the
// month is never cut off.
int monthFieldWidth(const MonthEdit& field)
{
    const bool western = field.monthFormat() == kWesternMonthFormat;
    const int usual = twipsToPixels(western ? 1560 : 1860, &field);
    const QString widest = formatMonth(QDate(2088, 12, 1), field.monthFormat());
    QStyleOptionSpinBox option;
    option.initFrom(&field);
    option.frame = true;
    option.buttonSymbols = field.buttonSymbols();
    option.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    if (field.buttonSymbols() != QAbstractSpinBox::NoButtons)
        option.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    const QFontMetrics metrics = field.fontMetrics();
    // A little room beside the text for the cursor and the edit's margins.
    const QSize text(metrics.horizontalAdvance(widest) + metrics.averageCharWidth() * 2, metrics.height());
    const int needed = field.style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, &field).width();
    return std::max(usual, needed);
}

} // namespace

SchedulePage::SchedulePage(Source source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_draft(std::make_unique<schedule::MonthDraft>())
{
    buildLayout();
    connectControls();
}

SchedulePage::~SchedulePage() = default;

void SchedulePage::buildLayout()
{
    datInp = named(new WorkTableModel(this), QStringLiteral("datInp"));
    dat入金先名 = named(new WorkTableModel(this), QStringLiteral("dat入金先名"));

    monthFrame = panel(QStringLiteral("imContainer3D1"), this);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(monthFrame);

    // The month and its neighbours above the grid.
    lbl年月 = label(QStringLiteral("lbl年月"), QStringLiteral("年月"), monthFrame);
    Dt年月 = named(new MonthEdit(monthFrame), QStringLiteral("Dt年月"));
    Dt年月->setClock(m_source.clock);
    lbl年月->setBuddy(Dt年月);
    cmdMonBef = named(new QPushButton(QStringLiteral("◀"), monthFrame), QStringLiteral("cmdMonBef"));
    cmdMonBef->setToolTip(QStringLiteral("前の月"));
    cmdMonNext = named(new QPushButton(QStringLiteral("▶"), monthFrame), QStringLiteral("cmdMonNext"));
    cmdMonNext->setToolTip(QStringLiteral("次の月"));
    for (QPushButton* b : {cmdMonBef, cmdMonNext}) {
        b->setFixedWidth(32);
        b->setAutoDefault(false);
    }
    auto* monthRow = new QHBoxLayout;
    monthRow->addWidget(lbl年月);
    monthRow->addWidget(Dt年月);
    monthRow->addWidget(cmdMonBef);
    monthRow->addWidget(cmdMonNext);
    // Shown only while the month has edits that are not saved.
    lbl未登録 = label(QStringLiteral("lbl未登録"), QStringLiteral("未登録"), monthFrame);
    lbl未登録->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    // The mark comes and goes without moving the month's buttons.
    QSizePolicy markPolicy = lbl未登録->sizePolicy();
    markPolicy.setRetainSizeWhenHidden(true);
    lbl未登録->setSizePolicy(markPolicy);
    lbl未登録->hide();
    monthRow->addWidget(lbl未登録);
    monthRow->addStretch();

    // What a new user does first; it goes once the first row is stored.
    lbl初回案内 = label(QStringLiteral("lbl初回案内"),
                        QStringLiteral("はじめに：「入金先保守」で入金先を登録してから、この表に日・入金先・"
                                       "予定額を入力して「登録」を押してください。以前のデータがあるときは、"
                                       "「設定・情報」の「旧データ取込」（以前の Access のデータ）または"
                                       "「CSV取込」で取り込めます。"),
                        monthFrame);
    lbl初回案内->setWordWrap(true);
    lbl初回案内->setStyleSheet(
        QStringLiteral("QLabel { background: #fff8d8; border: 1px solid #e0c870; padding: 6px; }"));
    lbl初回案内->hide();

    GridInp = named(new BoundGrid(monthFrame), QStringLiteral("GridInp"));
    GridInp->gridDelegate()->setObjectName(QStringLiteral("DD入金先名"));

    // Totals beside the grid, with the progress bar below them.
    num繰越額 = named(new AmountField(monthFrame), QStringLiteral("num繰越額"));
    num予定額月計 = named(new AmountField(monthFrame), QStringLiteral("num予定額月計"));
    num入金額月計 = named(new AmountField(monthFrame), QStringLiteral("num入金額月計"));
    num累計 = named(new AmountField(monthFrame), QStringLiteral("num累計"));
    lbl繰越額 = label(QStringLiteral("lbl繰越額"), QStringLiteral("繰越額"), monthFrame);
    lbl予定額月計 = label(QStringLiteral("lbl予定額月計"), QStringLiteral("予定額月計"), monthFrame);
    lbl入金額月計 = label(QStringLiteral("lbl入金額月計"), QStringLiteral("入金額月計"), monthFrame);
    lbl累計 = label(QStringLiteral("lbl累計"), QStringLiteral("予定額累計"), monthFrame);
    auto* totals = new QFormLayout;
    totals->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const std::pair<QLabel*, AmountField*> rows[] = {{lbl繰越額, num繰越額},
                                                     {lbl予定額月計, num予定額月計},
                                                     {lbl入金額月計, num入金額月計},
                                                     {lbl累計, num累計}};
    for (const auto& [caption, field] : rows) {
        // The usual width, or wider when the font needs it for the largest amount.
        field->setFixedWidth(std::max(130, field->widthFor(AmountField::kWidestAmount)));
        caption->setBuddy(field);
        totals->addRow(caption, field);
    }
    Pbar = named(new QProgressBar(monthFrame), QStringLiteral("Pbar"));
    Pbar->setRange(0, 100);
    Pbar->setValue(0);
    Pbar->setVisible(false);
    // The bar comes and goes with every load and save: its place is kept, so that showing it neither
    // lays the page out again nor repaints the grid beside it.
    QSizePolicy barPolicy = Pbar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    Pbar->setSizePolicy(barPolicy);
    // What is past due, across all months; a click opens the open-receipts page.
    lbl未入金お知らせ = named(new ClickableLabel(monthFrame), QStringLiteral("lbl未入金お知らせ"));
    lbl未入金お知らせ->setCursor(Qt::PointingHandCursor);
    lbl未入金お知らせ->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    // However large the count and the sum grow, the notice keeps the width of the totals above it.
    lbl未入金お知らせ->setElided(true);
    auto* side = new QVBoxLayout;
    side->addLayout(totals);
    side->addWidget(Pbar);
    side->addWidget(lbl未入金お知らせ);
    side->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(GridInp);
    middle->addSpacing(12);
    middle->addLayout(side);
    middle->addStretch();

    scheduleButtons = panel(QStringLiteral("imContainer3D6"), monthFrame);
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), scheduleButtons);
    cmd登録 = button(QStringLiteral("cmd登録"), QStringLiteral("登録"), scheduleButtons);
    cmd行挿入 = button(QStringLiteral("cmd行挿入"), QStringLiteral("行挿入"), scheduleButtons);
    cmd行削除 = button(QStringLiteral("cmd行削除"), QStringLiteral("行削除"), scheduleButtons);
    Cmd印刷 = button(QStringLiteral("Cmd印刷"), QStringLiteral("印刷"), scheduleButtons);
    cmd履歴クリア = button(QStringLiteral("cmd履歴クリア"), QStringLiteral("クリア"), scheduleButtons);
    cmd履歴閉じる = button(QStringLiteral("cmd履歴閉じる"), QStringLiteral("閉じる"), scheduleButtons);
    cmdHint = hintButton(QStringLiteral("cmdHint"), scheduleButtons);
    cmd元に戻す = button(QStringLiteral("cmd元に戻す"), QStringLiteral("元に戻す"), scheduleButtons);
    cmd元に戻す->setToolTip(QStringLiteral("直前の編集を取り消します (Ctrl+Z)"));
    cmdやり直し = button(QStringLiteral("cmdやり直し"), QStringLiteral("やり直し"), scheduleButtons);
    cmdやり直し->setToolTip(QStringLiteral("取り消した編集をやり直します (Ctrl+Y)"));
    for (QPushButton* b : {cmd元に戻す, cmdやり直し}) {
        b->setEnabled(false);
        // The cursor stays in the grid: an undo is part of typing, not a move to the button row.
        b->setFocusPolicy(Qt::NoFocus);
    }
    cmd請求登録 = button(QStringLiteral("cmd請求登録"), QStringLiteral("請求登録"), scheduleButtons);
    auto* buttons = new QHBoxLayout(scheduleButtons);
    for (QPushButton* b : {cmd読込, cmd登録, cmd行挿入, cmd行削除, cmd元に戻す, cmdやり直し, cmd請求登録,
                           Cmd印刷, cmd履歴クリア, cmd履歴閉じる})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHint);

    auto* layout = new QVBoxLayout(monthFrame);
    layout->addLayout(monthRow);
    layout->addWidget(lbl初回案内);
    layout->addLayout(middle, 1);
    layout->addWidget(scheduleButtons);
}

void SchedulePage::connectControls()
{
    connect(cmdMonBef, &QPushButton::clicked, this, [this] { moveMonth(-1); });
    connect(cmdMonNext, &QPushButton::clicked, this, [this] { moveMonth(1); });
    connect(cmd読込, &QPushButton::clicked, this, [this] {
        // Without a month there is nothing to load, so nothing to ask about either.
        if (!Dt年月->hasValue())
            return;
        if (confirmLeavingMonth())
            loadMonth();
        returnToGrid();
    });
    connect(cmd履歴クリア, &QPushButton::clicked, this, [this] {
        if (confirmLeavingMonth())
            clearMonth();
    });
    connect(Dt年月, &MonthEdit::monthChanged, this, [this] { monthTyped(); });
    // Enter ends the typing of a month, which loaded as it was typed: the next keys are the grid's. (A
    // focus leaving the field finishes it too, and goes where the user sent it.)
    connect(Dt年月, &QAbstractSpinBox::editingFinished, this, [this] {
        if (Dt年月->hasFocus())
            returnToGrid();
    });
    connect(cmd登録, &QPushButton::clicked, this, [this] { saveClicked(); });
    connect(cmd行挿入, &QPushButton::clicked, this, [this] { insertRow(); });
    connect(cmd行削除, &QPushButton::clicked, this, [this] { deleteRowClicked(); });
    connect(cmd請求登録, &QPushButton::clicked, this, [this] { registerInvoice(); });
    connect(Cmd印刷, &QPushButton::clicked, this, &SchedulePage::printRequested);
    // The hint window goes with the main window, when it closes: a close the user cancels keeps both.
    connect(cmd履歴閉じる, &QPushButton::clicked, this, &SchedulePage::closeRequested);
    connect(cmdHint, &QPushButton::clicked, this, [this] { emit hintRequested(cmdHint->objectName()); });
    connect(lbl未入金お知らせ, &ClickableLabel::clicked, this, &SchedulePage::pastDueClicked);

    connect(GridInp, &BoundGrid::focusReceived, this, [this] { guardFocusWithoutMonth(); });
    connect(GridInp, &BoundGrid::cellCommitted, this, [this](int column) { cellCommitted(column); });
    // The warning waits until the refused editor has closed: a box opened while it still has the focus
    // would make it commit, and be refused, a second time.
    connect(
        GridInp, &BoundGrid::cellRefused, this,
        [this](int column, const QString& text) { cellRefused(column, text); }, Qt::QueuedConnection);
    connect(GridInp, &BoundGrid::payerEditFinished, this, [this] { payerEdited(); });
    connect(GridInp, &BoundGrid::keyPressed, this, [this](int* key) { keyPressed(key); });
    connect(GridInp, &BoundGrid::cellCursorMoved, this, [this] { cursorMoved(); });
    connect(GridInp, &BoundGrid::columnResizedByUser, this, [this] { m_widthsChanged = true; });

    // Every cell the grid writes goes to the draft; the unsaved mark is the draft's to say.
    datInp->setCellWriter(
        [this](int row, int column, const Value& value) { return writeCell(row, column, value); });
    connect(cmd元に戻す, &QPushButton::clicked, this, [this] { undoEdit(); });
    connect(cmdやり直し, &QPushButton::clicked, this, [this] { redoEdit(); });
    const auto shortcut = [this](QWidget* owner, const QList<QKeySequence>& keys,
                                 void (SchedulePage::*work)()) {
        auto* action = new QAction(owner);
        action->setShortcuts(keys);
        // An open cell editor keeps these keys for its own text.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, work);
        owner->addAction(action);
    };
    shortcut(this, {QKeySequence::Undo}, &SchedulePage::undoEdit);
    shortcut(this, {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
             &SchedulePage::redoEdit);
    shortcut(GridInp, {QKeySequence::Copy}, &SchedulePage::copyCells);
    shortcut(GridInp, {QKeySequence::Paste}, &SchedulePage::pasteCells);
    shortcut(GridInp, {QKeySequence(Qt::CTRL | Qt::Key_D)}, &SchedulePage::fillDown);
    for (WorkTableModel* model : {datInp, dat入金先名})
        connect(model, &WorkTableModel::storageFailed, this,
                [this](const QString& message) { showStorageFailure(*m_source.prompts, this, message); });

    // Overdue rows are marked by the grid's working values, unsaved edits included; every write
    // repaints the row.
    datInp->setRowBackground([this](const WorkTableModel& model, int row) -> QVariant {
        if (schedule::isOverdue(model.value(row, k日付).toDate(), payerOf(model.value(row, k入金先名)),
                                model.value(row, k予定額).toMoney(), model.value(row, k入金額).toMoney(),
                                todayBy(m_source.clock)))
            return kOverdueBackground;
        return {};
    });
    // A row with data whose balance came to 0 shows the 0; only rows without data stay empty.
    datInp->setZeroShown([this](int row, int column) {
        return column == k残高 && std::size_t(row) < m_draft->rows().size() &&
               schedule::holdsData(m_draft->rows()[std::size_t(row)]);
    });
    // What the store does not hold yet is marked as such, row by row, until 登録.
    datInp->setRowMark([this](int row) { return m_draft->isRowUnsaved(std::size_t(row)); });
}

void SchedulePage::bindData()
{
    // The schedule rows in grid order, the drop-down as stored.
    // The stored row behind each working row is the draft's business, not the grid's.
    datInp->limitColumns(k残高 + 1);
    datInp->bind(m_source.database(), QStringLiteral("InpWork"), QStringLiteral("行番号"));
    dat入金先名->bind(m_source.database(), QStringLiteral("w入金先名"));
    GridInp->setWorkModel(datInp);
    applyColumns(GridInp, datInp, std::begin(kScheduleColumns), std::end(kScheduleColumns));
    // The running total reaches far past the largest amount of one row; it is never cut to "1,…".
    widenForAmount(GridInp, k残高, kWidestBalance);
    // The balance is computed from the amounts; nobody types it.
    datInp->setColumnReadOnly(datInp->columnIndex(QStringLiteral("残高")), true);
    GridInp->setDropDown(datInp->columnIndex(QStringLiteral("入金先名")), dat入金先名);
    datInp->refresh();
    dat入金先名->refresh();
}

void SchedulePage::restoreColumnWidths(const QString& path)
{
    for (const auto& [name, twips] : readColumnWidths(path, GridInp->objectName())) {
        const int column = datInp->columnIndex(name);
        if (column >= 0 && !datInp->isColumnHidden(column))
            GridInp->setColumnWidthTwips(column, twips);
    }
    m_widthsChanged = false;
}

void SchedulePage::keepColumnWidths(const QString& path)
{
    if (!m_widthsChanged)
        return;
    std::map<QString, double> widths;
    for (const auto& [column, twips] : GridInp->columnWidthsTwips())
        if (column < datInp->columnCount() && !datInp->isColumnHidden(column))
            widths[datInp->columnName(column)] = twips;
    // The widths are the window's comfort, not data: a file that cannot be written is told and the
    // next start shows the usual widths.
    if (!writeColumnWidths(path, GridInp->objectName(), widths))
        showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("列の幅を保存できませんでした（%1）。").arg(path));
    m_widthsChanged = false;
}

void SchedulePage::releaseData()
{
    // Nothing is saved here: rows the user did not store stay in the work file, which the next start
    // rebuilds.
    datInp->unbind();
    dat入金先名->unbind();
}

void SchedulePage::setEra(const QString& era)
{
    Dt年月->setMonthFormat(monthDisplayFormat(era, MonthUse::MonthField));
    Dt年月->setFixedWidth(monthFieldWidth(*Dt年月));
}
