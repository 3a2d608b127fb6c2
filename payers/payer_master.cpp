#include "payers/payer_master.h"

#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace payers {

void loadEditingCopy(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from w入金先マスタ");
    // One statement rather than a row at a time: a master of thousands of names is copied within a
    // screen frame. The rows still arrive in name order, unticked.
    db.execute(
        "insert into work.w入金先マスタ (入金先名) select 入金先名 from main.入金先マスタ order by 入金先名");
    transaction.commit();
}

void saveEditingCopy(Database& db)
{
    // Delete and copy are one unit: a failed copy must never leave the master emptied.
    Transaction transaction(db);
    db.execute("delete from 入金先マスタ");
    // A row the user added on the page and left without a name is not a payer.
    db.execute("insert into main.入金先マスタ (入金先名) select 入金先名 from work.w入金先マスタ"
               " where 入金先名 is not null and 入金先名 <> ''");
    transaction.commit();
}

void clearEditingCopy(Database& db)
{
    db.execute("delete from w入金先マスタ");
}

void deleteAllPayers(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from 入金先マスタ");
    clearEditingCopy(db);
    transaction.commit();
}

int deleteTickedPayers(Database& db)
{
    Transaction transaction(db);
    RowSet ticked = db.openRowSet("select * from w入金先マスタ where チェック = 1");
    for (ticked.moveFirst(); !ticked.atEnd(); ticked.moveNext()) {
        const Value name = ticked.get("入金先名");
        if (!name.isNull())
            db.execute("delete from 入金先マスタ where 入金先名 = ?", {name});
    }
    const int removed = db.execute("delete from w入金先マスタ where チェック = 1");
    transaction.commit();
    return removed;
}

void refreshDropDown(Database& db)
{
    Transaction transaction(db);
    db.execute("delete from w入金先名");
    db.execute("insert into work.w入金先名 select 入金先名 from main.入金先マスタ order by 入金先名");
    transaction.commit();
}

bool addPayer(Database& db, const std::optional<QString>& name)
{
    if (!name || name->isEmpty())
        return false;
    Transaction transaction(db);
    RowSet same = db.openTable("入金先マスタ", "where 入金先名 = ?", {Value(*name)});
    if (!same.isEmpty())
        return false;
    same.addNew();
    same.set("入金先名", Value(*name));
    same.update();
    transaction.commit();
    return true;
}

} // namespace payers
