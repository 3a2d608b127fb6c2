#include "reliability/process.h"

#include <QDeadlineTimer>

#include <csignal>
#include <thread>

namespace reliability {

QString driverPath()
{
    return QStringLiteral(CRASH_DRIVER_PATH);
}

QString readLine(QProcess& process, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine()) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            return QString::fromUtf8(process.readAll()).trimmed();
        process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

DriverRun runDriverToEnd(const QString& operation, const QString& folder)
{
    DriverRun result;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(driverPath(), {QStringLiteral("run"), operation, folder});
    if (!process.waitForStarted())
        return result;
    const QString ready = readLine(process);
    const QString done = readLine(process, 300000);
    process.waitForFinished(60000);
    result.output = ready + QLatin1Char('\n') + done + QLatin1Char('\n') +
                    QString::fromUtf8(process.readAllStandardError());
    if (ready == QLatin1String("ready") && done.startsWith(QLatin1String("done ")) &&
        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        result.finished = true;
        result.micros = done.mid(5).toLongLong();
    }
    return result;
}

bool runDriverAndKill(const QString& operation, const QString& folder, std::chrono::microseconds delay)
{
    QProcess process;
    process.start(driverPath(), {QStringLiteral("run"), operation, folder});
    if (!process.waitForStarted() || readLine(process) != QLatin1String("ready"))
        return false;
    std::this_thread::sleep_for(delay);
    if (process.state() != QProcess::NotRunning)
        ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(60000);
    return true;
}

} // namespace reliability
