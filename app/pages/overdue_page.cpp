#include "app/pages/overdue_page.h"

#include "app/dialogs/bank_matching.h"
#include "app/dialogs/csv_dialog.h"
#include "app/dialogs/failure_report.h"
#include "app/dialogs/report_preview.h"
#include "app/dialogs/standard_message.h"
#include "app/pages/overdue_models.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/date_edit.h"
#include "app/widgets/outlook_chart.h"
#include "app/widgets/page_controls.h"
#include "common/dates.h"
#include "csv/csv_export.h"
#include "schedule/balances.h"
#include "storage/database.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using page_controls::hintButton;
using page_controls::named;

namespace {

QTableView* listGrid(const QString& name, QWidget* parent)
{
    auto* grid = named(new QTableView(parent), name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->setVisible(false);
    return grid;
}

AmountField* figure(const QString& name, QWidget* parent)
{
    auto* field = named(new AmountField(parent), name);
    field->setReadOnly(true);
    field->setFixedWidth(130);
    return field;
}

// Each column as wide as its widest sample (the longer date form, a nine-digit amount, the usual length of
// a company name, the heading); the last one takes what is left.
void setWidths(QTableView* grid, std::initializer_list<QStringList> samples)
{
    const QFontMetrics metrics = grid->fontMetrics();
    QHeaderView* header = grid->horizontalHeader();
    int column = 0;
    for (const QStringList& texts : samples) {
        int width = 0;
        for (const QString& text : texts)
            width = std::max(width, metrics.horizontalAdvance(text));
        grid->setColumnWidth(column, width + 10);
        ++column;
    }
    header->setStretchLastSection(true);
}

// The dates' columns follow the form in effect (refresh() sets them); the Western one to begin with.
const QStringList kDateSamples{QStringLiteral("0000年00月00日")};

int dateWidth(const QTableView* grid, const QString& format)
{
    return grid->fontMetrics().horizontalAdvance(formatDay(QDate(2000, 12, 28), format)) + 10;
}
const QStringList kAmountSamples{QStringLiteral("000,000,000")};
const QStringList kNameSamples{QStringLiteral("株式会社山田商店")};

} // namespace

OverduePage::OverduePage(Source source, QWidget* parent) : QWidget(parent), m_source(std::move(source))
{
    setObjectName(QStringLiteral("Page未入金"));
    m_date = today();
    buildLayout();
    m_midnight = new QTimer(this);
    m_midnight->setSingleShot(true);
    // A coarse timer may be late by minutes over a day's interval.
    m_midnight->setTimerType(Qt::PreciseTimer);
    connect(m_midnight, &QTimer::timeout, this, [this] { midnightPassed(); });
    watchMidnight();

    connect(Dt基準日, &QDateEdit::dateChanged, this, [this] { dateEdited(); });
    connect(Dt基準日, &QDateEdit::editingFinished, this, [this] { dateEdited(); });
    connect(cmb入金先絞込, &QComboBox::currentIndexChanged, this, [this] { payerChosen(); });
    // Enter and a double click both activate a line.
    connect(Grid未入金, &QTableView::activated, this, [this](const QModelIndex& index) {
        if (!index.isValid() || std::size_t(index.row()) >= openRows->rows().size())
            return;
        const schedule::OpenRow& row = openRows->rows()[std::size_t(index.row())];
        emit storedRowRequested(row.日付, row.行番号);
    });
    connect(cmd未入金印刷, &QPushButton::clicked, this, [this] { print(); });
    connect(cmd未入金CSV, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(cmd入金消込, &QPushButton::clicked, this, [this] { matchBankFile(); });
    connect(cmdHint3, &QPushButton::clicked, this, [this] { emit hintRequested(cmdHint3->objectName()); });
}

void OverduePage::buildLayout()
{
    auto* frame = named(new QFrame(this), QStringLiteral("imContainer未入金"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(frame);

    auto* dateLabel = new QLabel(QStringLiteral("基準日"), frame);
    Dt基準日 = named(new DateEdit(m_date, frame), QStringLiteral("Dt基準日"));
    Dt基準日->setCalendarPopup(true);
    // One refresh when the user has finished typing a date, not one per digit.
    Dt基準日->setKeyboardTracking(false);
    dateLabel->setBuddy(Dt基準日);
    auto* payerLabel = new QLabel(QStringLiteral("入金先"), frame);
    cmb入金先絞込 = named(new QComboBox(frame), QStringLiteral("cmb入金先絞込"));
    cmb入金先絞込->addItem(kAllPayers);
    cmb入金先絞込->setMinimumWidth(220);
    cmb入金先絞込->setMaxVisibleItems(20);
    payerLabel->setBuddy(cmb入金先絞込);
    auto* countLabel = new QLabel(QStringLiteral("件数"), frame);
    num未入金件数 = figure(QStringLiteral("num未入金件数"), frame);
    num未入金件数->setFixedWidth(80);
    auto* sumLabel = new QLabel(QStringLiteral("未入金合計"), frame);
    num未入金合計 = figure(QStringLiteral("num未入金合計"), frame);
    auto* filters = new QHBoxLayout;
    filters->addWidget(dateLabel);
    filters->addWidget(Dt基準日);
    filters->addSpacing(16);
    filters->addWidget(payerLabel);
    filters->addWidget(cmb入金先絞込);
    filters->addStretch();
    filters->addWidget(countLabel);
    filters->addWidget(num未入金件数);
    filters->addSpacing(12);
    filters->addWidget(sumLabel);
    filters->addWidget(num未入金合計);

    openRows = named(new OpenRowsModel(this), QStringLiteral("dat未入金"));
    payerTotals = named(new PayerTotalsModel(this), QStringLiteral("dat入金先別"));
    Grid未入金 = listGrid(QStringLiteral("Grid未入金"), frame);
    Grid未入金->setModel(openRows);
    setWidths(Grid未入金, {kDateSamples,
                           kNameSamples,
                           kAmountSamples,
                           kAmountSamples,
                           kAmountSamples,
                           {QStringLiteral("経過日数")}});
    Grid入金先別 = listGrid(QStringLiteral("Grid入金先別"), frame);
    Grid入金先別->setModel(payerTotals);
    setWidths(
        Grid入金先別,
        {kNameSamples, {QStringLiteral("件数"), QStringLiteral("00000")}, kAmountSamples, kDateSamples});
    auto* grids = new QHBoxLayout;
    // The totals by payer keep the width of their columns; the list takes the rest.
    Grid入金先別->setMinimumWidth(Grid入金先別->horizontalHeader()->length() +
                                  2 * Grid入金先別->frameWidth() +
                                  Grid入金先別->verticalScrollBar()->sizeHint().width());
    grids->addWidget(Grid未入金, 1);
    grids->addWidget(Grid入金先別, 0);

    Chart見通し = named(new OutlookChart(frame), QStringLiteral("Chart見通し"));
    Chart見通し->setMinimumHeight(220);

    auto* buttonPanel = named(new QFrame(frame), QStringLiteral("imContainer未入金ボタン"));
    buttonPanel->setFrameShape(QFrame::StyledPanel);
    buttonPanel->setFrameShadow(QFrame::Raised);
    cmd未入金印刷 =
        named(new QPushButton(QStringLiteral("印刷"), buttonPanel), QStringLiteral("cmd未入金印刷"));
    cmd未入金印刷->setMinimumWidth(72);
    cmd未入金印刷->setAutoDefault(false);
    cmd未入金CSV =
        named(new QPushButton(QStringLiteral("CSV出力"), buttonPanel), QStringLiteral("cmd未入金CSV"));
    cmd未入金CSV->setMinimumWidth(72);
    cmd未入金CSV->setAutoDefault(false);
    m_csvDialog = new CsvDialog(CsvDialog::Mode::ListExport, *m_source.prompts, m_source.clock, this);
    m_buttons = new QHBoxLayout(buttonPanel);
    m_buttons->addWidget(cmd未入金印刷);
    m_buttons->addWidget(cmd未入金CSV);
    cmd入金消込 =
        named(new QPushButton(QStringLiteral("入金消込"), buttonPanel), QStringLiteral("cmd入金消込"));
    cmd入金消込->setAutoDefault(false);
    m_buttons->addWidget(cmd入金消込);
    m_buttons->addStretch();
    // The hint of the page, in the corner where the other pages keep theirs.
    cmdHint3 = hintButton(QStringLiteral("cmdHint3"), buttonPanel);
    m_buttons->addWidget(cmdHint3);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(filters);
    layout->addLayout(grids, 3);
    layout->addWidget(Chart見通し, 2);
    layout->addWidget(buttonPanel);
}

void OverduePage::fitPayerTotals()
{
    // The totals by payer keep the width of their columns; the list takes the rest.
    Grid入金先別->setMinimumWidth(Grid入金先別->horizontalHeader()->length() +
                                  2 * Grid入金先別->frameWidth() +
                                  Grid入金先別->verticalScrollBar()->sizeHint().width());
}

QString OverduePage::chosenPayer() const
{
    return cmb入金先絞込->currentIndex() > 0 ? cmb入金先絞込->currentText() : QString();
}

void OverduePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

QDateTime OverduePage::now() const
{
    return nowBy(m_source.clock);
}

QDate OverduePage::today() const
{
    return now().date();
}

void OverduePage::watchMidnight()
{
    const QDateTime now = this->now();
    const qint64 untilMidnight = now.msecsTo(now.date().addDays(1).startOfDay());
    m_midnight->start(int(std::clamp<qint64>(untilMidnight, 0, 24 * 60 * 60 * 1000)));
}

void OverduePage::midnightPassed()
{
    // A timer may fire a little early; the page is read again once the date has really changed.
    if (m_readOn.isValid() && today() != m_readOn && refresh())
        emit dayTurned();
    watchMidnight();
}

void OverduePage::dateEdited()
{
    // A field the user left empty or unreadable goes back to the last date the page listed.
    const QDate typed = Dt基準日->date();
    if (!typed.isValid()) {
        Dt基準日->setDate(m_date);
        return;
    }
    if (typed == m_date)
        return;
    const QDate before = m_date;
    const bool ownBefore = m_ownDate;
    m_date = typed;
    // Today chosen again means following the day again.
    m_ownDate = typed != today();
    // A list that could not be read for the new date leaves the page on the old one, field included.
    if (!refresh()) {
        m_date = before;
        m_ownDate = ownBefore;
        const QSignalBlocker quiet(Dt基準日);
        Dt基準日->setDate(before);
    }
}

void OverduePage::payerChosen()
{
    if (chosenPayer() != m_payer && !refresh())
        showPayers(m_payers, m_payer);
}

void OverduePage::showPayers(const QStringList& payers, const QString& chosen)
{
    // Refilling the list is not a choice of the user's.
    const QSignalBlocker quiet(cmb入金先絞込);
    if (payers != m_payers) {
        cmb入金先絞込->clear();
        cmb入金先絞込->addItem(kAllPayers);
        cmb入金先絞込->addItems(payers);
        m_payers = payers;
    }
    cmb入金先絞込->setCurrentIndex(chosen.isEmpty() ? 0 : int(payers.indexOf(chosen)) + 1);
}

bool OverduePage::refresh()
{
    Database* db = m_source.database ? m_source.database() : nullptr;
    if (!db || m_refreshing)
        return false;
    m_refreshing = true;
    const QDate today = this->today();
    const QDate date = m_ownDate ? m_date : today;

    // Everything is read and added up before the page changes, so a failure leaves it as it was.
    std::vector<schedule::OpenRow> all;
    std::vector<schedule::OpenRow> shown;
    std::vector<schedule::PayerOpen> byPayer;
    std::vector<schedule::MonthOutlook> outlook;
    schedule::OpenTotals totals;
    std::optional<schedule::OpenTotals> pastDue;
    QStringList payers;
    QString chosen = chosenPayer();
    QString failure;
    try {
        all = schedule::readOpenRows(*db, date);
        outlook = schedule::readOutlook(*db, date);
        payers = schedule::payersOf(all);
        // A payer no longer owing anything up to the date leaves the list; the page then shows all.
        if (!chosen.isEmpty() && !payers.contains(chosen))
            chosen.clear();
        shown = schedule::rowsOfPayer(all, chosen);
        totals = schedule::totalsOf(shown);
        byPayer = schedule::totalsByPayer(shown);
        if (date >= today.addDays(-1))
            pastDue = schedule::pastDueOf(all, today);
    } catch (const std::exception& e) {
        failure = failureMessage(e, kStepNotCompleted);
    }
    m_refreshing = false;
    if (!failure.isEmpty()) {
        showStandardMessage(*m_source.prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            failure);
        return false;
    }

    const QString era = m_source.eraValue ? m_source.eraValue() : QString();
    const QString format = monthDisplayFormat(era, MonthUse::MonthField);
    if (format != m_format) {
        m_format = format;
        Grid未入金->setColumnWidth(OpenRowsModel::k日付, dateWidth(Grid未入金, format));
        Grid入金先別->setColumnWidth(PayerTotalsModel::k最古の日付, dateWidth(Grid入金先別, format));
        fitPayerTotals();
    }
    showPayers(payers, chosen);
    m_payer = chosen;
    openRows->setRows(std::move(shown), date, format);
    payerTotals->setPayers(std::move(byPayer), format);
    num未入金件数->setNumber(totals.件数);
    num未入金合計->setAmount(totals.合計);
    Chart見通し->setOutlook(outlook, format);
    m_pastDue = pastDue;
    m_readOn = today;
    if (date != m_date) {
        m_date = date;
        const QSignalBlocker quiet(Dt基準日);
        Dt基準日->setDate(date);
    }
    return true;
}

void OverduePage::print()
{
    const QString chosen = m_payer;
    const QString era = m_source.eraValue ? m_source.eraValue() : QString();
    const std::int64_t lineColor = m_source.lineColor ? m_source.lineColor() : 0;
    report::OverdueReportData data;
    if (!runReportingFailure(
            *m_source.prompts,
            [&] {
                data = report::overdueReportData(openRows->rows(), payerTotals->payers(),
                                                 schedule::totalsOf(openRows->rows()), openRows->asOf(),
                                                 chosen.isEmpty() ? kAllPayers : chosen, era);
            },
            kStepNotCompleted))
        return;
    m_source.prompts->previewOverdueReport(this, data, lineColor);
}

void OverduePage::exportCsv()
{
    m_csvDialog->setListFileName(
        QStringLiteral("未入金一覧_%1.csv").arg(m_date.toString(QStringLiteral("yyyyMMdd"))));
    if (m_csvDialog->exec() != QDialog::Accepted)
        return;
    csv::ExportResult result;
    if (!runReportingFailure(
            *m_source.prompts,
            [&] {
                // The lines as the page shows them: its date, its payer filter, its order.
                result = csv::exportOpenRows(openRows->rows(), openRows->asOf(),
                                             m_csvDialog->encoding().value_or(csv::CsvEncoding::Utf8));
            },
            kStepNotCompleted))
        return;
    if (!result.ok()) {
        showStandardMessage(*m_source.prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"),
                            result.error);
        return;
    }
    saveExportedCsv(*m_source.prompts, m_csvDialog->fileName(), result);
}

void OverduePage::matchBankFile()
{
    Database* db = m_source.database ? m_source.database() : nullptr;
    if (!db)
        return;
    const std::vector<QDate> dates =
        ::matchBankFile(this, *db, *m_source.prompts, now(), [this](const std::vector<QDate>& changing) {
            return !m_source.confirmChangingDates || m_source.confirmChangingDates(changing);
        });
    if (!dates.empty())
        emit depositsApplied(dates);
}
