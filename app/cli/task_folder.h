#pragma once

#include <QString>

#include <optional>

class QTextStream;

// What every command-line task does to its data folder before it opens a file there, under the
// folder's lock as the window's start does: a running copy's folder is refused (exit 2, naming the
// folder and the lock file), a file swap of the Access import that a crash cut short is completed,
// and the CSV tasks refuse an Access Dorivan.mdb, pointing to --import-legacy (exit 1). Nothing is
// changed by a refusal. Returns the exit code when the task must not run, after saying why on `err`.
std::optional<int> prepareTaskFolder(const QString& dataFolder, const QString& task, QTextStream& err);
