#include "schedule/balances.h"

#include "schedule/row_content.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <string>

namespace schedule {

QString AmountOutOfRange::userMessage() const
{
    return QStringLiteral("金額が扱える範囲を超えたため、計算を中止しました。データは変更されていません。");
}

namespace {

// The stored passes walk every row to the end of all data, far more than a month holds: they step
// through the select and write each balance back by row id as they go, instead of first holding every
// later row in memory. The balance is in no index, so writing it leaves the walk's order alone.
class StoredWalk
{
public:
    // `select` yields the row id, the payer, the two amounts and the balance, in this order.
    StoredWalk(Database& db, const std::string& select, const Params& params = {})
        : m_walk(db, select, params), m_update(db, "UPDATE 入金予定表 SET \"残高\" = ? WHERE rowid = ?")
    {
    }

    bool next() { return m_walk.next(); }
    // A payer cell may hold empty text rather than nothing; neither is a payer.
    bool hasPayer() { return !m_walk.text(1).empty(); }
    std::optional<Money> planned() { return m_walk.value(2).toMoney(); }
    std::optional<Money> received() { return m_walk.value(3).toMoney(); }
    void writeBalance(const std::optional<Money>& balance)
    {
        m_update.run({Value(balance), Value(m_walk.integer(0))});
    }

private:
    RowWalk m_walk;
    RepeatedWrite m_update;
};

} // namespace

Money nextBalance(Money previous, const std::optional<Money>& planned, const std::optional<Money>& received)
{
    return previous + planned.value_or(Money()) - received.value_or(Money());
}

Money readCarryForward(Database& db, const QDate& day)
{
    // The day is bound, so one statement serves every month visited.
    RowSet last = db.openRowSet(
        "select * from 入金予定表 where 日付 < ? order by 日付 desc, 行番号 desc limit 1", {Value(day)});
    if (last.isEmpty())
        return Money();
    last.moveFirst();
    return last.get("残高").toMoney().value_or(Money());
}

std::optional<Money> readLastBalance(Database& db)
{
    RowSet last = db.openRowSet("select * from 入金予定表 order by 日付 desc, 行番号 desc limit 1");
    if (last.isEmpty())
        return Money();
    last.moveFirst();
    return last.get("残高").toMoney();
}

std::optional<QDate> readLatestMonth(Database& db)
{
    const std::optional<QDate> last =
        db.readFirst("select 日付 from 入金予定表 where 日付 is not null order by 日付 desc limit 1")
            .toDate();
    if (!last)
        return std::nullopt;
    return QDate(last->year(), last->month(), 1);
}

std::optional<QDate> readMonthToShow(Database& db, const QDate& today)
{
    const QDate monthEnd(today.year(), today.month(), today.daysInMonth());
    // Both look-ups walk the date index from one end: no scan of the history.
    std::optional<QDate> day =
        db.readFirst("select 日付 from 入金予定表 where 日付 <= ? order by 日付 desc limit 1",
                     {Value(monthEnd)})
            .toDate();
    if (!day)
        day = db.readFirst("select 日付 from 入金予定表 where 日付 > ? order by 日付 limit 1",
                           {Value(monthEnd)})
                  .toDate();
    if (!day)
        return std::nullopt;
    return QDate(day->year(), day->month(), 1);
}

GridPassResult recomputeGridBalances(std::vector<WorkRow>& rows, std::size_t current,
                                     std::optional<Money> carry)
{
    if (current >= rows.size())
        return {};
    return guardRange([&] {
        // The chain goes on from the nearest row above that holds data, as it stands, or from the
        // carry-forward when there is none: blank rows in between do not start it again from 0.
        Money running = carry.value_or(Money());
        for (std::size_t i = current; i-- > 0;) {
            if (holdsData(rows[i])) {
                running = rows[i].残高.value_or(Money());
                break;
            }
        }
        // The pass reaches down to the last row holding data, across any blank rows.
        std::size_t end = current + 1;
        for (std::size_t i = rows.size(); i > current + 1; --i) {
            if (holdsData(rows[i - 1])) {
                end = i;
                break;
            }
        }
        std::vector<std::pair<std::size_t, Money>> written;
        for (std::size_t i = current; i < end; ++i) {
            if (holdsData(rows[i])) {
                running = nextBalance(running, rows[i].予定額, rows[i].入金額);
                written.emplace_back(i, running);
            } else if (rows[i].残高 != Money()) {
                // A row emptied by the user loses the balance it had.
                written.emplace_back(i, Money());
            }
        }
        // Only now that nothing can overflow any more are the rows touched.
        GridPassResult result;
        for (const auto& [i, balance] : written) {
            rows[i].残高 = balance;
            result.changed.push_back(i);
        }
        result.last = running;
        return result;
    });
}

void recomputeBalances(Database& db, const QDate& from)
{
    if (!from.isValid())
        return;
    guardRange([&] {
        Transaction transaction(db);
        // The carry comes from storage, not from the screen: a screen cleared since the load shows no
        // carry, and chaining from 0 would corrupt this month and every later one.
        Money running = readCarryForward(db, from);
        {
            StoredWalk walk(db,
                            "select rowid, 入金先名, 予定額, 入金額, 残高 from 入金予定表 where 日付 >= ? "
                            "order by 日付, 行番号",
                            {Value(from)});
            while (walk.next()) {
                if (!walk.hasPayer())
                    break;
                running = nextBalance(running, walk.planned(), walk.received());
                walk.writeBalance(running);
            }
        }
        transaction.commit();
    });
}

} // namespace schedule
