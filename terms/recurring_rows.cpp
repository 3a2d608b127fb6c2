#include "terms/recurring_rows.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace terms {

size_t qHash(const PlanKey& key, size_t seed)
{
    return qHashMulti(seed, key.payer, key.month.index());
}

std::vector<PlannedRow> recurringRows(const std::vector<PayerTerms>& payers, YearMonth from, YearMonth to,
                                      const QSet<PlanKey>& made, const BankCalendar& calendar)
{
    std::vector<PlannedRow> rows;
    QSet<QString> seen;
    for (const PayerTerms& payer : payers) {
        if (payer.name.isEmpty() || !payer.terms.定額 || seen.contains(payer.name))
            continue;
        seen.insert(payer.name);
        const TermDay day = payer.terms.支払日.value_or(TermDay::monthEnd());
        for (int index = from.index(); index <= to.index(); ++index) {
            const YearMonth month = YearMonth::fromIndex(index);
            if (!payer.terms.fixedAmountInForce(month) || made.contains(PlanKey{payer.name, month}))
                continue;
            const QDate date = calendar.shifted(day.in(month.year, month.month), payer.terms.holidayShift());
            rows.push_back({date, payer.name, *payer.terms.定額, month});
        }
    }
    std::sort(rows.begin(), rows.end(), [](const PlannedRow& a, const PlannedRow& b) {
        return std::tuple(a.date, a.month.index(), a.payer) < std::tuple(b.date, b.month.index(), b.payer);
    });
    return rows;
}

} // namespace terms
