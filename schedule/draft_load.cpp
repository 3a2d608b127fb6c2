// Where the draft comes from: a month loaded from the store, an empty month, or the draft an earlier run
// left in the work file.
#include "schedule/draft.h"

#include "common/dates.h"
#include "schedule/balances.h"
#include "schedule/draft_storage.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <algorithm>

namespace schedule {

namespace {

constexpr std::size_t kRows = std::size_t(kWorkRowCount);

} // namespace

using namespace draft_storage;

std::optional<MonthLoad> MonthDraft::load(Database& db, const QDate& month, const ProgressFn& progress)
{
    if (!month.isValid())
        return std::nullopt;
    const std::optional<MonthRange> range = monthRange(toSlashDate(month));
    if (!range)
        return std::nullopt;
    report(progress, 10);

    std::vector<WorkRow> rows;
    std::vector<BaseRow> base;
    MonthLoad load;
    {
        // One date's rows in row-number order, as they were entered. Bound, the month's two days leave
        // one statement for every month visited.
        RowWalk stored(db,
                       "select rowid, 日付, 行番号, 入金先名, 予定額, 入金額, 残高 from 入金予定表"
                       " where 日付 >= ? and 日付 <= ? order by 日付, 行番号",
                       monthDays(month));
        while (stored.next()) {
            ++load.storedRows;
            if (rows.size() == kRows)
                continue;
            WorkRow row;
            row.行番号 = int(rows.size() + 1);
            row.storedRowId = stored.value(0).toInt64();
            row.日付 = stored.value(1).toDate();
            row.元行番号 = int(stored.value(2).toInt64().value_or(0));
            row.表示日付 = row.日付 ? toTwoDigitDay(*row.日付) : QString();
            row.入金先名 = textOrNothing(stored.value(3));
            row.予定額 = stored.value(4).toMoney();
            row.入金額 = stored.value(5).toMoney();
            row.残高 = stored.value(6).toMoney();
            base.push_back(BaseRow{*row.storedRowId, rows.size(), row.日付, row.元行番号, row.入金先名,
                                   row.予定額, row.入金額});
            rows.push_back(std::move(row));
        }
    }
    load.truncated = load.storedRows > kWorkRowCount;
    while (rows.size() < kRows)
        rows.push_back(blankRow(int(rows.size() + 1), int(rows.size() + 1)));
    report(progress, 30);

    guardRange([&] {
        for (const WorkRow& row : rows) {
            load.予定額月計 = load.予定額月計 + row.予定額.value_or(Money());
            load.入金額月計 = load.入金額月計 + row.入金額.value_or(Money());
        }
    });
    load.繰越額 = readCarryForward(db, firstDay(month));
    load.累計 = readLastBalance(db);

    Transaction transaction(db);
    rewriteWorkRows(db, rows);
    report(progress, 90);
    m_base.swap(base);
    try {
        writeBase(db);
        writeDraftState(db, month, false, load.累計);
        transaction.commit();
    } catch (...) {
        m_base.swap(base);
        throw;
    }
    m_month = month;
    m_rows = std::move(rows);
    m_cumulative = load.累計;
    m_dirty = false;
    startHistory();
    report(progress, 100);
    return load;
}

void MonthDraft::clear(Database& db, const QDate& month)
{
    std::vector<WorkRow> rows;
    for (std::size_t i = 0; i < kRows; ++i)
        rows.push_back(blankRow(int(i + 1), int(i + 1)));
    Transaction transaction(db);
    rewriteWorkRows(db, rows);
    db.execute("delete from InpWorkBase");
    writeDraftState(db, month, false, std::nullopt);
    transaction.commit();
    m_month = month;
    m_rows = std::move(rows);
    m_base.clear();
    m_cumulative.reset();
    m_dirty = false;
    startHistory();
}

std::optional<QDate> MonthDraft::pendingMonth(Database& db)
{
    RowSet state = db.openRowSet("select 年月, 未登録 from InpWorkDraft");
    if (state.isEmpty() || !state.get("未登録").toBool())
        return std::nullopt;
    return state.get("年月").toDate();
}

void MonthDraft::restore(Database& db)
{
    RowSet state = db.openRowSet("select 年月, 累計 from InpWorkDraft");
    const std::optional<QDate> month = state.isEmpty() ? std::nullopt : state.get("年月").toDate();
    std::vector<WorkRow> rows = readWorkRows(db);
    // The work file may have been cut short or grown by hand: the grid still gets its 200 rows.
    rows.resize(std::min(rows.size(), kRows));
    while (rows.size() < kRows)
        rows.push_back(blankRow(int(rows.size() + 1), int(rows.size() + 1)));
    renumber(rows);

    std::vector<BaseRow> base;
    RowSet stored = db.openRowSet("select * from InpWorkBase order by 位置");
    for (stored.moveFirst(); !stored.atEnd(); stored.moveNext()) {
        base.push_back(BaseRow{stored.get("StoredRowId").toInt64().value_or(0),
                               std::size_t(stored.get("位置").toInt64().value_or(0)),
                               stored.get("日付").toDate(), int(stored.get("行番号").toInt64().value_or(0)),
                               textOrNothing(stored.get("入金先名")), stored.get("予定額").toMoney(),
                               stored.get("入金額").toMoney()});
    }
    m_month = month.value_or(QDate());
    m_rows = std::move(rows);
    m_base = std::move(base);
    m_cumulative = state.isEmpty() ? std::nullopt : state.get("累計").toMoney();
    updateDirty();
    startHistory();
}

void MonthDraft::discard(Database& db)
{
    Transaction transaction(db);
    db.execute("update InpWorkDraft set 未登録 = 0");
    transaction.commit();
}

} // namespace schedule
