#pragma once

#include <QDateTime>
#include <QString>

class StorageError;

// The work file holds only scratch tables and the hint texts, so a damaged one can be replaced by a
// fresh file at start-up instead of stopping the program for good.

// Whether a failure of Database::open is a damaged or incomplete work file that
// rebuildWorkFile() can replace (the window then asks the user first).
bool isRebuildableWorkFileError(const StorageError& error, const QString& workPath);

struct WorkFileRebuild
{
    QString damagedCopy; // where the damaged file now is
    int hintsRecovered = 0;
};

// Moves the damaged work file aside (DorivanWork.mdb.damaged-YYYYMMDD-HHMMSS, its journal beside
// it), creates a fresh work file with empty tables, and copies into it the hint rows (ClHint) that
// can still be read from the damaged one. Throws StorageError when the file cannot be moved aside or
// the new one cannot be made; the damaged file is then where it was.
WorkFileRebuild rebuildWorkFile(const QString& workPath, const QDateTime& now = QDateTime::currentDateTime());
