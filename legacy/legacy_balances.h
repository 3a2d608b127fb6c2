#pragma once

#include "legacy/legacy_data.h"

#include <cstddef>
#include <vector>

namespace legacy {

// The balance rule of the stored passes over rows in date and row-number order from the first row and
// from 0: each row with a payer gets the previous balance plus 予定額 minus 入金額 (schedule::nextBalance,
// an empty amount counting as 0); the walk ends at the first row without
// a payer. Rows marked in `skip` are left out. When any balance disagrees, all are set to the rule's
// values. Returns how many changed; throws MoneyOverflow at the row (index into `rows`) given in
// `overflowRow` when a balance leaves the currency range, changing nothing.
int settleBalances(std::vector<LegacyRow>& rows, const std::vector<bool>& skip, std::size_t* overflowRow);

} // namespace legacy
