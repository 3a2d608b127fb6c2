// Saving the displayed month, and opening or removing a row of the working set.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/delayed_progress.h"
#include "app/month_edit.h"
#include "app/schedule_columns.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "schedule/row_edit.h"
#include "schedule/save.h"

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

void FrmDorivan::cmd登録Click()
{
    if (ShowStandardMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("入金予定表")) !=
        -1)
        return;
    // The cell being typed into belongs to what is saved.
    GridInp->commitRow();
    Entry入金予定表();
}

void FrmDorivan::Entry入金予定表()
{
    if (!Dt年月->hasValue()) {
        // Without a month the stored balances could not be brought up to date after the rows.
        Dt年月->setFocus(Qt::OtherFocusReason);
        ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("年月を指定してください。"));
        return;
    }
    std::optional<int> undated;
    if (!runScheduleStep([&] { undated = schedule::firstRowWithoutDate(db()); }))
        return;
    if (undated) {
        // A row with a payer and no date would not be stored; the user fixes it before anything is.
        ShowStandardMessage(QStringLiteral("入力"), QStringLiteral("必須入力なし"), QStringLiteral("日付が"));
        const int row = gridRowOf(*undated);
        if (row >= 0) {
            const QModelIndex day = datInp->index(row, k表示日付);
            GridInp->setCurrentIndex(day);
            GridInp->scrollTo(day);
            GridInp->takeFocus();
        }
        return;
    }

    bool saved = false;
    {
        DelayedProgress progress(Pbar);
        saved = runScheduleStep([&] {
            schedule::Entry入金予定表(db(), Dt年月->month(), [&](int percent) { progress(percent); });
        });
    }
    // The stored rows' numbers went back into the working set.
    if (saved) {
        refreshWorkGrid();
        Refresh未入金();
    }
}

void FrmDorivan::cmd行挿入Click()
{
    InsertLine();
}

void FrmDorivan::InsertLine()
{
    GridInp->commitRow();
    const std::optional<int> number = currentRowNumber(GridInp);
    if (!number)
        return;
    schedule::InsertResult result = schedule::InsertResult::NoCurrentRow;
    if (!runScheduleStep([&] { result = schedule::InsertLine(db(), *number); }))
        return;
    switch (result) {
    case schedule::InsertResult::Inserted:
        // The cursor stays put, on the new blank row.
        refreshWorkGrid();
        break;
    case schedule::InsertResult::NoRoom:
        ShowStandardMessage(QStringLiteral("行指定"), QStringLiteral("余白なし"), QString());
        break;
    case schedule::InsertResult::NoCurrentRow:
        break;
    }
}

void FrmDorivan::cmd行削除Click()
{
    if (ShowStandardMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"),
                            QStringLiteral("指定された行")) != -1)
        return;
    LineDelete();
}

void FrmDorivan::LineDelete()
{
    // A day or payer typed into the row just now decides which stored row it is.
    GridInp->commitRow();
    const std::optional<int> number = currentRowNumber(GridInp);
    if (!number)
        return;
    schedule::DeleteResult result;
    const bool deleted = runScheduleStep(
        [&] { result = schedule::LineDelete(db(), *number, carryOnScreen().value_or(Money())); });
    if (deleted) {
        refreshWorkGrid();
        num累計->setAmount(result.累計);
        num予定額月計->setAmount(result.予定額月計);
        num入金額月計->setAmount(result.入金額月計);
        Refresh未入金();
    }
    GridInp->takeFocus();
}
