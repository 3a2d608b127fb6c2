#include "schedule/working_set.h"

#include "storage/database.h"
#include "storage/rowset.h"

namespace schedule {

namespace {

std::optional<QString> textOrNothing(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
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
        row.storedRowId = set.get("StoredRowId").toInt64();
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace schedule
