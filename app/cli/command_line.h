#pragma once

#include "app/cli/startup.h"

#include <QHash>
#include <QString>
#include <QStringList>

// What the command line asks the program to do.
enum class CommandAction {
    OpenWindow,  // the usual start
    ShowHelp,    // --help
    ShowVersion, // --version
    RunTask,     // an import or export that runs without the window; CommandLine::task names it
    UsageError,  // an unknown option, a missing value or options that do not go together
};

// Exit code of a command line the program does not accept.
inline constexpr int kExitUsage = 2;

struct CommandLine
{
    CommandAction action = CommandAction::OpenWindow;
    StartOptions options;
    // The long name of the task option given ("import-legacy", "export-csv", "import-csv"), else empty.
    QString task;
    // For UsageError: what is wrong, in one line.
    QString error;
    // Every option given, by long name; a switch holds an empty text.
    QHash<QString, QString> values;
    // The second word of an option that takes two (the date of --due-date PAYER YYYY-MM-DD).
    QString secondValue;

    bool isSet(const QString& name) const { return values.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// The name --instance-name defaults to. The single-instance guard no longer goes by it: the folder
// alone decides which copy may run.
QString defaultInstanceName();

// Reads the arguments (the first is the program itself). Needs no QCoreApplication.
CommandLine parseCommandLine(const QStringList& arguments);

// What the program prints and returns for a command line that opens no window.
struct CommandAnswer
{
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
};
// programFolder is the executable's folder: the help names the data folder a start would use.
CommandAnswer answerWithoutWindow(const CommandLine& line, const QString& programFolder);
// Writes the answer's texts and returns its exit code.
int deliver(const CommandAnswer& answer);

QString helpText(const StartOptions& options, const QString& programFolder);
QString versionText();
