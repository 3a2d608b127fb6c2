#pragma once

#include <QString>

class QIODevice;
struct CommandLine;

// The payer and plan tasks of the command line, for scripts and scheduled jobs: --export-payers,
// --import-payers, --due-date and --plan-receipts. No window; nothing on standard output but the data,
// messages on standard error. Exit codes: 0 done, 1 bad input or a failure (nothing stored), 2 the data
// folder is in use by a running copy. Every task needs a data folder that holds data.
struct TermsCommandOptions
{
    QString task;       // the long option name of the task
    QString dataFolder; // ending in a separator
    QString file;       // --export-payers / --import-payers: "-" for standard output or input
    QString encoding;   // export: utf-8 (default) or cp932; import: auto (default), utf-8 or cp932
    QString payer;      // --due-date
    QString date;       // --due-date: YYYY-MM-DD
    QString from;       // --plan-receipts: YYYY-MM
    QString to;         // --plan-receipts: YYYY-MM
    bool dryRun = false;
};

bool isTermsTask(const QString& task);

int runTermsCommand(const TermsCommandOptions& options, QIODevice& standardInput, QIODevice& standardOutput,
                    QIODevice& standardError);

// Runs the task of the command line on the standard streams and returns the exit code.
int runTermsTask(const CommandLine& line, const QString& dataFolder);
