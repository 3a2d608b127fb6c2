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

} // namespace data_files
