#include "hints/hint_store.h"

#include "storage/database.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

using namespace hints;

namespace {

const QString kForm = QStringLiteral("FrmDorivan");
const QString kTitle = QStringLiteral("入金予定表 Ver 1.02");

std::int64_t hintRows(Database& db)
{
    return db.readTotal("select count(*) as total from ClHint").toInt64().value_or(-1);
}

class HintStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { db = folder.open(); }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(HintStoreTest, SavingTwiceKeepsOneRowWithTheLastTextAndTitle)
{
    EXPECT_FALSE(readHint(*db, kForm, "cmdHint").has_value());

    EXPECT_TRUE(saveHint(*db, kForm, "cmdHint", "旧タイトル", "最初の文"));
    EXPECT_TRUE(saveHint(*db, kForm, "cmdHint", kTitle, "二度目の文"));
    EXPECT_EQ(hintRows(*db), 1);
    const auto hint = readHint(*db, kForm, "cmdHint");
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(hint->contents, QStringLiteral("二度目の文"));
    EXPECT_EQ(hint->formTitle, kTitle);

    // Each button keeps its own text.
    saveHint(*db, kForm, "cmdHint2", kTitle, "設定の説明");
    EXPECT_EQ(hintRows(*db), 2);
    EXPECT_EQ(readHint(*db, kForm, "cmdHint")->contents, QStringLiteral("二度目の文"));
    EXPECT_FALSE(readHint(*db, kForm, "cmdHint1").has_value());
}

TEST_F(HintStoreTest, DeleteRemovesOnlyThatButtonsHint)
{
    saveHint(*db, kForm, "cmdHint", kTitle, "一");
    saveHint(*db, kForm, "cmdHint1", kTitle, "二");

    EXPECT_TRUE(deleteHint(*db, kForm, "cmdHint"));
    EXPECT_FALSE(readHint(*db, kForm, "cmdHint").has_value());
    EXPECT_EQ(readHint(*db, kForm, "cmdHint1")->contents, QStringLiteral("二"));
    // Deleting what is not there is no failure.
    EXPECT_TRUE(deleteHint(*db, kForm, "cmdHint"));
    EXPECT_EQ(hintRows(*db), 1);
}

TEST_F(HintStoreTest, AnEmptyKeyPartDoesNothing)
{
    saveHint(*db, kForm, "cmdHint", kTitle, "残る");

    EXPECT_FALSE(saveHint(*db, "", "cmdHint", kTitle, "x"));
    EXPECT_FALSE(saveHint(*db, kForm, QString(), kTitle, "x"));
    EXPECT_EQ(hintRows(*db), 1);
    EXPECT_FALSE(readHint(*db, kForm, "").has_value());
    EXPECT_FALSE(readHint(*db, QString(), "cmdHint").has_value());
    EXPECT_FALSE(deleteHint(*db, "", "cmdHint"));
    EXPECT_FALSE(deleteHint(*db, kForm, ""));
    EXPECT_EQ(readHint(*db, kForm, "cmdHint")->contents, QStringLiteral("残る"));
}

TEST_F(HintStoreTest, TextsRoundTripExactly)
{
    const QString text = QStringLiteral("It's a \"quote\"\n二行目\r\n' or '1'='1\t　全角空白 ");
    const QString form = QStringLiteral("Frm'Quoted");
    saveHint(*db, form, "cmd'Hint", "題'名", text);
    const auto hint = readHint(*db, form, "cmd'Hint");
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(hint->contents, text);
    EXPECT_EQ(hint->formTitle, QStringLiteral("題'名"));

    // An empty text is stored as such: the window then shows an empty field, not its old content.
    saveHint(*db, kForm, "cmdHint", kTitle, QString());
    const auto empty = readHint(*db, kForm, "cmdHint");
    ASSERT_TRUE(empty.has_value());
    ASSERT_TRUE(empty->contents.has_value());
    EXPECT_TRUE(empty->contents->isEmpty());
}

TEST_F(HintStoreTest, HintsSurviveReopeningTheFiles)
{
    saveHint(*db, kForm, "cmdHint1", kTitle, "支払先の説明");
    db.reset();
    db = folder.open();
    EXPECT_EQ(readHint(*db, kForm, "cmdHint1")->contents, QStringLiteral("支払先の説明"));
}
