#pragma once

#include <QString>

// The program's name: the executable, the per-user data folder and the prefix of command-line messages.
inline const QString kProgramName = QStringLiteral("dorivan");

// What the command line chose for the window: the data folder (empty for the usual one) and the guard's name.
struct StartOptions
{
    QString dataFolder;
    QString instanceName;
};

// Names the application for the desktop (its desktop entry) and for the per-user data folder. Needs no
// QApplication, so that --help can name the folder without a display.
void setApplicationIdentity();

// The usual data folder when --data-dir is not given: on Windows the developer's folder when the marker
// file exists; the folder "data" beside the program when it exists (a copied or portable installation);
// otherwise the per-user data folder, which the first start creates. Always ends in a separator.
QString defaultDataFolder(const QString& programFolder);

// The per-user data folder (~/.local/share/dorivan/ on Linux), ending in a separator; empty when the
// system names none.
QString perUserDataFolder();

// The folder a start with these options works in.
QString dataFolderFor(const StartOptions& options, const QString& programFolder);
