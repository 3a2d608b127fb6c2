#include "settings/settings_record.h"

#include "settings/colors.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace settings {

namespace {

const QString kEraColumn = QStringLiteral("年号");
const QString kAutoRegisterColumn = QStringLiteral("入金先自動登録");
const QString kLineColorColumn = QStringLiteral("LineColor1");
const std::string kTable = "自社情報";

void storeRecord(RowSet& rows, const SettingsRecord& record)
{
    rows.set(kEraColumn, record.era);
    rows.set(kAutoRegisterColumn, record.autoRegister);
    rows.set(kLineColorColumn, record.lineColor);
    rows.update();
}

} // namespace

SettingsInputError::SettingsInputError(const QString& userMessage)
    : std::runtime_error(userMessage.toStdString()), m_userMessage(userMessage)
{
}

SettingsRecord readSettingsRecord(Database& db)
{
    RowSet rows = db.openRowSet("select * from 自社情報");
    if (rows.isEmpty())
        return SettingsRecord{};

    rows.moveFirst();
    SettingsRecord record;
    const Value era = rows.get(kEraColumn);
    // Both an empty column and an empty text mean the era was never chosen.
    record.era = era.isNull() || era.toText().isEmpty() ? kWesternEra : era.toText();
    record.autoRegister = rows.get(kAutoRegisterColumn).toBool();
    record.lineColor = rows.get(kLineColorColumn).toInt64().value_or(kBlackRgbValue);
    rows.close();
    return record;
}

void saveSettingsRecord(Database& db, const SettingsRecord& record)
{
    if (!isRgbValue(record.lineColor))
        throw SettingsInputError(
            QStringLiteral("罫線の色は 0 から 16777215 までの色番号で指定してください。"));

    Transaction transaction(db);
    RowSet rows = db.openTable(kTable);
    if (rows.isEmpty()) {
        rows.addNew();
    } else {
        rows.moveFirst();
        rows.edit();
    }
    storeRecord(rows, record);
    rows.close();
    transaction.commit();
}

bool resetSettingsRecord(Database& db)
{
    Transaction transaction(db);
    RowSet rows = db.openTable(kTable);
    if (rows.isEmpty())
        return false;
    rows.moveFirst();
    rows.edit();
    storeRecord(rows, SettingsRecord{});
    rows.close();
    transaction.commit();
    return true;
}

void deleteAllData(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from 入金先マスタ");
    db.execute("delete from 入金予定表");
    db.execute("delete from 自社情報");
    transaction.commit();
}

SettingsPage pageOf(const SettingsRecord& record)
{
    return SettingsPage{record.era, record.autoRegister, record.lineColor};
}

SettingsPage blankSettingsPage()
{
    return SettingsPage{kWesternEra, false, 1};
}

SettingsRecord recordOf(const SettingsPage& page)
{
    return SettingsRecord{page.era, page.autoRegisterTicked, page.colorNumber};
}

} // namespace settings
