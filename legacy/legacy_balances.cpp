#include "legacy/legacy_balances.h"

#include "schedule/balances.h"
#include "schedule/row_content.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace legacy {

int settleBalances(std::vector<LegacyRow>& rows, const std::vector<bool>& skip, std::size_t* overflowRow)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!skip[i])
            order.push_back(i);
    }
    // Rows of the same day and number stay in the order the file keeps them, as the stored passes
    // meet them.
    std::stable_sort(order.begin(), order.end(), [&rows](std::size_t a, std::size_t b) {
        return std::tie(rows[a].日付, rows[a].行番号) < std::tie(rows[b].日付, rows[b].行番号);
    });
    std::vector<std::pair<std::size_t, std::optional<Money>>> rule;
    rule.reserve(order.size());
    Money running;
    for (const std::size_t i : order) {
        const LegacyRow& row = rows[i];
        if (!schedule::hasPayer(row.入金先名))
            break;
        try {
            running = schedule::nextBalance(running, row.予定額, row.入金額);
        } catch (const MoneyOverflow&) {
            if (overflowRow)
                *overflowRow = i;
            throw;
        }
        rule.emplace_back(i, running);
    }
    int changed = 0;
    for (const auto& [i, balance] : rule) {
        if (rows[i].残高 != balance)
            ++changed;
    }
    // Nothing disagreed: every stored value stays exactly as it was.
    if (changed > 0) {
        for (const auto& [i, balance] : rule)
            rows[i].残高 = balance;
    }
    return changed;
}

} // namespace legacy
