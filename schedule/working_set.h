#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>

#include <cstdint>

#include <functional>
#include <optional>
#include <vector>

class Database;

namespace schedule {

// The grid always offers this many rows, whatever the month holds.
inline constexpr int kWorkRowCount = 200;

// One row of InpWork. A blank row has only its two numbers, amounts 0 and nothing else.
struct WorkRow
{
    int 行番号 = 0;
    int 元行番号 = 0;
    QString 表示日付; // "05"; empty when the row has no day
    std::optional<QDate> 日付;
    std::optional<QString> 入金先名;
    std::optional<Money> 予定額;
    std::optional<Money> 入金額;
    std::optional<Money> 残高;
    std::optional<std::int64_t> storedRowId; // the stored row it was loaded from or saved as

    friend bool operator==(const WorkRow&, const WorkRow&) = default;
};

// The working set as InpWork holds it, in grid order (ascending 行番号).
std::vector<WorkRow> readWorkRows(Database& db);

// What the screen shows beside the grid after a load.
struct MonthLoad
{
    Money 繰越額;
    Money 予定額月計;
    Money 入金額月計;
    std::optional<Money> 累計; // empty when the last stored row has no balance
    int storedRows = 0;        // rows stored for the month, shown or not
    bool truncated = false;    // more than 200: the rows after the 200th are kept but not shown
};

// Called with 10, 30, 90 and 100 as the load advances.
using ProgressFn = std::function<void(int percent)>;

} // namespace schedule
