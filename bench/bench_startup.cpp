// Start-up to the shown main window, offscreen, on a copy of a long history: the whole window load (both
// files opened, settings read, layout, screen cleared, payer list rebuilt, today's month loaded) and the
// first paint. Measured twice: inside a running program (the window alone) and as a new process from
// exec to the shown window, which also gives the peak memory of the running program.
#include "bench/bench_support.h"

#include "app/FrmDorivan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <memory>

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
        window.db().readTotal("select count(*) as total from InpWork where not isnull(入金先名)");
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

void BM_起動_新プロセス(benchmark::State& state)
{
    WorkingFolder folder(historyFolder(int(state.range(0))));
    folder.close();
    double childPeak = 0;
    for (auto _ : state) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kShowOnce), folder.path()});
        QByteArray line;
        while (!line.contains('\n') && child.waitForReadyRead(30000))
            line += child.readAllStandardOutput();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        child.waitForFinished(30000);
        if (!line.startsWith("shown ")) {
            state.SkipWithError("the new process did not show the window");
            break;
        }
        state.SetIterationTime(seconds);
        childPeak = std::max(childPeak, line.mid(6).trimmed().toDouble());
    }
    state.counters["peak_MB"] = childPeak;
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
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
