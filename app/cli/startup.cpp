#include "app/cli/startup.h"

#include "app/build_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

namespace {
QString withSeparator(QString folder)
{
    folder = QDir::fromNativeSeparators(folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(kProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(DORIVAN_VERSION));
    // The desktop matches the running window to its menu entry (and icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(DORIVAN_APP_ID));
    // No application display name: the platform would append it to every window title, and the main
    // window's caption already names the program.
}

QString defaultDataFolder(const QString& programFolder)
{
#ifdef Q_OS_WIN
    if (QFileInfo::exists(QStringLiteral("c:/zizivaredu.txt")))
        return QStringLiteral("c:/develop4/Dorivan/data/");
#endif
    const QString beside = withSeparator(programFolder) + QStringLiteral("data/");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString perUser = perUserDataFolder();
    return perUser.isEmpty() ? beside : perUser;
}

QString perUserDataFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // A relative XDG_DATA_HOME would make the folder follow the current directory; the XDG rules say
    // to ignore such a value, which leaves the default base.
    if (!folder.isEmpty() && QDir::isRelativePath(folder)) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        folder = QDir::homePath() + QStringLiteral("/.local/share") + folder.mid(base.size());
    }
    return folder.isEmpty() ? QString() : withSeparator(folder);
}

QString dataFolderFor(const StartOptions& options, const QString& programFolder)
{
    return options.dataFolder.isEmpty() ? defaultDataFolder(programFolder) : options.dataFolder;
}
