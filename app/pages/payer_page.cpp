// The payer master page.
#include "app/pages/payer_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/plan_dialog.h"
#include "app/dialogs/standard_message.h"
#include "app/dialogs/user_prompts.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/pages/learned_names_panel.h"
#include "app/widgets/page_controls.h"
#include "payers/payer_master.h"
#include "storage/database.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

using namespace page_controls;

namespace {

// Every payer operation is all or nothing: after a failure the store is as it was before the click.
const QString kPayersNotChanged =
    QStringLiteral("入金先の処理を完了できませんでした。入金先マスタは変更されていません。");

const ColumnSetting kPayerColumns[] = {
    {u"チェック", false, u"", Qt::AlignCenter, 380},
    {u"入金先名", false, u"入　金　先　名", Qt::AlignLeft | Qt::AlignVCenter, 5490},
    {u"フリガナ", false, u"フリガナ", Qt::AlignLeft | Qt::AlignVCenter, 1800},
    {u"締め日", false, u"締め日", Qt::AlignCenter, 620},
    {u"支払月", false, u"支払月", Qt::AlignCenter, 620},
    {u"支払日", false, u"支払日", Qt::AlignCenter, 620},
    {u"休日", false, u"休日", Qt::AlignCenter, 560},
    {u"定額", false, u"定　額", Qt::AlignRight | Qt::AlignVCenter, 1300},
    {u"定額開始", false, u"定額開始", Qt::AlignCenter, 900},
    {u"定額終了", false, u"定額終了", Qt::AlignCenter, 900},
    // The name the row was read with: how a save tells a rename from a new payer.
    {u"元入金先名", true, u"", Qt::AlignLeft, 0},
};

} // namespace

PayerPage::PayerPage(Source source, QWidget* parent) : QWidget(parent), m_source(std::move(source))
{
    buildLayout();
    connectControls();
}

void PayerPage::buildLayout()
{
    dat入金先マスタ = named(new WorkTableModel(this), QStringLiteral("dat入金先マスタ"));

    payerFrame = panel(QStringLiteral("imContainer3D3"), this);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(payerFrame);

    Grid入金先マスタ = named(new BoundGrid(payerFrame), QStringLiteral("Grid入金先マスタ"));

    payerButtons = panel(QStringLiteral("imContainer3D4"), payerFrame);
    cmd支払先削除 = button(QStringLiteral("cmd支払先削除"), QStringLiteral("全件削除"), payerButtons);
    cmd支払先クリア = button(QStringLiteral("cmd支払先クリア"), QStringLiteral("クリア"), payerButtons);
    cmd支払先登録 = button(QStringLiteral("cmd支払先登録"), QStringLiteral("登録"), payerButtons);
    cmd支払先行削除 = button(QStringLiteral("cmd支払先行削除"), QStringLiteral("行削除"), payerButtons);
    cmd支払先読込 = button(QStringLiteral("cmd支払先読込"), QStringLiteral("読込"), payerButtons);
    cmdHint1 = hintButton(QStringLiteral("cmdHint1"), payerButtons);
    cmd予定作成 = button(QStringLiteral("cmd予定作成"), QStringLiteral("予定作成"), payerButtons);
    auto* buttons = new QHBoxLayout(payerButtons);
    for (QPushButton* b : {cmd支払先読込, cmd支払先登録, cmd支払先行削除, cmd支払先削除, cmd支払先クリア})
        buttons->addWidget(b);
    buttons->addWidget(cmd予定作成);
    buttons->addStretch();
    buttons->addWidget(cmdHint1);

    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(Grid入金先マスタ);
    gridRow->addStretch();
    auto* layout = new QVBoxLayout(payerFrame);
    layout->addLayout(gridRow, 1);
    layout->addWidget(payerButtons);
    layout->addWidget(new LearnedNamesPanel(m_source.database, m_source.prompts, payerFrame));
}

void PayerPage::connectControls()
{
    connect(cmd支払先読込, &QPushButton::clicked, this, [this] { readPayers(); });
    connect(cmd支払先登録, &QPushButton::clicked, this, [this] {
        if (showStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                                QStringLiteral("入金先")) == Answer::Yes)
            savePayers();
    });
    connect(cmd支払先行削除, &QPushButton::clicked, this, [this] { deleteTickedPayers(); });
    connect(cmd支払先削除, &QPushButton::clicked, this, [this] { deleteAllPayers(); });
    connect(cmd支払先クリア, &QPushButton::clicked, this, [this] { clearPayers(); });
    connect(cmd予定作成, &QPushButton::clicked, this, [this] { planReceipts(); });
    connect(cmdHint1, &QPushButton::clicked, this, [this] { emit hintRequested(cmdHint1->objectName()); });
    connect(dat入金先マスタ, &WorkTableModel::storageFailed, this,
            [this](const QString& message) { showStorageFailure(prompts(), this, message); });
}

