// The settings page and the settings in effect, read from the settings record.
#include "app/pages/settings_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/dialogs/user_prompts.h"
#include "app/pages/closing_days_panel.h"
#include "app/pages/fee_panel.h"
#include "app/shell/support_address.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/page_controls.h"
#include "settings/colors.h"
#include "settings/settings_record.h"
#include "storage/backup.h"
#include "storage/database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QUrl>
#include <QVBoxLayout>

using namespace page_controls;

namespace {

// The era is chosen from the list, never typed. The read-only editor already refuses keys, but an
// input method's commit would still reach it through the box, so those are dropped here as well.
class EraInputBlocker : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod)
            return true;
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.front().isPrint())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Each operation on the settings record is all or nothing: after a failure what is stored is as it
// was before the click.
const QString kSettingsNotChanged =
    QStringLiteral("設定の処理を完了できませんでした。保存されている内容は変更されていません。");

} // namespace

SettingsPage::SettingsPage(Source source, QWidget* parent) : QWidget(parent), m_source(std::move(source))
{
    buildLayout();
    connectControls();
}

void SettingsPage::buildLayout()
{
    settingsFrame = panel(QStringLiteral("imContainer3D2"), this);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(settingsFrame);

    settingsFields = panel(QStringLiteral("imContainer3D5"), settingsFrame);
    lbl年号 = label(QStringLiteral("lbl年号"), QStringLiteral("年   号"), settingsFields);
    cmb年号 = named(new QComboBox(settingsFields), QStringLiteral("cmb年号"));
    // Editable only so that a stored value outside the list can still be shown; the user picks.
    cmb年号->setEditable(true);
    cmb年号->setInsertPolicy(QComboBox::NoInsert);
    cmb年号->lineEdit()->setReadOnly(true);
    cmb年号->setFixedWidth(110);
    lbl年号->setBuddy(cmb年号);
    Chk入金先自動登録 = named(new QCheckBox(QStringLiteral("入金先の自動登録"), settingsFields),
                              QStringLiteral("Chk入金先自動登録"));
    lbl罫線色 = label(QStringLiteral("lbl罫線色"), QStringLiteral("印刷時の罫線の色"), settingsFields);
    Pic罫線色 = named(new ClickableLabel(settingsFields), QStringLiteral("Pic罫線色"));
    Pic罫線色->setToolTip(QStringLiteral("ここをクリックして色を指定"));
    Pic罫線色->setFixedSize(48, 24);
    Pic罫線色->setFrameShape(QFrame::Box);
    Pic罫線色->setAutoFillBackground(true);
    num白紙罫線色 = named(new AmountField(settingsFields), QStringLiteral("num白紙罫線色"));
    num白紙罫線色->setFixedWidth(110);
    // The colour number is a plain whole number, not an amount: digits only, up to 16777215.
    num白紙罫線色->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), num白紙罫線色));
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(Pic罫線色);
    colourRow->addWidget(num白紙罫線色);
    colourRow->addStretch();
    auto* settings = new QFormLayout(settingsFields);
    settings->addRow(lbl年号, cmb年号);
    settings->addRow(QString(), Chk入金先自動登録);
    settings->addRow(lbl罫線色, colourRow);

    settingsButtons = panel(QStringLiteral("imContainer3D7"), settingsFrame);
    cmd設定削除 = button(QStringLiteral("cmd設定削除"), QStringLiteral("削除"), settingsButtons);
    cmd設定クリア = button(QStringLiteral("cmd設定クリア"), QStringLiteral("クリア"), settingsButtons);
    cmd設定登録 = button(QStringLiteral("cmd設定登録"), QStringLiteral("登録"), settingsButtons);
    cmd設定読込 = button(QStringLiteral("cmd設定読込"), QStringLiteral("読込"), settingsButtons);
    cmdHint2 = hintButton(QStringLiteral("cmdHint2"), settingsButtons);
    auto* buttons = new QHBoxLayout(settingsButtons);
    for (QPushButton* b : {cmd設定読込, cmd設定登録, cmd設定削除, cmd設定クリア})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHint2);

    ImFrame3D1 = panel(QStringLiteral("ImFrame3D1"), settingsFrame);
    cmd一括削除7 = button(QStringLiteral("cmd一括削除7"), QStringLiteral("実行"), ImFrame3D1);
    lbl一括削除 = label(QStringLiteral("lbl一括削除"), QStringLiteral("すべてのデータを削除し初期状態に戻す"),
                        ImFrame3D1);
    auto* reset = new QHBoxLayout(ImFrame3D1);
    reset->addWidget(cmd一括削除7);
    reset->addWidget(lbl一括削除);
    reset->addStretch();

    lblInfo = label(QStringLiteral("lblInfo"), m_source.caption, settingsFrame);
    lblSupport = label(QStringLiteral("lblSupport"), QString(), settingsFrame);
    supportBanner = named(new ClickableLabel(settingsFrame), QStringLiteral("Image2"));
    supportBanner->setText(QStringLiteral("モルベクス フリー掲示板"));
    supportBanner->setAlignment(Qt::AlignCenter);
    supportBanner->setFixedSize(300, 48);
    supportBanner->setCursor(Qt::PointingHandCursor);
    supportBanner->setToolTip(
        bannerAddress(QCoreApplication::applicationDirPath()).toDisplayString(QUrl::PreferLocalFile));
    supportBanner->setStyleSheet(
        QStringLiteral("QLabel { background: #1f4e79; color: white; font-weight: bold; "
                       "border: 1px solid #0f2e49; }"));

    auto* layout = new QVBoxLayout(settingsFrame);
    layout->addWidget(settingsFields);
    layout->addWidget(settingsButtons);
    layout->addWidget(ImFrame3D1);
    layout->addWidget(new FeePanel(m_source.database, m_source.prompts, settingsFrame));
    layout->addWidget(m_source.csvPanel(settingsFrame));
    layout->addWidget(
        new ClosingDaysPanel({m_source.database, m_source.prompts, m_source.clock}, settingsFrame));
    layout->addWidget(m_source.legacyPanel(settingsFrame));
    layout->addStretch();
    layout->addWidget(lblInfo);
    layout->addWidget(lblSupport);
    layout->addWidget(supportBanner);
}

