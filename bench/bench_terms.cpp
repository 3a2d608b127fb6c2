// The payment-terms engine on the sizes a busy user meets: a year of fixed monthly plans for 500 payers,
// and the due dates of 10,000 invoices. Both read the bank calendar for every row they date; the
// national holidays of a year are computed once per process, so the first iteration pays for them.
// Then the same plans through the store, on the generated histories: the master read, the rows planned,
// stored with their record and the balance pass, beside the floor of writing the same rows directly.
#include "bench/bench_programs.h"
#include "bench/bench_support.h"

#include "storage/transaction.h"
#include "terms/due_dates.h"
#include "terms/recurring_rows.h"
#include "terms/terms_store.h"

#include <QDir>
#include <QFileInfo>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

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

// A history of `rows` stored rows that ends before the months planned, as a user's does: the plans lie
// ahead of everything stored, so their balance pass covers only themselves. The generated histories
// of the other benchmarks run two centuries ahead of their test month (full months of 200 rows), where
// any write near the present rewrites every balance after it, like a save. Twenty years before 2027,
// several hundred rows a day, balances by the rule; made once and kept in the cache.
QString pastHistory(int rows)
{
    const QString folder = QDir(cacheRoot()).filePath(QStringLiteral("terms-past-%1/").arg(rows));
    if (QFileInfo::exists(folder + QStringLiteral("Dorivan.mdb")))
        return folder;
    const QString scratch = QDir(cacheRoot()).filePath(QStringLiteral("terms-past-%1.partial/").arg(rows));
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    {
        auto db = Database::open(scratch + QStringLiteral("Dorivan.mdb"),
                                 scratch + QStringLiteral("DorivanWork.mdb"));
        Transaction transaction(*db);
        RepeatedWrite insert(*db, "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                                  " values (?, ?, ?, ?, ?, ?)");
        const QDate first(2007, 1, 1);
        const int days = int(first.daysTo(QDate(2026, 12, 31))) + 1;
        Money balance;
        int number = 0;
        QDate month;
        for (int i = 0; i < rows; ++i) {
            const QDate date = first.addDays(std::int64_t(i) * days / rows);
            if (date.month() != month.month() || date.year() != month.year()) {
                month = date;
                number = 0;
            }
            const Money planned = Money::fromYen(1000 + (i * 7919) % 90000);
            const Money received = i % 5 == 0 ? Money() : planned;
            balance = balance + planned - received;
            insert.run({Value(date), Value(++number),
                        Value(QStringLiteral("入金先%1").arg(i % 300, 4, 10, QLatin1Char('0'))),
                        Value(planned), Value(received), Value(balance)});
        }
        transaction.commit();
    }
    QDir(folder).removeRecursively();
    QDir().rename(QDir(scratch).absolutePath(), QDir(folder).absolutePath());
    return folder;
}

// The 500 payers of the master given fixed amounts. Staggered, each is in force for four months of
// the year after the history, so that no month passes the grid's 200 rows (500 x 4 / 12 = 167 a month);
// otherwise every payer is in force all year, which only a plan that is not stored may list.
terms::YearMonth prepareMaster(WorkingFolder& folder, bool staggered)
{
    Database& db = folder.db();
    const QDate last = db.readFirst("select max(日付) from 入金予定表").toDate().value_or(QDate(2026, 1, 1));
    // A row due on the 1st that 前 moves back lands in the month before: the plans start a month after
    // the last stored one, so that month is empty too.
    const terms::YearMonth first = terms::YearMonth::of(last).plusMonths(2);
    Transaction transaction(db);
    const std::vector<terms::PayerTerms> payers = payersWithFixedAmounts();
    for (int i = 0; i < int(payers.size()); ++i) {
        terms::PaymentTerms t = payers[std::size_t(i)].terms;
        t.締め日 = terms::TermDay::monthEnd();
        t.支払月 = 1;
        t.支払日 = t.支払日.value_or(terms::TermDay::monthEnd());
        t.定額開始 = staggered ? std::optional(first.plusMonths((i % 3) * 4)) : std::nullopt;
        t.定額終了 = staggered ? std::optional(first.plusMonths((i % 3) * 4 + 3)) : std::nullopt;
        Params values{Value(payers[std::size_t(i)].name)};
        for (const Value& v : terms::storedTermsValues(t))
            values.push_back(v);
        db.execute(std::string("insert into 入金先マスタ (入金先名, ") + terms::kTermsColumns +
                       ") values (?, ?, ?, ?, ?, ?, ?, ?)",
                   values);
    }
    transaction.commit();
    folder.keepAsSource();
    return first;
}

// A year of plans made and stored through the store, as 予定作成 and --plan-receipts do.
void BM_StorePlansOfAYear(benchmark::State& state)
{
    WorkingFolder folder(pastHistory(int(state.range(0))));
    const terms::YearMonth first = prepareMaster(folder, true);
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.restore();
        state.ResumeTiming();
        const std::vector<terms::PlannedRow> plan =
            terms::planReceipts(folder.db(), first, first.plusMonths(11));
        rows = std::size_t(terms::storePlannedRows(folder.db(), plan));
    }
    state.counters["rows"] = double(rows);
}

