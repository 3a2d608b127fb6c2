#include "schedule/save.h"

#include "common/progress.h"
#include "schedule/balances.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <cstdint>
#include <optional>

namespace schedule {

namespace {

// A payer cell emptied in the grid may hold empty text rather than nothing; neither is a payer.
bool hasPayer(const Value& payer)
{
    return !payer.isNull() && !payer.toText().isEmpty();
}

} // namespace

std::optional<int> firstRowWithoutDate(Database& db)
{
    RowSet rows = db.openRowSet("select * from InpWork order by 行番号;");
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

    RowSet work = db.openRowSet("select * from InpWork order by 行番号;");
    int position = 1;
    for (; !work.atEnd(); work.moveNext(), ++position) {
        const Value payer = work.get("入金先名");
        if (hasPayer(payer)) {
            const QDate date = *work.get("日付").toDate(); // refused beforehand when missing
            // The stored row is matched by date and payer; the first match is the one rewritten.
            // Both are bound, so one statement text serves every row of the walk, and only the row id
            // is read back: a month of lookups costs no more than the store itself.
            const std::optional<std::int64_t> stored =
                db.readFirst("select rowid from 入金予定表 where 日付 = ? and 入金先名 = ?",
                             {Value(date), payer})
                    .toInt64();
            Params values{Value(date),        Value(position),    payer,
                          work.get("予定額"), work.get("入金額"), work.get("残高")};
            if (stored) {
                values.push_back(Value(*stored));
                db.execute("update 入金予定表 set 日付 = ?, 行番号 = ?, 入金先名 = ?, 予定額 = ?, 入金額 = ?,"
                           " 残高 = ? where rowid = ?",
                           values);
            } else {
                db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                           " values (?, ?, ?, ?, ?, ?)",
                           values);
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

    Calc残高(db, QDate(month.year(), month.month(), 1));
    tx.commit();
    show(100);
}

} // namespace schedule
