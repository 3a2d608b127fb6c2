#include "schedule/row_edit.h"

#include "schedule/balances.h"
#include "schedule/row_content.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace schedule {

namespace {

constexpr int kWorkingRows = 200;

bool holdsData(RowSet& row)
{
    const Value payer = row.get("入金先名");
    if (hasPayer(payer))
        return true;
    if (!row.get("日付").isNull())
        return true;
    for (const char* amount : {"予定額", "入金額"}) {
        const auto value = row.get(amount).toMoney();
        if (value && !value->isZero())
            return true;
    }
    return false;
}

} // namespace

InsertResult InsertLine(Database& db, int current)
{
    Transaction tx(db);
    if (db.readTotal("select count(*) as total from InpWork where 行番号 = ?", {current})
            .toInt64()
            .value_or(0) == 0)
        return InsertResult::NoCurrentRow;
    if (db.readTotal("select count(*) as total from InpWork").toInt64().value_or(0) >= kWorkingRows) {
        RowSet last = db.openRowSet("select * from InpWork order by 行番号 desc limit 1");
        if (!last.isEmpty() && holdsData(last))
            return InsertResult::NoRoom;
    }

    db.execute("delete from InpWorkSort");
    db.execute("insert into InpWorkSort select * from InpWork order by 行番号");
    db.execute("delete from InpWork");
    db.execute("insert into InpWork select * from InpWorkSort where 行番号 < ? order by 行番号", {current});
    RowSet blank = db.openTable("InpWork", "limit 0");
    blank.addNew();
    blank.set("行番号", current);
    blank.update();
    db.execute("insert into InpWork select * from InpWorkSort where 行番号 >= ? order by 行番号", {current});

    // The rows went back above, blank, then the rest: their order of arrival is the new order.
    RowSet all = db.openTable("InpWork", "order by rowid");
    int number = 1;
    for (; !all.atEnd(); all.moveNext(), ++number) {
        all.edit();
        all.set("行番号", number);
        all.update();
    }
    db.execute("delete from InpWork where 行番号 > ?", {kWorkingRows});
    tx.commit();
    return InsertResult::Inserted;
}

DeleteResult LineDelete(Database& db, int current, Money carry)
{
    DeleteResult result;
    Transaction tx(db);
    RowSet row = db.openRowSet("select * from InpWork where 行番号 = ?", {current});
    if (row.isEmpty())
        return result;
    const Value origin = row.get("元行番号");
    const std::optional<QDate> date = row.get("日付").toDate();
    const Value payer = row.get("入金先名");
    row.close();
    db.execute("delete from InpWork where 行番号 = ?", {current});

    if (date && hasPayer(payer)) {
        RowSet anchor =
            db.openRowSet("select * from 入金予定表 where 日付 < ? order by 日付 desc, 行番号 desc limit 1",
                          {Value(*date)});
        std::optional<QDate> anchorDate = date;
        std::optional<int> anchorRow;
        if (!anchor.isEmpty()) {
            anchorDate = anchor.get("日付").toDate();
            anchorRow = int(anchor.get("行番号").toInt64().value_or(0));
        }
        if (!origin.isNull()) {
            result.storedRowDeleted =
                db.execute("delete from 入金予定表 where 日付 = ? and 行番号 = ? and 入金先名 = ?",
                           {Value(*date), origin, payer}) > 0;
        }
        Calc残高for削除(db, anchorDate.value_or(*date), anchorRow);
    }

    result.累計 = ReCalc残高(db, carry);
    result.予定額月計 = Calc入金予定額(db);
    result.入金額月計 = Calc入金額(db);
    tx.commit();
    return result;
}

} // namespace schedule
