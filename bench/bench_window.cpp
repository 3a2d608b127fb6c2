// The main window on a copy of a long history, offscreen. Start-up to the shown window: the whole window
// load (both files opened, settings read, layout, screen cleared, payer list rebuilt, today's month
// loaded) and the first paint, measured inside a running program and as a new process from exec to the
// shown window, which also gives the peak memory of the running program. Then two actions as the user
// meets them, grid and fields updated and painted: loading the month and the grid's balance pass.
#include "bench/bench_support.h"

#include "app/FrmDorivan.h"
#include "app/grid/bound_grid.h"
#include "app/grid/schedule_columns.h"
#include "app/grid/work_table_model.h"
#include "app/pages/overdue_models.h"
#include "app/pages/overdue_page.h"
#include "app/pages/schedule_page.h"
#include "app/widgets/amount_field.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace bench {

namespace {

const char* const kShowOnce = "--show-once";

// The child of the new-process benchmark: shows the window once, says so with its peak memory, ends.
int showOnce(const QString& folder)
{
    auto window = std::make_unique<FrmDorivan>(folder);
    window->show();
    QCoreApplication::processEvents();
    std::printf("shown %.1f\n", peakResidentMB());
    std::fflush(stdout);
    window.reset();
    return 0;
}

// A window on the folder holds the month under test as a full month, or the measurement is void.
bool showsFullMonth(benchmark::State& state, const QString& folder)
{
    FrmDorivan window(folder);
    const auto rows =
        window.db().readTotal("select count(*) as total from InpWork where 入金先名 is not null");
    if (rows.toInt64().value_or(0) != 200) {
        state.SkipWithError("start-up did not show a full month");
        return false;
    }
    return true;
}

void BM_起動(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    // Its window takes the day's copy, so every timed start is a later one of the day.
    if (!showsFullMonth(state, folder.path()))
        return;
    for (auto _ : state) {
        auto window = std::make_unique<FrmDorivan>(folder.path());
        window->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakResidentMB();
}

// One start of a new process, from exec to the shown window: its seconds and the child's peak memory,
// or nothing when the child did not show the window.
std::optional<std::pair<double, double>> startChild(const QString& folder)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kShowOnce), folder});
    QByteArray line;
    while (!line.contains('\n') && child.waitForReadyRead(30000))
        line += child.readAllStandardOutput();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    child.waitForFinished(30000);
    if (!line.startsWith("shown "))
        return std::nullopt;
    return std::make_pair(seconds, line.mid(6).trimmed().toDouble());
}

// The day's first start also copies the permanent file into the backup folder; every later start of the
// day finds the copy and skips it. The two are measured apart, or one copy per repetition would be
// averaged into the usual start.
void startNewProcesses(benchmark::State& state, bool firstOfTheDay)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    const QString backups = folder.path() + QStringLiteral("backup");
    if (!firstOfTheDay && !startChild(folder.path())) {
        state.SkipWithError("the new process did not show the window");
        return;
    }
    double childPeak = 0;
    for (auto _ : state) {
        if (firstOfTheDay)
            QDir(backups).removeRecursively();
        const auto started = startChild(folder.path());
        if (!started) {
            state.SkipWithError("the new process did not show the window");
            break;
        }
        state.SetIterationTime(started->first);
        childPeak = std::max(childPeak, started->second);
    }
    state.counters["peak_MB"] = childPeak;
}

void BM_起動_新プロセス(benchmark::State& state)
{
    startNewProcesses(state, false);
}

void BM_起動_その日最初(benchmark::State& state)
{
    startNewProcesses(state, true);
}

// A window already showing the month under test, as the user has it before acting.
std::unique_ptr<FrmDorivan> shownWindow(benchmark::State& state, const QString& folder)
{
    auto window = std::make_unique<FrmDorivan>(folder);
    window->show();
    QCoreApplication::processEvents();
    const auto rows =
        window->db().readTotal("select count(*) as total from InpWork where 入金先名 is not null");
    if (rows.toInt64().value_or(0) != 200) {
        state.SkipWithError("the window does not show a full month");
        return nullptr;
    }
    return window;
}

void BM_画面_loadMonth(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    auto window = shownWindow(state, folder.path());
    if (!window)
        return;
    for (auto _ : state) {
        window->schedulePage().loadMonth();
        QCoreApplication::processEvents();
    }
}

// The same load with the grid's overdue marks switched off: the figure the marks are measured against.
void BM_画面_loadMonth_印なし(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    auto window = shownWindow(state, folder.path());
    if (!window)
        return;
    window->findChild<WorkTableModel*>(QStringLiteral("datInp"))->setRowBackground({});
    for (auto _ : state) {
        window->schedulePage().loadMonth();
        QCoreApplication::processEvents();
    }
}

// The open-receipts page on show, dated today: the list, the payer filter and totals, the count and sum
// and the outlook chart read and put on the page, then painted.
void BM_画面_未入金一覧(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    auto window = shownWindow(state, folder.path());
    if (!window)
        return;
    OverduePage& page = window->overduePage();
    window->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentWidget(&page);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!page.refresh()) {
            state.SkipWithError("the page could not be read");
            break;
        }
        QCoreApplication::processEvents();
    }
    state.counters["open_rows"] =
        double(page.findChild<QTableView*>(QStringLiteral("Grid未入金"))->model()->rowCount());
}

// An amount typed into the first row and committed, as the grid hands it to the draft: one step with
// the balance pass over the full month, its write to the work file, the totals and the repainted grid.
// The figure alternates so that each pass really changes every balance.
void BM_画面_typeAmount(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    auto window = shownWindow(state, folder.path());
    if (!window)
        return;
    auto* model = window->findChild<WorkTableModel*>(QStringLiteral("datInp"));
    bool raised = false;
    for (auto _ : state) {
        raised = !raised;
        model->setData(model->index(0, schedule_columns::k入金額), QVariant(qlonglong(raised ? 1 : 2)));
        QCoreApplication::processEvents();
    }
}

} // namespace

} // namespace bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], bench::kShowOnce) == 0)
        return bench::showOnce(QString::fromLocal8Bit(argv[2]));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::registerPerSize("起動", bench::BM_起動);
    bench::registerPerSize("起動/新しいプロセス", bench::BM_起動_新プロセス, true);
    bench::registerPerSize("起動/新しいプロセス/その日最初", bench::BM_起動_その日最初, true);
    bench::registerPerSize("画面/loadMonth", bench::BM_画面_loadMonth);
    bench::registerPerSize("画面/typeAmount", bench::BM_画面_typeAmount);
    bench::registerPerSize("画面/loadMonth/印なし", bench::BM_画面_loadMonth_印なし);
    bench::registerPerSize("画面/未入金一覧", bench::BM_画面_未入金一覧);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
