// The schedule page's month working set: clearing the screen, loading a month, moving between months,
// leaving a month with unsaved edits, and the payers and notice beside the grid.
#include "app/pages/schedule_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/schedule_questions.h"
#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/delayed_progress.h"
#include "app/widgets/month_edit.h"
#include "common/dates.h"
#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "schedule/draft.h"
#include "schedule/overdue.h"
#include "schedule/row_content.h"
#include "storage/database.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

using namespace schedule_columns;

namespace {

const QString kMoreThan200Rows =
    QStringLiteral("この月の入金予定は200行を超えています。201行目以降は表示されません。");
const QString kNoMonth = QStringLiteral("年月を指定してください。");
// Every payer operation is all or nothing: after a failure the store is as it was before.
const QString kPayersNotChanged =
    QStringLiteral("入金先の処理を完了できませんでした。入金先マスタは変更されていません。");

// An empty field prints blank, as a 0 does.
Money shown(const AmountField* field)
{
    return field->amount().value_or(Money{});
}

} // namespace

void SchedulePage::setUnsaved(bool unsaved)
{
    // Every cell a balance pass writes reports itself; only a change of state touches the screen.
    if (unsaved == m_unsaved)
        return;
    m_unsaved = unsaved;
    lbl未登録->setVisible(unsaved);
    emit unsavedChanged(unsaved);
}

bool SchedulePage::confirmLeavingMonth()
{
    if (!m_source.database())
        return true;
    // Text still open in a cell belongs to the month's edits.
    GridInp->commitRow();
    if (!m_unsaved)
        return true;
    switch (AskUnsavedChanges(prompts(), window())) {
    case UnsavedChoice::Save:
        // A save its own checks refuse keeps the user on the month, where the check put the cursor.
        return saveMonth();
    case UnsavedChoice::Discard:
        // What comes next (a load, a clear) replaces the draft; a window that closes forgets it.
        return true;
    case UnsavedChoice::Stay:
        break;
    }
    return false;
}

void SchedulePage::monthTyped()
{
    // An emptied field loads nothing; the working set stays as it is.
    if (!Dt年月->hasValue())
        return;
    if (!confirmLeavingMonth()) {
        Dt年月->setMonth(m_workMonth);
        return;
    }
    loadMonth();
}

std::optional<Money> SchedulePage::carryOnScreen() const
{
    // The field shows whole yen; a carry with a fraction is taken exactly as loaded unless the user
    // has typed another figure over it.
    if (m繰越額 && num繰越額->text() == formatAmount(*m繰越額))
        return m繰越額;
    return num繰越額->amount();
}

report::ScreenFigures SchedulePage::shownFigures() const
{
    report::ScreenFigures figures;
    figures.carryForward = shown(num繰越額);
    figures.receivedTotal = shown(num入金額月計);
    figures.plannedTotal = shown(num予定額月計);
    figures.cumulative = shown(num累計);
    figures.unsaved = m_unsaved;
    return figures;
}

int SchedulePage::gridRowOf(int rowNumber) const
{
    for (int row = 0; row < datInp->dataRowCount(); ++row)
        if (datInp->value(row, 0).toInt64() == rowNumber)
            return row;
    return -1;
}

void SchedulePage::goToWorkCell(int rowNumber, int column)
{
    const int row = gridRowOf(rowNumber);
    if (row < 0)
        return;
    const QModelIndex cell = datInp->index(row, column);
    GridInp->setCurrentIndex(cell);
    GridInp->scrollTo(cell);
    GridInp->takeFocus();
}

void SchedulePage::returnToGrid(std::optional<int> workedOn)
{
    if (!Dt年月->hasValue() || datInp->dataRowCount() == 0)
        return;
    if (!workedOn) {
        putStartCursor();
        return;
    }
    const int row = std::clamp(*workedOn, 0, datInp->dataRowCount() - 1);
    const int column = GridInp->currentColumn() >= 0 ? GridInp->currentColumn() : int(k表示日付);
    const QModelIndex cell = datInp->index(row, column);
    GridInp->setCurrentIndex(cell);
    GridInp->scrollTo(cell);
    GridInp->takeFocus();
}

void SchedulePage::refreshWorkGrid(bool toFirstRow)
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

bool SchedulePage::clearWorkingSet()
{
    return runReportingFailure(
        prompts(), [this] { m_draft->clear(db(), todayBy(m_source.clock)); }, kStepNotCompleted);
}

