#pragma once

// The columns of the schedule grid by index, as the working table InpWork lays them out.
namespace schedule_columns {
enum : int {
    k行番号 = 0,
    k元行番号 = 1,
    k表示日付 = 2, // the day, the only date the grid shows
    k日付 = 3,     // the full date, hidden
    k入金先名 = 4,
    k予定額 = 5,
    k入金額 = 6,
    k残高 = 7, // shown under "総　額"
};
} // namespace schedule_columns
