// The two actions that rewrite stored balances to the end of all data, the save of a month and the
// deletion of a stored row, each beside its floor: the same balance pass written directly against SQLite
// (one prepared select in date order, one prepared update per row, one transaction), the least any
// implementation of that pass can cost on the same history.
#include "bench/bench_programs.h"
#include "bench/bench_support.h"

#include "schedule/balances.h"
#include "schedule/draft.h"
#include "storage/rowset.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

namespace bench {

namespace {

// The deleted row: the middle of the month under test.
constexpr int kDeletedRow = 100;
// The raise of the month's first planned amount that the measured save stores.
const Money kRaise = Money::fromYen(1000);

// A working folder with the month under test loaded, as the window holds it before the user acts.
// For the save, its first row's planned amount is raised so that every later balance really changes;
// for the deletion, the middle row of the month is deleted from the draft.
bool prepareMonth(benchmark::State& state, WorkingFolder& folder, bool changeFirstRow, bool deleteRow = false)
{
    schedule::MonthDraft draft;
    auto load = draft.load(folder.db(), testMonth(int(state.range(0))));
    if (!load || load->storedRows != schedule::kWorkRowCount) {
        state.SkipWithError("the month under test is not a full month");
        return false;
    }
    if (changeFirstRow)
        draft.setCells(folder.db(), {{0, schedule::k予定額, Value(*draft.rows()[0].予定額 + kRaise)}},
                       load->繰越額, QString());
    if (deleteRow)
        draft.deleteRow(folder.db(), kDeletedRow - 1, load->繰越額);
    folder.keepAsSource();
    return true;
}

// Times the save of the draft the prepared folder holds, each time from the prepared copy put back
// and taken over untimed, as a start after the edits would.
void timeSave(benchmark::State& state, WorkingFolder& folder)
{
    for (auto _ : state) {
        state.PauseTiming();
        folder.restore();
        schedule::MonthDraft draft;
        draft.restore(folder.db());
        state.ResumeTiming();
        draft.save(folder.db());
    }
}

std::string isoDate(const QDate& d)
{
    return d.toString(Qt::ISODate).toStdString();
}

// Rows from the first day of the month to the end of all data: what the save's balance pass rewrites.
std::int64_t rowsFrom(Database& db, const QDate& from)
{
    return db.readTotal("select count(*) as total from 入金予定表 where 日付 >= ?", {Value(from)})
        .toInt64()
        .value_or(0);
}

// The bare pass: each row the select yields (rowid, 予定額, 入金額) gets the running balance, one prepared
// update a row. Returns the number of rows written.
std::int64_t rewriteBalances(SQLite::Database& db, SQLite::Statement& rows, std::int64_t running)
{
    SQLite::Statement update(db, "UPDATE 入金予定表 SET 残高 = ? WHERE rowid = ?");
    std::int64_t count = 0;
    while (rows.executeStep()) {
        running += rows.getColumn(1).getInt64() - rows.getColumn(2).getInt64();
        update.bind(1, static_cast<int64_t>(running));
        update.bind(2, static_cast<int64_t>(rows.getColumn(0).getInt64()));
        update.exec();
        update.reset();
        ++count;
    }
    return count;
}

// The floor of the save: the one changed row stored, then the pass from the carry-forward over every
// row from `from` on in date order. (Without the change every balance would come out as stored, and
// SQLite skips rewriting a row that does not change: the floor would write nothing.)
std::int64_t floorSavePass(SQLite::Database& db, const std::string& from)
{
    db.exec("BEGIN IMMEDIATE");
    SQLite::Statement raise(db, "UPDATE 入金予定表 SET 予定額 = 予定額 + ? WHERE rowid = (SELECT rowid FROM"
                                " 入金予定表 WHERE 日付 >= ? ORDER BY 日付, 行番号 LIMIT 1)");
    raise.bind(1, static_cast<int64_t>(kRaise.raw()));
    raise.bind(2, from);
    raise.exec();
    SQLite::Statement carry(db, "SELECT 残高 FROM 入金予定表 WHERE 日付 < ? ORDER BY 日付 DESC, 行番号 DESC"
                                " LIMIT 1");
    carry.bind(1, from);
    std::int64_t running = carry.executeStep() ? carry.getColumn(0).getInt64() : 0;
    SQLite::Statement rows(db, "SELECT rowid, 予定額, 入金額 FROM 入金予定表 WHERE 日付 >= ?"
                               " ORDER BY 日付, 行番号");
    rows.bind(1, from);
    const std::int64_t count = rewriteBalances(db, rows, running);
    db.exec("COMMIT");
    return count;
}

struct DeletedRow
{
    std::string date;
    int storedRow = 0;
    std::string payer;
};

// The floor of the deletion: the anchor before the row's date, the delete, and every row from the
// anchor on in date and row order, continuing from the anchor's balance. With withWorkRow the working
// row goes in the same transaction, as the program's deletion does: a two-file commit.
std::int64_t floorDeletePass(SQLite::Database& db, const DeletedRow& row, bool withWorkRow)
{
    db.exec("BEGIN IMMEDIATE");
    if (withWorkRow) {
        SQLite::Statement work(db, "DELETE FROM work.InpWork WHERE 行番号 = ?");
        work.bind(1, kDeletedRow);
        work.exec();
    }
    SQLite::Statement anchor(db, "SELECT 日付, 行番号, 残高 FROM 入金予定表 WHERE 日付 < ?"
                                 " ORDER BY 日付 DESC, 行番号 DESC LIMIT 1");
    anchor.bind(1, row.date);
    if (!anchor.executeStep())
        throw std::runtime_error("the deleted row has no stored row before it");
    const std::string anchorDate = anchor.getColumn(0).getString();
    const int anchorRow = anchor.getColumn(1).getInt();
    std::int64_t running = anchor.getColumn(2).getInt64();

    SQLite::Statement remove(db, "DELETE FROM 入金予定表 WHERE 日付 = ? AND 行番号 = ? AND 入金先名 = ?");
    remove.bind(1, row.date);
    remove.bind(2, row.storedRow);
    remove.bind(3, row.payer);
    remove.exec();

    SQLite::Statement rows(db, "SELECT rowid, 予定額, 入金額 FROM 入金予定表 WHERE (日付, 行番号) > (?, ?)"
                               " ORDER BY 日付, 行番号");
    rows.bind(1, anchorDate);
    rows.bind(2, anchorRow);
    const std::int64_t count = rewriteBalances(db, rows, running);
    db.exec("COMMIT");
    return count;
}

// Runs `pass` on a plain connection to the restored permanent file (with the work file attached for
// attachWork), timing only the pass.
template <typename Pass>
void timeFloor(benchmark::State& state, WorkingFolder& folder, Pass&& pass, bool attachWork = false)
{
    std::int64_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.restore();
        folder.close();
        {
            SQLite::Database plain(folder.permanentPath().toStdString(), SQLite::OPEN_READWRITE);
            if (attachWork) {
                SQLite::Statement attach(plain, "ATTACH DATABASE ? AS work");
                attach.bind(1, folder.workPath().toStdString());
                attach.exec();
            }
            state.ResumeTiming();
            count = pass(plain);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["rows_rewritten"] = double(count);
}

// Times `action` on the month under test, each time from the prepared copy put back untimed.
template <typename Action>
void timeOnRestoredMonth(benchmark::State& state, WorkingFolder& folder, Action&& action)
{
    const QDate month = testMonth(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        folder.restore();
        state.ResumeTiming();
        action(folder.db(), month);
    }
}

void BM_saveMonth(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    if (!prepareMonth(state, folder, true))
        return;
    timeSave(state, folder);
    state.counters["rows_rewritten"] = double(rowsFrom(folder.db(), testMonth(int(state.range(0)))));
    state.counters["peak_MB"] = peakResidentMB();
}

// The save's balance pass alone, on the same restored folder as the floor (whose one changed row it
// does not have: its balances come out as stored, so it measures reading and writing every row).
void BM_recomputeBalances(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    if (!prepareMonth(state, folder, true))
        return;
    timeOnRestoredMonth(state, folder,
                        [](Database& db, const QDate& month) { schedule::recomputeBalances(db, month); });
}

void BM_Floor_Save(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    if (!prepareMonth(state, folder, true))
        return;
    const std::string from = isoDate(testMonth(int(state.range(0))));
    timeFloor(state, folder, [&](SQLite::Database& db) { return floorSavePass(db, from); });
}

std::optional<DeletedRow> deletedRow(Database& db)
{
    RowSet row = db.openRowSet("select * from InpWork where 行番号 = ?", {Value(kDeletedRow)});
    if (row.isEmpty() || !row.get("日付").toDate())
        return std::nullopt;
    return DeletedRow{isoDate(*row.get("日付").toDate()), int(row.get("元行番号").toInt64().value_or(0)),
                      row.get("入金先名").toText().toStdString()};
}

// A stored row deleted in the draft, then 登録: the save removes it and rewrites every later balance.
void BM_deleteRowAndSave(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    if (!prepareMonth(state, folder, false, true))
        return;
    const std::int64_t before =
        folder.db().readTotal("select count(*) as total from 入金予定表").toInt64().value_or(0);
    timeSave(state, folder);
    if (folder.db().readTotal("select count(*) as total from 入金予定表").toInt64().value_or(0) != before - 1)
        state.SkipWithError("no stored row was deleted");
    state.counters["peak_MB"] = peakResidentMB();
}

void floorLineDelete(benchmark::State& state, bool withWorkRow)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    if (!prepareMonth(state, folder, false))
        return;
    const std::optional<DeletedRow> row = deletedRow(folder.db());
    if (!row) {
        state.SkipWithError("the deleted row is not a stored row");
        return;
    }
    timeFloor(
        state, folder, [&](SQLite::Database& db) { return floorDeletePass(db, *row, withWorkRow); },
        withWorkRow);
}

void BM_Floor_LineDelete(benchmark::State& state)
{
    floorLineDelete(state, false);
}

void BM_Floor_LineDelete_WorkRow(benchmark::State& state)
{
    floorLineDelete(state, true);
}

} // namespace

void registerStoreBenchmarks()
{
    registerPerSize("saveMonth", BM_saveMonth);
    registerPerSize("recomputeBalances", BM_recomputeBalances);
    registerPerSize("Floor/Save", BM_Floor_Save);
    registerPerSize("deleteRowAndSave", BM_deleteRowAndSave);
    registerPerSize("Floor/LineDelete", BM_Floor_LineDelete);
    registerPerSize("Floor/LineDelete+InpWork", BM_Floor_LineDelete_WorkRow);
}

} // namespace bench
