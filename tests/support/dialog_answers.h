#pragma once

#include "app/standard_message.h"
#include "common/message_table.h"

#include <deque>
#include <initializer_list>
#include <vector>

// Answers the standard dialogs for the lifetime of the object instead of showing boxes: questions take
// the queued answers in turn and then the default answer; notices are only recorded. Every dialog that
// would have been shown is kept for assertions. The real boxes come back on destruction.
class ScopedDialogAnswers
{
public:
    explicit ScopedDialogAnswers(std::initializer_list<bool> answers = {}, bool defaultAnswer = false);
    ~ScopedDialogAnswers();
    ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
    ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;

    void queue(bool answer) { m_answers.push_back(answer); }
    void setDefaultAnswer(bool answer) { m_defaultAnswer = answer; }

    const std::vector<DialogSpec>& shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    // The most recent dialog; only valid when count() > 0.
    const DialogSpec& last() const { return m_shown.back(); }
    int questionCount() const;
    int unusedAnswers() const { return int(m_answers.size()); }

private:
    bool answer(const DialogSpec& dialog);

    std::deque<bool> m_answers;
    bool m_defaultAnswer;
    std::vector<DialogSpec> m_shown;
};
