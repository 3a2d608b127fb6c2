#include "common/message_table.h"

#include <gtest/gtest.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

DialogSpec lookup(const char* group, const char* code, const char* text)
{
    const auto dialog = lookupStandardMessage(s(group), s(code), s(text));
    EXPECT_TRUE(dialog.has_value()) << group << "/" << code;
    return dialog.value_or(DialogSpec{});
}

} // namespace

TEST(MessageTable, ComposesTheDialogsThisProgramUses)
{
    auto save = lookup("登録", "確認", "入金予定表");
    EXPECT_EQ(save.title, s("登録の確認"));
    EXPECT_EQ(save.message, s("入金予定表 を登録します。よろしいですか"));
    EXPECT_EQ(save.style, DialogStyle::AskDefaultYes);

    auto deleteRow = lookup("削除", "伝票確認2", "指定された行");
    EXPECT_EQ(deleteRow.title, s("削除の確認"));
    EXPECT_EQ(deleteRow.message, s("指定された行 を削除します。よろしいですか"));
    EXPECT_EQ(deleteRow.style, DialogStyle::AskDefaultNo);

    auto noMonth = lookup("その他", "メッセージ", "年月を指定してください。");
    EXPECT_EQ(noMonth.title, s("入金予定表")) << "a short title, not the message again";
    EXPECT_EQ(noMonth.message, s("年月を指定してください。"));
    EXPECT_EQ(noMonth.style, DialogStyle::Notice);

    auto deletePayers = lookup("削除", "指定確認", "入金先");
    EXPECT_EQ(deletePayers.message, s("指定された 入金先 を削除します。よろしいですか"));
    EXPECT_EQ(deletePayers.style, DialogStyle::AskDefaultNo);

    auto deleteAllPayers = lookup("その他", "確認", "すべての入金先を削除します");
    EXPECT_EQ(deleteAllPayers.title, s("確認"));
    EXPECT_EQ(deleteAllPayers.message, s("すべての入金先を削除します、よろしいですか"));
    EXPECT_EQ(deleteAllPayers.style, DialogStyle::AskDefaultYes);

    // Emptying the payer master asks in the same words, but with No as the default.
    auto emptyPayers = lookup("削除", "全件確認", "すべての入金先を削除します");
    EXPECT_EQ(emptyPayers.title, s("確認"));
    EXPECT_EQ(emptyPayers.message, deleteAllPayers.message);
    EXPECT_EQ(emptyPayers.style, DialogStyle::AskDefaultNo);
    auto goOn = lookup("削除", "続行確認", "バックアップを作成できませんでした。\nそれでも削除しますか？");
    EXPECT_EQ(goOn.title, s("削除の確認"));
    EXPECT_EQ(goOn.message, s("バックアップを作成できませんでした。\nそれでも削除しますか？"));
    EXPECT_EQ(goOn.style, DialogStyle::AskDefaultNo);

    auto deleteAll = lookup("削除", "確認", "");
    EXPECT_EQ(deleteAll.message, s("すべてのデータを削除します。よろしいですか"));
    EXPECT_EQ(lookup("削除", "確認", "ヒント").message, deleteAll.message) << "the text is not shown";

    auto hintSaved = lookup("登録", "完了", "ヒント");
    EXPECT_EQ(hintSaved.title, s("登録完了"));
    EXPECT_EQ(hintSaved.message, s("ヒント を登録しました。"));
    EXPECT_EQ(lookup("削除", "完了", "ヒント").message, s("データ ヒント を削除しました。"));
}

TEST(MessageTable, KeepsTheExactWording)
{
    EXPECT_EQ(lookup("登録", "完了2", "X").message, s("データ  X を登録しました。"));
    EXPECT_EQ(lookup("登録", "データ確認", "X").message, s("データ X を登録します。よろしいですか"));
    EXPECT_EQ(lookup("削除", "削除不可能", "X").message, s("X削除できません。"));
    EXPECT_EQ(lookup("印刷", "確認", "X").message, s("Xを印刷します。よろしいですか"));
    EXPECT_EQ(lookup("その他", "読込み完了", "X").title, s("読込完了"));

    auto oneRow = lookup("行指定", "重複", "X");
    EXPECT_EQ(oneRow.message, s("指定行は１回に１行です。行指定をやり直してください。"));
    EXPECT_EQ(oneRow.style, DialogStyle::Warning);
    auto duplicate = lookup("入力", "重複", "入金先名");
    EXPECT_EQ(duplicate.message, s("入金先名が重複しています。確認してください"));
    EXPECT_EQ(duplicate.style, DialogStyle::Warning);

    auto clear = lookup("クリア", "確認", "X");
    EXPECT_EQ(clear.title, s("画面クリアの確認"));
    EXPECT_EQ(clear.message, s("画面をクリアします。よろしいですか"));
    EXPECT_EQ(lookup("転記", "確認", "X").style, DialogStyle::AskDefaultNo);
    EXPECT_EQ(lookup("入力", "上行空白", "").style, DialogStyle::Notice);

    // The caller's text is taken as it is, nothing trimmed.
    EXPECT_EQ(lookup("登録", "確認", " 設定 ").message, s(" 設定  を登録します。よろしいですか"));
}

TEST(MessageTable, UnknownGroupsAndCodesShowNothing)
{
    EXPECT_FALSE(lookupStandardMessage(s("保存"), s("確認"), s("X")));
    EXPECT_FALSE(lookupStandardMessage(s("登録"), s("確認 "), s("X")));
    EXPECT_FALSE(lookupStandardMessage(s("登録"), s("上行空白"), s("X"))) << "a code of another group";
    EXPECT_FALSE(lookupStandardMessage(s("行指定"), s("完了"), s("X")));
    EXPECT_FALSE(lookupStandardMessage(QString(), QString(), QString()));
}
