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

// The lock a running copy holds on its data folder: "<canonical data folder>/.dorivan.lock".
QString dataFolderLockPath(const QString& dataFolder);

// For main(), before any window is made: runs the reader child (--read-jet FILE TABLE...) or the
// command-line import (--import-legacy) when the arguments ask for one and returns its exit code;
// nothing for a normal start.
std::optional<int> runLegacyCommandLine(int argc, char** argv);
