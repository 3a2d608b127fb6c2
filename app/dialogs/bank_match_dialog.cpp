#include "app/dialogs/bank_match_dialog.h"

#include "app/widgets/page_controls.h"
#include "bank/matching_store.h"
#include "common/dates.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using page_controls::named;

namespace {

// The columns of Grid消込.
enum Column { k消込, k取引日, k振込依頼人名, k金額, k判定, k入金先名, k消込先, k手数料, k理由, kColumns };

QString rowText(const bank::PlannedRow& row)
{
    return QStringLiteral("%1 %2 残り %3")
        .arg(toSlashDate(row.日付), formatAmount(row.予定額), formatAmount(row.未入金額()));
}

QTableWidgetItem* fixedItem(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment);
    return item;
}

} // namespace

BankMatchDialog::BankMatchDialog(bank::MatchRun run, QStringList payers, QWidget* parent)
    : QDialog(parent), m_run(std::make_unique<bank::MatchRun>(std::move(run))), m_payers(std::move(payers))
{
    setObjectName(QStringLiteral("dlg入金消込"));
    setWindowTitle(QStringLiteral("入金消込"));
    Grid消込 =
        named(new QTableWidget(int(m_run->deposits.size()), kColumns, this), QStringLiteral("Grid消込"));
    Grid消込->setHorizontalHeaderLabels(
        {QStringLiteral("消込"), QStringLiteral("取引日"), QStringLiteral("振込依頼人名"),
         QStringLiteral("金額"), QStringLiteral("判定"), QStringLiteral("入金先名"), QStringLiteral("消込先"),
         QStringLiteral("手数料"), QStringLiteral("理由")});
    Grid消込->verticalHeader()->setVisible(false);
    Grid消込->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid消込->horizontalHeader()->setStretchLastSection(true);
    m_payers.prepend(QString());
    m_payerList = new QStringListModel(m_payers, this);
    for (std::size_t i = 0; i < m_run->input.openRows.size(); ++i)
        m_rowsOfPayer[m_run->input.openRows[i].入金先名].push_back(i);
    m_payerBoxes.assign(m_run->deposits.size(), nullptr);
    m_rowBoxes.assign(m_run->deposits.size(), nullptr);
    for (int row = 0; row < int(m_run->deposits.size()); ++row)
        fillRow(row);
    Grid消込->resizeColumnsToContents();
    // A combined payment's rows would push the reason out of sight; the cell's tip shows them whole.
    for (int column : {k入金先名, k消込先})
        Grid消込->setColumnWidth(column, std::min(Grid消込->columnWidth(column), 300));
    connect(Grid消込, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == k消込)
            showCount();
    });

    lbl消込件数 = named(new QLabel(this), QStringLiteral("lbl消込件数"));
    cmd消込登録 = named(new QPushButton(QStringLiteral("登録"), this), QStringLiteral("cmd消込登録"));
    cmd消込取消 = named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("cmd消込取消"));
    cmd消込登録->setAutoDefault(false);
    connect(cmd消込登録, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd消込取消, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = m_buttons = new QHBoxLayout;
    buttons->addWidget(lbl消込件数);
    buttons->addStretch();
    buttons->addWidget(cmd消込登録);
    buttons->addWidget(cmd消込取消);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("チェックした入金を登録します。候補と不明の入金は、入金先と消込先を"
                                  "選んでからチェックしてください。"),
                   this));
    layout->addWidget(Grid消込, 1);
    layout->addLayout(buttons);
    resize(1100, 520);
    showCount();
}

BankMatchDialog::~BankMatchDialog() = default;

void BankMatchDialog::offerColumnChange()
{
    if (cmd様式変更)
        return;
    // Columns chosen wrongly once would otherwise read every later file of the layout wrongly.
    cmd様式変更 = named(new QPushButton(QStringLiteral("列の指定…"), this), QStringLiteral("cmd様式変更"));
    cmd様式変更->setAutoDefault(false);
    connect(cmd様式変更, &QPushButton::clicked, this, [this] { done(kChangeColumns); });
    m_buttons->insertWidget(1, cmd様式変更);
}

