// The month working set: clearing the schedule screen, loading a month, moving between months, and the
// wiring of the schedule tab.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/delayed_progress.h"
#include "app/failure_report.h"
#include "app/month_edit.h"
#include "app/schedule_questions.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "common/dates.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/database.h"

#include <QDate>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
const QString kMoreThan200Rows =
    QStringLiteral("この月の入金予定は200行を超えています。201行目以降は表示されません。");
const QString kNoMonth = QStringLiteral("年月を指定してください。");
const QString kUnsavedMark = QStringLiteral(" *");
} // namespace

void FrmDorivan::connectSchedule()
{
    connect(cmdMonBef, &QPushButton::clicked, this, [this] { moveMonth(-1); });
    connect(cmdMonNext, &QPushButton::clicked, this, [this] { moveMonth(1); });
    connect(cmd読込, &QPushButton::clicked, this, [this] {
        if (confirmLeavingMonth())
            Read入金予定();
    });
    connect(cmd履歴クリア, &QPushButton::clicked, this, [this] {
        if (confirmLeavingMonth())
            Clear入金予定表();
    });
    connect(Dt年月, &MonthEdit::monthChanged, this, [this] { monthTyped(); });
    connect(cmd登録, &QPushButton::clicked, this, [this] { cmd登録Click(); });
    connect(cmd行挿入, &QPushButton::clicked, this, [this] { cmd行挿入Click(); });
    connect(cmd行削除, &QPushButton::clicked, this, [this] { cmd行削除Click(); });

    connect(GridInp, &BoundGrid::focusReceived, this, [this] { gridInpFocusGuard(); });
    connect(GridInp, &BoundGrid::cellCommitted, this, [this](int column) { gridInpCellCommitted(column); });
    // The warning waits until the refused editor has closed: a box opened while it still has the focus
    // would make it commit, and be refused, a second time.
    connect(
        GridInp, &BoundGrid::cellRefused, this,
        [this](int column, const QString& text) { gridInpCellRefused(column, text); }, Qt::QueuedConnection);
    connect(GridInp, &BoundGrid::payerEditFinished, this, [this] { gridInpPayerCheck(); });
    connect(GridInp, &BoundGrid::keyPressed, this, [this](int* key) { gridInpKeyPressed(key); });
    connect(GridInp, &BoundGrid::cellCursorMoved, this, [this] { gridInpCursorMoved(); });

    // Every cell written through the grid, whichever key or editor wrote it, is an edit the store does
    // not have yet. Loads, clears and saves re-read the whole table and raise no such change.
    connect(datInp, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                if (from == to && roles.isEmpty())
                    setUnsaved(true);
            });
    lbl未登録->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    // The mark comes and goes without moving the month's buttons.
    QSizePolicy markPolicy = lbl未登録->sizePolicy();
    markPolicy.setRetainSizeWhenHidden(true);
    lbl未登録->setSizePolicy(markPolicy);
    lbl未登録->hide();
}

void FrmDorivan::setUnsaved(bool unsaved)
{
    // Every cell a balance pass writes reports itself; only a change of state touches the screen.
    if (unsaved == m_unsaved)
        return;
    m_unsaved = unsaved;
    lbl未登録->setVisible(unsaved);
    const QString plain = plainTitle();
    setWindowTitle(unsaved ? plain + kUnsavedMark : plain);
}

QString FrmDorivan::plainTitle() const
{
    QString title = windowTitle();
    if (title.endsWith(kUnsavedMark))
        title.chop(kUnsavedMark.size());
    return title;
}

bool FrmDorivan::confirmLeavingMonth()
{
    if (!isLoaded())
        return true;
    // Text still open in a cell belongs to the month's edits.
    GridInp->commitRow();
    if (!m_unsaved)
        return true;
    switch (AskUnsavedChanges(prompts(), this)) {
    case UnsavedChoice::Save:
        // A save its own checks refuse keeps the user on the month, where the check put the cursor.
        return Entry入金予定表();
    case UnsavedChoice::Discard:
        return true;
    case UnsavedChoice::Stay:
        break;
    }
    return false;
}

void FrmDorivan::monthTyped()
{
    // An emptied field loads nothing; the working set stays as it is.
    if (!Dt年月->hasValue())
        return;
    if (!confirmLeavingMonth()) {
        Dt年月->setMonth(m_workMonth);
        return;
    }
    Read入金予定();
}

