// Editing the schedule grid: completing what is typed into a cell, the totals and balances that follow
// an amount, the automatic registration of payers, the keys that carry the cursor through a row, the
// cursor at start-up and the input method.
#include "app/pages/schedule_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/input_method.h"
#include "app/widgets/page_controls.h"
#include "payers/payer_master.h"
#include "schedule/day_entry.h"
#include "schedule/draft.h"
#include "schedule/row_content.h"
#include "schedule/working_set.h"
#include "storage/database.h"

#include <algorithm>
#include <utility>

using namespace schedule_columns;

namespace {

// The values of a working row in the columns of InpWork, as the grid's source holds them.
std::vector<Value> gridValues(const schedule::WorkRow& row)
{
    return {Value(row.行番号),
            row.元行番号 == 0 ? Value() : Value(row.元行番号),
            row.表示日付.isEmpty() ? Value() : Value(row.表示日付),
            Value(row.日付),
            Value(row.入金先名),
            Value(row.予定額),
            Value(row.入金額),
            Value(row.残高)};
}

} // namespace

bool SchedulePage::writeCell(int row, int column, const Value& value)
{
    if (row < 0 || std::size_t(row) >= m_draft->rows().size())
        return false;
    std::vector<schedule::CellChange> changes;
    const std::size_t at = std::size_t(row);
    if (column == k表示日付) {
        const QString typed = value.toText();
        // An emptied day keeps the row's date.
        if (typed.isEmpty()) {
            changes.push_back({at, k表示日付, Value()});
        } else {
            const schedule::DayEntry entry = schedule::completeDay(m_workMonth, typed);
            switch (entry.kind) {
            case schedule::DayEntry::Kind::SetDate:
                changes.push_back({at, k表示日付, Value(entry.cellText)});
                changes.push_back({at, k日付, Value(entry.date)});
                break;
            case schedule::DayEntry::Kind::Clear:
                // The row loses its day and date, and the user hears why, back in the day cell.
                changes.push_back({at, k表示日付, Value()});
                changes.push_back({at, k日付, Value()});
                m_refusedDay = typed;
                break;
            case schedule::DayEntry::Kind::KeepDate:
                changes.push_back({at, k表示日付, value});
                break;
            }
        }
    } else if (column == k予定額 || column == k入金額) {
        // An emptied amount reads 0, as in a new row.
        changes.push_back({at, column, value.isNull() ? Value(Money()) : value});
    } else if (column == k入金先名) {
        changes.push_back({at, column, value});
    } else if (column == k日付) {
        // A full date written by code must lie in the month the working set holds.
        const std::optional<QDate> date = value.toDate();
        if (!value.isNull() &&
            (!date || date->year() != m_workMonth.year() || date->month() != m_workMonth.month()))
            return false;
        changes.push_back({at, column, value});
    } else {
        return false;
    }
    changeCells(changes, QStringLiteral("入力"));
    return true;
}

bool SchedulePage::changeCells(const std::vector<schedule::CellChange>& changes, const QString& label)
{
    std::vector<std::size_t> changed;
    try {
        changed = m_draft->setCells(db(), changes, carryOnScreen(), label);
    } catch (const std::exception& e) {
        // Told as every failure of a grid's source is; the draft, and so the grid, is as it was.
        page_controls::showStorageFailure(prompts(), this, failureMessage(e, kStepNotCompleted));
        showDraft();
        return false;
    }
    showDraft(changed);
    return true;
}

void SchedulePage::showDraft(const std::vector<std::size_t>& rows)
{
    const std::vector<schedule::WorkRow>& draftRows = m_draft->rows();
    if (rows.empty()) {
        for (std::size_t i = 0; i < draftRows.size(); ++i)
            datInp->setRowValues(int(i), gridValues(draftRows[i]));
    } else {
        for (const std::size_t i : rows)
            datInp->setRowValues(int(i), gridValues(draftRows[i]));
    }
    runReportingFailure(
        prompts(),
        [this] {
            num予定額月計->setAmount(m_draft->plannedTotal());
            num入金額月計->setAmount(m_draft->receivedTotal());
        },
        kStepNotCompleted);
    datInp->refreshRowMarks();
    if (m_draft->cumulative())
        num累計->setAmount(m_draft->cumulative());
    cmd元に戻す->setEnabled(m_draft->history().canUndo());
    cmdやり直し->setEnabled(m_draft->history().canRedo());
    setUnsaved(m_draft->isDirty());
}

void SchedulePage::cellCommitted(int column)
{
    // A day that is no day of the month was taken as clearing the row's date; the editor opens again
    // on what was typed, with the reason.
    if (column == k表示日付 && m_refusedDay) {
        const QString typed = *std::exchange(m_refusedDay, std::nullopt);
        GridInp->refuseCell(GridInp->currentIndex(), typed);
    }
}

void SchedulePage::cellRefused(int column, const QString& text)
{
    if (column == k表示日付) {
        const schedule::DayEntry entry = schedule::completeDay(m_workMonth, text);
        showStandardMessage(prompts(), QStringLiteral("入力"),
                            entry.reason == schedule::DayEntry::Reason::NotANumber
                                ? QStringLiteral("数字のみ")
                                : QStringLiteral("範囲外"),
                            QStringLiteral("日付"));
    } else {
        QString name = datInp->columnCaption(column);
        if (column == k残高)
            name = QStringLiteral("総額");
        const bool outOfRange = parseAmount(text).status == AmountParse::OutOfRange;
        showStandardMessage(prompts(), QStringLiteral("入力"),
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
    // Delete over several selected cells empties them all as one step; inside an open editor it is the
    // editor's key.
    if (*key == Qt::Key_Delete && !GridInp->indexWidget(GridInp->currentIndex()) &&
        GridInp->selectionModel()->selectedIndexes().size() > 1) {
        *key = 0;
        clearSelection();
        return;
    }
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
        return std::size_t(row) < m_draft->rows().size() &&
               schedule::holdsData(m_draft->rows()[std::size_t(row)]);
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
    setImeOpen(GridInp, GridInp->currentColumn() == k入金先名);
}
