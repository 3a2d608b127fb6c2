#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// The sample bank files of tests/data/bank and the check lists that come with them.
namespace bank_samples {

QByteArray bytesOf(const QString& file);

// One record of a check list: its number, its データ区分 (or "csv") and its fields by name.
struct CheckedRecord
{
    int number = 0;
    QString kind;
    QHash<QString, QString> fields;
};
std::vector<CheckedRecord> checkListOf(const QString& file);

} // namespace bank_samples
