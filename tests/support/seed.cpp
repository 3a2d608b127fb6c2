#include "support/seed.h"

#include "storage/rowset.h"

#include <algorithm>

void seedStoredRows(Database& db, const std::vector<StoredRow>& rows)
{
    for (const StoredRow& row : rows) {
        db.execute(
            "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, ?, ?, ?)",
            {Value(row.日付), Value(row.行番号), Value(row.入金先名), Value(row.予定額), Value(row.入金額),
             Value(row.残高)});
    }
}

std::vector<StoredRow> readStoredRows(Database& db)
{
    std::vector<StoredRow> rows;
    RowSet set = db.openRowSet("select * from 入金予定表 order by 日付,行番号;");
    for (set.moveFirst(); !set.atEnd(); set.moveNext()) {
        StoredRow row;
        row.日付 = set.get("日付").toDate().value_or(QDate());
        row.行番号 = int(set.get("行番号").toInt64().value_or(0));
        if (Value name = set.get("入金先名"); !name.isNull())
            row.入金先名 = name.toText();
        row.予定額 = set.get("予定額").toMoney();
        row.入金額 = set.get("入金額").toMoney();
        row.残高 = set.get("残高").toMoney();
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::optional<Money>> storedBalances(Database& db)
{
    std::vector<std::optional<Money>> balances;
    for (const StoredRow& row : readStoredRows(db))
        balances.push_back(row.残高);
    return balances;
}

void seedPayers(Database& db, const QStringList& names)
{
    for (const QString& name : names)
        db.execute("insert into 入金先マスタ (入金先名) values (?)", {Value(name)});
}

void seedPayerCopy(Database& db, const QStringList& names, const QList<bool>& ticked)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool tick = i < ticked.size() && ticked[i];
        db.execute("insert into w入金先マスタ (チェック, 入金先名) values (?, ?)",
                   {Value(tick), Value(names[i])});
    }
}

QStringList readNames(Database& db, const QString& table)
{
    QStringList names;
    RowSet set = db.openRowSet("select 入金先名 from " + table.toStdString() + " order by rowid");
    for (set.moveFirst(); !set.atEnd(); set.moveNext())
        names << set.get("入金先名").toText();
    return names;
}

QStringList sortedPayers(Database& db)
{
    QStringList names = readNames(db, QStringLiteral("入金先マスタ"));
    std::sort(names.begin(), names.end());
    return names;
}

int countRows(Database& db, const QString& table)
{
    return int(db.readTotal("select count(*) as total from " + table.toStdString()).toInt64().value_or(-1));
}
