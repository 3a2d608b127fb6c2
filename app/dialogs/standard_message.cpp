#include "app/dialogs/standard_message.h"

#include <QApplication>

Answer showStandardMessage(UserPrompts& prompts, const QString& group, const QString& code,
                           const QString& text)
{
    const auto dialog = lookupStandardMessage(group, code, text);
    if (!dialog)
        return Answer::Ok;
    const Answer answer = prompts.ask(QApplication::activeWindow(), *dialog, PromptButtons::Standard);
    if (!dialog->isQuestion())
        return Answer::Ok;
    return answer == Answer::Yes ? Answer::Yes : Answer::No;
}
