#include "app/shell/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QTranslator* installQtJapanese(QCoreApplication& app)
{
    // Every text of this program is Japanese, so Qt's texts are Japanese too, whatever the desktop's
    // language: English buttons under a Japanese question would only leave the user guessing.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QStringList folders = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    auto* translator = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            return translator;
    }
    delete translator;
    return nullptr;
}
