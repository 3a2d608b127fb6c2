#pragma once

#include "schedule/draft.h"

// The columns of the schedule grid by index: those of the working table InpWork, which the draft lays
// out once.
namespace schedule_columns {
using schedule::k予定額;
using schedule::k元行番号;
using schedule::k入金先名;
using schedule::k入金額;
using schedule::k日付;
using schedule::k残高;
using schedule::k行番号;
using schedule::k表示日付;
} // namespace schedule_columns
