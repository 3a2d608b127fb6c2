#include "payers/payer_master.h"
#include "storage/rowset.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using namespace payers;

namespace {

const QString kQuoted = QStringLiteral("O'Brien 商店");

QList<bool> copyTicks(Database& db)
{
    QList<bool> ticks;
    RowSet set = db.openRowSet("select * from w入金先マスタ order by rowid");
    for (set.moveFirst(); !set.atEnd(); set.moveNext())
        ticks << set.get("チェック").toBool();
    return ticks;
}

} // namespace

TEST(PayerMaster, ReadFillsTheCopyInNameOrderUnticked)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"丙", "甲", kQuoted, "乙"});
    seedPayerCopy(*db, {"古い行"}, {true});

    loadEditingCopy(*db);

    QStringList expected{"丙", "甲", kQuoted, "乙"};
    expected.sort();
    EXPECT_EQ(readNames(*db, "w入金先マスタ"), expected);
    EXPECT_EQ(copyTicks(*db), QList<bool>(4, false));

    refreshDropDown(*db);
    EXPECT_EQ(readNames(*db, "w入金先名"), expected);
}

TEST(PayerMaster, SavingReplacesTheWholeMasterOrNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"消える", "残る"});
    seedPayerCopy(*db, {"残る", "新規", kQuoted, ""}, {false, true});

    saveEditingCopy(*db);
    EXPECT_EQ(sortedPayers(*db), (QStringList{kQuoted, "新規", "残る"})); // ticked rows too

    // The store refusing one name leaves the master exactly as it was.
    rawConnection(*db).exec("create temp trigger refuse before insert on main.入金先マスタ "
                            "when new.入金先名 = '拒否' begin select raise(abort, 'refused'); end");
    clearEditingCopy(*db);
    seedPayerCopy(*db, {"別", "拒否"});
    EXPECT_THROW(saveEditingCopy(*db), std::exception);
    EXPECT_EQ(sortedPayers(*db), (QStringList{kQuoted, "新規", "残る"}));

    clearEditingCopy(*db);
    EXPECT_EQ(countRows(*db, "w入金先マスタ"), 0);
    saveEditingCopy(*db);
    EXPECT_EQ(countRows(*db, "入金先マスタ"), 0);
}

TEST(PayerMaster, TickedDeleteAndDeleteAll)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"甲", "乙", kQuoted, "丙 "});
    loadEditingCopy(*db);
    // Tick 甲 and the quoted name; add a ticked name that was never saved and one named like a stored
    // name with a trailing blank removed.
    db->execute("update w入金先マスタ set チェック = 1 where 入金先名 = ? or 入金先名 = ?",
                {Value("甲"), Value(kQuoted)});
    seedPayerCopy(*db, {"未登録", "丙"}, {true, true});

    EXPECT_EQ(deleteTickedPayers(*db), 4);
    EXPECT_EQ(sortedPayers(*db), (QStringList{"丙 ", "乙"}));
    EXPECT_EQ(readNames(*db, "w入金先マスタ"), (QStringList{"丙 ", "乙"}));

    // Nothing ticked: nothing changes.
    EXPECT_EQ(deleteTickedPayers(*db), 0);
    EXPECT_EQ(countRows(*db, "入金先マスタ"), 2);

    // A row renamed on the page and then deleted takes the payer it was read as.
    db->execute("update w入金先マスタ set 入金先名 = '乙改', チェック = 1 where 入金先名 = '乙'");
    EXPECT_EQ(deleteTickedPayers(*db), 1);
    EXPECT_EQ(sortedPayers(*db), QStringList{"丙 "});

    deleteAllPayers(*db);
    EXPECT_EQ(countRows(*db, "入金先マスタ"), 0);
    EXPECT_EQ(countRows(*db, "w入金先マスタ"), 0);
}

