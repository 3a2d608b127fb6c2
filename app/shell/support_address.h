#pragma once

#include <QString>
#include <QUrl>

// Where the settings page's banner leads: the support address this build was given, otherwise the
// README shipped with the program. programFolder is the executable's folder. Empty when neither exists.
QUrl bannerAddress(const QString& programFolder);

// The same with the support address given (empty for none). The README is looked for where an
// installation puts it (docFromProgram, relative to the program's folder) and then beside the program,
// as in a copied folder or the build folder.
QUrl bannerAddress(const QString& supportUrl, const QString& programFolder, const QString& docFromProgram);
