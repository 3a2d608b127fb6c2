#include "app/dialogs/schedule_questions.h"

#include <QStringList>

namespace {

const QString kUnsavedTitle = QStringLiteral("未登録の変更");
const QString kUnsavedText = QStringLiteral("この月の変更はまだ登録されていません。登録しますか？");
const QString kPayerlessTitle = QStringLiteral("登録の確認");

} // namespace

UnsavedChoice AskUnsavedChanges(UserPrompts& prompts, QWidget* parent)
{
    switch (prompts.ask(parent, {kUnsavedTitle, kUnsavedText, DialogStyle::AskDefaultYes},
                        PromptButtons::YesNoCancelInJapanese)) {
    case Answer::Yes:
        return UnsavedChoice::Save;
    case Answer::No:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Stay;
    }
}

QString payerlessRowsText(const std::vector<int>& gridRows)
{
    QStringList rows;
    for (const int row : gridRows)
        rows << QStringLiteral("%1行目").arg(row);
    return QStringLiteral("入金先のない行は登録されません: ") + rows.join(QStringLiteral(", "));
}

bool AskSaveWithoutPayerRows(UserPrompts& prompts, QWidget* parent, const std::vector<int>& gridRows)
{
    // No is the default: Enter must not let rows the user typed fall out of the save unseen.
    return prompts.ask(parent, {kPayerlessTitle, payerlessRowsText(gridRows), DialogStyle::AskDefaultNo},
                       PromptButtons::YesNoInJapanese) == Answer::Yes;
}

bool AskRestoreDraft(UserPrompts& prompts, QWidget* parent, const QDate& month)
{
    const QString text = QStringLiteral("前回登録されていない入力があります（%1年%2月）。復元しますか？")
                             .arg(month.year())
                             .arg(month.month());
    return prompts.ask(parent, {QStringLiteral("入力の復元"), text, DialogStyle::AskDefaultYes},
                       PromptButtons::YesNoInJapanese) == Answer::Yes;
}
