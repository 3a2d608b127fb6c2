// 登録 of the draft: the one place where the edits of the displayed month reach the stored schedule.
#include "schedule/draft.h"

#include "common/dates.h"
#include "common/progress.h"
#include "schedule/balances.h"
#include "schedule/draft_storage.h"
#include "schedule/row_content.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <unordered_map>
#include <unordered_set>

namespace schedule {

namespace {

[[noreturn]] void refuseUndated(int rowNumber)
{
    throw StorageError(
        StorageError::Kind::Generic,
        QStringLiteral("%1行目に日付がないため、登録できませんでした。何も変更していません。").arg(rowNumber),
        "a working row with a payer has no date");
}

[[noreturn]] void refuseVanished()
{
    throw StorageError(
        StorageError::Kind::Generic,
        QStringLiteral("読み込んだ後で保存済みの行が削除されていたため、登録できませんでした。何も変更し"
                       "ていません。月を読み込み直してください。"),
        "a stored row the draft was loaded from is gone");
}

} // namespace

using namespace draft_storage;

void MonthDraft::save(Database& db, const std::function<void(int)>& progress)
{
    if (const std::optional<int> undated = firstRowWithoutDate())
        refuseUndated(*undated);
    // The month field reaches years the rest of the program cannot show; nothing is stored there.
    for (const WorkRow& row : m_rows) {
        if (hasPayer(row) && row.日付 && !isKeptDate(*row.日付))
            throw StorageError(StorageError::Kind::Generic,
                               QStringLiteral("%1行目: %2登録できませんでした。何も変更していません。")
                                   .arg(row.行番号)
                                   .arg(outsideKeptDatesMessage(toSlashDate(*row.日付))),
                               "a working row is dated outside the kept years");
    }
    report(progress, 10);

    std::unordered_map<std::int64_t, const BaseRow*> baseById;
    for (const BaseRow& row : m_base)
        baseById.emplace(row.rowId, &row);

    Transaction transaction(db);
    State next{m_rows, m_cumulative};
    // The balance pass starts at the month's first day, or earlier should a row lie or have lain before
    // it: a stored balance left behind the pass would stay wrong in every later month.
    QDate passFrom = firstDay(m_month);
    const auto reach = [&](const std::optional<QDate>& date) {
        if (date && (!passFrom.isValid() || *date < passFrom))
            passFrom = *date;
    };
    std::unordered_set<std::int64_t> kept;
    StepProgress step;
    step.start(int(next.rows.size()));
    for (std::size_t i = 0; i < next.rows.size(); ++i) {
        WorkRow& row = next.rows[i];
        if (hasPayer(row)) {
            reach(row.日付);
            const int position = int(i + 1);
            const auto base = row.storedRowId ? baseById.find(*row.storedRowId) : baseById.end();
            // A stored row stands for one working row only; a second row claiming it is new.
            if (base != baseById.end() && kept.insert(base->first).second) {
                const BaseRow& was = *base->second;
                reach(was.日付);
                // Only what the user changed is written: a cell the draft left alone keeps what is stored,
                // which the command line may have changed while the draft waited (入金額 by --match-bank).
                std::string sets;
                Params values;
                const auto change = [&](const char* column, bool differs, Value value) {
                    if (!differs)
                        return;
                    sets += (sets.empty() ? "" : ", ") + std::string(column) + " = ?";
                    values.push_back(std::move(value));
                };
                change("日付", was.日付 != row.日付, Value(row.日付));
                change("行番号", was.行番号 != position, Value(position));
                change("入金先名", was.入金先名 != row.入金先名, Value(row.入金先名));
                change("予定額", was.予定額 != row.予定額, Value(row.予定額));
                change("入金額", was.入金額 != row.入金額, Value(row.入金額));
                if (!sets.empty()) {
                    values.push_back(Value(was.rowId));
                    if (db.execute("update 入金予定表 set " + sets + " where rowid = ?", values) != 1)
                        refuseVanished();
                }
            } else {
                db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                           " values (?, ?, ?, ?, ?, ?)",
                           {Value(row.日付), Value(position), Value(row.入金先名), Value(row.予定額),
                            Value(row.入金額), Value(row.残高)});
                row.storedRowId = db.lastInsertRowId();
                kept.insert(*row.storedRowId);
            }
            row.元行番号 = position;
        } else {
            // A row without a payer is not stored. One loaded from a stored row (the payer emptied, or
            // a row of earlier data that never had one) leaves that row as it is; a new one stays new.
            const auto base = row.storedRowId ? baseById.find(*row.storedRowId) : baseById.end();
            if (base == baseById.end() || !kept.insert(base->first).second)
                row.storedRowId.reset();
        }
        step(int(i + 1));
        report(progress, step.percent());
    }
    for (const BaseRow& was : m_base) {
        if (!kept.contains(was.rowId)) {
            db.execute("delete from 入金予定表 where rowid = ?", {Value(was.rowId)});
            reach(was.日付);
        }
    }
    if (m_month.isValid()) {
        // A month of more than 200 stored rows shows only the first 200: the rows behind them follow
        // the renumbered ones, so that no two rows of the month share a number.
        std::vector<std::int64_t> hidden;
        {
            RowWalk rows(db,
                         "select rowid from 入金予定表 where 日付 >= ? and 日付 <= ? order by 日付, 行番号",
                         monthDays(m_month));
            while (rows.next()) {
                const std::int64_t id = rows.value(0).toInt64().value_or(0);
                if (!kept.contains(id))
                    hidden.push_back(id);
            }
        }
        int number = kWorkRowCount;
        for (const std::int64_t id : hidden)
            db.execute("update 入金予定表 set 行番号 = ? where rowid = ?", {Value(++number), Value(id)});
    }
    recomputeBalances(db, passFrom);

