#include "app/schedule_questions.h"

#include "app/standard_message.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QStringList>

namespace {

const QString kUnsavedTitle = QStringLiteral("未登録の変更");
const QString kUnsavedText = QStringLiteral("この月の変更はまだ登録されていません。登録しますか？");
const QString kPayerlessTitle = QStringLiteral("登録の確認");

// The captions are set here rather than left to Qt's translation, which a machine may lack.
void caption(QMessageBox& box, QMessageBox::StandardButton button, const QString& text)
{
    if (QAbstractButton* b = box.button(button))
        b->setText(text);
}

} // namespace

UnsavedChoice AskUnsavedChanges(QWidget* parent)
{
    if (const std::optional<bool> yes =
            AnswerInsteadOfBox({kUnsavedTitle, kUnsavedText, DialogStyle::AskDefaultYes}))
        return *yes ? UnsavedChoice::Save : UnsavedChoice::Discard;

    QMessageBox box(QMessageBox::Question, kUnsavedTitle, kUnsavedText,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    caption(box, QMessageBox::Yes, QStringLiteral("はい"));
    caption(box, QMessageBox::No, QStringLiteral("いいえ"));
    caption(box, QMessageBox::Cancel, QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return UnsavedChoice::Save;
    case QMessageBox::No:
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

bool AskSaveWithoutPayerRows(QWidget* parent, const std::vector<int>& gridRows)
{
    const QString text = payerlessRowsText(gridRows);
    if (const std::optional<bool> yes =
            AnswerInsteadOfBox({kPayerlessTitle, text, DialogStyle::AskDefaultNo}))
        return *yes;

    // No is the default: Enter must not let rows the user typed fall out of the save unseen.
    QMessageBox box(QMessageBox::Question, kPayerlessTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    caption(box, QMessageBox::Yes, QStringLiteral("はい"));
    caption(box, QMessageBox::No, QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}
