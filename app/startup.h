#pragma once

#include <QString>
#include <QStringList>

// What the command line chose: the data folder (empty for the usual one) and the guard's name.
struct StartOptions
{
    QString dataFolder;
    QString instanceName;
};
StartOptions parseStartOptions(const QStringList& arguments);

// The usual data folder: on Windows the developer's folder when the marker file exists, otherwise the
// "data" folder beside the program. Always ends in a separator.
QString defaultDataFolder(const QString& programFolder);
