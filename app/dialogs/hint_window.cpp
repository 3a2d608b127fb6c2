#include "app/dialogs/hint_window.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/widgets/page_controls.h"
#include "hints/builtin_hints.h"
#include "hints/hint_store.h"
#include "settings/colors.h"
#include "storage/database.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <optional>

using page_controls::named;

namespace {

const QString kHintText = QStringLiteral("ヒント");

// Button colours of the edit toggle (red in the lowest byte): the colour is the only sign of the mode.
constexpr std::int64_t kReadModeColor = 13488593; // grey: text read-only
constexpr std::int64_t kEditModeColor = 8421631;  // pink: text editable

QLabel* keyLabel(const QString& name, QWidget* parent)
{
    auto* label = named(new QLabel(parent), name);
    // Window and button names are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(200);
    return label;
}

// A style sheet background, because a palette colour alone is ignored by several desktop styles and the
// colour is the only sign of the mode.
QString buttonStyle(std::int64_t rgbValue)
{
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080;"
                          " border-radius: 3px; padding: 4px 14px; }"
                          "QPushButton:pressed { border-style: inset; }")
        .arg(colorFromRgbValue(rgbValue).name());
}

// A read-only QPlainTextEdit still tells the input method it takes text and accepts what it commits,
// so with a Japanese input method the user could write into a hint in read mode. This field refuses it.
class HintText : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override
    {
        if (query == Qt::ImEnabled && isReadOnly())
            return false;
        return QPlainTextEdit::inputMethodQuery(query);
    }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (isReadOnly()) {
            event->ignore();
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }
};

const QString kHintFailed = QStringLiteral("ヒントの読み書きができませんでした。");

} // namespace

Hint::Hint(Database& db, const HintHandOver& handOver, std::shared_ptr<UserPrompts> prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_db(db), m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("Hint"));
    setWindowTitle(QStringLiteral("ヒント        "));
    // Closing unloads the window: the next hint button press loads it afresh, in read mode.
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    connectButtons();

    lblFormName->setText(handOver.formName);
    lblFormTitle->setText(handOver.formTitle);
    lblPageName->setText(handOver.pageName);
    lblCtlName->setText(handOver.ctlName);
    setEditMode(false);
    readHint();
    txtContents->setFocus();
}

void Hint::buildLayout()
{
    auto* keys = named(new QFrame(this), QStringLiteral("fraKey"));
    keys->setFrameShape(QFrame::StyledPanel);
    lblFormTitle = keyLabel(QStringLiteral("lblFormTitle"), keys);
    lblFormName = keyLabel(QStringLiteral("lblFormName"), keys);
    lblCtlName = keyLabel(QStringLiteral("lblCtlName"), keys);
    lblPageName = keyLabel(QStringLiteral("lblPageName"), keys);
    // The internal names ("FrmDorivan", "cmdHint") meant nothing to the user; they stay the key the
    // text is stored under, out of sight, and the page's own name is shown instead.
    for (QLabel* key : {lblFormTitle, lblFormName, lblCtlName})
        key->hide();
    auto* keyGrid = new QGridLayout(keys);
    keyGrid->addWidget(new QLabel(QStringLiteral("画面"), keys), 0, 0);
    keyGrid->addWidget(lblPageName, 0, 1);
    keyGrid->addWidget(lblFormTitle, 1, 1);
    keyGrid->addWidget(lblFormName, 1, 2);
    keyGrid->addWidget(lblCtlName, 1, 3);
    keyGrid->setColumnStretch(1, 1);

    txtContents = named(new HintText(this), QStringLiteral("txtContents"));
    txtContents->setTabChangesFocus(true);

    auto button = [this](const QString& name, const QString& caption) {
        return named(new QPushButton(caption, this), name);
    };
    cmd編集 = button(QStringLiteral("cmd編集"), QStringLiteral("編集"));
    cmd登録 = button(QStringLiteral("cmd登録"), QStringLiteral("登録"));
    cmd削除 = button(QStringLiteral("cmd削除"), QStringLiteral("削除"));
    cmdクリア = button(QStringLiteral("cmdクリア"), QStringLiteral("クリア"));
    cmd閉じる = button(QStringLiteral("cmd閉じる"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmd編集);
    buttons->addStretch();
    for (QPushButton* b : {cmd登録, cmd削除, cmdクリア, cmd閉じる})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keys);
    layout->addWidget(txtContents, 1);
    layout->addLayout(buttons);
    // Room for the built-in help of a page without scrolling.
    resize(640, 500);
}

void Hint::connectButtons()
{
    connect(cmd編集, &QPushButton::clicked, this, &Hint::toggleMode);
    connect(cmd登録, &QPushButton::clicked, this, &Hint::askAndSave);
    connect(cmd削除, &QPushButton::clicked, this, &Hint::askAndDelete);
    connect(cmdクリア, &QPushButton::clicked, this, [this] { txtContents->clear(); });
    // Unsaved text goes with the window; that is what "閉じる" means here.
    connect(cmd閉じる, &QPushButton::clicked, this, &QWidget::close);
}

std::int64_t Hint::editButtonColour() const
{
    return m_editMode ? kEditModeColor : kReadModeColor;
}

void Hint::setEditMode(bool on)
{
    m_editMode = on;
    txtContents->setReadOnly(!on);
    cmd編集->setStyleSheet(buttonStyle(editButtonColour()));
}

void Hint::toggleMode()
{
    setEditMode(!m_editMode);
    txtContents->setFocus();
}

void Hint::readHint()
{
    std::optional<hints::StoredHint> stored;
    if (!runReportingFailure(
            *m_prompts, [&] { stored = hints::readHint(m_db, lblFormName->text(), lblCtlName->text()); },
            kHintFailed))
        return;
    // The user's own text replaces the built-in help. No row, a row without text or an empty text is
    // no text of the user's: the field shows the built-in help, or stays as it is for a key without.
    if (stored && stored->contents && !stored->contents->trimmed().isEmpty()) {
        txtContents->setPlainText(*stored->contents);
        return;
    }
    const QString builtIn = hints::builtInHint(lblFormName->text(), lblCtlName->text());
    if (!builtIn.isEmpty())
        txtContents->setPlainText(builtIn);
}

void Hint::saveHint()
{
    hints::saveHint(m_db, lblFormName->text(), lblCtlName->text(), lblFormTitle->text(),
                    txtContents->toPlainText());
}

void Hint::deleteHint()
{
    if (hints::deleteHint(m_db, lblFormName->text(), lblCtlName->text()))
        txtContents->clear();
}

void Hint::askAndSave()
{
    if (showStandardMessage(*m_prompts, QStringLiteral("登録"), QStringLiteral("確認"), kHintText) !=
        Answer::Yes)
        return;
    // When saving did not happen the user hears that instead of a completion notice, and keeps the text.
    if (!runReportingFailure(
            *m_prompts, [this] { saveHint(); }, kHintFailed))
        return;
    showStandardMessage(*m_prompts, QStringLiteral("登録"), QStringLiteral("完了"), kHintText);
}

void Hint::askAndDelete()
{
    if (showStandardMessage(*m_prompts, QStringLiteral("削除"), QStringLiteral("確認"), kHintText) !=
        Answer::Yes)
        return;
    if (!runReportingFailure(
            *m_prompts, [this] { deleteHint(); }, kHintFailed))
        return;
    showStandardMessage(*m_prompts, QStringLiteral("削除"), QStringLiteral("完了"), kHintText);
}
