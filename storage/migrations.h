#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace SQLite {
class Database;
}

class Database;

// Each data file keeps the number of its format in its header (SQLite's user_version). Files written
// by program 1.02 and earlier read 0. A file of an older format is brought forward when it is opened,
// one step at a time, each step in one transaction together with the number it reaches; a file of a
// newer format than this program knows is refused before anything is written.
namespace migrations {

// One step changes the tables of `schema` from format n to n + 1. It runs inside the transaction the
// runner opens, and a step written later never edits an earlier one: a file of any format takes the
// same road.
struct Step
{
    // The tables the step creates, so that the open can tell which tables a file of each format must
    // have before it is brought forward.
    QStringList addedTables;
    std::function<void(SQLite::Database& db, const std::string& schema)> apply;
};

struct FileFormat
{
    QStringList firstTables; // the tables of format 0
    std::vector<Step> steps; // steps[n] brings format n to n + 1
    int latest() const { return int(steps.size()); }
    // The tables a file of `version` has, which the open checks before it brings the file forward.
    QStringList tablesAt(int version) const;
};

const FileFormat& permanentFormat();
const FileFormat& workFormat();

// Applies the steps of `format` from `version` up, within the caller's transaction and without
// numbering the file: how a new file made at an earlier format reaches the latest.
void applyStepsFrom(SQLite::Database& db, const std::string& schema, const FileFormat& format, int version);

int readVersion(SQLite::Database& db, const std::string& schema);
// Only within a transaction that also changes the tables: the number must always tell the truth.
void writeVersion(SQLite::Database& db, const std::string& schema, int version);

// Runs the steps of `format` from `version` up, each in a Transaction of its own with the number it
// reaches. A step that fails rolls back whole and throws StorageError naming `path`: the file keeps the
// format of the last step that succeeded.
void upgrade(Database& db, const std::string& schema, const QString& path, const FileFormat& format,
             int version);

// Brings both files of a pair just opened forward from the formats the open read. The permanent file
// is copied into the backup folder first (when one is set); a copy that fails is told and the upgrade
// goes on, as every write does. Returns what the user is told once, or nothing when both files were
// current.
QString upgradeDataFiles(Database& db, int permanentVersion, int workVersion);

// The message for a file of a format newer than this program's, naming both formats.
QString newerFormatMessage(const QString& path, int fileVersion, int latest);

} // namespace migrations
