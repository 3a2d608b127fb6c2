// The company bank's closing days on the settings page.
#include "app/pages/closing_days_panel.h"

#include "app/dialogs/failure_report.h"
#include "app/widgets/date_edit.h"
#include "app/widgets/page_controls.h"
#include "common/dates.h"
#include "terms/terms_store.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace page_controls;

namespace {

const QString kDaysNotChanged =
    QStringLiteral("銀行休業日を変更できませんでした。休業日は変更されていません。");

} // namespace

ClosingDaysPanel::ClosingDaysPanel(Source source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source))
{
    auto* group =
        new QGroupBox(QStringLiteral("銀行休業日（土日・祝日・年末年始のほかに銀行が休む日）"), this);
    lst銀行休業日 = named(new QListWidget(group), QStringLiteral("lst銀行休業日"));
    lst銀行休業日->setMaximumHeight(90);
    txt銀行休業日 = named(new DateEdit(todayBy(m_source.clock), group), QStringLiteral("txt銀行休業日"));
    cmd休業日追加 = button(QStringLiteral("cmd休業日追加"), QStringLiteral("追加"), group);
    cmd休業日削除 = button(QStringLiteral("cmd休業日削除"), QStringLiteral("削除"), group);

    auto* fields = new QVBoxLayout;
    fields->addWidget(txt銀行休業日);
    fields->addWidget(cmd休業日追加);
    fields->addWidget(cmd休業日削除);
    fields->addStretch();
    auto* row = new QHBoxLayout(group);
    row->addWidget(lst銀行休業日, 1);
    row->addLayout(fields);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);

    connect(cmd休業日追加, &QPushButton::clicked, this, [this] { addDay(); });
    connect(cmd休業日削除, &QPushButton::clicked, this, [this] { removeDay(); });
}

void ClosingDaysPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void ClosingDaysPanel::refresh()
{
    lst銀行休業日->clear();
    Database* db = m_source.database();
    if (!db)
        return;
    std::vector<QDate> days;
    runReportingFailure(
        *m_source.prompts, [&] { days = terms::readClosingDays(*db); }, kStepNotCompleted);
    for (const QDate& day : days) {
        auto* item = new QListWidgetItem(toSlashDate(day), lst銀行休業日);
        item->setData(Qt::UserRole, day);
    }
}

void ClosingDaysPanel::addDay()
{
    Database* db = m_source.database();
    if (!db)
        return;
    const QDate day = txt銀行休業日->date();
    runReportingFailure(
        *m_source.prompts, [&] { terms::addClosingDay(*db, day); }, kDaysNotChanged);
    refresh();
}

void ClosingDaysPanel::removeDay()
{
    Database* db = m_source.database();
    QListWidgetItem* item = lst銀行休業日->currentItem();
    if (!db || !item)
        return;
    const QDate day = item->data(Qt::UserRole).toDate();
    runReportingFailure(
        *m_source.prompts, [&] { terms::removeClosingDay(*db, day); }, kDaysNotChanged);
    refresh();
}
