// Saving the displayed month, and opening or removing a row of the working set.
#include "app/pages/schedule_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/schedule_questions.h"
#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/delayed_progress.h"
#include "app/widgets/month_edit.h"
#include "schedule/draft.h"
#include "schedule/row_content.h"

#include <QProgressBar>

using namespace schedule_columns;

void SchedulePage::saveClicked()
{
    const int row = GridInp->currentRow();
    if (showStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                            QStringLiteral("入金予定表")) != Answer::Yes) {
        returnToGrid(row >= 0 ? std::optional<int>(row) : std::nullopt);
        return;
    }
    // The cell being typed into belongs to what is saved.
    GridInp->commitRow();
    // A save its checks refused has put the cursor on the row to fix already.
    if (saveMonth())
        returnToGrid(row >= 0 ? std::optional<int>(row) : std::nullopt);
}

bool SchedulePage::saveMonth()
{
    if (!m_workMonth.isValid()) {
        // Without the month the working set holds the stored balances could not be brought up to date
        // after the rows.
        Dt年月->setFocus(Qt::OtherFocusReason);
        showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("年月を指定してください。"));
        return false;
    }
    const std::optional<int> undated = m_draft->firstRowWithoutDate();
    const std::vector<int> payerless = schedule::rowsWithoutPayer(m_draft->rows());
    if (undated) {
        // A row with a payer and no date would not be stored; the user fixes it before anything is.
        showStandardMessage(prompts(), QStringLiteral("入力"), QStringLiteral("必須入力なし"),
                            QStringLiteral("日付が"));
        goToWorkCell(*undated, k表示日付);
        return false;
    }
    if (!payerless.empty()) {
        // The save stores rows by their payer; rows typed without one are named before they are left
        // out, never dropped unseen. They stay on the screen, unsaved.
        if (!AskSaveWithoutPayerRows(prompts(), window(), payerless)) {
            goToWorkCell(payerless.front(), k入金先名);
            return false;
        }
    }

    bool saved = false;
    {
        DelayedProgress progress(Pbar);
        saved = runReportingFailure(
            prompts(), [&] { m_draft->save(db(), [&](int percent) { progress(percent); }); },
            kStepNotCompleted);
    }
    if (!saved)
        return false;
    // The stored balances and numbers are in the draft now.
    showDraft();
    emit storedRowsChanged();
    return true;
}

void SchedulePage::insertRow()
{
    GridInp->commitRow();
    const int row = GridInp->currentRow();
    if (row < 0)
        return;
    schedule::InsertResult result = schedule::InsertResult::NoCurrentRow;
    if (!runReportingFailure(
            prompts(), [&] { result = m_draft->insertRow(db(), std::size_t(row)); }, kStepNotCompleted))
        return;
    switch (result) {
    case schedule::InsertResult::Inserted:
        // The cursor stays put, on the new blank row, ready for its day. The rows below moved: their
        // stored numbers change with the next save.
        showDraft();
        GridInp->setCurrentIndex(datInp->index(row, k表示日付));
        GridInp->takeFocus();
        break;
    case schedule::InsertResult::NoRoom:
        showStandardMessage(prompts(), QStringLiteral("行指定"), QStringLiteral("余白なし"), QString());
        returnToGrid(row);
        break;
    case schedule::InsertResult::NoCurrentRow:
        break;
    }
}

void SchedulePage::deleteRowClicked()
{
    if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("伝票確認2"),
                            QStringLiteral("指定された行")) != Answer::Yes) {
        const int row = GridInp->currentRow();
        returnToGrid(row >= 0 ? std::optional<int>(row) : std::nullopt);
        return;
    }
    deleteRow();
}

void SchedulePage::deleteRow()
{
    // A day or payer typed into the row just now belongs to the row that goes.
    GridInp->commitRow();
    const int row = GridInp->currentRow();
    if (row < 0)
        return;
    const int column = GridInp->currentColumn();
    // Only the draft loses the row: the stored one goes with the next save, and undo brings it back.
    if (runReportingFailure(
            prompts(), [&] { m_draft->deleteRow(db(), std::size_t(row), carryOnScreen()); },
            kStepNotCompleted))
        showDraft();
    GridInp->setCurrentIndex(datInp->index(row, column >= 0 ? column : k表示日付));
    GridInp->takeFocus();
}

void SchedulePage::undoEdit()
{
    walkHistory(&schedule::MonthDraft::undo);
}

void SchedulePage::redoEdit()
{
    walkHistory(&schedule::MonthDraft::redo);
}

void SchedulePage::walkHistory(bool (schedule::MonthDraft::*step)(Database&))
{
    // Text still open in a cell is an edit of its own, which the step then takes back or follows.
    GridInp->commitRow();
    bool done = false;
    if (runReportingFailure(
            prompts(), [&] { done = ((*m_draft).*step)(db()); }, kStepNotCompleted) &&
        done)
        showDraft();
}
