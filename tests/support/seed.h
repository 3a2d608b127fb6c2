#pragma once

#include "common/money.h"
#include "storage/database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Database;

// Whole yen, the unit every test thinks in.
inline Money yen(std::int64_t amount)
{
    return Money::fromYen(amount);
}

// One row of the stored schedule, as the tests write and read it back.
struct StoredRow
{
    QDate 日付;
    int 行番号 = 0;
    std::optional<QString> 入金先名;
    std::optional<Money> 予定額;
    std::optional<Money> 入金額;
    std::optional<Money> 残高;

    friend bool operator==(const StoredRow&, const StoredRow&) = default;
};

// Adds the rows to 入金予定表 as given (no balance is computed).
void seedStoredRows(Database& db, const std::vector<StoredRow>& rows);
// Every stored schedule row, by date and then row number.
std::vector<StoredRow> readStoredRows(Database& db);
// Just the balances of readStoredRows, in the same order.
std::vector<std::optional<Money>> storedBalances(Database& db);

// Adds names to 入金先マスタ, or to the editing copy w入金先マスタ with their ticks.
void seedPayers(Database& db, const QStringList& names);
void seedPayerCopy(Database& db, const QStringList& names, const QList<bool>& ticked = {});
// The names of a one-column name table in the order its rows were added (rowid order).
QStringList readNames(Database& db, const QString& table);
// The names of 入金先マスタ sorted, so tests need not depend on storage order.
QStringList sortedPayers(Database& db);

// Row count of any table.
int countRows(Database& db, const QString& table);
