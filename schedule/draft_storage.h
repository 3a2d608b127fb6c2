#pragma once

// How the draft keeps its rows in the work file, shared by its edits and its save.
#include "common/money.h"
#include "schedule/working_set.h"
#include "storage/database.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace schedule::draft_storage {

// A blank working row: amounts 0, nothing else.
WorkRow blankRow(int number, int origin);
// Gives the rows their grid numbers 1, 2, … in order.
void renumber(std::vector<WorkRow>& rows);
// The values of a working row for the update by 行番号 (its number last).
Params workRowParams(const WorkRow& row);
// Writes one working row over the row of InpWork with its 行番号.
void updateWorkRow(Database& db, const WorkRow& row);
// Adds one working row to InpWork.
void insertWorkRow(Database& db, const WorkRow& row);
// Replaces every row of InpWork.
void rewriteWorkRows(Database& db, const std::vector<WorkRow>& rows);
// The draft's month, whether it differs from the store and 累計, as the next start reads them.
void writeDraftState(Database& db, const QDate& month, bool dirty, const std::optional<Money>& cumulative);
std::optional<QString> textOrNothing(const Value& value);
// The first and the last day of the month of `month`, as the values a select of its rows binds.
Params monthDays(const QDate& month);
// The first day of the month of `month`; invalid for an invalid date.
QDate firstDay(const QDate& month);
void report(const std::function<void(int)>& progress, int percent);

} // namespace schedule::draft_storage
