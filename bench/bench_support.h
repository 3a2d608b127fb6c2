#pragma once

#include "storage/database.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

// What every benchmark program shares: the history sizes to run, the cached histories, and working
// copies of a data folder that can be put back between iterations.
namespace bench {

// The history sizes, from DORIVAN_BENCH_ROWS ("5000,50000"), by default 5,000, 50,000 and 500,000.
std::vector<int> rowCounts();

// Generated histories live here: DORIVAN_BENCH_CACHE, or the folder the build configured.
QString cacheRoot();

// The cached history of that many rows, generated on first use, and the first day of its month under
// test, which is the current month: start-up shows it, so it is full at start-up as well.
QString historyFolder(int rows);
QDate testMonth(int rows);

// A private copy of a data folder beside the cache (on the same disk as the cache, so commits cost what
// they cost the user), opened through the program's store. restore() closes it, copies the source's
// files back over it and reopens it; an iteration that changed the data runs it while timing is paused.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString& source);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString permanentPath() const { return path() + QStringLiteral("Dorivan.mdb"); }
    QString workPath() const { return path() + QStringLiteral("DorivanWork.mdb"); }
    Database& db() { return *m_db; }
    void close() { m_db.reset(); }
    void open();
    void restore();
    // Makes the current state of this folder the state restore() brings back.
    void keepAsSource();

private:
    QString m_source;
    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_kept;
    std::unique_ptr<Database> m_db;
};

// Copies the two database files of a folder into another (overwriting).
void copyDataFiles(const QString& from, const QString& to);

// Peak resident memory of this process so far, in MB.
double peakResidentMB();

// Registers fn once per history size as "name/rows:N", in milliseconds, timed on the wall clock (the
// store waits for the disk) or, with manualTime, by the times the benchmark reports itself.
benchmark::internal::Benchmark* registerPerSize(const char* name, void (*fn)(benchmark::State&),
                                                bool manualTime = false);

} // namespace bench
