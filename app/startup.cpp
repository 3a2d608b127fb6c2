#include "app/startup.h"

#include "app/single_instance.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

StartOptions parseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("データフォルダ"),
                                     QStringLiteral("DIR"));
    const QCommandLineOption instance(QStringLiteral("instance-name"), QStringLiteral("二重起動防止の名前"),
                                      QStringLiteral("NAME"));
    parser.addOption(dataDir);
    parser.addOption(instance);
    // Unknown arguments (a file dropped on the program, desktop launcher extras) are ignored.
    parser.parse(arguments);
    StartOptions options;
    if (parser.isSet(dataDir)) {
        options.dataFolder = QDir::fromNativeSeparators(parser.value(dataDir));
        if (!options.dataFolder.endsWith(QLatin1Char('/')))
            options.dataFolder += QLatin1Char('/');
    }
    options.instanceName =
        parser.isSet(instance) ? parser.value(instance) : SingleInstanceGuard::defaultName();
    return options;
}

QString defaultDataFolder(const QString& programFolder)
{
#ifdef Q_OS_WIN
    if (QFileInfo::exists(QStringLiteral("c:/zizivaredu.txt")))
        return QStringLiteral("c:/develop4/Dorivan/data/");
#endif
    QString folder = QDir::fromNativeSeparators(programFolder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("data/");
}
