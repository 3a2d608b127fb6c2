#pragma once

#include "legacy/legacy_data.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace legacy {

// What a file of the data folder is, to the import that would replace it.
enum class TargetKind {
    None,        // there is no such file
    Source,      // the Access file being imported (the import ran on the data folder itself)
    OtherAccess, // some other Access file
    Ours,        // a database file of the program
    Foreign,     // anything else
};

struct Target
{
    QString path;
    TargetKind kind = TargetKind::None;
    bool holdsRows = false; // Ours: a permanent file with any row in its three tables
};

// Looks at a data folder file. Opening a file of ours rolls back what a crash left half-done in it.
Target examineTarget(const QString& path, const QString& sourcePath);

// Writes the permanent and the work file of the program from the data, in one transaction, and reads
// the counts back. The files must not exist yet. Throws ImportError; nothing is left behind then.
void writeFreshFiles(const QString& permanentPath, const QString& workPath, const LegacyData& data,
                     const std::function<void(int)>& percent);

// Removes a database file and the files SQLite keeps beside it.
void removeDatabaseFile(const QString& path);

// "<path>.<what>-YYYYMMDD-HHMMSS", with -2, -3 ... added when that name is taken.
QString datedName(const QString& path, const QString& what, const QDateTime& when);

} // namespace legacy
