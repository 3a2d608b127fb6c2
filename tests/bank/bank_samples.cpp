#include "bank/bank_samples.h"

#include "support/seed.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace bank_samples {

QString pathOf(const QString& file)
{
    // The test data folders sit side by side.
    return QDir(QStringLiteral(DORIVAN_LEGACY_DATA)).filePath(QStringLiteral("../bank/") + file);
}

QByteArray bytesOf(const QString& file)
{
    QFile in(pathOf(file));
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

void seedScenario(Database& db)
{
    const QJsonObject json = QJsonDocument::fromJson(bank_samples::bytesOf("schedule.json")).object();
    QHash<QString, QString> names;
    QStringList payers;
    for (const QJsonValue& p : json[QLatin1String("payers")].toArray()) {
        const QJsonObject payer = p.toObject();
        names.insert(payer[QLatin1String("id")].toString(), payer[QLatin1String("name")].toString());
        payers << payer[QLatin1String("name")].toString();
    }
    seedPayers(db, payers);
    for (const QJsonValue& p : json[QLatin1String("payers")].toArray())
        db.execute("update 入金先マスタ set フリガナ = ? where 入金先名 = ?",
                   {Value(p[QLatin1String("kana")].toString()), Value(p[QLatin1String("name")].toString())});
    std::vector<StoredRow> rows;
    int number = 0;
    for (const QJsonValue& i : json[QLatin1String("invoices")].toArray()) {
        const QJsonObject invoice = i.toObject();
        rows.push_back({QDate::fromString(invoice[QLatin1String("due")].toString(), Qt::ISODate), ++number,
                        names[invoice[QLatin1String("payer")].toString()],
                        yen(invoice[QLatin1String("amount")].toInteger()), std::nullopt, std::nullopt});
    }
    seedStoredRows(db, rows);
}

} // namespace bank_samples
