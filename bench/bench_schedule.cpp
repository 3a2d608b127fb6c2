// The interactive actions of the schedule and payer pages, each on the month under test of a long history:
// none of them may grow with the history, and each must fit in one screen frame.
#include "bench/bench_programs.h"
#include "bench/bench_support.h"

#include "payers/payer_master.h"
#include "report/report_data.h"
#include "report/report_renderer.h"
#include "schedule/balances.h"
#include "schedule/draft.h"
#include "schedule/overdue.h"

#include <QFile>

namespace bench {

namespace {

// Loads the month under test into `draft` and stops the benchmark unless it is a full month of stored
// rows.
std::optional<schedule::MonthLoad> loadFullMonth(benchmark::State& state, Database& db,
                                                 schedule::MonthDraft& draft)
{
    auto load = draft.load(db, testMonth(int(state.range(0))));
    if (!load || load->storedRows != schedule::kWorkRowCount) {
        state.SkipWithError("the month under test is not a full month");
        return std::nullopt;
    }
    return load;
}

void BM_loadMonth(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    if (!loadFullMonth(state, folder.db(), draft))
        return;
    const QDate month = testMonth(int(state.range(0)));
    for (auto _ : state) {
        auto load = draft.load(folder.db(), month);
        benchmark::DoNotOptimize(load);
    }
}

void BM_recomputeGridBalances(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    std::vector<schedule::WorkRow> rows = draft.rows();
    std::size_t changed = 0;
    for (auto _ : state) {
        const schedule::GridPassResult result = schedule::recomputeGridBalances(rows, 0, load->繰越額);
        changed = result.changed.size();
        benchmark::DoNotOptimize(rows.data());
    }
    if (changed != rows.size())
        state.SkipWithError("the grid pass did not reach the end of the full month");
}

void BM_insertRow(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    for (auto _ : state) {
        // A full set refuses to push out a row holding data: the last row goes first, as the user would
        // make room, and the row is taken out again after each insertion.
        state.PauseTiming();
        draft.deleteRow(folder.db(), schedule::kWorkRowCount - 1, load->繰越額);
        state.ResumeTiming();
        if (draft.insertRow(folder.db(), 0) != schedule::InsertResult::Inserted) {
            state.SkipWithError("the row was not inserted");
            break;
        }
        state.PauseTiming();
        draft.undo(folder.db());
        draft.undo(folder.db());
        state.ResumeTiming();
    }
}

// An amount typed into the first row, with the balance pass over the whole month and its write to the
// work file, then its undo and redo: each must fit in one screen frame.
void BM_typeAmount(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    std::int64_t yen = 0;
    for (auto _ : state)
        draft.setCells(folder.db(), {{0, schedule::k予定額, Value(Money::fromYen(++yen))}}, load->繰越額,
                       QString());
}

void BM_undo(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        draft.setCells(folder.db(), {{0, schedule::k予定額, Value(Money::fromYen(state.iterations() + 1))}},
                       load->繰越額, QString());
        state.ResumeTiming();
        if (!draft.undo(folder.db())) {
            state.SkipWithError("nothing was undone");
            break;
        }
    }
}

void BM_redo(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    draft.setCells(folder.db(), {{0, schedule::k予定額, Value(Money::fromYen(1))}}, load->繰越額, QString());
    for (auto _ : state) {
        state.PauseTiming();
        draft.undo(folder.db());
        state.ResumeTiming();
        if (!draft.redo(folder.db())) {
            state.SkipWithError("nothing was redone");
            break;
        }
    }
}

// A block of 200 rows pasted over the whole month: every day, payer and both amounts of each row, one
// step with its balance pass.
void BM_paste200Rows(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    const QDate month = testMonth(int(state.range(0)));
    std::int64_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<schedule::CellChange> block;
        ++round;
        for (std::size_t row = 0; row < std::size_t(schedule::kWorkRowCount); ++row) {
            const QDate day(month.year(), month.month(), 1 + int(row) % month.daysInMonth());
            block.push_back({row, schedule::k表示日付,
                             Value(QStringLiteral("%1").arg(day.day(), 2, 10, QLatin1Char('0')))});
            block.push_back({row, schedule::k日付, Value(day)});
            block.push_back({row, schedule::k入金先名, Value(QStringLiteral("貼付先%1").arg(row))});
            block.push_back({row, schedule::k予定額, Value(Money::fromYen(std::int64_t(row) * 100 + round))});
            block.push_back({row, schedule::k入金額, Value(Money::fromYen(round))});
        }
        state.ResumeTiming();
        draft.setCells(folder.db(), block, load->繰越額, QStringLiteral("貼り付け"));
    }
}

