#include "support/dialog_answers.h"

#include "app/FrmDorivan.h"
#include "app/pages/settings_page.h"
#include "settings/settings_record.h"

#include <algorithm>

Answer ScriptedPrompts::ask(QWidget* parent, const DialogSpec& dialog, PromptButtons buttons)
{
    if (const std::shared_ptr<UserPrompts> other = passThrough)
        return other->ask(parent, dialog, buttons);
    if (!m_script) {
        m_unscripted.push_back(dialog);
        return dialog.isQuestion() ? Answer::No : Answer::Ok;
    }
    const Answer answer = m_script->answer(dialog);
    return dialog.isQuestion() ? answer : Answer::Ok;
}

std::int64_t ScriptedPrompts::chooseColor(QWidget* owner, std::int64_t initialColor)
{
    return colorChooser ? colorChooser(owner, initialColor) : -1;
}

QString ScriptedPrompts::chooseFile(QWidget* parent, const FileRequest& request)
{
    return fileChooser ? fileChooser(parent, request) : QString();
}

QString ScriptedPrompts::chooseFolder(QWidget* parent, const QString& caption)
{
    return folderChooser ? folderChooser(parent, caption) : QString();
}

void ScriptedPrompts::previewMonthlyReport(QWidget* parent, Database& db, const QDate& month,
                                           const QString& eraValue, const report::ScreenFigures& figures,
                                           std::int64_t lineColor)
{
    // A copy, so that the preview may replace itself while it runs.
    if (const auto preview = monthlyReportPreview)
        preview(parent, db, month, eraValue, figures, lineColor);
}

void ScriptedPrompts::previewOverdueReport(QWidget* parent, const report::OverdueReportData& data,
                                           std::int64_t lineColor)
{
    if (const auto preview = overdueReportPreview)
        preview(parent, data, lineColor);
}

ScriptedPrompts& scriptedPromptsOf(FrmDorivan& window)
{
    // A window opened with the real dialogs has none: the cast throws and the test fails at once.
    return dynamic_cast<ScriptedPrompts&>(window.prompts());
}

ScopedDialogAnswers::ScopedDialogAnswers(ScriptedPrompts& prompts, std::initializer_list<bool> answers,
                                         bool defaultAnswer)
    : m_prompts(prompts), m_keepAlive(prompts.weak_from_this().lock()), m_previous(prompts.m_script),
      m_defaultAnswer(defaultAnswer)
{
    for (const bool answer : answers)
        queue(answer);
    m_prompts.m_script = this;
}

ScopedDialogAnswers::ScopedDialogAnswers(FrmDorivan& window, std::initializer_list<bool> answers,
                                         bool defaultAnswer)
    : ScopedDialogAnswers(scriptedPromptsOf(window), answers, defaultAnswer)
{
}

ScopedDialogAnswers::~ScopedDialogAnswers()
{
    m_prompts.m_script = m_previous;
}

int ScopedDialogAnswers::questionCount() const
{
    return int(
        std::count_if(m_shown.begin(), m_shown.end(), [](const DialogSpec& s) { return s.isQuestion(); }));
}

Answer ScopedDialogAnswers::answer(const DialogSpec& dialog)
{
    m_shown.push_back(dialog);
    if (!dialog.isQuestion())
        return Answer::Ok;
    if (m_answers.empty())
        return m_defaultAnswer ? Answer::Yes : Answer::No;
    const Answer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

void storeSettings(FrmDorivan& window, const std::function<void(settings::SettingsRecord&)>& change)
{
    settings::SettingsRecord record = settings::readSettingsRecord(window.db());
    change(record);
    settings::saveSettingsRecord(window.db(), record);
    window.settingsPage().readSettings();
}