    // The screen shows what is stored: the balances the pass wrote, and the cells the save left alone
    // as they are stored now.
    struct StoredCells
    {
        std::optional<QString> payer;
        std::optional<Money> planned;
        std::optional<Money> received;
        std::optional<Money> balance;
    };
    std::unordered_map<std::int64_t, StoredCells> storedCells;
    if (m_month.isValid()) {
        RowWalk rows(
            db, "select rowid, 入金先名, 予定額, 入金額, 残高 from 入金予定表 where 日付 >= ? and 日付 <= ?",
            monthDays(m_month));
        while (rows.next()) {
            const Value payer = rows.value(1);
            storedCells.emplace(rows.value(0).toInt64().value_or(0),
                                StoredCells{payer.isNull() ? std::nullopt : std::optional(payer.toText()),
                                            rows.value(2).toMoney(), rows.value(3).toMoney(),
                                            rows.value(4).toMoney()});
        }
    }
    std::vector<BaseRow> base;
    for (std::size_t i = 0; i < next.rows.size(); ++i) {
        WorkRow& row = next.rows[i];
        if (!row.storedRowId)
            continue;
        if (!hasPayer(row)) {
            // Left as it was stored.
            BaseRow was = *baseById.at(*row.storedRowId);
            was.position = i;
            base.push_back(was);
            continue;
        }
        if (const auto stored = storedCells.find(*row.storedRowId); stored != storedCells.end()) {
            row.入金先名 = stored->second.payer;
            row.予定額 = stored->second.planned;
            row.入金額 = stored->second.received;
            row.残高 = stored->second.balance;
        }
        base.push_back(
            BaseRow{*row.storedRowId, i, row.日付, row.元行番号, row.入金先名, row.予定額, row.入金額});
    }
    for (std::size_t i = 0; i < next.rows.size(); ++i) {
        if (!(next.rows[i] == m_rows[i]))
            updateWorkRow(db, next.rows[i]);
    }
    m_base.swap(base);
    try {
        writeBase(db);
        m_rows.swap(next.rows);
        updateDirty();
        writeDraftState(db, m_month, m_dirty, m_cumulative);
        transaction.commit();
    } catch (...) {
        m_base.swap(base);
        m_rows.swap(next.rows);
        updateDirty();
        throw;
    }
    startHistory();
    report(progress, 100);
}

} // namespace schedule
