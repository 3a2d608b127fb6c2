// Saving the displayed month, and opening or removing a row of the working set.
#include "app/schedule_page.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/delayed_progress.h"
#include "app/failure_report.h"
#include "app/month_edit.h"
#include "app/schedule_columns.h"
#include "app/schedule_questions.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "schedule/row_content.h"
#include "schedule/row_edit.h"
#include "schedule/save.h"
#include "schedule/working_set.h"

#include <QProgressBar>

using namespace schedule_columns;

namespace {

// The 行番号 of the grid's current row; nothing when the grid has no current row.
std::optional<int> currentRowNumber(const BoundGrid* grid)
{
    const std::optional<std::int64_t> number = grid->cell(k行番号).toInt64();
    if (!number)
        return std::nullopt;
    return int(*number);
}

} // namespace

void SchedulePage::saveClicked()
{
    if (ShowStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                            QStringLiteral("入金予定表")) != Answer::Yes)
        return;
    // The cell being typed into belongs to what is saved.
    GridInp->commitRow();
    saveMonth();
}

bool SchedulePage::saveMonth()
{
    if (!m_workMonth.isValid()) {
        // Without the month the working set holds the stored balances could not be brought up to date
        // after the rows.
        Dt年月->setFocus(Qt::OtherFocusReason);
        ShowStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("年月を指定してください。"));
        return false;
    }
    std::optional<int> undated;
    std::vector<int> payerless;
    if (!runReportingFailure(
            prompts(),
            [&] {
                undated = schedule::firstRowWithoutDate(db());
                payerless = schedule::rowsWithoutPayer(schedule::readWorkRows(db()));
            },
            kStepNotCompleted))
        return false;
    if (undated) {
        // A row with a payer and no date would not be stored; the user fixes it before anything is.
        ShowStandardMessage(prompts(), QStringLiteral("入力"), QStringLiteral("必須入力なし"),
                            QStringLiteral("日付が"));
        goToWorkCell(*undated, k表示日付);
        return false;
    }
    if (!payerless.empty()) {
        // The save stores rows by their payer; rows typed without one are named before they are left
        // out, never dropped unseen.
        std::vector<int> shown;
        for (const int number : payerless) {
            const int row = gridRowOf(number);
            shown.push_back(row >= 0 ? row + 1 : number);
        }
        if (!AskSaveWithoutPayerRows(prompts(), window(), shown)) {
            goToWorkCell(payerless.front(), k入金先名);
            return false;
        }
    }

    bool saved = false;
    {
        DelayedProgress progress(Pbar);
        // The month the working set holds, whatever the field shows by now: the stored balances are
        // brought up to date from the first day of the month whose rows are stored.
        saved = runReportingFailure(
            prompts(),
            [&] { schedule::Entry入金予定表(db(), m_workMonth, [&](int percent) { progress(percent); }); },
            kStepNotCompleted);
    }
    if (!saved)
        return false;
    // The stored rows' numbers went back into the working set.
    refreshWorkGrid();
    emit storedRowsChanged();
    setUnsaved(false);
    return true;
}

void SchedulePage::insertRow()
{
    GridInp->commitRow();
    const std::optional<int> number = currentRowNumber(GridInp);
    if (!number)
        return;
    schedule::InsertResult result = schedule::InsertResult::NoCurrentRow;
    if (!runReportingFailure(
            prompts(), [&] { result = schedule::InsertLine(db(), *number); }, kStepNotCompleted))
        return;
    switch (result) {
    case schedule::InsertResult::Inserted:
        // The cursor stays put, on the new blank row, ready for its day. The rows below moved: their
        // stored numbers change with the next save.
        refreshWorkGrid();
        GridInp->setCurrentColumn(k表示日付);
        GridInp->takeFocus();
        setUnsaved(true);
        break;
    case schedule::InsertResult::NoRoom:
        ShowStandardMessage(prompts(), QStringLiteral("行指定"), QStringLiteral("余白なし"), QString());
        break;
    case schedule::InsertResult::NoCurrentRow:
        break;
    }
}

void SchedulePage::deleteRowClicked()
{
    if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("伝票確認2"),
                            QStringLiteral("指定された行")) != Answer::Yes)
        return;
    deleteRow();
}

void SchedulePage::deleteRow()
{
    // A day or payer typed into the row just now decides which stored row it is.
    GridInp->commitRow();
    const std::optional<int> number = currentRowNumber(GridInp);
    if (!number)
        return;
    schedule::DeleteResult result;
    const bool deleted = runReportingFailure(
        prompts(), [&] { result = schedule::LineDelete(db(), *number, carryOnScreen().value_or(Money())); },
        kStepNotCompleted);
    if (deleted) {
        refreshWorkGrid();
        num累計->setAmount(result.累計);
        num予定額月計->setAmount(result.予定額月計);
        num入金額月計->setAmount(result.入金額月計);
        emit storedRowsChanged();
    }
    GridInp->takeFocus();
}
