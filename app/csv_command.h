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

// When the arguments ask for --export-csv or --import-csv, runs it and returns the exit code; otherwise
// nothing, and the window starts as usual. Called before any application object exists: a scheduled
// job has no display for a GUI application to connect to.
std::optional<int> runCsvCommandLine(int argc, char** argv);
