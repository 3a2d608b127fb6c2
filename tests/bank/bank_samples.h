#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

class Database;

// The sample bank files of tests/data/bank and the check lists that come with them.
namespace bank_samples {

QString pathOf(const QString& file);
QByteArray bytesOf(const QString& file);

// One record of a check list: its number, its データ区分 (or "csv") and its fields by name.
struct CheckedRecord
{
    int number = 0;
    QString kind;
    QHash<QString, QString> fields;
};
std::vector<CheckedRecord> checkListOf(const QString& file);

// The scenario of the sample files (schedule.json) in the store: its seven payers with their readings in
// 入金先マスタ, its nine invoices as rows of 入金予定表 numbered 1.. in their order.
void seedScenario(Database& db);

} // namespace bank_samples