TEST(PayerMaster, AddRegistersANameOnceAndExactly)
{
    TempDataFolder folder;
    auto db = folder.open();

    EXPECT_TRUE(addPayer(*db, kQuoted));
    EXPECT_FALSE(addPayer(*db, kQuoted));
    EXPECT_TRUE(addPayer(*db, kQuoted + " ")); // a trailing blank makes another payer
    EXPECT_FALSE(addPayer(*db, QString()));
    EXPECT_FALSE(addPayer(*db, std::nullopt));

    EXPECT_EQ(sortedPayers(*db), (QStringList{kQuoted, kQuoted + " "}));
}

TEST(PayerMaster, TheCopyShowsTheTermsAsTypedAndABadRowStoresNothingNamingIt)
{
    TempDataFolder folder;
    auto db = folder.open();
    db->execute("insert into 入金先マスタ (入金先名, フリガナ, 締め日, 支払月, 支払日, 休日, 定額, 定額開始, "
                "定額終了)"
                " values ('甲', 'コウ', 99, 1, 10, '後', ?, '2026-04', null)",
                {Value(yen(30000))});
    seedPayers(*db, {"乙"});
    loadEditingCopy(*db);

    RowSet copy = db->openRowSet("select * from w入金先マスタ order by 入金先名 desc");
    copy.moveFirst();
    EXPECT_EQ(copy.get("元入金先名").toText(), "甲");
    EXPECT_EQ(copy.get("フリガナ").toText(), "コウ");
    EXPECT_EQ(copy.get("締め日").toText(), "末");
    EXPECT_EQ(copy.get("支払月").toText(), "1");
    EXPECT_EQ(copy.get("休日").toText(), "後");
    EXPECT_EQ(copy.get("定額").toMoney(), yen(30000));
    EXPECT_EQ(copy.get("定額開始").toText(), "2026/04");
    EXPECT_TRUE(copy.get("定額終了").isNull());

    // Typed as the page takes them (full-width digits too), stored in the file's form.
    db->execute("update w入金先マスタ set 締め日 = '２０', 支払日 = '末', 休日 = null where 入金先名 = '甲'");
    saveEditingCopy(*db);
    RowSet stored = db->openRowSet("select * from 入金先マスタ where 入金先名 = '甲'");
    stored.moveFirst();
    EXPECT_EQ(stored.get("締め日").toInt64(), 20);
    EXPECT_EQ(stored.get("支払日").toInt64(), 99);
    EXPECT_TRUE(stored.get("休日").isNull());
    EXPECT_EQ(stored.get("定額開始").toText(), "2026-04");
    EXPECT_EQ(stored.get("フリガナ").toText(), "コウ");

    // A term that does not read, or terms that do not go together, refuse the save by the payer's name.
    db->execute("update w入金先マスタ set 締め日 = null where 入金先名 = '甲'");
    try {
        saveEditingCopy(*db);
        ADD_FAILURE();
    } catch (const PayerRowRefused& e) {
        EXPECT_TRUE(e.userMessage().contains("甲")) << e.userMessage().toStdString();
    }
    db->execute("update w入金先マスタ set 締め日 = '20' where 入金先名 = '甲'");
    db->execute("update w入金先マスタ set 締め日 = '31' where 入金先名 = '乙'");
    try {
        saveEditingCopy(*db);
        ADD_FAILURE();
    } catch (const PayerRowRefused& e) {
        EXPECT_TRUE(e.userMessage().contains("乙") && e.userMessage().contains("締め日"));
    }
    // A name of blanks is named by its line.
    db->execute("update w入金先マスタ set 締め日 = null where 入金先名 = '乙'");
    seedPayerCopy(*db, {"", "　"});
    db->execute("update w入金先マスタ set 休日 = '翌' where 入金先名 = '　'");
    try {
        saveEditingCopy(*db);
        ADD_FAILURE();
    } catch (const PayerRowRefused& e) {
        EXPECT_TRUE(e.userMessage().contains("4 行目")) << e.userMessage().toStdString();
    }
    EXPECT_EQ(db->readFirst("select 締め日 from 入金先マスタ where 入金先名 = '甲'").toInt64(), 20);
    EXPECT_EQ(db->readFirst("select 支払月 from 入金先マスタ where 入金先名 = '乙'").toInt64(), std::nullopt);
}

