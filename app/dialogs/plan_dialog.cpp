// The dialog of the fixed monthly plans.
#include "app/dialogs/plan_dialog.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/widgets/month_edit.h"
#include "app/widgets/page_controls.h"
#include "common/dates.h"
#include "terms/terms_store.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace page_controls;

PlanDialog::PlanDialog(Database& db, UserPrompts& prompts, const Clock& clock, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frm予定作成"));
    setWindowTitle(QStringLiteral("予定作成"));
    // The months ahead that the outlook shows: the next twelve from this one.
    const QDate thisMonth = todayBy(clock);
    dtp予定開始 = named(new MonthEdit(this), QStringLiteral("dtp予定開始"));
    dtp予定開始->setMonth(QDate(thisMonth.year(), thisMonth.month(), 1));
    dtp予定終了 = named(new MonthEdit(this), QStringLiteral("dtp予定終了"));
    dtp予定終了->setMonth(QDate(thisMonth.year(), thisMonth.month(), 1).addMonths(11));
    cmd予定表示 = button(QStringLiteral("cmd予定表示"), QStringLiteral("表示"), this);
    Grid予定作成 = named(new QTableWidget(0, 3, this), QStringLiteral("Grid予定作成"));
    Grid予定作成->setHorizontalHeaderLabels(
        {QStringLiteral("日付"), QStringLiteral("入金先名"), QStringLiteral("予定額")});
    Grid予定作成->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    Grid予定作成->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbl予定件数 = label(QStringLiteral("lbl予定件数"), QString(), this);
    cmd予定登録 = button(QStringLiteral("cmd予定登録"), QStringLiteral("登録"), this);
    cmd予定取消 = button(QStringLiteral("cmd予定取消"), QStringLiteral("閉じる"), this);

    auto* months = new QHBoxLayout;
    months->addWidget(new QLabel(QStringLiteral("作成する月"), this));
    months->addWidget(dtp予定開始);
    months->addWidget(new QLabel(QStringLiteral("～"), this));
    months->addWidget(dtp予定終了);
    months->addWidget(cmd予定表示);
    months->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lbl予定件数);
    buttons->addStretch();
    buttons->addWidget(cmd予定登録);
    buttons->addWidget(cmd予定取消);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(months);
    layout->addWidget(Grid予定作成, 1);
    layout->addLayout(buttons);
    resize(560, 460);

    connect(cmd予定表示, &QPushButton::clicked, this, [this] { listRows(); });
    connect(cmd予定登録, &QPushButton::clicked, this, [this] { storeTicked(); });
    connect(cmd予定取消, &QPushButton::clicked, this, &QDialog::reject);
    listRows();
}

void PlanDialog::listRows()
{
    m_rows.clear();
    const QDate from = dtp予定開始->month();
    const QDate to = dtp予定終了->month();
    if (from.isValid() && to.isValid())
        runReportingFailure(
            m_prompts,
            [&] { m_rows = terms::planReceipts(m_db, terms::YearMonth::of(from), terms::YearMonth::of(to)); },
            kStepNotCompleted);
    Grid予定作成->setRowCount(int(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const terms::PlannedRow& row = m_rows[std::size_t(i)];
        auto* date = new QTableWidgetItem(toSlashDate(row.date));
        date->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        date->setCheckState(Qt::Checked);
        Grid予定作成->setItem(i, 0, date);
        Grid予定作成->setItem(i, 1, new QTableWidgetItem(row.payer));
        auto* amount = new QTableWidgetItem(formatAmount(row.amount));
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Grid予定作成->setItem(i, 2, amount);
    }
    lbl予定件数->setText(m_rows.empty() ? QStringLiteral("作成する予定はありません。")
                                        : QStringLiteral("%1 件").arg(m_rows.size()));
    cmd予定登録->setEnabled(!m_rows.empty());
}

void PlanDialog::storeTicked()
{
    std::vector<terms::PlannedRow> ticked;
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (Grid予定作成->item(i, 0)->checkState() == Qt::Checked)
            ticked.push_back(m_rows[std::size_t(i)]);
    int stored = 0;
    if (!runReportingFailure(
            m_prompts, [&] { stored = terms::storePlannedRows(m_db, ticked); }, kStepNotCompleted))
        return;
    m_stored = stored;
    showStandardMessage(m_prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"),
                        QStringLiteral("入金予定を %1 件作成しました。").arg(stored));
    accept();
}
