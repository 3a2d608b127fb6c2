#pragma once

#include <QString>

#include <optional>

class QTextStream;

// The import of older data without a window:
//   dorivan --data-dir DIR --import-legacy FOLDER [--replace]
// Prints the one-line summary and returns 0; returns 2 with a message on `err` when DIR holds stored
// rows and `replace` is off, or when a running copy of the program uses DIR; 1 for every other failure.
int runImportLegacyCommand(const QString& dataDir, const QString& folder, bool replace, QTextStream& out,
                           QTextStream& err);

// For main(), before anything else: the reader child (--read-jet FILE TABLE...), which the import starts
// as a process of its own, returns its exit code; any other command line gets nothing.
std::optional<int> runJetReaderChild(int argc, char** argv);

struct CommandLine;
// The --import-legacy task of the command line, on the standard streams.
int runLegacyTask(const CommandLine& line, const QString& dataFolder);