TEST(PayerMaster, ARenameTakesTheOldNamesRowsAlongOnlyWhenCarried)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"旧名", "他社"});
    seedStoredRows(*db, {{QDate(2026, 1, 5), 1, QString("旧名"), yen(100), std::nullopt, yen(100)},
                         {QDate(2026, 1, 6), 2, QString("他社"), yen(100), std::nullopt, yen(200)},
                         {QDate(2026, 2, 5), 1, QString("旧名"), yen(100), std::nullopt, yen(300)}});
    db->execute("insert into 定額予定記録 (入金先名, 年月) values ('旧名', '2026-01'), ('新名', '2026-01'),"
                " ('旧名', '2026-02')");
    db->execute(
        "insert into 入金先照合名 (入金先名, 照合キー, 振込依頼人名) values ('旧名', 'ｷﾕｳﾒｲ', 'ｷﾕｳﾒｲ')");
    db->execute("insert into InpWork (行番号, 元行番号, 入金先名) values (1, 1, '旧名')");
    db->execute("insert into InpWorkBase (StoredRowId, 位置, 行番号, 入金先名) values (1, 0, 1, '旧名')");
    loadEditingCopy(*db);
    db->execute("update w入金先マスタ set 入金先名 = '新名' where 入金先名 = '旧名'");

    const std::vector<Rename> renames = findRenames(*db);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].from, "旧名");
    EXPECT_EQ(renames[0].to, "新名");
    EXPECT_EQ(renames[0].storedRows, 2);

    // Saved alone, the master changes and the rows keep the old name.
    saveEditingCopy(*db);
    EXPECT_EQ(sortedPayers(*db), (QStringList{"他社", "新名"}));
    EXPECT_EQ(countRows(*db, "入金予定表"), 3);
    EXPECT_EQ(db->readFirst("select count(*) from 入金予定表 where 入金先名 = '旧名'").toInt64(), 2);
    EXPECT_TRUE(findRenames(*db).empty()); // the page now counts as read with the new name

    // Carried, every table that names the payer follows, within the one save.
    db->execute("update w入金先マスタ set 元入金先名 = '旧名' where 入金先名 = '新名'");
    saveEditingCopy(*db, findRenames(*db));
    EXPECT_EQ(db->readFirst("select count(*) from 入金予定表 where 入金先名 = '新名'").toInt64(), 2);
    EXPECT_EQ(db->readFirst("select count(*) from 入金予定表 where 入金先名 = '他社'").toInt64(), 1);
    EXPECT_EQ(db->readFirst("select 入金先名 from InpWork where 入金先名 is not null").toText(), "新名");
    EXPECT_EQ(db->readFirst("select 入金先名 from InpWorkBase").toText(), "新名");
    EXPECT_EQ(
        db->readFirst("select group_concat(入金先名 || 年月) from (select * from 定額予定記録 order by 1, 2)")
            .toText(),
        "新名2026-01,新名2026-02");
    EXPECT_EQ(db->readFirst("select 入金先名 from 入金先照合名").toText(), "新名");

    // Two names swapped in one save swap their rows, and a chain keeps each payer's rows apart.
    db->execute("update w入金先マスタ set 入金先名 = case 入金先名 when '新名' then '他社' else '新名' end");
    saveEditingCopy(*db, findRenames(*db));
    EXPECT_EQ(
        db->readFirst("select group_concat(入金先名) from (select 入金先名 from 入金予定表 order by rowid)")
            .toText(),
        "他社,新名,他社");
    EXPECT_EQ(db->readFirst("select group_concat(入金先名) from (select distinct 入金先名 from 定額予定記録)")
                  .toText(),
              "他社");
    db->execute("update w入金先マスタ set 入金先名 = case 入金先名 when '他社' then '三社' else '他社' end");
    saveEditingCopy(*db, findRenames(*db));
    EXPECT_EQ(
        db->readFirst("select group_concat(入金先名) from (select 入金先名 from 入金予定表 order by rowid)")
            .toText(),
        "三社,他社,三社");
}