void SchedulePage::loadMonth()
{
    if (!Dt年月->hasValue())
        return;
    const QDate month = Dt年月->month();
    std::optional<schedule::MonthLoad> load;
    {
        DelayedProgress progress(Pbar);
        runReportingFailure(
            prompts(), [&] { load = m_draft->load(db(), month, [&](int percent) { progress(percent); }); },
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
    m繰越額 = load->繰越額;
    num繰越額->setAmount(load->繰越額);
    num累計->setAmount(load->累計);
    refreshWorkGrid(true);
    showDraft();
    if (load->truncated)
        showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            kMoreThan200Rows);
}

void SchedulePage::showLatestMonth()
{
    std::optional<QDate> latest;
    runReportingFailure(
        prompts(), [&] { latest = schedule::readMonthToShow(db(), todayBy(m_source.clock)); },
        kStepNotCompleted);
    // An import that ends years ago would otherwise open on an empty month, as if it had failed; plans made
    // for the coming year do not pull the page past today.
    if (latest)
        Dt年月->setMonth(*latest);
    loadMonth();
}

bool SchedulePage::monthHoldsRows() const
{
    return std::any_of(m_draft->rows().begin(), m_draft->rows().end(),
                       [](const schedule::WorkRow& row) { return schedule::holdsData(row); });
}

void SchedulePage::showFirstStartGuide()
{
    std::optional<QDate> latest;
    if (!runReportingFailure(
            prompts(), [&] { latest = schedule::readLatestMonth(db()); }, kStepNotCompleted))
        return;
    lbl初回案内->setVisible(!latest);
}

void SchedulePage::forgetEdits()
{
    if (m_source.database() && m_draft->isDirty())
        runReportingFailure(
            prompts(), [this] { m_draft->discard(db()); }, kStepNotCompleted);
}

bool SchedulePage::offerRestore()
{
    std::optional<QDate> month;
    if (!runReportingFailure(
            prompts(), [&] { month = schedule::MonthDraft::pendingMonth(db()); }, kStepNotCompleted) ||
        !month)
        return false;
    if (!AskRestoreDraft(prompts(), window(), *month)) {
        runReportingFailure(
            prompts(), [this] { m_draft->discard(db()); }, kStepNotCompleted);
        return false;
    }
    Money carry;
    if (!runReportingFailure(
            prompts(),
            [&] {
                m_draft->restore(db());
                carry = schedule::readCarryForward(db(), QDate(month->year(), month->month(), 1));
            },
            kStepNotCompleted))
        return false;
    m_workMonth = m_draft->month();
    Dt年月->setMonth(m_workMonth);
    refreshPayerList();
    m繰越額 = carry;
    num繰越額->setAmount(carry);
    num累計->setAmount(m_draft->cumulative());
    refreshWorkGrid(true);
    showDraft();
    return true;
}

void SchedulePage::clearMonth()
{
    // The screen follows only a clear that happened. After a failed one the grid still holds the
    // month before with its figures, and a save must bring that month's balances up to date, not
    // today's.
    if (!clearWorkingSet()) {
        Dt年月->setMonth(m_workMonth);
        return;
    }
    m繰越額.reset();
    Dt年月->setMonth(m_draft->month());
    m_workMonth = Dt年月->month();
    refreshPayerList();
    refreshWorkGrid(true);
    showDraft();
    // A cleared screen shows no figures at all, not zeros.
    for (AmountField* field : {num繰越額, num入金額月計, num予定額月計, num累計})
        field->setEmpty();
}

void SchedulePage::moveMonth(int count)
{
    if (!Dt年月->hasValue())
        return;
    const QString moved = addToDate(toSlashDate(Dt年月->month()), QStringLiteral("m"), count);
    const std::optional<QDate> month = parseDateText(moved);
    if (month && confirmLeavingMonth()) {
        Dt年月->setMonth(*month);
        loadMonth();
    }
    // PageUp / PageDown leave the focus on whatever pressed them: the cursor goes back to the grid,
    // where the next key is meant to go.
    returnToGrid();
}

void SchedulePage::showStoredRow(const QDate& date, int rowNumber)
{
    // The month loads as any month does: unsaved edits of the displayed one are asked about first, and
    // Cancel stays where the user was, with them.
    if (!confirmLeavingMonth())
        return;
    Dt年月->setMonth(date);
    loadMonth();
    emit pageWanted();
    if (m_workMonth.year() != date.year() || m_workMonth.month() != date.month())
        return;
    for (int row = 0; row < datInp->dataRowCount(); ++row) {
        if (datInp->value(row, k日付).toDate() == date &&
            datInp->value(row, k元行番号).toInt64() == rowNumber) {
            const QModelIndex day = datInp->index(row, k表示日付);
            GridInp->setCurrentIndex(day);
            GridInp->scrollTo(day);
            break;
        }
    }
    GridInp->takeFocus();
}

void SchedulePage::refreshPayerList()
{
    runReportingFailure(
        prompts(), [this] { payers::refreshDropDown(db()); }, kPayersNotChanged);
    dat入金先名->refresh();
}

void SchedulePage::registerPayer(const QString& name)
{
    bool added = false;
    runReportingFailure(
        prompts(), [&] { added = payers::addPayer(db(), name); }, kPayersNotChanged);
    // The drop-down offers the new name at once, not only after the next clear of the month.
    if (added)
        refreshPayerList();
}

void SchedulePage::showOverdueMarks()
{
    // The rule reads the clock as the grid asks for a row's background, so a repaint is enough.
    GridInp->viewport()->update();
}

void SchedulePage::showPastDue(const schedule::OpenTotals& pastDue)
{
    const QString notice = pastDue.件数 == 0 ? QString()
                                             : QStringLiteral("期日を過ぎた未入金 %1 件 合計 %2 円")
                                                   .arg(pastDue.件数)
                                                   .arg(formatAmount(pastDue.合計));
    lbl未入金お知らせ->setText(notice);
    // Whole in the tool tip when the column cuts it short.
    lbl未入金お知らせ->setToolTip(notice);
}

void SchedulePage::guardFocusWithoutMonth()
{
    if (Dt年月->hasValue())
        return;
    // The focus goes first: when the box closes, the window gives it back to the month field rather
    // than to the grid, which would ask again.
    Dt年月->setFocus(Qt::OtherFocusReason);
    showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"), kNoMonth);
}
