#include "support/temp_data.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TempDataFolder::TempDataFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

std::unique_ptr<Database> TempDataFolder::open() const
{
    return Database::open(permanentPath(), workPath());
}

void TempDataFolder::putReleasedFiles(const QString& release) const
{
    for (const QString& path : {permanentPath(), workPath()}) {
        QFile::remove(path);
        const QString source =
            QStringLiteral(DORIVAN_RELEASED_DATA "/v%1/").arg(release) + QFileInfo(path).fileName();
        if (!QFile::copy(source, path))
            throw std::runtime_error(("cannot copy the files of " + release.toStdString()).c_str());
    }
}
