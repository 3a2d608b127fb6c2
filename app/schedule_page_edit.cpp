// Editing the schedule grid: completing what is typed into a cell, the totals and balances that follow
// an amount, the automatic registration of payers, the keys that carry the cursor through a row, the
// cursor at start-up and the input method.
#include "app/schedule_page.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/failure_report.h"
#include "app/input_method.h"
#include "app/schedule_columns.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "schedule/day_entry.h"
#include "schedule/row_content.h"
#include "schedule/working_set.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include <algorithm>

using namespace schedule_columns;

void SchedulePage::updatePlannedTotal()
{
    runReportingFailure(
        prompts(), [this] { num予定額月計->setAmount(schedule::Calc入金予定額(db())); }, kStepNotCompleted);
}

void SchedulePage::updateReceivedTotal()
{
    runReportingFailure(
        prompts(), [this] { num入金額月計->setAmount(schedule::Calc入金額(db())); }, kStepNotCompleted);
}

void SchedulePage::updateBalances()
{
    const int current = GridInp->currentRow();
    if (current < 0)
        return;
    const std::optional<std::int64_t> number = datInp->value(current, k行番号).toInt64();
    if (!number)
        return;
    bool written = true;
    const bool passed = runReportingFailure(
        prompts(),
        [&] {
            std::vector<schedule::WorkRow> rows = schedule::readWorkRows(db());
            const auto at = std::find_if(rows.begin(), rows.end(),
                                         [&](const schedule::WorkRow& row) { return row.行番号 == *number; });
            if (at == rows.end())
                return;
            const schedule::GridPassResult result =
                schedule::Calc行残高(rows, std::size_t(at - rows.begin()), carryOnScreen());
            // The balances go through the grid's source so that the grid shows them at once; one unit of
            // work, so that a failing row leaves no half-done pass behind.
            Transaction transaction(db());
            for (const std::size_t i : result.changed) {
                const int row = gridRowOf(rows[i].行番号);
                if (row < 0 || !datInp->setValue(row, k残高, Value(rows[i].残高))) {
                    written = false;
                    return;
                }
            }
            transaction.commit();
            if (result.last)
                num累計->setAmount(result.last);
        },
        kStepNotCompleted);
    // Whatever failed, a write or the commit, InpWork is back as it was before the pass while the grid
    // may still show balances of it: show what the table holds. Once the editor that started the pass
    // has closed, since re-reading the table closes every editor of the grid.
    if (!passed || !written)
        QMetaObject::invokeMethod(
            this, [this] { refreshWorkGrid(); }, Qt::QueuedConnection);
}

void SchedulePage::cellCommitted(int column)
{
    if ((column == k予定額 || column == k入金額 || column == k残高) && GridInp->cell(column).isNull())
        GridInp->setCell(column, Value(Money()));

    if (column == k表示日付) {
        const QString typed = GridInp->cell(k表示日付).toText();
        // An emptied day keeps the row's date.
        if (!typed.isEmpty()) {
            const schedule::DayEntry entry = schedule::completeDay(m_workMonth, typed);
            switch (entry.kind) {
            case schedule::DayEntry::Kind::SetDate:
                GridInp->setCell(k日付, Value(entry.date));
                if (entry.cellText != typed)
                    GridInp->setCell(k表示日付, Value(entry.cellText));
                break;
            case schedule::DayEntry::Kind::Clear:
                // The row loses its day and date, and the user hears why, back in the day cell.
                GridInp->setCell(k表示日付, Value());
                GridInp->setCell(k日付, Value());
                GridInp->refuseCell(GridInp->currentIndex(), typed);
                break;
            case schedule::DayEntry::Kind::KeepDate:
                break;
            }
        }
    }

    // The grid writes every cell through, so the row is in InpWork already.
    if (column == k予定額) {
        updatePlannedTotal();
        updateBalances();
    }
    if (column == k入金額) {
        updateReceivedTotal();
        updateBalances();
    }
}

void SchedulePage::cellRefused(int column, const QString& text)
{
    if (column == k表示日付) {
        const schedule::DayEntry entry = schedule::completeDay(m_workMonth, text);
        ShowStandardMessage(prompts(), QStringLiteral("入力"),
                            entry.reason == schedule::DayEntry::Reason::NotANumber
                                ? QStringLiteral("数字のみ")
                                : QStringLiteral("範囲外"),
                            QStringLiteral("日付"));
    } else {
        QString name = datInp->columnCaption(column);
        if (column == k残高)
            name = QStringLiteral("総額");
        const bool outOfRange = parseAmount(text).status == AmountParse::OutOfRange;
        ShowStandardMessage(prompts(), QStringLiteral("入力"),
                            outOfRange ? QStringLiteral("範囲外") : QStringLiteral("数字のみ"), name);
    }
    // Back in the cell with the text selected, to be typed over or left with Escape.
    GridInp->resumeRefusedEdit();
}

void SchedulePage::payerEdited()
{
    if (GridInp->currentColumn() != k入金先名 || !m_source.autoRegistration())
        return;
    const Value name = GridInp->cell(k入金先名);
    // Registered so that the drop-down follows the master.
    if (!name.isNull())
        registerPayer(name.toText());
}

void SchedulePage::keyPressed(int* key)
{
    if ((*key != Qt::Key_Return && *key != Qt::Key_Enter) || GridInp->currentRow() < 0)
        return;
    const int column = GridInp->currentColumn();
    if (column == k表示日付 || column == k入金先名) {
        // The day and the payer are followed by what is typed next: the next cell opens for typing.
        *key = 0;
        if (GridInp->commitRow())
            GridInp->advanceAfterEnter(true);
    } else if (column == k入金額) {
        // 入金額 ends a row (the balance is computed): Enter starts the next row at its day; the last row
        // stays the last.
        *key = 0;
        if (!GridInp->commitRow())
            return;
        GridInp->moveNext();
        if (GridInp->atEnd())
            GridInp->movePrevious();
        GridInp->setCurrentColumn(k表示日付);
    }
}

void SchedulePage::putStartCursor()
{
    // Ready for the next receipt: the day of the first row that holds nothing yet.
    const auto holdsData = [this](int row) {
        const Value day = datInp->value(row, k表示日付);
        const Value payer = datInp->value(row, k入金先名);
        const auto nonZero = [&](int column) {
            const std::optional<Money> amount = datInp->value(row, column).toMoney();
            return amount && !amount->isZero();
        };
        return !datInp->value(row, k日付).isNull() || (!day.isNull() && !day.toText().isEmpty()) ||
               schedule::hasPayer(payer) || nonZero(k予定額) || nonZero(k入金額);
    };
    const int rows = datInp->dataRowCount();
    if (rows == 0)
        return;
    int row = 0;
    while (row < rows && holdsData(row))
        ++row;
    const QModelIndex day = datInp->index(std::min(row, rows - 1), k表示日付);
    GridInp->setCurrentIndex(day);
    GridInp->scrollTo(day);
    GridInp->takeFocus();
}

void SchedulePage::cursorMoved()
{
    SetImeOpen(GridInp, GridInp->currentColumn() == k入金先名);
}
