#pragma once

#include <QDir>
#include <QString>

// The names of the two database files in a data folder. Every part of the program that opens, imports
// or checks them takes the names from here.
namespace data_files {

inline const QString kPermanentName = QStringLiteral("Dorivan.mdb");
inline const QString kWorkName = QStringLiteral("DorivanWork.mdb");

inline QString permanentPath(const QString& folder)
{
    return QDir(folder).filePath(kPermanentName);
}
inline QString workPath(const QString& folder)
{
    return QDir(folder).filePath(kWorkName);
}

// The files SQLite keeps beside a database (its name and the suffix). A journal must travel with its own
// file, or the engine would "roll back" a stranger's pages into the file that takes its place.
inline constexpr const char* kCompanions[] = {"-journal", "-wal", "-shm"};

} // namespace data_files
