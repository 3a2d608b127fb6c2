#include "support/dialog_answers.h"

#include <algorithm>

ScopedDialogAnswers::ScopedDialogAnswers(std::initializer_list<bool> answers, bool defaultAnswer)
    : m_answers(answers), m_defaultAnswer(defaultAnswer)
{
    setDialogAnswerer([this](const DialogSpec& dialog) { return answer(dialog); });
}

ScopedDialogAnswers::~ScopedDialogAnswers()
{
    setDialogAnswerer({});
}

int ScopedDialogAnswers::questionCount() const
{
    return int(
        std::count_if(m_shown.begin(), m_shown.end(), [](const DialogSpec& s) { return s.isQuestion(); }));
}

bool ScopedDialogAnswers::answer(const DialogSpec& dialog)
{
    m_shown.push_back(dialog);
    if (!dialog.isQuestion())
        return false;
    if (m_answers.empty())
        return m_defaultAnswer;
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}
