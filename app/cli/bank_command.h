#pragma once

#include <QDateTime>
#include <QString>

class QIODevice;
struct CommandLine;

// 入金消込 from the command line, for a scheduled job after the bank's file arrives: one CSV line per
// deposit on standard output (one per row for a transfer that pays several), messages on standard error.
// Only the 一致 judgements are applied, and none with --dry-run; what needs a decision waits for the
// window. Exit codes as the CSV tasks: 0 done, 1 bad input or a failure (nothing stored), 2 the data folder
// is in use by a running copy.
struct BankCommandOptions
{
    QString dataFolder; // ending in a separator
    QString file; // the bank's file: 全銀協 01 or 03, or a CSV of a layout mapped in the window before
    bool dryRun = false;
    QString encoding; // of a CSV: auto (default), utf-8 or cp932; the fixed-length files are always CP932
};

// `now` is recorded with the deposits applied; its date decides the era of a fixed-length file's creation
// date.
int runMatchBankCommand(const BankCommandOptions& options, const QDateTime& now, QIODevice& standardOutput,
                        QIODevice& standardError);

// Runs --match-bank on the standard streams and returns the exit code.
int runBankTask(const CommandLine& line, const QString& dataFolder);
