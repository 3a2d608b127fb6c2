#include "common/message_table.h"

#include <QStringView>

#include <iterator>

namespace {

struct DialogRow
{
    QStringView group;
    QStringView code;
    QStringView title;
    QStringView head; // wording before the caller's text
    bool showsText;
    QStringView tail; // wording after it
    DialogStyle style;
};

// Groups appear in the order they are compared, and the codes of a group in theirs; the wording,
// full-width characters and blanks included, is what users of the earlier program know.
constexpr DialogRow kDialogs[] = {
    {u"登録", u"確認", u"登録の確認", u"", true, u" を登録します。よろしいですか",
     DialogStyle::AskDefaultYes},
    {u"登録", u"データ確認", u"登録の確認", u"データ ", true, u" を登録します。よろしいですか",
     DialogStyle::AskDefaultYes},
    {u"登録", u"コード指定", u"登録注意", u"コードが指定されていません。コードを指定してください。", false,
     u"", DialogStyle::Notice},
    {u"登録", u"完了", u"登録完了", u"", true, u" を登録しました。", DialogStyle::Notice},
    {u"登録", u"完了2", u"登録完了", u"データ  ", true, u" を登録しました。", DialogStyle::Notice},
    {u"登録", u"チェック", u"入力項目のチェック", u"入力必須項目が空白です。", false, u"",
     DialogStyle::Notice},
    {u"登録", u"商品未登録", u"入力項目のチェック", u"登録商品データがありません。", false, u"",
     DialogStyle::Notice},
    {u"登録", u"データなし", u"入力項目のチェック", u"登録がデータがありません。", false, u"",
     DialogStyle::Notice},
    {u"転記", u"確認", u"登録の確認", u"", true, u" に転記します。よろしいですか", DialogStyle::AskDefaultNo},
    {u"削除", u"確認", u"削除の確認", u"すべてのデータを削除します。よろしいですか", false, u"",
     DialogStyle::AskDefaultNo},
    {u"削除", u"伝票確認", u"削除の確認", u"伝票 ", true, u" を削除します。よろしいですか",
     DialogStyle::AskDefaultNo},
    {u"削除", u"伝票確認2", u"削除の確認", u"", true, u" を削除します。よろしいですか",
     DialogStyle::AskDefaultNo},
    {u"削除", u"データ確認", u"削除の確認", u"データ ", true, u" を削除します。よろしいですか",
     DialogStyle::AskDefaultNo},
    {u"削除", u"指定確認", u"削除の確認", u"指定された ", true, u" を削除します。よろしいですか",
     DialogStyle::AskDefaultNo},
    // Emptying a whole table: the wording users know from the general question, but No as the default,
    // so that one Enter never empties it.
    {u"削除", u"全件確認", u"確認", u"", true, u"、よろしいですか", DialogStyle::AskDefaultNo},
    // The caller's whole question, for a deletion that needs words of its own (the reason why it is
    // asked again).
    {u"削除", u"続行確認", u"削除の確認", u"", true, u"", DialogStyle::AskDefaultNo},
    {u"削除", u"伝票完了", u"削除の完了", u"伝票 ", true, u" を削除しました。", DialogStyle::Notice},
    {u"削除", u"削除不可能", u"削除の拒否", u"", true, u"削除できません。", DialogStyle::Notice},
    {u"削除", u"伝票完了2", u"削除の完了", u"", true, u" を削除しました。", DialogStyle::Notice},
    {u"削除", u"完了", u"削除の完了", u"データ ", true, u" を削除しました。", DialogStyle::Notice},
    {u"削除", u"削除不可", u"削除不可", u"", true,
     u" にデータがあるため削除できません。メンテナンス機能で削除してください。", DialogStyle::Notice},
    {u"入力", u"上行空白", u"入力注意", u"上の行が空白です。データは連続して指定してください。", false, u"",
     DialogStyle::Notice},
    {u"入力", u"区分なし", u"入力注意", u"区分が指定されていません。区分を指定してください", false, u"",
     DialogStyle::Warning},
    {u"入力", u"必須入力なし", u"入力注意", u"", true, u"指定されていません。確認してください",
     DialogStyle::Warning},
    {u"入力", u"重複", u"入力注意", u"", true, u"が重複しています。確認してください", DialogStyle::Warning},
    {u"入力", u"範囲外", u"入力注意", u"", true, u"が指定範囲外です。確認してください", DialogStyle::Warning},
    {u"入力", u"数字のみ", u"入力注意", u"", true, u"には数字以外使用できません", DialogStyle::Warning},
    {u"行指定", u"無効行", u"入力注意", u"無効な行が指定されています。行指定をやり直してください。", false,
     u"", DialogStyle::Warning},
    {u"行指定", u"指定なし", u"入力注意", u"行が指定されていません。行指定してください。", false, u"",
     DialogStyle::Warning},
    {u"行指定", u"重複", u"入力注意", u"指定行は１回に１行です。行指定をやり直してください。", false, u"",
     DialogStyle::Warning},
    {u"行指定", u"余白なし", u"行挿入注意", u"行挿入する余白はありません。", false, u"",
     DialogStyle::Warning},
    {u"クリア", u"確認", u"画面クリアの確認", u"画面をクリアします。よろしいですか", false, u"",
     DialogStyle::AskDefaultNo},
    {u"印刷", u"確認", u"印刷の確認", u"", true, u"を印刷します。よろしいですか", DialogStyle::AskDefaultNo},
    {u"その他", u"コピー完了", u"コピー完了", u"", true, u"コピーしました。", DialogStyle::Notice},
    {u"その他", u"読込み完了", u"読込完了", u"", true, u"読込みしました。", DialogStyle::Notice},
    {u"その他", u"メッセージ", u"入金予定表", u"", true, u"", DialogStyle::Notice},
    {u"その他", u"確認", u"確認", u"", true, u"、よろしいですか", DialogStyle::AskDefaultYes},
    {u"取込", u"誤り", u"CSV取込", u"次の誤りがあるため、何も取り込んでいません。\n", true, u"",
     DialogStyle::Warning},
};

} // namespace

std::optional<DialogSpec> lookupStandardMessage(const QString& group, const QString& code,
                                                const QString& text)
{
    for (const DialogRow& row : kDialogs) {
        if (row.group != group || row.code != code)
            continue;
        DialogSpec dialog;
        // A title that repeated the whole message made the box as wide as the message twice over: every
        // box has a short title of its own.
        dialog.title = row.title.toString();
        dialog.message = row.head.toString();
        if (row.showsText)
            dialog.message += text;
        dialog.message += row.tail;
        dialog.style = row.style;
        return dialog;
    }
    return std::nullopt;
}
