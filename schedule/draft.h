#pragma once

#include "common/money.h"
#include "schedule/working_set.h"
#include "storage/inp_work_layout.h"
#include "storage/value.h"

#include <QDate>
#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Database;

namespace schedule {

// The columns of a working row, in the order InpWork lays them out; the grid shows them in this order.
enum WorkColumn : int {
    k行番号 = 0,
    k元行番号 = 1,
    k表示日付 = 2, // the day, the only date the grid shows
    k日付 = 3,     // the full date, hidden
    k入金先名 = 4,
    k予定額 = 5,
    k入金額 = 6,
    k残高 = 7, // shown under "総　額"
};
static_assert(inpWorkColumnIndex("行番号") == k行番号 && inpWorkColumnIndex("元行番号") == k元行番号 &&
                  inpWorkColumnIndex("表示日付") == k表示日付 && inpWorkColumnIndex("日付") == k日付 &&
                  inpWorkColumnIndex("入金先名") == k入金先名 && inpWorkColumnIndex("予定額") == k予定額 &&
                  inpWorkColumnIndex("入金額") == k入金額 && inpWorkColumnIndex("残高") == k残高,
              "the grid's columns are InpWork's, in its order");

// One cell of a working row to be given a new value (columns 表示日付 to 入金額; the balance follows).
struct CellChange
{
    std::size_t row = 0;
    int column = k表示日付;
    Value value;
};

enum class InsertResult { Inserted, NoCurrentRow, NoRoom };

// The displayed month as the user edits it: 200 working rows that differ from the stored month only
// when the user changed something, and only until 登録. It is the one writer of the working rows: every
// edit changes the rows here and in InpWork (so that typed work survives a crash) and becomes one step
// of its history, which undo and redo walk. Nothing reaches the stored rows before save().
//
// Each working row loaded from storage remembers the stored row it came from (StoredRowId), so that the
// save updates or removes exactly that row, whatever the user changed in it. Operations that write take
// the database; a failure throws (StorageError, AmountOutOfRange) and leaves the draft as it was.
class MonthDraft
{
public:
    MonthDraft();
    MonthDraft(const MonthDraft&) = delete;
    MonthDraft& operator=(const MonthDraft&) = delete;

    // Loads the stored rows of `month` (any day of it), packed from the first row in date order, and
    // starts a new history. nullopt for an invalid month, with nothing changed.
    std::optional<MonthLoad> load(Database& db, const QDate& month, const ProgressFn& progress = {});
    // An empty working set for `month` with nothing stored behind it (the screen's clear).
    void clear(Database& db, const QDate& month);
    // The month of an unsaved draft the work file holds from an earlier run (the program was ended
    // without a save or a discard), nothing when there is none or it equals what was stored.
    static std::optional<QDate> pendingMonth(Database& db);
    // Takes over the draft the work file holds, as the earlier run left it.
    void restore(Database& db);
    // Forgets the edits: the next start finds nothing to restore. The rows stay as shown until the next
    // load or clear.
    void discard(Database& db);

    const QDate& month() const { return m_month; }
    const std::vector<WorkRow>& rows() const { return m_rows; }
    // Whether the draft differs from the stored rows it was loaded from: a row added, removed, moved or
    // changed. Blank rows do not count.
    bool isDirty() const { return m_dirty; }
    // Whether working row `row` differs from the stored row behind it, or holds something and has none.
    bool isRowUnsaved(std::size_t row) const { return row < m_unsavedMarks.size() && m_unsavedMarks[row]; }
    // The working rows that hold something but are not stored (no stored row behind them): after a save
    // these are the rows it left out.
    std::vector<std::size_t> unsavedRows() const;
    // The running value the screen shows under 累計: the last stored balance after a load, then the
    // value the last balance pass ended with.
    const std::optional<Money>& cumulative() const { return m_cumulative; }
    Money plannedTotal() const;
    Money receivedTotal() const;

    // One step: the cells take their values, then the balances are carried on from the topmost changed
    // row whose amounts changed, from `carry` when nothing above holds data. Returns the indexes of the
    // rows that changed. An unchanged value makes no step.
    std::vector<std::size_t> setCells(Database& db, const std::vector<CellChange>& changes,
                                      std::optional<Money> carry, const QString& label);
    // Opens a blank row above `row`; the last row drops out, which is refused when it holds anything.
    InsertResult insertRow(Database& db, std::size_t row);
    // Removes `row` (a blank row follows at the end) and carries the balances on from there. The stored
    // row behind it is removed by the next save.
    bool deleteRow(Database& db, std::size_t row, std::optional<Money> carry);

    // The history of the displayed month; its signals tell the screen when undo and redo are possible.
    QUndoStack& history() { return m_history; }
    // Undo and redo of the last step; false when there is none.
    bool undo(Database& db);
    bool redo(Database& db);

    // The 行番号 (1-based) of the first row with a payer and no date, which the save refuses.
    std::optional<int> firstRowWithoutDate() const;
    // Stores the draft in one transaction over both files: stored rows the user removed are deleted,
    // changed rows updated, new rows (those with a payer) added, each row numbered by its position, and
    // the stored balances recomputed from the earliest date touched. Rows without a payer stay in the
    // draft, unsaved. Afterwards the draft shows the stored balances and starts a new history.
    // `progress` gets the bar's percentage.
    void save(Database& db, const std::function<void(int)>& progress = {});

    struct State
    {
        std::vector<WorkRow> rows;
        std::optional<Money> cumulative;
    };

private:
    struct BaseRow
    {
        std::int64_t rowId = 0;
        std::size_t position = 0;
        std::optional<QDate> 日付;
        int 行番号 = 0; // as stored
        std::optional<QString> 入金先名;
        std::optional<Money> 予定額;
        std::optional<Money> 入金額;
        friend bool operator==(const BaseRow&, const BaseRow&) = default;
    };

    // A row opened (inserted) or removed at `row`, the rows below it moving by one.
    struct Shift
    {
        std::size_t row = 0;
        bool inserted = false;
    };
    void push(Database& db, State next, const QString& label, std::optional<Shift> shift = std::nullopt);
    void apply(const State& state);
    void writeRows(Database& db, const std::vector<WorkRow>& before, const std::vector<WorkRow>& after,
                   std::optional<Shift> shift = std::nullopt);
    void writeBase(Database& db);
    // Which rows differ from what is stored; `removed` tells whether a stored row has none left.
    std::vector<bool> unsavedMarks(const std::vector<WorkRow>& rows, bool* removed) const;
    bool dirtyOf(const std::vector<WorkRow>& rows) const;
    void updateDirty();
    void startHistory();

    QDate m_month;
    std::vector<WorkRow> m_rows;
    std::vector<BaseRow> m_base;
    std::optional<Money> m_cumulative;
    bool m_dirty = false;
    std::vector<bool> m_unsavedMarks;
    QUndoStack m_history;

    friend class DraftStep;
};

} // namespace schedule
