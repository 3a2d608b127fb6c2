#include "schedule/working_set.h"

#include "storage/database.h"
#include "storage/inp_work_layout.h"
#include "storage/rowset.h"

namespace schedule {

namespace {

std::optional<QString> textOrNothing(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
}

// The position of an InpWork column in a select of the layout's columns.
constexpr int at(std::string_view name)
{
    return int(inpWorkColumnIndex(name));
}

} // namespace

std::vector<WorkRow> readWorkRows(Database& db)
{
    static const std::string select = "select " + inpWorkColumnNames() + " from InpWork order by 行番号";
    std::vector<WorkRow> rows;
    RowWalk set(db, select);
    while (set.next()) {
        WorkRow row;
        row.行番号 = int(set.value(at("行番号")).toInt64().value_or(0));
        row.元行番号 = int(set.value(at("元行番号")).toInt64().value_or(0));
        row.表示日付 = set.value(at("表示日付")).toText();
        row.日付 = set.value(at("日付")).toDate();
        row.入金先名 = textOrNothing(set.value(at("入金先名")));
        row.予定額 = set.value(at("予定額")).toMoney();
        row.入金額 = set.value(at("入金額")).toMoney();
        row.残高 = set.value(at("残高")).toMoney();
        row.storedRowId = set.value(at("StoredRowId")).toInt64();
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace schedule
