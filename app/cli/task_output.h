#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// What every command-line task shares on its way out: the exit codes, a line on standard error, a path
// as the user's system writes it, and the standard streams as devices.
namespace task_output {

constexpr int kDone = 0;
constexpr int kFailed = 1;
// A running copy holds the data folder.
constexpr int kInUse = 2;

// The message as one line (a newline added unless it has one).
inline void say(QIODevice& err, const QString& message)
{
    err.write(message.toUtf8());
    if (!message.endsWith(QLatin1Char('\n')))
        err.write("\n");
}

inline QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The process's standard output, error and input, written unbuffered by Qt and flushed on the way out.
struct StandardStreams
{
    QFile out;
    QFile err;
    QFile in;
    StandardStreams()
    {
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly);
        in.open(stdin, QIODevice::ReadOnly);
    }
    ~StandardStreams()
    {
        out.flush();
        err.flush();
    }
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
};

} // namespace task_output
