#include "storage/schema.h"

#include "storage/inp_work_layout.h"
#include "storage/migrations.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <string>

namespace {

// Amounts are whole numbers of ten-thousandths; dates ISO text; yes/no 0 or 1.

// The column definitions of the tables shaped like InpWork.
std::string inpWorkColumns()
{
    std::string columns;
    for (const ColumnLayout& column : kInpWorkLayout) {
        columns += columns.empty() ? "(" : ", ";
        columns += column.name;
        columns += ' ';
        columns += column.sqlType;
    }
    return columns + ")";
}

// The draft of the displayed month beside its working rows: the stored rows it was loaded from, and
// its month with whether it differs from them, so that a start after a crash can offer it back.
const char* const kDraftTables[][2] = {
    {"InpWorkBase",
     "(StoredRowId INTEGER, 位置 INTEGER, 日付 TEXT, 行番号 INTEGER, 入金先名 TEXT, 予定額 INTEGER,"
     " 入金額 INTEGER)"},
    {"InpWorkDraft", "(年月 TEXT, 未登録 INTEGER, 累計 INTEGER)"},
};

void run(SQLite::Database& db, const std::string& sql)
{
    db.exec(sql);
}

} // namespace

void createPermanentSchema(SQLite::Database& db, const std::string& schema)
{
    const std::string s = schema + ".";
    run(db, "CREATE TABLE " + s +
                "入金予定表 (日付 TEXT, 行番号 INTEGER, 入金先名 TEXT, 予定額 INTEGER, 入金額 INTEGER, 残高 "
                "INTEGER)");
    // Every month load, carry-forward lookup and balance pass walks this order.
    run(db, "CREATE INDEX " + s + "入金予定表_日付_行番号 ON 入金予定表 (日付, 行番号)");
    run(db, "CREATE TABLE " + s + "入金先マスタ (入金先名 TEXT)");
    run(db, "CREATE TABLE " + s + "自社情報 (年号 TEXT, 入金先自動登録 INTEGER, LineColor1 INTEGER)");
    // Made as format 1 was, then by every later step: a new file and an upgraded one cannot drift apart.
    migrations::applyStepsFrom(db, schema, migrations::permanentFormat(), 1);
    migrations::writeVersion(db, schema, migrations::permanentFormat().latest());
}

void createWorkSchema(SQLite::Database& db, const std::string& schema)
{
    const std::string s = schema + ".";
    for (const char* table : {"InpWork", "InpWorkSort", "InpWork印刷"})
        run(db, "CREATE TABLE " + s + table + " " + inpWorkColumns());
    run(db, "CREATE TABLE " + s + "w入金先名 (入金先名 TEXT)");
    run(db, "CREATE TABLE " + s + "w入金先マスタ (チェック INTEGER DEFAULT 0, 入金先名 TEXT)");
    run(db, "CREATE TABLE " + s + "ClHint (FormName TEXT, CtlName TEXT, FormTitle TEXT, Contents TEXT)");
    for (const auto& [table, columns] : kDraftTables)
        run(db, "CREATE TABLE " + s + table + " " + columns);
    // The draft writes its rows by their number, one row at a time as the user types.
    run(db, "CREATE INDEX " + s + "InpWork_行番号 ON InpWork (行番号)");
    migrations::applyStepsFrom(db, schema, migrations::workFormat(), 1);
    migrations::writeVersion(db, schema, migrations::workFormat().latest());
}

QStringList missingTables(SQLite::Database& db, const std::string& schema, const QStringList& required)
{
    QStringList present;
    SQLite::Statement q(db, "SELECT name FROM " + schema + ".sqlite_master WHERE type = 'table'");
    while (q.executeStep())
        present << QString::fromStdString(q.getColumn(0).getString()).toLower();
    QStringList missing;
    for (const QString& name : required) {
        if (!present.contains(name.toLower()))
            missing << name;
    }
    return missing;
}
