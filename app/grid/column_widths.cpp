#include "app/grid/column_widths.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonObject readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

std::map<QString, double> readColumnWidths(const QString& path, const QString& grid)
{
    std::map<QString, double> widths;
    const QJsonObject columns = readAll(path).value(grid).toObject();
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        // A hand-edited file may hold anything; only a sensible width is taken.
        const double twips = it.value().toDouble(-1);
        if (twips >= 100 && twips <= 30000)
            widths[it.key()] = twips;
    }
    return widths;
}

bool writeColumnWidths(const QString& path, const QString& grid, const std::map<QString, double>& widths)
{
    QJsonObject all = readAll(path);
    QJsonObject columns;
    for (const auto& [name, twips] : widths)
        columns.insert(name, twips);
    all.insert(grid, columns);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(all).toJson());
    return file.commit();
}
