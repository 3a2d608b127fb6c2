#pragma once

#include "schedule/working_set.h"

#include <QString>

#include <optional>
#include <vector>

class Value;

namespace schedule {

// The one test of "the row has a payer", wherever the payer comes from: a payer cell emptied in the
// grid may keep empty text rather than nothing, and neither is a payer.
bool hasPayer(const std::optional<QString>& payer);
bool hasPayer(const Value& payerCell);
bool hasPayer(const WorkRow& row);

// What a working row holds, as the grid shows it: a day in the day cell, a payer or an amount other
// than 0. A row holding none of these is a blank row.
bool holdsData(const WorkRow& row);

// The 行番号 of the rows the save would leave out although they hold something: a day or an amount,
// but no payer. Blank rows are not among them.
std::vector<int> rowsWithoutPayer(const std::vector<WorkRow>& rows);

} // namespace schedule
