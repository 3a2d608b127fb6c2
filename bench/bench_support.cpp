#include "bench/bench_support.h"

#include "bench/history_generator.h"

#include <QDir>
#include <QElapsedTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace bench {

namespace {

const char* const kFiles[] = {"Dorivan.mdb", "DorivanWork.mdb"};

QString temporaryTemplate()
{
    QDir().mkpath(cacheRoot());
    return QDir(cacheRoot()).filePath(QStringLiteral("run-XXXXXX"));
}

} // namespace

std::vector<int> rowCounts()
{
    const QString text = qEnvironmentVariable("DORIVAN_BENCH_ROWS", QStringLiteral("5000,50000,500000"));
    std::vector<int> counts;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n <= 0)
            throw std::invalid_argument("DORIVAN_BENCH_ROWS: not a row count: " + part.toStdString());
        counts.push_back(n);
    }
    return counts;
}

QString cacheRoot()
{
    return qEnvironmentVariable("DORIVAN_BENCH_CACHE", QStringLiteral(DORIVAN_BENCH_CACHE_DIR));
}

QDate testMonth(int rows)
{
    HistoryShape shape;
    shape.rows = rows;
    return layoutOf(shape).testMonth();
}

QString historyFolder(int rows)
{
    static std::map<int, QString> folders;
    auto it = folders.find(rows);
    if (it != folders.end())
        return it->second;
    HistoryShape shape;
    shape.rows = rows;
    QElapsedTimer clock;
    clock.start();
    const QString folder = cachedHistory(cacheRoot(), shape);
    if (clock.elapsed() > 1000)
        std::fprintf(stderr, "history of %d rows ready in %s (%.1f s)\n", rows, qPrintable(folder),
                     double(clock.elapsed()) / 1000.0);
    return folders.emplace(rows, folder).first->second;
}

void copyDataFiles(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    for (const char* file : kFiles) {
        const std::string target = QDir(to).filePath(QString::fromLatin1(file)).toStdString();
        fs::copy_file(fs::path(QDir(from).filePath(QString::fromLatin1(file)).toStdString()),
                      fs::path(target), fs::copy_options::overwrite_existing);
        // On disk before the measured work starts: otherwise the first commit's flush would also write
        // out the whole fresh copy, which the user's files never ask of it.
        const int fd = ::open(target.c_str(), O_RDONLY);
        if (fd < 0 || ::fsync(fd) != 0)
            throw std::runtime_error("cannot flush the copy " + target);
        ::close(fd);
    }
}

WorkingFolder::WorkingFolder(const QString& source) : m_source(source), m_dir(temporaryTemplate())
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a working folder under " + cacheRoot().toStdString());
    copyDataFiles(m_source, path());
    open();
}

WorkingFolder::~WorkingFolder()
{
    m_db.reset();
}

void WorkingFolder::open()
{
    m_db = Database::open(permanentPath(), workPath());
}

void WorkingFolder::restore()
{
    m_db.reset();
    copyDataFiles(m_kept ? m_kept->path() : m_source, path());
    open();
}

void WorkingFolder::keepAsSource()
{
    m_db.reset();
    m_kept = std::make_unique<QTemporaryDir>(temporaryTemplate());
    if (!m_kept->isValid())
        throw std::runtime_error("cannot create a working folder under " + cacheRoot().toStdString());
    copyDataFiles(path(), m_kept->path());
    open();
}

double peakResidentMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

benchmark::internal::Benchmark* registerPerSize(const char* name, void (*fn)(benchmark::State&),
                                                bool manualTime)
{
    auto* b = benchmark::RegisterBenchmark(name, fn);
    for (int rows : rowCounts())
        b->Arg(rows);
    b->ArgName("rows")->Unit(benchmark::kMillisecond);
    return manualTime ? b->UseManualTime() : b->UseRealTime();
}

} // namespace bench
