#include "app/shell/support_address.h"

#include "app/build_info.h"

#include <QDir>
#include <QFileInfo>

QUrl bannerAddress(const QString& programFolder)
{
    return bannerAddress(QStringLiteral(DORIVAN_SUPPORT_URL), programFolder,
                         QStringLiteral(DORIVAN_DOC_FROM_PROGRAM));
}

QUrl bannerAddress(const QString& supportUrl, const QString& programFolder, const QString& docFromProgram)
{
    if (!supportUrl.isEmpty())
        return QUrl(supportUrl);
    const QDir program(programFolder);
    for (const QString& candidate : {program.filePath(docFromProgram + QStringLiteral("/README.md")),
                                     program.filePath(QStringLiteral("README.md"))}) {
        const QFileInfo readme(candidate);
        if (readme.isFile())
            return QUrl::fromLocalFile(QDir::cleanPath(readme.absoluteFilePath()));
    }
    return {};
}
