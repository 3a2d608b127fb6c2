#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Database;

// What is still to be received: the open rows up to a date across all months, their totals by payer,
// what is past due today, and the twelve-month outlook. A missing amount counts as 0, so a planned row
// with nothing entered as received is open; a row without a payer is nobody's debt and never open.
namespace schedule {

// Whether a row still waits for money: it has a payer and receives less than it plans.
bool hasOpenAmount(const std::optional<QString>& payer, const std::optional<Money>& planned,
                   const std::optional<Money>& received);
// An open row dated before `today`: the grid marks it, the schedule page counts it. A row dated today
// is due, not overdue.
bool isOverdue(const std::optional<QDate>& date, const std::optional<QString>& payer,
               const std::optional<Money>& planned, const std::optional<Money>& received, const QDate& today);

// One stored row with an open amount.
struct OpenRow
{
    QDate 日付;
    int 行番号 = 0;
    QString 入金先名;
    Money 予定額;
    Money 入金額;

    Money 未入金額() const { return 予定額 - 入金額; }
    // Days from the row's date to `asOf` (0 on the day itself).
    qint64 経過日数(const QDate& asOf) const { return 日付.daysTo(asOf); }

    friend bool operator==(const OpenRow&, const OpenRow&) = default;
};

// Every stored row with an open amount dated on or before `upTo`, by date and then 行番号. One walk of
// the (日付, 行番号) index up to the date; nothing after it is read. Throws StorageError.
std::vector<OpenRow> readOpenRows(Database& db, const QDate& upTo);

// The rows of one payer; an empty name keeps them all.
std::vector<OpenRow> rowsOfPayer(const std::vector<OpenRow>& rows, const QString& payer);
// The payers with an open row, each once, in name order.
QStringList payersOf(const std::vector<OpenRow>& rows);

struct OpenTotals
{
    int 件数 = 0;
    Money 合計; // the sum of the open amounts; MoneyOverflow when it leaves the currency range

    friend bool operator==(const OpenTotals&, const OpenTotals&) = default;
};
OpenTotals totalsOf(const std::vector<OpenRow>& rows);

struct PayerOpen
{
    QString 入金先名;
    int 件数 = 0;
    Money 未入金額;
    QDate 最古の日付;

    friend bool operator==(const PayerOpen&, const PayerOpen&) = default;
};
// One line per payer, the largest open sum first (equal sums by name).
std::vector<PayerOpen> totalsByPayer(const std::vector<OpenRow>& rows);

// The open rows dated before `today`, from storage.
OpenTotals readPastDue(Database& db, const QDate& today);
// The same from rows already read, which must reach at least the day before `today`.
OpenTotals pastDueOf(const std::vector<OpenRow>& rows, const QDate& today);

// One month of the outlook.
struct MonthOutlook
{
    QDate month; // its first day
    Money 予定額;
    Money 入金額;
    // The balance of the month's last stored row, or the carry-forward when the month has none.
    Money 月末残高;

    friend bool operator==(const MonthOutlook&, const MonthOutlook&) = default;
};
inline constexpr int kOutlookMonthsBefore = 5;
inline constexpr int kOutlookMonthsAfter = 6;
// The twelve months from five before the month of `around` to six after, oldest first. A missing
// amount or balance counts as 0, as in the month totals and the carry-forward. Throws StorageError,
// and AmountOutOfRange when a month's total leaves the currency range.
std::vector<MonthOutlook> readOutlook(Database& db, const QDate& around);

} // namespace schedule
