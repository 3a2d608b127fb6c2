#include "schedule/draft.h"
#include "schedule/draft_storage.h"

#include "common/dates.h"
#include "common/progress.h"
#include "schedule/balances.h"
#include "schedule/row_content.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <QUndoCommand>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace schedule {

// One step of the history: the rows and the running value before and after it. The rows on disk are
// written by MonthDraft before the stack moves, so undo() and redo() here only swap what is in memory
// and cannot fail halfway.
class DraftStep : public QUndoCommand
{
public:
    DraftStep(MonthDraft& draft, MonthDraft::State before, MonthDraft::State after, const QString& label)
        : QUndoCommand(label), m_draft(draft), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_draft.apply(m_before); }
    void redo() override { m_draft.apply(m_after); }
    const MonthDraft::State& before() const { return m_before; }
    const MonthDraft::State& after() const { return m_after; }

private:
    MonthDraft& m_draft;
    MonthDraft::State m_before;
    MonthDraft::State m_after;
};

namespace {

constexpr std::size_t kRows = std::size_t(kWorkRowCount);
// Enough for a long day of typing; each step holds two copies of 200 short rows.
constexpr int kHistoryLimit = 500;

// What blocks a row from being pushed out of the grid or makes it count for the balances: anything
// the user put into it.
bool occupied(const WorkRow& row)
{
    return holdsData(row) || row.日付.has_value();
}

} // namespace

namespace draft_storage {

WorkRow blankRow(int number, int origin)
{
    WorkRow row;
    row.行番号 = number;
    row.元行番号 = origin;
    row.予定額 = Money();
    row.入金額 = Money();
    row.残高 = Money();
    return row;
}

void renumber(std::vector<WorkRow>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].行番号 = int(i + 1);
}

Params workRowParams(const WorkRow& row)
{
    return {row.元行番号 == 0 ? Value() : Value(row.元行番号),
            row.表示日付.isEmpty() ? Value() : Value(row.表示日付),
            Value(row.日付),
            Value(row.入金先名),
            Value(row.予定額),
            Value(row.入金額),
            Value(row.残高),
            Value(row.storedRowId),
            Value(row.行番号)};
}

void updateWorkRow(Database& db, const WorkRow& row)
{
    db.execute(
        "update InpWork set 元行番号 = ?, 表示日付 = ?, 日付 = ?, 入金先名 = ?, 予定額 = ?, 入金額 = ?,"
        " 残高 = ?, StoredRowId = ? where 行番号 = ?",
        workRowParams(row));
}

void insertWorkRow(Database& db, const WorkRow& row)
{
    db.execute("insert into InpWork (元行番号, 表示日付, 日付, 入金先名, 予定額, 入金額, 残高, StoredRowId,"
               " 行番号) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
               workRowParams(row));
}

void rewriteWorkRows(Database& db, const std::vector<WorkRow>& rows)
{
    db.execute("delete from InpWork");
    for (const WorkRow& row : rows)
        insertWorkRow(db, row);
}

void writeDraftState(Database& db, const QDate& month, bool dirty, const std::optional<Money>& cumulative)
{
    db.execute("delete from InpWorkDraft");
    db.execute("insert into InpWorkDraft (年月, 未登録, 累計) values (?, ?, ?)",
               {Value(month), Value(dirty), Value(cumulative)});
}

std::optional<QString> textOrNothing(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
}

Params monthDays(const QDate& month)
{
    const QDate first = firstDay(month);
    return {Value(first), Value(first.addMonths(1).addDays(-1))};
}

QDate firstDay(const QDate& month)
{
    return month.isValid() ? QDate(month.year(), month.month(), 1) : QDate();
}

void report(const std::function<void(int)>& progress, int percent)
{
    if (progress)
        progress(percent);
}

} // namespace draft_storage

using namespace draft_storage;

MonthDraft::MonthDraft()
{
    m_history.setUndoLimit(kHistoryLimit);
    m_rows.reserve(kRows);
    for (std::size_t i = 0; i < kRows; ++i)
        m_rows.push_back(blankRow(int(i + 1), int(i + 1)));
}

