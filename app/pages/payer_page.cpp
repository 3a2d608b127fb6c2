// The payer master page.
#include "app/pages/payer_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/pages/learned_names_panel.h"
#include "app/widgets/page_controls.h"
#include "payers/payer_master.h"
#include "storage/database.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace page_controls;

namespace {

// Every payer operation is all or nothing: after a failure the store is as it was before the click.
const QString kPayersNotChanged =
    QStringLiteral("入金先の処理を完了できませんでした。入金先マスタは変更されていません。");

const ColumnSetting kPayerColumns[] = {
    {u"チェック", false, u"", Qt::AlignCenter, 380},
    {u"入金先名", false, u"入　金　先　名", Qt::AlignLeft | Qt::AlignVCenter, 5490},
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
    auto* buttons = new QHBoxLayout(payerButtons);
    for (QPushButton* b : {cmd支払先読込, cmd支払先登録, cmd支払先行削除, cmd支払先削除, cmd支払先クリア})
        buttons->addWidget(b);
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
    connect(cmdHint1, &QPushButton::clicked, this, [this] { emit hintRequested(cmdHint1->objectName()); });
    connect(dat入金先マスタ, &WorkTableModel::storageFailed, this,
            [this](const QString& message) { showStorageFailure(prompts(), this, message); });
}

void PayerPage::bindData()
{
    dat入金先マスタ->bind(m_source.database(), QStringLiteral("w入金先マスタ"));
    dat入金先マスタ->setAppendRow(true);
    Grid入金先マスタ->setWorkModel(dat入金先マスタ);
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
    if (runReportingFailure(
            prompts(), [this] { payers::saveEditingCopy(db()); }, kPayersNotChanged))
        emit payersChanged();
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
