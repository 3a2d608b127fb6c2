#include "app/pages/learned_names_panel.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/user_prompts.h"
#include "app/widgets/page_controls.h"
#include "bank/matching_store.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using page_controls::named;

namespace {
enum { k入金先名, k振込依頼人名, k照合キー, kColumns };
}

LearnedNamesPanel::LearnedNamesPanel(std::function<Database*()> database,
                                     std::shared_ptr<UserPrompts> prompts, QWidget* parent)
    : QGroupBox(QStringLiteral("入金消込で覚えた振込依頼人名"), parent), m_database(std::move(database)),
      m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("fra照合名"));
    lst照合名 = named(new QTableWidget(0, kColumns, this), QStringLiteral("lst照合名"));
    lst照合名->setHorizontalHeaderLabels(
        {QStringLiteral("入金先名"), QStringLiteral("振込依頼人名"), QStringLiteral("照合キー")});
    lst照合名->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst照合名->setSelectionBehavior(QAbstractItemView::SelectRows);
    lst照合名->setSelectionMode(QAbstractItemView::SingleSelection);
    lst照合名->verticalHeader()->setVisible(false);
    lst照合名->horizontalHeader()->setStretchLastSection(true);
    // The payer grid above is the page's work; the learned names are looked at now and then.
    lst照合名->setMaximumHeight(lst照合名->verticalHeader()->defaultSectionSize() * 4 +
                                lst照合名->horizontalHeader()->sizeHint().height() +
                                2 * lst照合名->frameWidth());
    for (int column : {k入金先名, k振込依頼人名})
        lst照合名->setColumnWidth(column, 260);
    cmd照合名削除 = page_controls::button(QStringLiteral("cmd照合名削除"), QStringLiteral("削除"), this);
    connect(cmd照合名削除, &QPushButton::clicked, this, [this] { deleteSelectedName(); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmd照合名削除);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lst照合名, 1);
    layout->addLayout(buttons);
}

void LearnedNamesPanel::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    refresh();
}

void LearnedNamesPanel::refresh()
{
    Database* db = m_database ? m_database() : nullptr;
    if (!db)
        return;
    std::vector<bank::LearnedName> names;
    if (!runReportingFailure(
            *m_prompts, [&] { names = bank::readLearnedNames(*db); }, kStepNotCompleted))
        return;
    lst照合名->setRowCount(int(names.size()));
    for (int row = 0; row < int(names.size()); ++row) {
        const bank::LearnedName& name = names[std::size_t(row)];
        lst照合名->setItem(row, k入金先名, new QTableWidgetItem(name.入金先名));
        lst照合名->setItem(row, k振込依頼人名, new QTableWidgetItem(name.振込依頼人名));
        lst照合名->setItem(row, k照合キー, new QTableWidgetItem(name.照合キー));
    }
    lst照合名->resizeColumnsToContents();
    for (int column : {k入金先名, k振込依頼人名})
        lst照合名->setColumnWidth(column, std::max(lst照合名->columnWidth(column), 260));
}

void LearnedNamesPanel::deleteSelectedName()
{
    Database* db = m_database ? m_database() : nullptr;
    const int row = lst照合名->currentRow();
    if (!db || row < 0 || !lst照合名->item(row, k入金先名))
        return;
    const QString payer = lst照合名->item(row, k入金先名)->text();
    const QString bankName = lst照合名->item(row, k振込依頼人名)->text();
    const QString key = lst照合名->item(row, k照合キー)->text();
    const QString question =
        QStringLiteral("「%1」を %2 の振込依頼人名から削除します。よろしいですか？").arg(bankName, payer);
    if (m_prompts->ask(window(), {QStringLiteral("削除"), question, DialogStyle::AskDefaultNo},
                       PromptButtons::YesNoInJapanese) != Answer::Yes)
        return;
    runReportingFailure(
        *m_prompts, [&] { bank::deleteLearnedName(*db, payer, key); }, kStepNotCompleted);
    refresh();
}
