#pragma once

#include "schedule/working_set.h"

#include <vector>

namespace schedule {

// What a working row holds, as the grid shows it: a day in the day cell, a payer (empty text is none)
// or an amount other than 0. A row holding none of these is a blank row.
bool hasPayer(const WorkRow& row);
bool holdsData(const WorkRow& row);

// The 行番号 of the rows the save would leave out although they hold something: a day or an amount,
// but no payer. Blank rows are not among them.
std::vector<int> rowsWithoutPayer(const std::vector<WorkRow>& rows);

} // namespace schedule