void BM_loadEditingCopy(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    for (auto _ : state)
        payers::loadEditingCopy(folder.db());
    state.counters["names"] =
        double(folder.db().readTotal("select count(*) as total from w入金先マスタ").toInt64().value_or(0));
}

// The same with every payer carrying terms, which the copy shows in the page's text forms.
void BM_loadEditingCopyWithTerms(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.db().execute("update 入金先マスタ set 締め日 = 99, 支払月 = 1, 支払日 = 10, 休日 = '後'");
    for (auto _ : state)
        payers::loadEditingCopy(folder.db());
    state.counters["names"] =
        double(folder.db().readTotal("select count(*) as total from w入金先マスタ").toInt64().value_or(0));
}

void BM_refreshDropDown(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    for (auto _ : state)
        payers::refreshDropDown(folder.db());
    state.counters["names"] =
        double(folder.db().readTotal("select count(*) as total from w入金先名").toInt64().value_or(0));
}

// The print button's work up to the finished file: the print table rebuilt from the working set and
// the pages drawn into a PDF.
void BM_印刷PDF(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    schedule::MonthDraft draft;
    const auto load = loadFullMonth(state, folder.db(), draft);
    if (!load)
        return;
    const QDate month = testMonth(int(state.range(0)));
    const report::ScreenFigures figures{load->繰越額, load->予定額月計, load->入金額月計,
                                        load->累計.value_or(Money())};
    const QString pdf = folder.path() + QStringLiteral("report.pdf");
    std::size_t printed = 0;
    for (auto _ : state) {
        const report::ReportData data =
            report::prepareReport(folder.db(), month, QStringLiteral("西暦"), figures);
        printed = data.rows.size();
        if (!report::renderReportToPdf(pdf, data, 0)) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    state.counters["rows"] = double(printed);
    state.counters["pdf_kB"] = double(QFile(pdf).size()) / 1024.0;
}

} // namespace

// What the open-receipts page reads on each refresh, dated today (the month under test): every open row
// up to the date, their totals by payer and the twelve months of the outlook. It walks the rows before
// the date, about 2,400 at 5,000 rows and 22,800 at 50,000 and 500,000.
void BM_未入金一覧(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    const QDate asOf = QDate::currentDate();
    std::size_t lines = 0;
    for (auto _ : state) {
        const std::vector<schedule::OpenRow> rows = schedule::readOpenRows(folder.db(), asOf);
        const schedule::OpenTotals totals = schedule::totalsOf(rows);
        const std::vector<schedule::PayerOpen> payers = schedule::totalsByPayer(rows);
        const QStringList names = schedule::payersOf(rows);
        const std::vector<schedule::MonthOutlook> outlook = schedule::readOutlook(folder.db(), asOf);
        benchmark::DoNotOptimize(totals);
        benchmark::DoNotOptimize(outlook.data());
        lines = rows.size() + payers.size() + std::size_t(names.size());
    }
    state.counters["open_rows"] = double(schedule::readOpenRows(folder.db(), asOf).size());
    if (lines == 0)
        state.SkipWithError("the history has no open rows up to today");
}

void registerScheduleBenchmarks()
{
    registerPerSize("loadMonth", BM_loadMonth);
    registerPerSize("recomputeGridBalances", BM_recomputeGridBalances)->Unit(benchmark::kMicrosecond);
    registerPerSize("insertRow", BM_insertRow);
    registerPerSize("typeAmount", BM_typeAmount);
    registerPerSize("undo", BM_undo);
    registerPerSize("redo", BM_redo);
    registerPerSize("paste200Rows", BM_paste200Rows);
    registerPerSize("loadEditingCopy", BM_loadEditingCopy);
    registerPerSize("loadEditingCopyWithTerms", BM_loadEditingCopyWithTerms);
    registerPerSize("refreshDropDown", BM_refreshDropDown);
    registerPerSize("印刷PDF", BM_印刷PDF);
    registerPerSize("未入金一覧", BM_未入金一覧);
}

} // namespace bench
