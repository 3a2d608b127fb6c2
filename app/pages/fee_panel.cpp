#include "app/pages/fee_panel.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/page_controls.h"
#include "bank/matching_store.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using page_controls::named;

FeePanel::FeePanel(std::function<Database*()> database, std::shared_ptr<UserPrompts> prompts, QWidget* parent)
    : QGroupBox(QStringLiteral("振込手数料（入金消込で差し引きを認める額）"), parent),
      m_database(std::move(database)), m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("fra振込手数料"));
    lst振込手数料 = named(new QListWidget(this), QStringLiteral("lst振込手数料"));
    lst振込手数料->setFlow(QListView::LeftToRight);
    lst振込手数料->setWrapping(true);
    lst振込手数料->setMaximumHeight(lst振込手数料->fontMetrics().height() * 3);
    txt振込手数料 = named(new AmountField(this), QStringLiteral("txt振込手数料"));
    txt振込手数料->setFixedWidth(100);
    cmd手数料追加 = page_controls::button(QStringLiteral("cmd手数料追加"), QStringLiteral("追加"), this);
    cmd手数料削除 = page_controls::button(QStringLiteral("cmd手数料削除"), QStringLiteral("削除"), this);
    connect(cmd手数料追加, &QPushButton::clicked, this, [this] { addFee(); });
    connect(cmd手数料削除, &QPushButton::clicked, this, [this] { deleteSelectedFee(); });
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lst振込手数料, 1);
    layout->addWidget(txt振込手数料);
    layout->addWidget(cmd手数料追加);
    layout->addWidget(cmd手数料削除);
}

void FeePanel::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    refresh();
}

void FeePanel::refresh()
{
    Database* db = m_database ? m_database() : nullptr;
    if (!db)
        return;
    std::vector<Money> fees;
    if (!runReportingFailure(
            *m_prompts, [&] { fees = bank::readFees(*db); }, kStepNotCompleted))
        return;
    lst振込手数料->clear();
    for (Money fee : fees) {
        auto* item = new QListWidgetItem(formatAmount(fee), lst振込手数料);
        item->setData(Qt::UserRole, QVariant::fromValue(fee.raw()));
    }
}

void FeePanel::addFee()
{
    Database* db = m_database ? m_database() : nullptr;
    if (!db)
        return;
    const std::optional<Money> fee = txt振込手数料->amount();
    if (!fee) {
        showStandardMessage(*m_prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            QStringLiteral("振込手数料を金額で入力してください。"));
        return;
    }
    if (runReportingFailure(
            *m_prompts, [&] { bank::addFee(*db, *fee); }, kStepNotCompleted))
        txt振込手数料->setAmount(std::nullopt);
    refresh();
}

void FeePanel::deleteSelectedFee()
{
    Database* db = m_database ? m_database() : nullptr;
    const QListWidgetItem* item = lst振込手数料->currentItem();
    if (!db || !item)
        return;
    const Money fee = Money::fromRaw(item->data(Qt::UserRole).toLongLong());
    runReportingFailure(
        *m_prompts, [&] { bank::deleteFee(*db, fee); }, kStepNotCompleted);
    refresh();
}
