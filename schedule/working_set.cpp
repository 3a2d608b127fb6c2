#include "schedule/working_set.h"

#include "common/dates.h"
#include "schedule/balances.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace schedule {

namespace {

std::optional<QString> textOrNothing(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
}

void report(const ProgressFn& progress, int percent)
{
    if (progress)
        progress(percent);
}

// Overwrites the first rows of the freshly cleared working set with the stored rows, in the order the
// store returns them; returns how many rows the month holds in storage.
int copyStoredMonth(Database& db, const MonthRange& range)
{
    RowSet target = db.openTable("InpWork", "order by 行番号");
    // Bound, the month's two days leave one statement for every month visited.
    // One date's rows in row-number order, as they were entered.
    RowSet source =
        db.openRowSet("select * from 入金予定表 where 日付 >= ? and 日付 <= ? order by 日付, 行番号",
                      {Value(parseDateText(range.first)), Value(parseDateText(range.last))});
    target.moveFirst();
    for (source.moveFirst(); !source.atEnd() && !target.atEnd(); source.moveNext(), target.moveNext()) {
        const Value date = source.get("日付");
        target.edit();
        target.set("日付", date);
        target.set("元行番号", source.get("行番号"));
        target.set("表示日付", date.toDate() ? Value(toTwoDigitDay(*date.toDate())) : Value());
        target.set("入金先名", source.get("入金先名"));
        target.set("予定額", source.get("予定額"));
        target.set("入金額", source.get("入金額"));
        target.set("残高", source.get("残高"));
        target.update();
    }
    return int(source.size());
}

} // namespace

std::vector<WorkRow> readWorkRows(Database& db)
{
    std::vector<WorkRow> rows;
    RowSet set = db.openRowSet("select * from InpWork order by 行番号");
    rows.reserve(set.size());
    for (set.moveFirst(); !set.atEnd(); set.moveNext()) {
        WorkRow row;
        row.行番号 = int(set.get("行番号").toInt64().value_or(0));
        row.元行番号 = int(set.get("元行番号").toInt64().value_or(0));
        row.表示日付 = set.get("表示日付").toText();
        row.日付 = set.get("日付").toDate();
        row.入金先名 = textOrNothing(set.get("入金先名"));
        row.予定額 = set.get("予定額").toMoney();
        row.入金額 = set.get("入金額").toMoney();
        row.残高 = set.get("残高").toMoney();
        rows.push_back(std::move(row));
    }
    return rows;
}

void ClearInpWork(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from InpWork");
    for (int i = 1; i <= kWorkRowCount; ++i)
        db.execute("insert into InpWork (行番号, 元行番号) values (?, ?)", {Value(i), Value(i)});
    transaction.commit();
}

std::optional<MonthLoad> Read入金予定(Database& db, const QDate& month, const ProgressFn& progress)
{
    if (!month.isValid())
        return std::nullopt;
    const std::optional<MonthRange> range = GetMonthRange(toSlashDate(month));
    if (!range)
        return std::nullopt;

    MonthLoad load;
    Transaction transaction(db);
    report(progress, 10);
    ClearInpWork(db);
    report(progress, 30);
    load.storedRows = copyStoredMonth(db, *range);
    load.truncated = load.storedRows > kWorkRowCount;
    report(progress, 90);
    load.予定額月計 = Calc入金予定額(db);
    load.入金額月計 = Calc入金額(db);
    load.繰越額 = Get繰越額(db, month.addDays(1 - month.day()));
    load.累計 = Get累計額(db);
    transaction.commit();
    report(progress, 100);
    return load;
}

} // namespace schedule