void SettingsPage::connectControls()
{
    connect(cmd設定読込, &QPushButton::clicked, this, [this] { readSettings(); });
    connect(cmd設定登録, &QPushButton::clicked, this, [this] {
        // Reloading even after No puts what is stored back on the page.
        saveSettings();
        readSettings();
    });
    connect(cmd設定削除, &QPushButton::clicked, this, [this] { deleteSettings(); });
    connect(cmd設定クリア, &QPushButton::clicked, this, [this] { clearSettings(); });
    connect(cmd一括削除7, &QPushButton::clicked, this, [this] {
        if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("確認"), QString()) ==
            Answer::Yes)
            deleteAllData();
    });
    connect(cmdHint2, &QPushButton::clicked, this, [this] { emit hintRequested(cmdHint2->objectName()); });
    // A single click on the swatch opens the chooser; from the keyboard, Tab to the swatch, then Enter.
    Pic罫線色->setFocusPolicy(Qt::StrongFocus);
    connect(Pic罫線色, &ClickableLabel::clicked, this, [this] { chooseLineColour(); });
    connect(Pic罫線色, &ClickableLabel::activated, this, [this] { chooseLineColour(); });
    connect(num白紙罫線色, &QLineEdit::textChanged, this, [this] { showSwatch(); });
    connect(supportBanner, &ClickableLabel::clicked, this, [] {
        // Whether a browser or viewer opens is the desktop's business; nothing is reported either way.
        const QUrl address = bannerAddress(QCoreApplication::applicationDirPath());
        if (!address.isEmpty())
            QDesktopServices::openUrl(address);
    });

    auto* blocker = new EraInputBlocker(cmb年号);
    for (QWidget* widget : {static_cast<QWidget*>(cmb年号), static_cast<QWidget*>(cmb年号->lineEdit())}) {
        widget->setAttribute(Qt::WA_InputMethodEnabled, false);
        widget->installEventFilter(blocker);
    }
}

