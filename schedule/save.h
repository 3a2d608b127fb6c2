#pragma once

#include <QDate>

#include <functional>
#include <optional>

class Database;

namespace schedule {

// The 行番号 of the first working row that has a payer but no valid date, which the save refuses to
// drop silently; nullopt when every such row is complete.
std::optional<int> firstRowWithoutDate(Database& db);

// Stores every working row that has a payer into 入金予定表, matched by date and payer, numbered by its
// position in the walk, then recomputes the stored balances from the first day of the month on. One
// transaction: a failure leaves both files as they were. Afterwards each stored working row's 元行番号 is
// the 行番号 it was stored under, so that deleting it before the next load finds the stored row.
// `progress` gets the bar's percentage: 10 before the first row, StepProgress's after each row.
void Entry入金予定表(Database& db, const QDate& month, const std::function<void(int)>& progress = {});

} // namespace schedule
