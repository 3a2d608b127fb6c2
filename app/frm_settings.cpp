// The settings page and the run-time values read from the settings record.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/clickable_label.h"
#include "app/failure_report.h"
#include "app/month_edit.h"
#include "app/standard_message.h"
#include "app/twips.h"
#include "app/user_prompts.h"
#include "common/dates.h"
#include "settings/colors.h"
#include "settings/settings_record.h"
#include "storage/backup.h"
#include "storage/database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

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

// The swatch shows the colour of the number in the field, whoever put it there: a read, the chooser or
// the user's keys. Only the three colour bytes count, as for the printout; an empty field shows no
// colour at all.
void showSwatch(FrmDorivan& window)
{
    ClickableLabel* swatch = window.Pic罫線色;
    const std::optional<std::int64_t> number = window.num白紙罫線色->number();
    swatch->setAutoFillBackground(number.has_value());
    QPalette palette = swatch->palette();
    palette.setColor(swatch->backgroundRole(),
                     number ? colorFromRgbValue(*number) : window.palette().color(QPalette::Window));
    swatch->setPalette(palette);
}

// The width the month field always had for its form, or more when the desktop's font needs more: the
// month is never cut off.
int monthFieldWidth(const MonthEdit& field)
{
    const bool western = field.monthFormat() == kWesternMonthFormat;
    const int usual = twipsToPixels(western ? 1560 : 1860, &field);
    const QString widest = formatMonth(QDate(2088, 12, 1), field.monthFormat());
    QStyleOptionSpinBox option;
    option.initFrom(&field);
    option.frame = true;
    option.buttonSymbols = field.buttonSymbols();
    option.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    if (field.buttonSymbols() != QAbstractSpinBox::NoButtons)
        option.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    const QFontMetrics metrics = field.fontMetrics();
    // A little room beside the text for the cursor and the edit's margins.
    const QSize text(metrics.horizontalAdvance(widest) + metrics.averageCharWidth() * 2, metrics.height());
    const int needed = field.style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, &field).width();
    return std::max(usual, needed);
}

void showPage(FrmDorivan& window, const settings::SettingsPage& page)
{
    window.cmb年号->setCurrentIndex(window.cmb年号->findText(page.era));
    // An era stored by hand outside the list is still shown as it is.
    window.cmb年号->setEditText(page.era);
    window.Chk入金先自動登録->setChecked(page.autoRegisterTicked);
    window.num白紙罫線色->setNumber(page.colorNumber);
    showSwatch(window);
}

settings::SettingsPage pageOnScreen(const FrmDorivan& window)
{
    settings::SettingsPage page;
    page.era = window.cmb年号->currentText();
    // Only a plain tick means yes; a greyed box counts as no.
    page.autoRegisterTicked = window.Chk入金先自動登録->checkState() == Qt::Checked;
    // An empty field is no colour: -1 lets the store refuse it with the same words as any other
    // number that is not a colour.
    page.colorNumber = window.num白紙罫線色->number().value_or(-1);
    return page;
}

} // namespace

void FrmDorivan::connectSettings()
{
    connect(cmd設定読込, &QPushButton::clicked, this, [this] { Read設定(); });
    connect(cmd設定登録, &QPushButton::clicked, this, [this] {
        // Reloading even after No puts what is stored back on the page.
        Entry設定();
        Read設定();
    });
    connect(cmd設定削除, &QPushButton::clicked, this, [this] { Delete設定(); });
    connect(cmd設定クリア, &QPushButton::clicked, this, [this] { Clear設定(); });
    connect(cmd一括削除7, &QPushButton::clicked, this, [this] {
        if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("確認"), QString()) ==
            Answer::Yes)
            AllDelete();
    });
    // The chooser opens from the keyboard too: Tab to the swatch, then Enter (or a click once it holds
    // the focus).
    Pic罫線色->setFocusPolicy(Qt::StrongFocus);
    connect(Pic罫線色, &ClickableLabel::doubleClicked, this, [this] { Choose罫線色(); });
    connect(Pic罫線色, &ClickableLabel::activated, this, [this] { Choose罫線色(); });
    connect(num白紙罫線色, &QLineEdit::textChanged, this, [this] { showSwatch(*this); });

    auto* blocker = new EraInputBlocker(cmb年号);
    for (QWidget* widget : {static_cast<QWidget*>(cmb年号), static_cast<QWidget*>(cmb年号->lineEdit())}) {
        widget->setAttribute(Qt::WA_InputMethodEnabled, false);
        widget->installEventFilter(blocker);
    }
}

void FrmDorivan::Read設定()
{
    settings::SettingsRecord record;
    // A failed read keeps the values in effect; only a start that has none yet takes the defaults.
    if (!runReportingFailure(
            prompts(), [&] { record = settings::Read設定(db()); }, kSettingsNotChanged) &&
        !m年号.isEmpty())
        return;
    m年号 = record.era;
    m入金先自動登録 = record.autoRegister;
    // Only the three colour bytes make a colour, whatever an old file holds above them.
    m罫線色 = int(record.lineColor & kWhiteRgbValue);
    showPage(*this, settings::pageOf(record));
    // A saved era shows in the month field at once, not only from the next start.
    applyEraToMonthField();
}

void FrmDorivan::applyEraToMonthField()
{
    Dt年月->setMonthFormat(MonthDisplayFormat(m年号, MonthUse::MonthField));
    Dt年月->setFixedWidth(monthFieldWidth(*Dt年月));
}

void FrmDorivan::Entry設定()
{
    if (ShowStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                            QStringLiteral("設定")) != Answer::Yes)
        return;
    runReportingFailure(
        prompts(), [this] { settings::Entry設定(db(), settings::recordOf(pageOnScreen(*this))); },
        kSettingsNotChanged);
}

void FrmDorivan::Clear設定()
{
    showPage(*this, settings::Clear設定Page());
}

void FrmDorivan::Delete設定()
{
    if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("伝票確認2"),
                            QStringLiteral("設定")) != Answer::Yes)
        return;
    if (runReportingFailure(
            prompts(), [this] { settings::Delete設定(db()); }, kSettingsNotChanged))
        Clear設定();
}

void FrmDorivan::AllDelete()
{
    // A fresh copy first, so that even this can be undone. Without it the deletion could not be taken
    // back, so the user decides again knowing that; No deletes nothing.
    if (const QString failure = db().backups().copyNow(); !failure.isEmpty()) {
        const QString question =
            QStringLiteral("バックアップを作成できませんでした。\n%1\nそれでも削除しますか？").arg(failure);
        if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("続行確認"), question) !=
            Answer::Yes)
            return;
    }
    // The screens are left as they are: the displayed month and the payer page's copy stay until the
    // user reloads or clears them. Only the drop-down follows the emptied master.
    if (runReportingFailure(
            prompts(), [this] { settings::AllDelete(db()); }, kSettingsNotChanged)) {
        AddComb入金先名();
        Refresh未入金();
    }
}

void FrmDorivan::Choose罫線色()
{
    const std::int64_t chosen =
        prompts().chooseColor(this, rgbValueFromColor(palette().color(foregroundRole())));
    if (chosen == -1)
        return;
    // Shown only: the colour is stored when the page is saved. The swatch follows the number.
    num白紙罫線色->setNumber(chosen);
}
