#include "app/dialogs/dialog_prompts.h"

#include "app/dialogs/color_chooser.h"
#include "app/dialogs/report_preview.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeySequence>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <utility>

namespace {

QMessageBox::Icon iconOf(DialogStyle style)
{
    switch (style) {
    case DialogStyle::AskDefaultNo:
    case DialogStyle::AskDefaultYes:
        return QMessageBox::Question;
    case DialogStyle::Warning:
    case DialogStyle::WarnDefaultNo:
        return QMessageBox::Warning;
    case DialogStyle::Error:
        return QMessageBox::Critical;
    case DialogStyle::Notice:
        break;
    }
    return QMessageBox::Information;
}

// The captions are set here rather than left to Qt's translation, which a machine may lack.
void caption(QMessageBox& box, QMessageBox::StandardButton button, const QString& text)
{
    if (QAbstractButton* b = box.button(button))
        b->setText(text);
}

// A translation whose captions carry no letter of their own still answers Y and N: QMessageBox presses
// the button whose shortcut is the key typed.
void keepLetterKeys(QMessageBox& box)
{
    const std::pair<QMessageBox::StandardButton, Qt::Key> letters[] = {{QMessageBox::Yes, Qt::Key_Y},
                                                                       {QMessageBox::No, Qt::Key_N}};
    for (const auto& [which, key] : letters)
        if (QAbstractButton* b = box.button(which); b && b->shortcut().isEmpty())
            b->setShortcut(QKeySequence(key));
}

// The list is open from the start, under the message: it is what the question is about. (Qt's own
// detailed text would hide it behind a button.)
void addDetails(QMessageBox& box, const QString& details)
{
    auto* list = new QPlainTextEdit(details, &box);
    list->setObjectName(QStringLiteral("txtDetails"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setMinimumSize(560, 220);
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* buttons = box.findChild<QDialogButtonBox*>();
    const int at = grid && buttons ? grid->indexOf(buttons) : -1;
    if (at < 0) {
        box.setDetailedText(details);
        return;
    }
    // Between the message and the buttons.
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(at, &row, &column, &rows, &columns);
    grid->removeWidget(buttons);
    grid->addWidget(list, row, 0, 1, grid->columnCount());
    grid->addWidget(buttons, row + 1, column, rows, columns);
}

Answer showBox(QWidget* parent, const DialogSpec& dialog, PromptButtons buttons)
{
    QMessageBox box(iconOf(dialog.style), dialog.title, dialog.message, QMessageBox::NoButton, parent);
    // Payer names and other caller texts are shown as typed, never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    if (!dialog.details.isEmpty())
        addDetails(box, dialog.details);
    if (!dialog.isQuestion()) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    const bool withCancel = buttons == PromptButtons::YesNoCancelInJapanese;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No |
                           (withCancel ? QMessageBox::Cancel : QMessageBox::NoButton));
    // The captions stay the words themselves; the letters still answer from the keyboard, as Qt's own
    // Japanese captions do: Y for はい, N for いいえ, Escape for キャンセル.
    if (buttons != PromptButtons::Standard) {
        caption(box, QMessageBox::Yes, QStringLiteral("はい"));
        caption(box, QMessageBox::No, QStringLiteral("いいえ"));
        caption(box, QMessageBox::Cancel, QStringLiteral("キャンセル"));
    }
    keepLetterKeys(box);
    box.setDefaultButton(dialog.style == DialogStyle::AskDefaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // A box closed some other way stays where the user was: Cancel where offered, otherwise No.
        return withCancel ? Answer::Cancel : Answer::No;
    }
}

class DialogPrompts : public UserPrompts
{
public:
    Answer ask(QWidget* parent, const DialogSpec& dialog, PromptButtons buttons) override
    {
        return showBox(parent, dialog, buttons);
    }
    std::int64_t chooseColor(QWidget* owner, std::int64_t initialColor) override
    {
        return ShowColorChooser(owner, initialColor);
    }
    QString chooseFile(QWidget* parent, const FileRequest& request) override
    {
        QFileDialog dialog(parent, request.caption, request.suggested, request.filter);
        // Qt's own dialog: the same on every desktop, and one that tests can drive.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (request.save && !request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
    QString chooseFolder(QWidget* parent, const QString& caption) override
    {
        return QFileDialog::getExistingDirectory(parent, caption);
    }
    void previewMonthlyReport(QWidget* parent, Database& db, const QDate& month, const QString& eraValue,
                              const report::ScreenFigures& figures, std::int64_t lineColor) override
    {
        ::previewMonthlyReport(*this, parent, db, month, eraValue, figures, lineColor);
    }
    void previewOverdueReport(QWidget* parent, const report::OverdueReportData& data,
                              std::int64_t lineColor) override
    {
        showOverdueReportPreview(*this, parent, data, lineColor);
    }
};

} // namespace

std::shared_ptr<UserPrompts> dialogPrompts()
{
    return std::make_shared<DialogPrompts>();
}
