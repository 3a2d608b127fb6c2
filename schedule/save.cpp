#include "schedule/save.h"

#include "common/progress.h"
#include "schedule/balances.h"
#include "schedule/row_content.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <cstdint>
#include <optional>
#include <unordered_set>

namespace schedule {

namespace {

// The stored row a working row was loaded from: same date, same payer and the 行番号 it was stored
// under (its 元行番号), and not yet written by this save. Two invoices of one payer on one day are two
// stored rows with different numbers, so each finds its own. The lookup is bound and cached: a month of
// them costs no more than the stores themselves.
std::optional<std::int64_t> storedRowOf(Database& db, const QDate& date, const Value& origin,
                                        const Value& payer, const std::unordered_set<std::int64_t>& taken)
{
    RowWalk rows(db, "select rowid from 入金予定表 where 日付 = ? and 行番号 = ? and 入金先名 = ?",
                 {Value(date), origin, payer});
    while (rows.next()) {
        const std::int64_t rowId = rows.row().getColumn(0).getInt64();
        if (!taken.contains(rowId))
            return rowId;
    }
    return std::nullopt;
}

[[noreturn]] void refuseUndated(int rowNumber)
{
    throw StorageError(
        StorageError::Kind::Generic,
        QStringLiteral("%1行目に日付がないため、登録できませんでした。何も変更していません。").arg(rowNumber),
        "a working row with a payer has no date");
}

} // namespace

std::optional<int> firstRowWithoutDate(Database& db)
{
    RowSet rows = db.openRowSet("select * from InpWork order by 行番号");
    for (; !rows.atEnd(); rows.moveNext()) {
        if (hasPayer(rows.get("入金先名")) && !rows.get("日付").toDate())
            return int(rows.get("行番号").toInt64().value_or(0));
    }
    return std::nullopt;
}

void Entry入金予定表(Database& db, const QDate& month, const std::function<void(int)>& progress)
{
    auto show = [&](int percent) {
        if (progress)
            progress(percent);
    };
    Transaction tx(db);

    StepProgress step;
    step.start(int(db.readTotal("select count(*) as total from InpWork").toInt64().value_or(0)));
    show(10);

    // Stored rows this save has already written: none stands for two working rows, not even when an
    // earlier row of the walk was just stored under the number a later row was loaded from.
    std::unordered_set<std::int64_t> taken;
    // The balance pass starts at the month's first day, or earlier should a row lie before it: a
    // stored balance left behind the pass would stay wrong in every later month.
    QDate passFrom = month.isValid() ? QDate(month.year(), month.month(), 1) : QDate();
    RowSet work = db.openTable("InpWork", "order by 行番号");
    int position = 1;
    for (; !work.atEnd(); work.moveNext(), ++position) {
        const Value payer = work.get("入金先名");
        if (hasPayer(payer)) {
            const std::optional<QDate> date = work.get("日付").toDate();
            // The window finds such a row first; a caller that did not is refused here, and the
            // transaction takes back the rows already stored.
            if (!date)
                refuseUndated(int(work.get("行番号").toInt64().value_or(position)));
            if (!passFrom.isValid() || *date < passFrom)
                passFrom = *date;
            // A row inserted since the load has no 元行番号 and is new by definition.
            const Value origin = work.get("元行番号");
            const std::optional<std::int64_t> stored =
                origin.isNull() ? std::nullopt : storedRowOf(db, *date, origin, payer, taken);
            Params values{Value(*date),       Value(position),    payer,
                          work.get("予定額"), work.get("入金額"), work.get("残高")};
            if (stored) {
                values.push_back(Value(*stored));
                db.execute("update 入金予定表 set 日付 = ?, 行番号 = ?, 入金先名 = ?, 予定額 = ?, 入金額 = ?,"
                           " 残高 = ? where rowid = ?",
                           values);
                taken.insert(*stored);
            } else {
                db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                           " values (?, ?, ?, ?, ?, ?)",
                           values);
                taken.insert(db.connection().getLastInsertRowid());
            }

            // Usually the row was loaded from this very position. Leaving the work file untouched then
            // lets the save commit as a one-file unit, without the super-journal of a two-file commit.
            if (work.get("元行番号").toInt64() != position) {
                work.edit();
                work.set("元行番号", position);
                work.update();
            }
        }
        step(position);
        show(step.percent());
    }

    Calc残高(db, passFrom);
    tx.commit();
    show(100);
}

} // namespace schedule
