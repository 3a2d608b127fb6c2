#pragma once

#include <QString>

#include <optional>

class QIODevice;

// The CSV export and import of the command line, for scripts and scheduled jobs: no window, nothing on
// standard output but the exported data, messages on standard error. Exit codes: 0 done, 1 bad input or
// a failure (nothing stored), 2 the data folder is in use by a running copy.
struct CsvCommandOptions
{
    QString dataFolder; // the data folder, ending in a separator
    QString file;       // "-" for standard output (export) or standard input (import)
    QString from;       // YYYY-MM, export only; empty for the first month
    QString to;         // YYYY-MM, export only; empty for the last month
    QString encoding;   // export: utf-8 (default) or cp932; import: auto (default), utf-8 or cp932
};

int runExportCsvCommand(const CsvCommandOptions& options, QIODevice& standardOutput,
                        QIODevice& standardError);
int runImportCsvCommand(const CsvCommandOptions& options, QIODevice& standardInput, QIODevice& standardError);

struct CommandLine;
// Runs the --export-csv or --import-csv task of the command line on the standard streams and returns the
// exit code. Needs only a QCoreApplication: a scheduled job has no display.
int runCsvTask(const CommandLine& line, const QString& dataFolder);