void SettingsPage::showSwatch()
{
    // The swatch shows the colour of the number in the field, whoever put it there: a read, the
    // chooser or the user's keys. Only the three colour bytes count, as for the printout; an empty
    // field shows no colour at all.
    const std::optional<std::int64_t> number = num白紙罫線色->number();
    Pic罫線色->setAutoFillBackground(number.has_value());
    QPalette palette = Pic罫線色->palette();
    palette.setColor(Pic罫線色->backgroundRole(),
                     number ? colorFromRgbValue(*number) : window()->palette().color(QPalette::Window));
    Pic罫線色->setPalette(palette);
}

void SettingsPage::offerEras()
{
    lblSupport->setText(QStringLiteral("質問は下のバナーをクリックしてモルベクスフリー掲示板へ"));
    cmb年号->clear();
    cmb年号->addItem(QStringLiteral("西暦"));
    cmb年号->addItem(QStringLiteral("和暦"));
    cmb年号->setCurrentIndex(cmb年号->findText(m年号));
    // A stored value outside the list is still shown as it is.
    cmb年号->setEditText(m年号);
}

void SettingsPage::readSettings()
{
    settings::SettingsRecord record;
    // A failed read keeps the values in effect; only a start that has none yet takes the defaults.
    if (!runReportingFailure(
            prompts(), [&] { record = settings::readSettingsRecord(db()); }, kSettingsNotChanged) &&
        !m年号.isEmpty())
        return;
    m年号 = record.era;
    m入金先自動登録 = record.autoRegister;
    // Only the three colour bytes make a colour, whatever an old file holds above them.
    m罫線色 = int(record.lineColor & kWhiteRgbValue);
    showPage(settings::pageOf(record));
    // A saved era shows in the month field at once, not only from the next start.
    emit settingsRead();
}

void SettingsPage::showPage(const settings::SettingsPage& page)
{
    cmb年号->setCurrentIndex(cmb年号->findText(page.era));
    // An era stored by hand outside the list is still shown as it is.
    cmb年号->setEditText(page.era);
    Chk入金先自動登録->setChecked(page.autoRegisterTicked);
    num白紙罫線色->setNumber(page.colorNumber);
    showSwatch();
}

settings::SettingsPage SettingsPage::pageOnScreen() const
{
    settings::SettingsPage page;
    page.era = cmb年号->currentText();
    // Only a plain tick means yes; a greyed box counts as no.
    page.autoRegisterTicked = Chk入金先自動登録->checkState() == Qt::Checked;
    // An empty field is no colour: -1 lets the store refuse it with the same words as any other
    // number that is not a colour.
    page.colorNumber = num白紙罫線色->number().value_or(-1);
    return page;
}

void SettingsPage::saveSettings()
{
    if (showStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                            QStringLiteral("設定")) != Answer::Yes)
        return;
    runReportingFailure(
        prompts(), [this] { settings::saveSettingsRecord(db(), settings::recordOf(pageOnScreen())); },
        kSettingsNotChanged);
}

void SettingsPage::clearSettings()
{
    showPage(settings::blankSettingsPage());
}

void SettingsPage::deleteSettings()
{
    if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("伝票確認2"),
                            QStringLiteral("設定")) != Answer::Yes)
        return;
    if (runReportingFailure(
            prompts(), [this] { settings::resetSettingsRecord(db()); }, kSettingsNotChanged))
        clearSettings();
}

void SettingsPage::deleteAllData()
{
    // A fresh copy first, so that even this can be undone. Without it the deletion could not be taken
    // back, so the user decides again knowing that; No deletes nothing.
    if (const QString failure = db().backups().copyNow(); !failure.isEmpty()) {
        const QString question =
            QStringLiteral("バックアップを作成できませんでした。\n%1\nそれでも削除しますか？").arg(failure);
        if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("続行確認"), question) !=
            Answer::Yes)
            return;
    }
    // The screens are left as they are: the displayed month and the payer page's copy stay until the
    // user reloads or clears them. Only the drop-down follows the emptied master.
    if (runReportingFailure(
            prompts(), [this] { settings::deleteAllData(db()); }, kSettingsNotChanged))
        emit allDataDeleted();
}

void SettingsPage::chooseLineColour()
{
    const std::int64_t chosen = prompts().chooseColor(
        window(), rgbValueFromColor(window()->palette().color(window()->foregroundRole())));
    if (chosen == -1)
        return;
    // Shown only: the colour is stored when the page is saved. The swatch follows the number.
    num白紙罫線色->setNumber(chosen);
}
