// The payer master page and the payer drop-down of the schedule grid.
#include "app/FrmDorivan.h"

#include "app/bound_grid.h"
#include "app/failure_report.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "payers/payer_master.h"
#include "storage/database.h"

#include <QPushButton>
#include <QTabWidget>

namespace {

// Every payer operation is all or nothing: after a failure the store is as it was before the click.
const QString kPayersNotChanged =
    QStringLiteral("入金先の処理を完了できませんでした。入金先マスタは変更されていません。");

} // namespace

void FrmDorivan::connectPayers()
{
    connect(cmd支払先読込, &QPushButton::clicked, this, [this] { Read入金先(); });
    connect(cmd支払先登録, &QPushButton::clicked, this, [this] {
        if (ShowStandardMessage(prompts(), QStringLiteral("登録"), QStringLiteral("確認"),
                                QStringLiteral("入金先")) == Answer::Yes)
            Entry入金先マスタ();
    });
    connect(cmd支払先行削除, &QPushButton::clicked, this, [this] { LineDelete入金先マスタ(); });
    connect(cmd支払先削除, &QPushButton::clicked, this, [this] { Delete入金先マスタ(); });
    connect(cmd支払先クリア, &QPushButton::clicked, this, [this] { Clear入金先マスタ(); });
    // The page shows the master the first time it is opened, so that nobody takes an empty page for an
    // empty master. Later visits keep the page as the user left it: it may hold unsaved edits.
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, shown = false](int index) mutable {
        if (shown || !SSTab1->widget(index) || !SSTab1->widget(index)->isAncestorOf(Grid入金先マスタ))
            return;
        shown = true;
        Read入金先();
    });
}

void FrmDorivan::Read入金先()
{
    runReportingFailure(
        prompts(), [this] { payers::Read入金先(db()); }, kPayersNotChanged);
    dat入金先マスタ->refresh();
}

void FrmDorivan::Entry入金先マスタ()
{
    // A name still in its editor is part of what the user sees, so it is saved with the rest.
    Grid入金先マスタ->commitRow();
    if (runReportingFailure(
            prompts(), [this] { payers::Entry入金先マスタ(db()); }, kPayersNotChanged))
        AddComb入金先名();
}

void FrmDorivan::Clear入金先マスタ()
{
    runReportingFailure(
        prompts(), [this] { payers::Clear入金先マスタ(db()); }, kPayersNotChanged);
    dat入金先マスタ->refresh();
}

void FrmDorivan::Delete入金先マスタ()
{
    if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("全件確認"),
                            QStringLiteral("すべての入金先を削除します")) != Answer::Yes)
        return;
    if (runReportingFailure(
            prompts(), [this] { payers::Delete入金先マスタ(db()); }, kPayersNotChanged))
        AddComb入金先名();
    dat入金先マスタ->refresh();
}

void FrmDorivan::LineDelete入金先マスタ()
{
    // Asked before the ticks are looked at, so the question comes even when nothing is ticked.
    if (ShowStandardMessage(prompts(), QStringLiteral("削除"), QStringLiteral("指定確認"),
                            QStringLiteral("入金先")) != Answer::Yes)
        return;
    Grid入金先マスタ->commitRow();
    if (runReportingFailure(
            prompts(), [this] { payers::LineDelete入金先マスタ(db()); }, kPayersNotChanged))
        AddComb入金先名();
    dat入金先マスタ->refresh();
}

void FrmDorivan::AddComb入金先名()
{
    runReportingFailure(
        prompts(), [this] { payers::AddComb入金先名(db()); }, kPayersNotChanged);
    dat入金先名->refresh();
}

void FrmDorivan::Add入金先(const QString& name)
{
    bool added = false;
    runReportingFailure(
        prompts(), [&] { added = payers::Add入金先(db(), name); }, kPayersNotChanged);
    // The drop-down offers the new name at once, not only after the next clear of the month.
    if (added)
        AddComb入金先名();
}
