#include "settings/settings_record.h"

#include "storage/database.h"
#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

using namespace settings;

namespace {

std::int64_t countRows(Database& db, const std::string& table)
{
    return db.readTotal("select count(*) as total from " + table).toInt64().value_or(-1);
}

class SettingsRecordTest : public ::testing::Test
{
protected:
    void SetUp() override { db = folder.open(); }
    void sql(const char* statement) { rawConnection(*db).exec(statement); }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(SettingsRecordTest, ReadRulesForMissingEmptyAndStoredRows)
{
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", true, 0}));

    sql("insert into 自社情報 (年号, 入金先自動登録, LineColor1) values (null, null, null)");
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", false, 0}));

    sql("update 自社情報 set 年号 = '和暦', 入金先自動登録 = 1, LineColor1 = 8421631");
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"和暦", true, 8421631}));

    // A text the era box does not list is still shown as it is; an empty text means none was chosen.
    sql("update 自社情報 set 年号 = '平成', 入金先自動登録 = 0");
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"平成", false, 8421631}));
    sql("update 自社情報 set 年号 = ''");
    EXPECT_EQ(readSettingsRecord(*db).era, "西暦");
}

TEST_F(SettingsRecordTest, SaveAddsOneRowThenEditsIt)
{
    saveSettingsRecord(*db, SettingsRecord{"和暦", false, 255});
    EXPECT_EQ(countRows(*db, "自社情報"), 1);
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"和暦", false, 255}));

    saveSettingsRecord(*db, SettingsRecord{"西暦", true, 16777215});
    EXPECT_EQ(countRows(*db, "自社情報"), 1);
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", true, 16777215}));

    // The values survive closing and reopening the files.
    db.reset();
    db = folder.open();
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", true, 16777215}));
}

TEST_F(SettingsRecordTest, SaveRefusesAColourThatIsNoRgbNumber)
{
    EXPECT_THROW(saveSettingsRecord(*db, SettingsRecord{"和暦", false, -1}), SettingsInputError);
    EXPECT_THROW(saveSettingsRecord(*db, SettingsRecord{"和暦", false, 16777216}), SettingsInputError);
    EXPECT_EQ(countRows(*db, "自社情報"), 0);

    saveSettingsRecord(*db, SettingsRecord{"和暦", false, 255});
    try {
        saveSettingsRecord(*db, SettingsRecord{"西暦", true, -5});
        FAIL() << "a negative colour was stored";
    } catch (const SettingsInputError& e) {
        EXPECT_FALSE(e.userMessage().isEmpty());
    }
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"和暦", false, 255}));
}

TEST_F(SettingsRecordTest, ResetPutsDefaultsIntoAStoredRowAndCreatesNone)
{
    EXPECT_FALSE(resetSettingsRecord(*db));
    EXPECT_EQ(countRows(*db, "自社情報"), 0);

    saveSettingsRecord(*db, SettingsRecord{"和暦", false, 255});
    EXPECT_TRUE(resetSettingsRecord(*db));
    EXPECT_EQ(countRows(*db, "自社情報"), 1);
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", true, 0}));
}

TEST_F(SettingsRecordTest, PageValuesOfReadAndClear)
{
    EXPECT_EQ(pageOf(SettingsRecord{"和暦", true, 255}), (SettingsPage{"和暦", true, 255}));
    // The cleared page shows the number 1, and saving it stores that number.
    EXPECT_EQ(blankSettingsPage(), (SettingsPage{"西暦", false, 1}));
    EXPECT_EQ(recordOf(blankSettingsPage()), (SettingsRecord{"西暦", false, 1}));
}

TEST_F(SettingsRecordTest, AllDeleteEmptiesThePermanentTablesAndKeepsHints)
{
    sql("insert into 入金先マスタ (入金先名) values ('北商事')");
    sql("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) "
        "values ('2024-05-01', 1, '北商事', 10000, 0, 10000)");
    saveSettingsRecord(*db, SettingsRecord{"和暦", false, 255});
    sql("insert into ClHint (FormName, CtlName, FormTitle, Contents) values ('FrmDorivan', 'cmdHint', 't', "
        "'c')");

    deleteAllData(*db);
    EXPECT_EQ(countRows(*db, "入金先マスタ"), 0);
    EXPECT_EQ(countRows(*db, "入金予定表"), 0);
    EXPECT_EQ(countRows(*db, "自社情報"), 0);
    EXPECT_EQ(countRows(*db, "ClHint"), 1);
    EXPECT_EQ(readSettingsRecord(*db), (SettingsRecord{"西暦", true, 0}));
}

TEST_F(SettingsRecordTest, AllDeleteThatFailsOnTheLastTableDeletesNothing)
{
    sql("insert into 入金先マスタ (入金先名) values ('北商事')");
    sql("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) "
        "values ('2024-05-01', 1, '北商事', 10000, 0, 10000)");
    saveSettingsRecord(*db, SettingsRecord{"和暦", false, 255});
    sql("create trigger keep_settings before delete on 自社情報 begin select raise(abort, 'locked'); end");

    EXPECT_THROW(deleteAllData(*db), StorageError);
    EXPECT_EQ(countRows(*db, "入金先マスタ"), 1);
    EXPECT_EQ(countRows(*db, "入金予定表"), 1);
    EXPECT_EQ(countRows(*db, "自社情報"), 1);

    // The store is usable afterwards: the failed unit left no transaction open.
    sql("drop trigger keep_settings");
    deleteAllData(*db);
    EXPECT_EQ(countRows(*db, "入金予定表"), 0);
}