std::vector<std::size_t> MonthDraft::unsavedRows() const
{
    std::vector<std::size_t> unsaved;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].storedRowId && holdsData(m_rows[i]))
            unsaved.push_back(i);
    }
    return unsaved;
}

Money MonthDraft::plannedTotal() const
{
    return guardRange([&] {
        Money total;
        for (const WorkRow& row : m_rows)
            total = total + row.予定額.value_or(Money());
        return total;
    });
}

Money MonthDraft::receivedTotal() const
{
    return guardRange([&] {
        Money total;
        for (const WorkRow& row : m_rows)
            total = total + row.入金額.value_or(Money());
        return total;
    });
}

std::vector<std::size_t> MonthDraft::setCells(Database& db, const std::vector<CellChange>& changes,
                                              std::optional<Money> carry, const QString& label)
{
    State next{m_rows, m_cumulative};
    std::optional<std::size_t> passFrom;
    for (const CellChange& change : changes) {
        if (change.row >= next.rows.size())
            continue;
        WorkRow& row = next.rows[change.row];
        const bool heldData = occupied(row);
        const std::optional<Money> planned = row.予定額;
        const std::optional<Money> received = row.入金額;
        switch (change.column) {
        case k表示日付:
            row.表示日付 = change.value.toText();
            break;
        case k日付:
            row.日付 = change.value.toDate();
            break;
        case k入金先名:
            row.入金先名 = textOrNothing(change.value);
            break;
        case k予定額:
            row.予定額 = change.value.toMoney();
            break;
        case k入金額:
            row.入金額 = change.value.toMoney();
            break;
        default:
            continue;
        }
        // The balances follow a change of an amount, and a row that starts or stops counting.
        if (planned != row.予定額 || received != row.入金額 || heldData != occupied(row))
            passFrom = std::min(passFrom.value_or(change.row), change.row);
    }
    if (next.rows == m_rows)
        return {};
    if (passFrom) {
        const GridPassResult pass = recomputeGridBalances(next.rows, *passFrom, carry);
        if (pass.last)
            next.cumulative = pass.last;
    }
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!(m_rows[i] == next.rows[i]))
            changed.push_back(i);
    }
    push(db, std::move(next), label);
    return changed;
}

InsertResult MonthDraft::insertRow(Database& db, std::size_t row)
{
    if (row >= m_rows.size())
        return InsertResult::NoCurrentRow;
    // The last row drops out of the grid: only an empty one may, so that no typed figure is lost.
    if (occupied(m_rows.back()))
        return InsertResult::NoRoom;
    State next{m_rows, m_cumulative};
    next.rows.insert(next.rows.begin() + std::ptrdiff_t(row), blankRow(0, 0));
    next.rows.pop_back();
    renumber(next.rows);
    push(db, std::move(next), QStringLiteral("行挿入"), Shift{row, true});
    return InsertResult::Inserted;
}

bool MonthDraft::deleteRow(Database& db, std::size_t row, std::optional<Money> carry)
{
    if (row >= m_rows.size())
        return false;
    State next{m_rows, m_cumulative};
    next.rows.erase(next.rows.begin() + std::ptrdiff_t(row));
    next.rows.push_back(blankRow(0, int(kRows)));
    renumber(next.rows);
    const GridPassResult pass = recomputeGridBalances(next.rows, std::min(row, next.rows.size() - 1), carry);
    if (pass.last)
        next.cumulative = pass.last;
    push(db, std::move(next), QStringLiteral("行削除"), Shift{row, false});
    return true;
}

bool MonthDraft::undo(Database& db)
{
    if (!m_history.canUndo())
        return false;
    const auto* step = static_cast<const DraftStep*>(m_history.command(m_history.index() - 1));
    writeRows(db, m_rows, step->before().rows);
    m_history.undo();
    return true;
}

bool MonthDraft::redo(Database& db)
{
    if (!m_history.canRedo())
        return false;
    const auto* step = static_cast<const DraftStep*>(m_history.command(m_history.index()));
    writeRows(db, m_rows, step->after().rows);
    m_history.redo();
    return true;
}

std::optional<int> MonthDraft::firstRowWithoutDate() const
{
    for (const WorkRow& row : m_rows) {
        if (hasPayer(row) && !row.日付)
            return row.行番号;
    }
    return std::nullopt;
}

