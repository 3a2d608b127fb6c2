#pragma once

#include "common/money.h"

#include <QDate>

#include <optional>

class Database;

namespace schedule {

enum class InsertResult { Inserted, NoCurrentRow, NoRoom };

// Opens a blank row above the working row numbered `current` and renumbers the set 1..n. A full set
// pushes its last row out, which is refused when that row holds anything (a payer, a date or an amount)
// so that no typed figure is lost. Recomputes nothing.
InsertResult InsertLine(Database& db, int current);

struct DeleteResult
{
    bool storedRowDeleted = false;
    Money 累計; // the running value at the end of the working set
    Money 予定額月計;
    Money 入金額月計;
};

// Removes the working row numbered `current` and, when it has a date and a payer, the stored row with
// that date, its 元行番号 and that payer; recomputes the stored balances after the nearest earlier stored
// row, then the working set's balances from `carry` and the two month totals. One transaction.
DeleteResult LineDelete(Database& db, int current, Money carry);

} // namespace schedule
