#include "hints/builtin_hints.h"

namespace hints {

namespace {

const QString kMainWindow = QStringLiteral("FrmDorivan");

// The schedule page (cmdHint).
const QString kScheduleHint = QStringLiteral(
    "【入金予定】\n"
    "月ごとの入金予定と入金額を入力し、残高を確かめる画面です。\n"
    "日付（日だけ）、入金先名、予定額、入金額を入力します。総額（残高）は自動で計算されます。\n"
    "入力した内容は「登録」を押すまで保存されません。\n"
    "\n"
    "■ ボタン\n"
    "◀ ▶：前の月・次の月　　読込：年月欄の月を読み込む\n"
    "登録：表示している月を保存する\n"
    "行挿入：選んだ行の上に空白行を入れる　　行削除：選んだ行を削除する\n"
    "印刷：表示している月を印刷する\n"
    "クリア：今月の空の画面にする（保存した内容は消えません）\n"
    "閉じる：プログラムを終了する\n"
    "\n"
    "■ キー\n"
    "Enter：次の欄へ　　F1：このヒント\n"
    "Ctrl+S：登録　　Ctrl+P：印刷\n"
    "PageUp / PageDown：前の月 / 次の月\n"
    "Ctrl+I：行挿入　　Ctrl+Delete：行削除\n");

// The payer master page (cmdHint1).
const QString kPayerHint = QStringLiteral(
    "【入金先保守】\n"
    "入金予定の入金先名の一覧に出る入金先を管理する画面です。\n"
    "いちばん下の行（＊）に入力すると入金先が増えます。名前はその欄に上書きして直します。\n"
    "変更は「登録」を押すまで保存されません。\n"
    "「設定・情報」で自動登録をオンにすると、入金予定に入力した新しい入金先名は自動で加わります。\n"
    "\n"
    "■ ボタン\n"
    "読込：保存されている入金先を表示し直す（未登録の変更は消えます）\n"
    "登録：画面の一覧を保存する\n"
    "行削除：左端にチェックを付けた入金先を削除する\n"
    "全件削除：すべての入金先を削除する\n"
    "クリア：画面の一覧を空にする（保存した入金先は消えません）\n"
    "\n"
    "■ キー\n"
    "Enter：次の欄へ　　Space：チェックを付ける・外す\n"
    "F1：このヒント\n");

// The settings and information page (cmdHint2).
const QString kSettingsHint = QStringLiteral(
    "【設定・情報】\n"
    "表示と印刷の設定を変える画面です。「登録」で保存すると、すぐに画面と印刷に反映されます。\n"
    "\n"
    "■ 設定\n"
    "年号：年月を西暦（2024年05月）か和暦（令和 06年05月）で表示する\n"
    "入金先の自動登録：入金予定に入力した新しい入金先名を入金先マスタに加える\n"
    "印刷時の罫線の色：色見本をクリックするか、色見本で Enter を押して選ぶ。"
    "右の欄に色の番号を入力してもよい\n"
    "\n"
    "■ ボタン\n"
    "読込：保存されている設定を表示し直す　　登録：画面の設定を保存する\n"
    "削除：保存されている設定を初期値に戻す\n"
    "クリア：画面の設定を空にする（保存した設定は変わりません）\n"
    "実行：入金予定、入金先、設定のすべてのデータを削除する（先にバックアップを作成します）\n"
    "\n"
    "■ キー\n"
    "Tab：次の項目へ　　F1：このヒント\n");

// The open-receipts page (cmdHint3).
const QString kOverdueHint = QStringLiteral(
    "【未入金一覧】\n"
    "基準日までの入金予定のうち、入金が予定額に届いていない行の一覧です。\n"
    "右の表は同じものを入金先ごとにまとめたもの、下のグラフは今後12か月の入金予定の見通しです。\n"
    "グラフの棒や点にマウスを重ねると、その月の金額が出ます。\n"
    "\n"
    "■ 操作\n"
    "基準日：この日までの行を一覧にする（既定は今日）\n"
    "入金先：一覧を一つの入金先に絞る\n"
    "一覧の行をダブルクリックするか Enter：その行の月を入金予定に開く\n"
    "\n"
    "■ ボタン\n"
    "印刷：一覧を印刷する　　CSV出力：一覧をCSVファイルに書き出す\n"
    "\n"
    "■ キー\n"
    "F1：このヒント\n");

} // namespace

QString builtInHint(const QString& formName, const QString& ctlName)
{
    if (formName != kMainWindow)
        return QString();
    if (ctlName == QStringLiteral("cmdHint"))
        return kScheduleHint;
    if (ctlName == QStringLiteral("cmdHint1"))
        return kPayerHint;
    if (ctlName == QStringLiteral("cmdHint2"))
        return kSettingsHint;
    if (ctlName == QStringLiteral("cmdHint3"))
        return kOverdueHint;
    return QString();
}

} // namespace hints
