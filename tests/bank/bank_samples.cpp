#include "bank/bank_samples.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace bank_samples {

QByteArray bytesOf(const QString& file)
{
    // The test data folders sit side by side.
    QFile in(QDir(QStringLiteral(DORIVAN_LEGACY_DATA)).filePath(QStringLiteral("../bank/") + file));
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing bank sample " + file.toStdString());
    return in.readAll();
}

std::vector<CheckedRecord> checkListOf(const QString& file)
{
    std::vector<CheckedRecord> records;
    QStringList columns;
    for (const QString& line : QString::fromUtf8(bytesOf(file)).split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (line.startsWith(QLatin1String("#summary")) || line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            columns = cells;
            continue;
        }
        // A CSV check list has no kind column.
        const bool csv = columns.value(0) == QLatin1String("#row");
        CheckedRecord record{cells[0].toInt(), csv ? QStringLiteral("csv") : cells[1], {}};
        for (qsizetype i = 1; i < cells.size() && i < columns.size(); ++i)
            record.fields.insert(columns[i], cells[i]);
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace bank_samples
