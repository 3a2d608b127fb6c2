#pragma once

#include "storage/database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh data folder that disappears with the test.
class TempDataFolder
{
public:
    TempDataFolder();
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString permanentPath() const { return path() + QStringLiteral("Dorivan.mdb"); }
    QString workPath() const { return path() + QStringLiteral("DorivanWork.mdb"); }
    // Opens (creating on first use) both files of the folder.
    std::unique_ptr<Database> open() const;
    // Puts in the pair that a released program wrote (tests/data/v<release>), in place of any files
    // there: "1.02" (format 0 of both files), "1.03" (format 1 of both).
    void putReleasedFiles(const QString& release) const;
    void put102Files() const { putReleasedFiles(QStringLiteral("1.02")); }

private:
    QTemporaryDir m_dir;
};
