#include "app/standard_message.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace {

DialogAnswerer& installedAnswerer()
{
    static DialogAnswerer answerer;
    return answerer;
}

QMessageBox::Icon iconOf(DialogStyle style)
{
    switch (style) {
    case DialogStyle::AskDefaultNo:
    case DialogStyle::AskDefaultYes:
        return QMessageBox::Question;
    case DialogStyle::Warning:
        return QMessageBox::Warning;
    case DialogStyle::Notice:
        break;
    }
    return QMessageBox::Information;
}

// True when a question was answered Yes.
bool showBox(const DialogSpec& dialog)
{
    QMessageBox box(iconOf(dialog.style), dialog.title, dialog.message, QMessageBox::NoButton,
                    QApplication::activeWindow());
    // Payer names and other caller texts are shown as typed, never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    if (!dialog.isQuestion()) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        box.exec();
        return false;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(dialog.style == DialogStyle::AskDefaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

} // namespace

Answer ShowStandardMessage(const QString& group, const QString& code, const QString& text)
{
    const auto dialog = lookupStandardMessage(group, code, text);
    if (!dialog)
        return Answer::Ok;
    // A copy, so that an answerer may replace itself while it answers.
    const DialogAnswerer answerer = installedAnswerer();
    const bool yes = answerer ? answerer(*dialog) : showBox(*dialog);
    if (!dialog->isQuestion())
        return Answer::Ok;
    return yes ? Answer::Yes : Answer::No;
}

void setDialogAnswerer(DialogAnswerer answerer)
{
    installedAnswerer() = std::move(answerer);
}

std::optional<bool> AnswerInsteadOfBox(const DialogSpec& dialog)
{
    const DialogAnswerer answerer = installedAnswerer();
    if (!answerer)
        return std::nullopt;
    return answerer(dialog);
}