std::optional<Money> FrmDorivan::carryOnScreen() const
{
    // The field shows whole yen; a carry with a fraction is taken exactly as loaded unless the user
    // has typed another figure over it.
    if (m繰越額 && num繰越額->text() == formatAmount(*m繰越額))
        return m繰越額;
    return num繰越額->amount();
}

int FrmDorivan::gridRowOf(int rowNumber) const
{
    for (int row = 0; row < datInp->dataRowCount(); ++row)
        if (datInp->value(row, 0).toInt64() == rowNumber)
            return row;
    return -1;
}

void FrmDorivan::goToWorkCell(int rowNumber, int column)
{
    const int row = gridRowOf(rowNumber);
    if (row < 0)
        return;
    const QModelIndex cell = datInp->index(row, column);
    GridInp->setCurrentIndex(cell);
    GridInp->scrollTo(cell);
    GridInp->takeFocus();
}

void FrmDorivan::refreshWorkGrid(bool toFirstRow)
{
    int row = GridInp->currentIndex().row();
    int column = GridInp->currentIndex().column();
    datInp->refresh();
    if (toFirstRow || row < 0 || column < 0) {
        // A new working set starts at the day of its first row, ready for typing.
        row = 0;
        column = datInp->columnIndex(QStringLiteral("表示日付"));
    }
    const int rows = datInp->dataRowCount();
    if (column >= 0 && rows > 0)
        GridInp->setCurrentIndex(datInp->index(std::min(row, rows - 1), column));
}

bool FrmDorivan::ClearInpWork()
{
    return runReportingFailure(
        prompts(), [this] { schedule::ClearInpWork(db()); }, kStepNotCompleted);
}

void FrmDorivan::Read入金予定()
{
    if (!Dt年月->hasValue())
        return;
    const QDate month = Dt年月->month();
    std::optional<schedule::MonthLoad> load;
    {
        DelayedProgress progress(Pbar);
        runReportingFailure(
            prompts(),
            [&] { load = schedule::Read入金予定(db(), month, [&](int percent) { progress(percent); }); },
            kStepNotCompleted);
    }
    if (!load) {
        // The working set still holds the month before (or, at start-up, none): the field must not
        // claim another one, or days typed next would be dated in a month the grid does not show and
        // a save would bring the wrong month's balances up to date.
        Dt年月->setMonth(m_workMonth);
        return;
    }
    m_workMonth = month;
    setUnsaved(false);
    refreshWorkGrid(true);
    num予定額月計->setAmount(load->予定額月計);
    num入金額月計->setAmount(load->入金額月計);
    m繰越額 = load->繰越額;
    num繰越額->setAmount(load->繰越額);
    num累計->setAmount(load->累計);
    if (load->truncated)
        ShowStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            kMoreThan200Rows);
}

void FrmDorivan::Clear入金予定表()
{
    // The screen follows only a clear that happened. After a failed one the grid still holds the
    // month before with its figures, and a save must bring that month's balances up to date, not
    // today's.
    if (!ClearInpWork()) {
        Dt年月->setMonth(m_workMonth);
        return;
    }
    for (AmountField* field : {num繰越額, num入金額月計, num予定額月計, num累計})
        field->setEmpty();
    m繰越額.reset();
    Dt年月->setMonth(QDate::currentDate());
    m_workMonth = Dt年月->month();
    setUnsaved(false);
    runReportingFailure(
        prompts(), [this] { AddComb入金先名(); }, kStepNotCompleted);
    refreshWorkGrid(true);
}

void FrmDorivan::moveMonth(int count)
{
    if (!Dt年月->hasValue())
        return;
    const QString moved = AddToDate(toSlashDate(Dt年月->month()), QStringLiteral("m"), count);
    const std::optional<QDate> month = parseDateText(moved);
    if (!month || !confirmLeavingMonth())
        return;
    Dt年月->setMonth(*month);
    Read入金予定();
}

void FrmDorivan::gridInpFocusGuard()
{
    if (Dt年月->hasValue())
        return;
    // The focus goes first: when the box closes, the window gives it back to the month field rather
    // than to the grid, which would ask again.
    Dt年月->setFocus(Qt::OtherFocusReason);
    ShowStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"), kNoMonth);
}
