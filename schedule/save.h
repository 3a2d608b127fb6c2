#pragma once

#include <QDate>

#include <functional>
#include <optional>

class Database;

namespace schedule {

// The 行番号 of the first working row that has a payer but no valid date, which the save refuses to
// drop silently; nullopt when every such row is complete.
std::optional<int> firstRowWithoutDate(Database& db);

// Stores every working row that has a payer into 入金予定表, numbered by its position in the walk. A
// working row rewrites the stored row it was loaded from (same date, payer and 行番号 = its 元行番号),
// each stored row at most once per save; a row that matches none, a row whose day or payer changed
// among them, is added and the old stored row stays. Then the stored balances are recomputed from the
// first day of `month` (any day of it), or from an earlier saved date, on. One transaction: a failure
// leaves both files as they were. A row with a payer but no date is refused with StorageError, and
// nothing is kept. Afterwards each stored working row's 元行番号 is the 行番号 it was stored under, so
// that the next save and a deletion before the next load find the stored row.
// `progress` gets the bar's percentage: 10 before the first row, StepProgress's after each row.
void Entry入金予定表(Database& db, const QDate& month, const std::function<void(int)>& progress = {});

} // namespace schedule
