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
    // Puts in the pair that program 1.02 wrote (tests/data/v1.02), in place of any files there.
    void put102Files() const;

private:
    QTemporaryDir m_dir;
};
