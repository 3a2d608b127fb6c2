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

// Runs a computation and reports any overflow inside it as AmountOutOfRange, the schedule's own range
// message. A Transaction opened inside `work` has already rolled back by the time the exception
// arrives here.
template <typename Work> auto guardRange(Work&& work)
{
    try {
        return work();
    } catch (const AmountOutOfRange&) {
        throw;
    } catch (const MoneyOverflow&) {
        throw AmountOutOfRange();
    }
}

// Balance of the last stored row dated before `day` (the latest date, then the highest 行番号);
// 0 when there is none or it has no balance.
Money readCarryForward(Database& db, const QDate& day);
// Balance of the very last stored row, later months included: 0 for an empty table, nothing when that
// row has no balance.
std::optional<Money> readLastBalance(Database& db);

// The first day of the latest month that holds a stored row; nothing while no row is stored (a first
// start, before anything was typed or imported).
std::optional<QDate> readLatestMonth(Database& db);
// The month to open on when today's holds no row: the latest month up to today's that holds rows (where
// data imported from earlier years ends), else the first later one (when only plans lie ahead); nothing
// while no row is stored.
std::optional<QDate> readMonthToShow(Database& db, const QDate& today);

// The balance rule, the one copy every pass uses (the grid's, the save's, the imports'): the balance
// before plus 予定額 minus 入金額, an empty amount counting as 0. Throws MoneyOverflow.
Money nextBalance(Money previous, const std::optional<Money>& planned, const std::optional<Money>& received);

struct GridPassResult
{
    std::vector<std::size_t> changed; // indexes whose 残高 was written, top down
    std::optional<Money> last;        // the balance at the end of the pass (num累計)
};

// The pass the grid runs after an amount edit, from row `current` down to the last row that holds data
// (schedule/row_content.h). Each row holding data gets the balance of the nearest row above it that
// holds data (`carry`, the screen's carry-forward, when there is none; 0 without one) plus its planned
// minus its received amount, an empty amount counting as 0; a blank row in between keeps a balance of 0.
// `last` is the balance the pass ends with: that of the last row holding data, or what the pass started
// from when none of its rows holds any. On AmountOutOfRange the rows are left untouched.
GridPassResult recomputeGridBalances(std::vector<WorkRow>& rows, std::size_t current,
                                     std::optional<Money> carry);

// Recomputes the stored balances from `from` to the end of all data, in date order, starting from the
// carry-forward stored before `from`; stops at the first row without a payer. All or nothing.
void recomputeBalances(Database& db, const QDate& from);

} // namespace schedule