// The floor: the same rows, worked out beforehand, written straight into the table and the record
// with their balances (they are the last rows of all data) in one transaction on a plain connection.
void BM_Floor_StorePlans(benchmark::State& state)
{
    WorkingFolder folder(pastHistory(int(state.range(0))));
    const terms::YearMonth first = prepareMaster(folder, true);
    const std::vector<terms::PlannedRow> plan = terms::planReceipts(folder.db(), first, first.plusMonths(11));
    for (auto _ : state) {
        state.PauseTiming();
        folder.restore();
        folder.close();
        {
            SQLite::Database plain(folder.permanentPath().toStdString(), SQLite::OPEN_READWRITE);
            state.ResumeTiming();
            SQLite::Transaction transaction(plain);
            SQLite::Statement last(plain,
                                   "SELECT 残高 FROM 入金予定表 ORDER BY 日付 DESC, 行番号 DESC LIMIT 1");
            std::int64_t balance = last.executeStep() ? last.getColumn(0).getInt64() : 0;
            SQLite::Statement row(plain, "INSERT INTO 入金予定表 (日付, 行番号, 入金先名, 予定額, 残高)"
                                         " VALUES (?, ?, ?, ?, ?)");
            SQLite::Statement made(plain, "INSERT INTO 定額予定記録 (入金先名, 年月) VALUES (?, ?)");
            int number = 0;
            int month = -1;
            for (const terms::PlannedRow& planned : plan) {
                if (terms::YearMonth::of(planned.date).index() != month) {
                    month = terms::YearMonth::of(planned.date).index();
                    number = 0;
                }
                balance += planned.amount.raw();
                row.bind(1, planned.date.toString(Qt::ISODate).toStdString());
                row.bind(2, ++number);
                row.bind(3, planned.payer.toStdString());
                row.bind(4, static_cast<int64_t>(planned.amount.raw()));
                row.bind(5, static_cast<int64_t>(balance));
                row.exec();
                row.reset();
                made.bind(1, planned.payer.toStdString());
                made.bind(2, QStringLiteral("%1-%2")
                                 .arg(planned.month.year)
                                 .arg(planned.month.month, 2, 10, QLatin1Char('0'))
                                 .toStdString());
                made.exec();
                made.reset();
            }
            transaction.commit();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = double(plan.size());
}

// The plan listed without storing (--dry-run, the list of 予定作成), every payer in force all year.
void BM_ListPlansOfAYear(benchmark::State& state)
{
    WorkingFolder folder(pastHistory(int(state.range(0))));
    const terms::YearMonth first = prepareMaster(folder, false);
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::vector<terms::PlannedRow> plan =
            terms::planReceipts(folder.db(), first, first.plusMonths(11));
        rows = plan.size();
        benchmark::DoNotOptimize(plan.data());
    }
    state.counters["rows"] = double(rows);
}

} // namespace

void registerTermsBenchmarks()
{
    benchmark::RegisterBenchmark("Terms/PlansOfAYear/payers:500", BM_PlansOfAYear)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Terms/DueDates/invoices:10000", BM_DueDates)->Unit(benchmark::kMillisecond);
    registerPerSize("Terms/StorePlansOfAYear/payers:500", BM_StorePlansOfAYear);
    registerPerSize("Floor/StorePlans", BM_Floor_StorePlans);
    registerPerSize("Terms/ListPlansOfAYear/payers:500", BM_ListPlansOfAYear);
}

} // namespace bench