void MonthDraft::push(Database& db, State next, const QString& label, std::optional<Shift> shift)
{
    writeRows(db, m_rows, next.rows, shift);
    m_history.push(new DraftStep(*this, State{m_rows, m_cumulative}, std::move(next), label));
}

void MonthDraft::apply(const State& state)
{
    m_rows = state.rows;
    m_cumulative = state.cumulative;
    updateDirty();
}

void MonthDraft::writeRows(Database& db, const std::vector<WorkRow>& before,
                           const std::vector<WorkRow>& after, std::optional<Shift> shift)
{
    Transaction transaction(db);
    std::vector<WorkRow> written = before;
    if (shift) {
        // The rows below an opened or removed row move as a whole: three statements instead of a
        // rewrite of each of them, which keeps the insertion as quick as it always was.
        const int number = int(shift->row + 1);
        if (shift->inserted) {
            db.execute("delete from InpWork where 行番号 = ?", {Value(int(kRows))});
            db.execute("update InpWork set 行番号 = 行番号 + 1 where 行番号 >= ?", {Value(number)});
            insertWorkRow(db, after[shift->row]);
            written.insert(written.begin() + std::ptrdiff_t(shift->row), after[shift->row]);
            written.pop_back();
        } else {
            db.execute("delete from InpWork where 行番号 = ?", {Value(number)});
            db.execute("update InpWork set 行番号 = 行番号 - 1 where 行番号 > ?", {Value(number)});
            insertWorkRow(db, after.back());
            written.erase(written.begin() + std::ptrdiff_t(shift->row));
            written.push_back(after.back());
        }
        renumber(written);
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= written.size() || !(written[i] == after[i]))
            updateWorkRow(db, after[i]);
    }
    // The flag the next start reads travels with the rows, in the same unit.
    db.execute("update InpWorkDraft set 未登録 = ?", {Value(dirtyOf(after))});
    transaction.commit();
}

void MonthDraft::writeBase(Database& db)
{
    db.execute("delete from InpWorkBase");
    for (const BaseRow& row : m_base)
        db.execute("insert into InpWorkBase (StoredRowId, 位置, 日付, 行番号, 入金先名, 予定額, 入金額)"
                   " values (?, ?, ?, ?, ?, ?, ?)",
                   {Value(row.rowId), Value(std::int64_t(row.position)), Value(row.日付), Value(row.行番号),
                    Value(row.入金先名), Value(row.予定額), Value(row.入金額)});
}

std::vector<bool> MonthDraft::unsavedMarks(const std::vector<WorkRow>& rows, bool* removed) const
{
    std::unordered_map<std::int64_t, const BaseRow*> baseById;
    for (const BaseRow& row : m_base)
        baseById.emplace(row.rowId, &row);
    std::vector<bool> marks(rows.size(), false);
    std::unordered_set<std::int64_t> matched;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const WorkRow& row = rows[i];
        const auto base = row.storedRowId ? baseById.find(*row.storedRowId) : baseById.end();
        if (base == baseById.end() || !matched.insert(base->first).second) {
            marks[i] = holdsData(row);
            continue;
        }
        const BaseRow& was = *base->second;
        marks[i] = was.position != i || was.日付 != row.日付 || was.入金先名 != row.入金先名 ||
                   was.予定額 != row.予定額 || was.入金額 != row.入金額;
    }
    // A stored row no working row stands for any more was deleted.
    *removed = matched.size() != m_base.size();
    return marks;
}

bool MonthDraft::dirtyOf(const std::vector<WorkRow>& rows) const
{
    bool removed = false;
    const std::vector<bool> marks = unsavedMarks(rows, &removed);
    return removed || std::find(marks.begin(), marks.end(), true) != marks.end();
}

void MonthDraft::updateDirty()
{
    bool removed = false;
    m_unsavedMarks = unsavedMarks(m_rows, &removed);
    m_dirty =
        removed || std::find(m_unsavedMarks.begin(), m_unsavedMarks.end(), true) != m_unsavedMarks.end();
}

void MonthDraft::startHistory()
{
    m_history.clear();
}

} // namespace schedule
