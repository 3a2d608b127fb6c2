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
