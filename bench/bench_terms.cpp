// The payment-terms engine on the sizes a busy user meets: a year of fixed monthly plans for 500 payers,
// and the due dates of 10,000 invoices. Both read the bank calendar for every row they date; the
// national holidays of a year are computed once per process, so the first iteration pays for them.
#include "bench/bench_programs.h"

#include "terms/due_dates.h"
#include "terms/recurring_rows.h"

#include <benchmark/benchmark.h>

namespace bench {

namespace {

constexpr int kPayers = 500;
constexpr int kInvoices = 10000;

const terms::HolidayShift kShifts[] = {terms::HolidayShift::Before, terms::HolidayShift::After,
                                       terms::HolidayShift::Keep};

terms::TermDay dayOf(int i)
{
    return i % 29 == 0 ? terms::TermDay::monthEnd() : terms::TermDay{i % 29};
}

// The bank closes a few days of its own besides the national holidays.
terms::BankCalendar bankCalendar()
{
    return terms::BankCalendar({QDate(2026, 4, 30), QDate(2026, 8, 14), QDate(2026, 12, 30),
                                QDate(2027, 8, 13), QDate(2027, 12, 30)});
}

std::vector<terms::PayerTerms> payersWithFixedAmounts()
{
    std::vector<terms::PayerTerms> payers;
    for (int i = 0; i < kPayers; ++i) {
        terms::PayerTerms payer{QStringLiteral("入金先%1").arg(i, 4, 10, QLatin1Char('0')), {}};
        payer.terms.定額 = Money::fromYen(1000 * (i + 1));
        if (i % 7 != 0)
            payer.terms.支払日 = dayOf(i);
        payer.terms.休日 = kShifts[i % 3];
        if (i % 4 == 1)
            payer.terms.定額開始 = terms::YearMonth{2026, 1 + i % 12};
        if (i % 5 == 2)
            payer.terms.定額終了 = terms::YearMonth{2026, 1 + i % 12};
        payers.push_back(payer);
    }
    return payers;
}

void BM_PlansOfAYear(benchmark::State& state)
{
    const std::vector<terms::PayerTerms> payers = payersWithFixedAmounts();
    const terms::BankCalendar calendar = bankCalendar();
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto plan = terms::recurringRows(payers, {2026, 1}, {2026, 12}, {}, calendar);
        rows = plan.size();
        benchmark::DoNotOptimize(plan.data());
    }
    state.counters["rows"] = double(rows);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(rows));
}

void BM_DueDates(benchmark::State& state)
{
    std::vector<terms::PaymentTerms> termsByPayer;
    for (int i = 0; i < 50; ++i) {
        terms::PaymentTerms terms;
        terms.締め日 = dayOf(i * 5);
        terms.支払月 = 1 + i % 3;
        terms.支払日 = dayOf(i * 11 + 3);
        terms.休日 = kShifts[i % 3];
        termsByPayer.push_back(terms);
    }
    std::vector<QDate> invoices;
    for (int i = 0; i < kInvoices; ++i)
        invoices.push_back(QDate(2026, 1, 1).addDays((i * 37) % 730));
    const terms::BankCalendar calendar = bankCalendar();
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (int i = 0; i < kInvoices; ++i)
            sum += terms::dueDate(invoices[std::size_t(i)],
                                  termsByPayer[std::size_t(i) % termsByPayer.size()], calendar)
                       ->toJulianDay();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kInvoices);
}

} // namespace

void registerTermsBenchmarks()
{
    benchmark::RegisterBenchmark("Terms/PlansOfAYear/payers:500", BM_PlansOfAYear)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Terms/DueDates/invoices:10000", BM_DueDates)->Unit(benchmark::kMillisecond);
}

} // namespace bench
