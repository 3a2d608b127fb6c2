#pragma once

#include "app/dialogs/user_prompts.h"
#include "common/message_table.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class FrmDorivan;
class ScopedDialogAnswers;

// The prompts a test gives the window instead of the real dialogs. Questions and notices go to the
// ScopedDialogAnswers in effect; without one they are kept in unscripted() and answered as the safe
// choice would be (No, or Ok for a notice), so a forgotten script shows up as a failed expectation
// rather than a box that waits for ever. The colour chooser and the previews call the functions a test
// puts here; without one the chooser is cancelled and the preview does nothing.
class ScriptedPrompts : public UserPrompts, public std::enable_shared_from_this<ScriptedPrompts>
{
public:
    Answer ask(QWidget* parent, const DialogSpec& dialog, PromptButtons buttons) override;
    std::int64_t chooseColor(QWidget* owner, std::int64_t initialColor) override;
    QString chooseFile(QWidget* parent, const FileRequest& request) override;
    QString chooseFolder(QWidget* parent, const QString& caption) override;
    void previewMonthlyReport(QWidget* parent, Database& db, const QDate& month, const QString& eraValue,
                              const report::ScreenFigures& figures, std::int64_t lineColor) override;
    void previewOverdueReport(QWidget* parent, const report::OverdueReportData& data,
                              std::int64_t lineColor) override;

    std::function<std::int64_t(QWidget* owner, std::int64_t initialColor)> colorChooser;
    // Without one the file and folder dialogs are cancelled.
    std::function<QString(QWidget* parent, const FileRequest& request)> fileChooser;
    std::function<QString(QWidget* parent, const QString& caption)> folderChooser;
    std::function<void(QWidget* parent, Database& db, const QDate& month, const QString& eraValue,
                       const report::ScreenFigures& figures, std::int64_t lineColor)>
        monthlyReportPreview;
    std::function<void(QWidget* parent, const report::OverdueReportData& data, std::int64_t lineColor)>
        overdueReportPreview;

    // While set, questions and notices go to these instead (dialogPrompts() for the real boxes), for a
    // test of the boxes themselves on a window that is otherwise scripted.
    std::shared_ptr<UserPrompts> passThrough;

    const std::vector<DialogSpec>& unscripted() const { return m_unscripted; }

private:
    friend class ScopedDialogAnswers;
    ScopedDialogAnswers* m_script = nullptr;
    std::vector<DialogSpec> m_unscripted;
};

// The prompts of a window a test opened with ScriptedPrompts.
ScriptedPrompts& scriptedPromptsOf(FrmDorivan& window);

// Answers the dialogs of a ScriptedPrompts (or of the window holding one) for the lifetime of the object:
// questions take the queued answers in turn (はい or いいえ, or キャンセル where the question offers it) and
// then the default answer; notices are only recorded.
// Every dialog that would have been shown is kept for assertions. The script in effect before comes back
// on destruction.
class ScopedDialogAnswers
{
public:
    explicit ScopedDialogAnswers(ScriptedPrompts& prompts, std::initializer_list<bool> answers = {},
                                 bool defaultAnswer = false);
    explicit ScopedDialogAnswers(FrmDorivan& window, std::initializer_list<bool> answers = {},
                                 bool defaultAnswer = false);
    ~ScopedDialogAnswers();
    ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
    ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;

    void queue(bool answer) { m_answers.push_back(answer ? Answer::Yes : Answer::No); }
    void queueCancel() { m_answers.push_back(Answer::Cancel); }
    void setDefaultAnswer(bool answer) { m_defaultAnswer = answer; }

    const std::vector<DialogSpec>& shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    // The most recent dialog; only valid when count() > 0.
    const DialogSpec& last() const { return m_shown.back(); }
    int questionCount() const;
    int unusedAnswers() const { return int(m_answers.size()); }

private:
    friend class ScriptedPrompts;
    Answer answer(const DialogSpec& dialog);

    ScriptedPrompts& m_prompts;
    // A window closed while the script is in effect must not take its prompts with it.
    std::shared_ptr<ScriptedPrompts> m_keepAlive;
    ScopedDialogAnswers* m_previous;
    std::deque<Answer> m_answers;
    bool m_defaultAnswer;
    std::vector<DialogSpec> m_shown;
};

namespace settings {
struct SettingsRecord;
}

// Stores the settings record as `change` leaves it and reads it into the window, as the settings page's
// 読込 does: how a test puts run-time values (the era, automatic registration) in effect.
void storeSettings(FrmDorivan& window, const std::function<void(settings::SettingsRecord&)>& change);
