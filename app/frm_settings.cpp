// The settings page and the run-time values read from the settings record.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/clickable_label.h"
#include "app/color_chooser.h"
#include "app/standard_message.h"
#include "settings/colors.h"
#include "settings/settings_record.h"
#include "storage/database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

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

// Runs one operation on the settings record. Each one is all or nothing, so a failure only has to be
// told; what is stored is as it was before the click.
template <typename Step> bool reportingFailure(Step&& step)
{
    QString message;
    try {
        step();
        return true;
    } catch (const settings::SettingsInputError& e) {
        message = e.userMessage();
    } catch (const StorageError& e) {
        message = e.userMessage();
    } catch (const std::exception&) {
        message =
            QStringLiteral("設定の処理を完了できませんでした。保存されている内容は変更されていません。");
    }
    ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
    return false;
}

void showSwatch(ClickableLabel* swatch, std::int64_t color)
{
    QPalette palette = swatch->palette();
    palette.setColor(swatch->backgroundRole(), colorFromRgbValue(color));
    swatch->setPalette(palette);
}

void showPage(FrmDorivan& window, const settings::SettingsPage& page)
{
    window.cmb年号->setCurrentIndex(window.cmb年号->findText(page.era));
    // An era stored by hand outside the list is still shown as it is.
    window.cmb年号->setEditText(page.era);
    window.Chk入金先自動登録->setChecked(page.autoRegisterTicked);
    window.num白紙罫線色->setNumber(page.colorNumber);
    showSwatch(window.Pic罫線色, page.swatchColor);
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
    page.swatchColor = page.colorNumber;
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
        if (ShowStandardMessage(QStringLiteral("削除"), QStringLiteral("確認"), QString()) == -1)
            AllDelete();
    });
    connect(Pic罫線色, &ClickableLabel::doubleClicked, this, [this] { Choose罫線色(); });

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
    if (!reportingFailure([&] { record = settings::Read設定(db()); }) && !m年号.isEmpty())
        return;
    m年号 = record.era;
    m入金先自動登録 = record.autoRegister;
    // Only the three colour bytes make a colour, whatever an old file holds above them.
    m罫線色 = int(record.lineColor & kWhiteRgbValue);
    showPage(*this, settings::pageOf(record));
}

void FrmDorivan::Entry設定()
{
    if (ShowStandardMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("設定")) == 0)
        return;
    reportingFailure([this] { settings::Entry設定(db(), settings::recordOf(pageOnScreen(*this))); });
}

void FrmDorivan::Clear設定()
{
    showPage(*this, settings::Clear設定Page());
}

void FrmDorivan::Delete設定()
{
    if (ShowStandardMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("設定")) == 0)
        return;
    if (reportingFailure([this] { settings::Delete設定(db()); }))
        Clear設定();
}

void FrmDorivan::AllDelete()
{
    // The screens are left as they are: the displayed month and the payer page's copy stay until the
    // user reloads or clears them.
    // A fresh copy first, so that even this can be undone; a copy that fails is told and the user's
    // decision stands.
    db().backupNow();
    if (reportingFailure([this] { settings::AllDelete(db()); }))
        Refresh未入金();
}

void FrmDorivan::Choose罫線色()
{
    const std::int64_t chosen = ShowColorChooser(this, rgbValueFromColor(palette().color(foregroundRole())));
    if (chosen == -1)
        return;
    // Shown only: the colour is stored when the page is saved.
    num白紙罫線色->setNumber(chosen);
    showSwatch(Pic罫線色, chosen);
}