void BankMatchDialog::fillRow(int row)
{
    const bank::Deposit& deposit = m_run->deposits[std::size_t(row)];
    const bank::DepositJudgement& judgement = m_run->judgements[std::size_t(row)];
    const QSignalBlocker quiet(Grid消込);
    auto* tick = new QTableWidgetItem;
    tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    tick->setCheckState(judgement.judgement == bank::Judgement::一致 ? Qt::Checked : Qt::Unchecked);
    if (judgement.judgement == bank::Judgement::消込済)
        tick->setFlags(Qt::NoItemFlags);
    Grid消込->setItem(row, k消込, tick);
    Grid消込->setItem(row, k取引日, fixedItem(toSlashDate(deposit.取引日)));
    Grid消込->setItem(row, k振込依頼人名, fixedItem(deposit.振込依頼人名));
    Grid消込->setItem(row, k金額, fixedItem(formatAmount(deposit.金額), Qt::AlignRight | Qt::AlignVCenter));
    Grid消込->setItem(row, k判定, fixedItem(bank::judgementName(judgement.judgement)));
    // The reason may lie past the right edge of a narrow screen; the judgement tells it too.
    Grid消込->item(row, k判定)->setToolTip(judgement.reason);
    Grid消込->setItem(row, k手数料,
                      fixedItem(judgement.fee.isZero() ? QString() : formatAmount(judgement.fee),
                                Qt::AlignRight | Qt::AlignVCenter));
    Grid消込->setItem(row, k理由, fixedItem(judgement.reason));

    if (judgement.judgement == bank::Judgement::一致) {
        QStringList rows;
        QString payer = judgement.payers.value(0);
        for (qint64 id : judgement.rows)
            if (const bank::PlannedRow* planned = m_run->row(id)) {
                rows << rowText(*planned);
                payer = planned->入金先名;
            }
        Grid消込->setItem(row, k入金先名, fixedItem(payer));
        Grid消込->setItem(row, k消込先, fixedItem(rows.join(QStringLiteral(" ＋ "))));
        Grid消込->item(row, k消込先)->setToolTip(rows.join(QLatin1Char('\n')));
        return;
    }
    if (judgement.judgement == bank::Judgement::消込済) {
        Grid消込->setItem(row, k入金先名, fixedItem({}));
        Grid消込->setItem(row, k消込先, fixedItem({}));
        return;
    }
    // Every box offers the whole master from one shared list (a file of hundreds of deposits against
    // thousands of names), showing the payer the name matched best; 不明 starts on the empty entry.
    auto* payerBox = new QComboBox(Grid消込);
    payerBox->setModel(m_payerList);
    payerBox->setCurrentIndex(std::max(0, int(m_payers.indexOf(judgement.payers.value(0)))));
    auto* rowBox = new QComboBox(Grid消込);
    m_payerBoxes[std::size_t(row)] = payerBox;
    m_rowBoxes[std::size_t(row)] = rowBox;
    Grid消込->setCellWidget(row, k入金先名, payerBox);
    Grid消込->setCellWidget(row, k消込先, rowBox);
    offerRows(row);
    connect(payerBox, &QComboBox::currentIndexChanged, this, [this, row] { offerRows(row); });
    // A choice the user makes is what ticking is for; a payer left empty unticks.
    const auto chosen = [this, row, payerBox] {
        Grid消込->item(row, k消込)
            ->setCheckState(payerBox->currentText().isEmpty() ? Qt::Unchecked : Qt::Checked);
    };
    connect(payerBox, &QComboBox::activated, this, chosen);
    connect(rowBox, &QComboBox::activated, this, chosen);
}

void BankMatchDialog::offerRows(int row)
{
    const bank::Deposit& deposit = m_run->deposits[std::size_t(row)];
    const bank::DepositJudgement& judgement = m_run->judgements[std::size_t(row)];
    QComboBox* rowBox = m_rowBoxes[std::size_t(row)];
    const QString payer = m_payerBoxes[std::size_t(row)]->currentText();
    rowBox->clear();
    if (payer.isEmpty())
        return;
    // The judgement's candidates of this payer first, then its other open rows near the deposit.
    std::vector<qint64> ids;
    for (qint64 id : judgement.candidates)
        if (const bank::PlannedRow* planned = m_run->row(id); planned && planned->入金先名 == payer)
            ids.push_back(id);
    for (std::size_t at : m_rowsOfPayer.value(payer)) {
        const bank::PlannedRow& planned = m_run->input.openRows[at];
        if (std::abs(planned.日付.daysTo(deposit.取引日)) <= m_run->input.settings.windowDays &&
            std::find(ids.begin(), ids.end(), planned.rowId) == ids.end())
            ids.push_back(planned.rowId);
    }
    for (qint64 id : ids)
        rowBox->addItem(rowText(*m_run->row(id)), QVariant::fromValue(id));
    rowBox->addItem(kNewRow, QVariant::fromValue(qint64(0)));
}

void BankMatchDialog::showCount()
{
    int ticked = 0;
    for (int row = 0; row < Grid消込->rowCount(); ++row)
        if (Grid消込->item(row, k消込)->checkState() == Qt::Checked)
            ++ticked;
    lbl消込件数->setText(QStringLiteral("%1 件中 %2 件を登録します。").arg(Grid消込->rowCount()).arg(ticked));
}

std::vector<bank::DepositChoice> BankMatchDialog::choices() const
{
    std::vector<bank::DepositChoice> chosen;
    for (std::size_t i = 0; i < m_run->deposits.size(); ++i) {
        if (Grid消込->item(int(i), k消込)->checkState() != Qt::Checked)
            continue;
        const bank::DepositJudgement& judgement = m_run->judgements[i];
        bank::DepositChoice choice;
        choice.deposit = m_run->deposits[i];
        if (judgement.judgement == bank::Judgement::一致) {
            choice.payer = judgement.payers.value(0);
            choice.rows = judgement.rows;
        } else if (m_payerBoxes[i]) {
            choice.payer = m_payerBoxes[i]->currentText();
            if (choice.payer.isEmpty())
                continue; // ticked without a payer: nothing to apply
            const qint64 id = m_rowBoxes[i]->currentData().toLongLong();
            if (id != 0)
                choice.rows = {id};
            else
                choice.newRow = true;
            // Unless the bank's name already named this payer for sure, the user's choice teaches it.
            const bool named = judgement.payers == QStringList{choice.payer} &&
                               (judgement.nameMatch == bank::NameMatch::Equal ||
                                judgement.nameMatch == bank::NameMatch::Learned);
            choice.learnName = !named;
        } else {
            continue;
        }
        chosen.push_back(std::move(choice));
    }
    return chosen;
}
