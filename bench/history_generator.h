#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class Database;

// A long, realistic stored history for measuring the program and for checking what a measured operation
// leaves behind: full months of 200 rows (the most a month shows), several rows on most days, a few
// hundred payers among a master of thousands of names, and every stored balance obeying the balance rule
// over all of history (date, then 行番号 order).
namespace bench {

inline constexpr int kDefaultRows = 50000;
inline constexpr int kRowsPerMonth = 200;
inline constexpr int kPayersInUse = 300;
inline constexpr int kMasterNames = 5000;
// Twenty years of full months put the tenth year in the middle; shorter histories use their middle month.
inline constexpr int kTestMonthIndex = 9 * 12 + 6;

struct HistoryShape
{
    int rows = kDefaultRows;
    // The month every benchmark works on, anchored so that it is full and lies in year 10 of the history
    // (or in the middle of a history shorter than twenty years). Its first day.
    QDate testMonth;
    std::uint32_t seed = 20050401;
};

// Where the months of a history fall.
struct HistoryLayout
{
    QDate firstMonth; // first day of the first month
    int months = 0;   // every one full but possibly the last
    int testIndex = 0;
    QDate testMonth() const { return firstMonth.addMonths(testIndex); }
    QDate lastMonth() const { return firstMonth.addMonths(months - 1); }
};
HistoryLayout layoutOf(const HistoryShape& shape);

// The names of the payer master, the first kPayersInUse being the payers of the schedule rows.
QStringList payerNames(int count = kMasterNames);

// Fills the schedule, the payer master and the settings row of an open, empty data folder through the
// program's own store, in one transaction.
void generateHistory(Database& db, const HistoryShape& shape);

// A generated folder kept under cacheRoot for these rows and this test month, made on first use (into a
// scratch folder renamed when complete, so an interrupted run leaves no half-made history). Returns the
// folder with a trailing separator. Throws std::runtime_error when it cannot be made.
QString cachedHistory(const QString& cacheRoot, const HistoryShape& shape);

// Walks every stored row in date, then 行番号 order from a balance of 0 and checks that each balance is
// the previous one plus 予定額 minus 入金額.
struct BalanceCheck
{
    std::int64_t rows = 0;
    std::optional<std::int64_t> firstFault; // 0-based position of the first row that breaks the rule
    QString fault;                          // that row, readable
    bool ok() const { return !firstFault; }
};
BalanceCheck checkBalanceRule(Database& db);

} // namespace bench
