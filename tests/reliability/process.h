#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// Starting the crash driver (its path is built in) from the tests.
namespace reliability {

QString driverPath();

struct DriverRun
{
    bool finished = false; // ran to its end and exited 0
    qint64 micros = 0;     // time the operation took, as the driver measured it
    QString output;
};

// Runs an operation to its end.
DriverRun runDriverToEnd(const QString& operation, const QString& folder);

// Starts the operation, waits until the driver is about to begin it, then kills the process with
// SIGKILL after `delay` (or lets it end, when it is faster). False when the driver did not start.
bool runDriverAndKill(const QString& operation, const QString& folder, std::chrono::microseconds delay);

// Reads one line of the process's output, waiting for it; empty when the process ended first.
QString readLine(QProcess& process, int timeoutMs = 60000);

} // namespace reliability
