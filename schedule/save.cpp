#include "schedule/save.h"

#include "common/progress.h"
#include "schedule/balances.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

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
            // The date is bound like the payer: one statement text serves every row of the walk.
            RowSet stored = db.openRowSet("select * from 入金予定表 where 日付 = ? and 入金先名 = ?",
                                          {Value(date), payer});
            if (stored.isEmpty())
                stored.addNew();
            else
                stored.edit();
            stored.set("日付", date);
            stored.set("行番号", position);
            stored.set("入金先名", payer);
            stored.set("予定額", work.get("予定額"));
            stored.set("入金額", work.get("入金額"));
            stored.set("残高", work.get("残高"));
            stored.update();

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