void PayerPage::bindData()
{
    dat入金先マスタ->bind(m_source.database(), QStringLiteral("w入金先マスタ"));
    dat入金先マスタ->setAppendRow(true);
    Grid入金先マスタ->setWorkModel(dat入金先マスタ);
    // The other terms are texts as typed (末, 前, 2026/04), read back by the save.
    if (const int fixedAmount = dat入金先マスタ->columnIndex(QStringLiteral("定額")); fixedAmount >= 0)
        dat入金先マスタ->setColumnKind(fixedAmount, WorkTableModel::Kind::Amount);
    // 休日 takes one of three words that need the input method to type: they are offered to pick.
    if (const int shift = dat入金先マスタ->columnIndex(QStringLiteral("休日"));
        shift >= 0 && !Grid入金先マスタ->dropDownList())
        Grid入金先マスタ->setDropDown(shift,
                                      new QStringListModel({QString(), QStringLiteral("前"),
                                                            QStringLiteral("後"), QStringLiteral("なし")},
                                                           Grid入金先マスタ));
    applyColumns(Grid入金先マスタ, dat入金先マスタ, std::begin(kPayerColumns), std::end(kPayerColumns));
    dat入金先マスタ->refresh();
}

void PayerPage::releaseData()
{
    dat入金先マスタ->unbind();
}

void PayerPage::pageOpened()
{
    if (m_opened)
        return;
    m_opened = true;
    readPayers();
}

void PayerPage::readPayers()
{
    runReportingFailure(
        prompts(), [this] { payers::loadEditingCopy(db()); }, kPayersNotChanged);
    dat入金先マスタ->refresh();
}

void PayerPage::savePayers()
{
    // A name still in its editor is part of what the user sees, so it is saved with the rest.
    Grid入金先マスタ->commitRow();
    std::vector<payers::Rename> renames;
    if (!runReportingFailure(
            prompts(),
            [&] {
                // A page that cannot be stored is refused before any question about it.
                payers::checkEditingCopy(db());
                renames = payers::findRenames(db());
            },
            kPayersNotChanged))
        return;
    // A renamed payer without stored rows takes its records along unasked: nothing would stay behind
    // under the old name but bookkeeping.
    std::vector<payers::Rename> carried;
    for (const payers::Rename& rename : renames) {
        const DialogSpec question{
            QStringLiteral("入金先名の変更"),
            QStringLiteral(
                "入金先名が「%1」から「%2」に変わります。\n「%1」の入金予定 %3 件も「%2」に変えますか？")
                .arg(rename.from, rename.to)
                .arg(rename.storedRows),
            DialogStyle::AskDefaultYes};
        if (rename.storedRows == 0 ||
            prompts().ask(this, question, PromptButtons::YesNoInJapanese) == Answer::Yes)
            carried.push_back(rename);
    }
    if (!runReportingFailure(
            prompts(), [&] { payers::saveEditingCopy(db(), carried); }, kPayersNotChanged))
        return;
    dat入金先マスタ->refresh();
    emit payersChanged();
    if (!carried.empty())
        emit payerRowsRenamed();
}

void PayerPage::planReceipts()
{
    // The plan reads the stored terms; terms typed on the page but not saved would be passed over unseen.
    Grid入金先マスタ->commitRow();
    bool differs = false;
    if (!runReportingFailure(
            prompts(), [&] { differs = payers::editingCopyDiffers(db()); }, kPayersNotChanged))
        return;
    if (differs) {
        const DialogSpec question{QStringLiteral("入金先の変更"),
                                  QStringLiteral("入金先の変更がまだ登録されていません。\n"
                                                 "登録してから予定を作成しますか？\n"
                                                 "（いいえ：登録済みの支払条件で作成します）"),
                                  DialogStyle::AskDefaultYes};
        switch (prompts().ask(this, question, PromptButtons::YesNoCancelInJapanese)) {
        case Answer::Yes:
            savePayers();
            // A save refused or cut short leaves the page as it was: the plan waits for it.
            if (!runReportingFailure(
                    prompts(), [&] { differs = payers::editingCopyDiffers(db()); }, kPayersNotChanged) ||
                differs)
                return;
            break;
        case Answer::No:
            break;
        default:
            return;
        }
    }
    if (m_source.confirmLeavingMonth && !m_source.confirmLeavingMonth())
        return;
    PlanDialog dialog(db(), prompts(), m_source.clock, this);
    dialog.exec();
    if (dialog.storedRows() > 0)
        emit rowsPlanned();
}

void PayerPage::clearPayers()
{
    runReportingFailure(
        prompts(), [this] { payers::clearEditingCopy(db()); }, kPayersNotChanged);
    dat入金先マスタ->refresh();
}

void PayerPage::deleteAllPayers()
{
    if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("全件確認"),
                            QStringLiteral("すべての入金先を削除します")) != Answer::Yes)
        return;
    if (runReportingFailure(
            prompts(), [this] { payers::deleteAllPayers(db()); }, kPayersNotChanged))
        emit payersChanged();
    dat入金先マスタ->refresh();
}

void PayerPage::deleteTickedPayers()
{
    // Asked before the ticks are looked at, so the question comes even when nothing is ticked.
    if (showStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("指定確認"),
                            QStringLiteral("入金先")) != Answer::Yes)
        return;
    Grid入金先マスタ->commitRow();
    if (runReportingFailure(
            prompts(), [this] { payers::deleteTickedPayers(db()); }, kPayersNotChanged))
        emit payersChanged();
    dat入金先マスタ->refresh();
}
