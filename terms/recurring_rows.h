#pragma once

#include "terms/bank_calendar.h"
#include "terms/payment_terms.h"

#include <QSet>
#include <QString>

#include <vector>

// The planned rows of fixed monthly amounts: one row a month for each payer whose 定額 is in force in
// that month, dated on its 支払日 moved off a closed bank day as its 休日 says.
namespace terms {

struct PayerTerms
{
    QString name;
    PaymentTerms terms;
};

// What the caller records for each row it made: the payer and the month the row plans, not the row
// itself. A made row that the user later moves, changes or deletes keeps its key, so the month is not
// planned again.
struct PlanKey
{
    QString payer;
    YearMonth month;
    friend bool operator==(const PlanKey&, const PlanKey&) = default;
};
size_t qHash(const PlanKey& key, size_t seed = 0);

struct PlannedRow
{
    QDate date;
    QString payer;
    Money amount;
    YearMonth month; // the month planned, which a date moved to the previous business day may leave
    PlanKey key() const { return {payer, month}; }
    friend bool operator==(const PlannedRow&, const PlannedRow&) = default;
};

// The rows to make for the months from..to (both included) that `made` does not hold yet, in date order
// (then month, then payer). A payer with 定額 but no 支払日 is planned on the month's last day, the day
// most such contracts name. Payers without a name, and a name's second and later entries, get nothing.
std::vector<PlannedRow> recurringRows(const std::vector<PayerTerms>& payers, YearMonth from, YearMonth to,
                                      const QSet<PlanKey>& made, const BankCalendar& calendar);

} // namespace terms
