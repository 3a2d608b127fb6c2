#pragma once

#include "common/money.h"
#include "schedule/working_set.h"

#include <QDate>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

class Database;

namespace schedule {

// A total or a balance would leave the currency range. The operation stopped before storing anything;
// the window shows userMessage().
class AmountOutOfRange : public MoneyOverflow
{
public:
    QString userMessage() const;
};

// Balance of the last stored row dated before `day` (the latest date, then the highest 行番号);
// 0 when there is none or it has no balance.
Money Get繰越額(Database& db, const QDate& day);
// Balance of the very last stored row, later months included: 0 for an empty table, nothing when that
// row has no balance.
std::optional<Money> Get累計額(Database& db);

// Month totals over the whole working set; 0 when there is nothing to add.
Money Calc入金予定額(Database& db);
Money Calc入金額(Database& db);

struct GridPassResult
{
    std::vector<std::size_t> changed; // indexes whose 残高 was written, top down
    std::optional<Money> last;        // the balance of the last row written (num累計)
};

// The pass the grid runs after an amount edit, from row `current` downwards: the first grid row starts
// from `carry` (the screen's carry-forward; nothing keeps the previous value), every other row from the
// balance of the row above. An empty amount or an empty balance above keeps the value in force before.
// The pass ends at the end of the grid or before a row whose two amounts are 0 (or not numbers).
// On AmountOutOfRange the rows are left untouched.
GridPassResult Calc行残高(std::vector<WorkRow>& rows, std::size_t current, std::optional<Money> carry);

// Recomputes 残高 of every working row that has a date and a payer, starting from `carry`; the others
// are skipped and do not break the chain. Returns the final running value (num累計).
Money ReCalc残高(Database& db, Money carry);

// Recomputes the stored balances from `from` to the end of all data, in date order, starting from the
// carry-forward stored before `from`; stops at the first row without a payer. All or nothing.
void Calc残高(Database& db, const QDate& from);

// Recomputes the stored balances after a deletion. With an anchor row number, the rows after the
// anchor (date d, 行番号 n or more on day d, then later days) continue from the anchor's stored
// balance; without one (nothing stored before d), every row from d on is recomputed from 0. Stops at
// the first row without a payer. All or nothing.
void Calc残高for削除(Database& db, const QDate& d, std::optional<int> n);

} // namespace schedule
