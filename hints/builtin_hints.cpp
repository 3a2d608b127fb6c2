#include "hints/builtin_hints.h"

namespace hints {

namespace {

const QString kMainWindow = QStringLiteral("FrmDorivan");

// The schedule page (cmdHint).
const QString kScheduleHint =
    QStringLiteral("【入金予定】\n"
                   "月ごとの入金予定と入金実績を入力し、残高を確かめる画面です。\n"
                   "\n"
                   "■ 入力のしかた\n"
                   "・年月を選び、日付（日だけ）、入金先名、予定額、入金額を入力します。\n"
                   "・総額（残高）は自動で計算されます。入力はできません。\n"
                   "・入金先名は一覧から選ぶか、直接入力します。\n"
                   "・入力した内容は「登録」を押すまで保存されません。\n"
                   "\n"
                   "■ ボタン\n"
                   "・◀ ▶：前の月・次の月を表示します。\n"
                   "・読込：年月欄の月を読み込みます。\n"
                   "・登録：表示している月を保存します。\n"
                   "・行挿入：選んでいる行の上に空白行を入れます。\n"
                   "・行削除：選んでいる行を削除します（確認があります）。\n"
                   "・印刷：表示している月の入金予定表を印刷します。\n"
                   "・クリア：今月の空の画面に戻します（保存した内容は消えません）。\n"
                   "・閉じる：プログラムを終了します。\n"
                   "\n"
                   "■ キー\n"
                   "・Enter：次の欄へ進みます。\n"
                   "・Ctrl+S：登録　Ctrl+P：印刷\n"
                   "・PageUp / PageDown：前の月 / 次の月\n"
                   "・Ctrl+I：行挿入　Ctrl+Delete：行削除\n"
                   "・F1：このヒント\n");

// The payer master page (cmdHint1).
const QString kPayerHint = QStringLiteral(
    "【入金先保守】\n"
    "入金予定の入力で一覧から選べる入金先名を管理する画面です。\n"
    "「設定・情報」で入金先の自動登録をオンにすると、入金予定に入力した新しい入金先名は自動で追加されます。\n"
    "\n"
    "■ 入力のしかた\n"
    "・いちばん下の行（＊）に入金先名を入力すると行が増えます。\n"
    "・名前を書き換えるときは、その欄に上書きします。\n"
    "・削除したい行は左端の欄にチェックを付けます（Space キーでも付けられます）。\n"
    "・変更は「登録」を押すまで保存されません。\n"
    "\n"
    "■ ボタン\n"
    "・読込：保存されている入金先を表示し直します（未登録の変更は消えます）。\n"
    "・登録：画面の入金先一覧を保存します。\n"
    "・行削除：チェックを付けた入金先を削除します（確認があります）。\n"
    "・全件削除：すべての入金先を削除します（確認があります）。\n"
    "・クリア：画面の一覧を空にします（保存されている入金先は消えません）。\n"
    "\n"
    "■ キー\n"
    "・Enter：次の欄へ進みます。\n"
    "・F1：このヒント\n");

// The settings and information page (cmdHint2).
const QString kSettingsHint = QStringLiteral(
    "【設定・情報】\n"
    "表示と印刷の設定を変える画面です。\n"
    "\n"
    "■ 設定\n"
    "・年号：年月を西暦（2024年05月）で表示するか、和暦（令和 06年05月）で表示するかを選びます。\n"
    "・入金先の自動登録：入金予定に入力した新しい入金先名を入金先マスタに自動で追加します。\n"
    "・印刷時の罫線の色：色見本をダブルクリックするか、色見本を選んで Enter を押すと色を選べます。"
    "右の欄に色の番号を直接入力することもできます。\n"
    "・設定は「登録」を押すと保存され、すぐに画面と印刷に反映されます。\n"
    "\n"
    "■ ボタン\n"
    "・読込：保存されている設定を表示し直します。\n"
    "・登録：画面の設定を保存します。\n"
    "・削除：保存されている設定を初期値に戻します（確認があります）。\n"
    "・クリア：画面の設定を空にします（保存されている設定は変わりません）。\n"
    "・実行：入金予定、入金先、設定のすべてのデータを削除します（確認があります）。"
    "削除の前にバックアップを作成します。\n"
    "\n"
    "■ キー\n"
    "・Tab：次の項目へ進みます。\n"
    "・F1：このヒント\n");

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
    return QString();
}

} // namespace hints
