#include "app/FrmDorivan.h"
#include "app/dialogs/dialog_prompts.h"

#include "app/build_info.h"
#include "app/dialogs/failure_report.h"
#include "app/dialogs/hint_window.h"
#include "app/dialogs/standard_message.h"
#include "app/dialogs/user_prompts.h"
#include "app/grid/column_widths.h"
#include "app/pages/csv_panel.h"
#include "app/pages/legacy_import_ui.h"
#include "app/pages/overdue_page.h"
#include "app/pages/payer_page.h"
#include "app/pages/schedule_page.h"
#include "app/pages/settings_page.h"
#include "app/widgets/button_shortcuts.h"
#include "schedule/overdue.h"
#include "storage/backup.h"
#include "storage/data_files.h"
#include "storage/database.h"

#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

const QString kWindowCaption = QStringLiteral("入金予定表 Ver ") + QStringLiteral(DORIVAN_VERSION);

namespace {

const QString kUnsavedMark = QStringLiteral(" *");

QString withTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('/');
}

} // namespace

FrmDorivan::FrmDorivan(const QString& dataFolder, QWidget* parent)
    : FrmDorivan(dataFolder, dialogPrompts(), parent)
{
}

FrmDorivan::FrmDorivan(const QString& dataFolder, std::shared_ptr<UserPrompts> prompts, QWidget* parent,
                       Clock clock)
    : QWidget(parent), m_prompts(std::move(prompts)), m_clock(std::move(clock)),
      m_dataFolder(withTrailingSeparator(dataFolder))
{
    setObjectName(QStringLiteral("FrmDorivan"));
    setWindowTitle(QStringLiteral("入金予定表"));
    m_permanentPath = m_dataFolder + data_files::kPermanentName;
    m_workPath = m_dataFolder + data_files::kWorkName;

    // A file that is not a database, or lacks a table, stops the load here with a message naming it.
    openData();
    setWindowTitle(kWindowCaption);

    buildLayout();
    connectPages();
    loadPages();
    m_schedulePage->putStartCursor();
}

void FrmDorivan::openData()
{
    // The day's copy of the permanent file is taken inside the first write's transaction; a copy that
    // fails is told after that operation, without holding up the work it was taken for.
    m_db = Database::open(m_permanentPath, m_workPath, m_dataFolder + QStringLiteral("backup"));
    m_db->backups().setClock(m_clock);
    m_db->backups().setFailureHandler([this](const QString& message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                                    message);
            },
            Qt::QueuedConnection);
    });
    // Files brought to a newer format are told of once the window is up.
    if (const QString notice = m_db->takeUpgradeNotice(); !notice.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this, notice] {
                showStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                                    notice);
            },
            Qt::QueuedConnection);
}

void FrmDorivan::buildLayout()
{
    const auto database = [this] { return m_db.get(); };

    SchedulePage::Source schedule;
    schedule.database = database;
    schedule.prompts = m_prompts;
    schedule.autoRegistration = [this] { return m_settingsPage->autoRegistration(); };
    schedule.clock = m_clock;
    m_schedulePage = new SchedulePage(std::move(schedule));

    PayerPage::Source payers;
    payers.database = database;
    payers.prompts = m_prompts;
    payers.clock = m_clock;
    payers.confirmLeavingMonth = [this] { return m_schedulePage->confirmLeavingMonth(); };
    m_payerPage = new PayerPage(std::move(payers));

    SettingsPage::Source settings;
    settings.database = database;
    settings.prompts = m_prompts;
    settings.caption = kWindowCaption;
    settings.clock = m_clock;
    settings.csvPanel = [this, database](QWidget* parent) {
        CsvExchangePanel::Source csv;
        csv.database = database;
        csv.prompts = m_prompts;
        csv.clock = m_clock;
        csv.eraValue = [this] { return m_settingsPage->eraValue(); };
        csv.autoRegistration = [this] { return m_settingsPage->autoRegistration(); };
        csv.displayedMonth = [this] { return m_schedulePage->workMonth(); };
        csv.confirmLeavingMonth = [this] { return m_schedulePage->confirmLeavingMonth(); };
        csv.refreshPayerList = [this] { m_schedulePage->refreshPayerList(); };
        csv.showLatestMonth = [this] { m_schedulePage->showLatestMonth(); };
        auto* panel = new CsvExchangePanel(std::move(csv), parent);
        connect(panel, &CsvExchangePanel::rowsImported, this, &FrmDorivan::storedDataChanged);
        return panel;
    };
    settings.legacyPanel = [this](QWidget* parent) {
        LegacyImportPanel::Source legacy;
        legacy.prompts = m_prompts;
        legacy.clock = m_clock;
        legacy.dataFolder = m_dataFolder;
        legacy.confirmLeavingMonth = [this] { return m_schedulePage->confirmLeavingMonth(); };
        legacy.releaseData = [this] { releaseData(); };
        legacy.reloadData = [this] {
            openData();
            loadPages();
            m_schedulePage->showLatestMonth();
        };
        legacy.closeWindow = [this] { close(); };
        return new LegacyImportPanel(std::move(legacy), parent);
    };
    m_settingsPage = new SettingsPage(std::move(settings));

    OverduePage::Source overdue;
    overdue.database = database;
    overdue.eraValue = [this] { return m_settingsPage->eraValue(); };
    overdue.lineColor = [this] { return std::int64_t(m_settingsPage->lineColour()); };
    overdue.prompts = m_prompts;
    overdue.clock = m_clock;
    overdue.confirmChangingDates = [this](const std::vector<QDate>& dates) {
        return !reachesShownMonth(dates) || m_schedulePage->confirmLeavingMonth();
    };
    m_overduePage = new OverduePage(std::move(overdue));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(m_schedulePage, QStringLiteral("     入 金 予 定     "));
    SSTab1->addTab(m_payerPage, QStringLiteral("入金先保守"));
    SSTab1->addTab(m_settingsPage, QStringLiteral("設定・情報"));
    SSTab1->addTab(m_overduePage, QStringLiteral("未入金一覧"));
    SSTab1->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(SSTab1);
    resize(960, 660);
    addWindowShortcuts(*this);
}

void FrmDorivan::connectPages()
{
    connect(m_schedulePage, &SchedulePage::unsavedChanged, this, &FrmDorivan::markUnsaved);
    connect(m_schedulePage, &SchedulePage::storedRowsChanged, this, &FrmDorivan::storedDataChanged);
    connect(m_schedulePage, &SchedulePage::pageWanted, this,
            [this] { SSTab1->setCurrentWidget(m_schedulePage); });
    connect(m_schedulePage, &SchedulePage::printRequested, this, &FrmDorivan::printMonth);
    // The hint window goes with the main window, in closeEvent: a close the user cancels keeps both.
    connect(m_schedulePage, &SchedulePage::closeRequested, this, [this] { close(); });
    connect(m_schedulePage, &SchedulePage::pastDueClicked, this,
            [this] { SSTab1->setCurrentWidget(m_overduePage); });
    connect(m_overduePage, &OverduePage::storedRowRequested, m_schedulePage, &SchedulePage::showStoredRow);
    connect(m_overduePage, &OverduePage::depositsApplied, this, [this](const std::vector<QDate>& dates) {
        if (reachesShownMonth(dates))
            m_schedulePage->loadMonth();
        storedDataChanged();
    });
    // Past midnight the grid's overdue marks and the notice count from the new day.
    connect(m_overduePage, &OverduePage::dayTurned, this, [this] {
        m_schedulePage->showOverdueMarks();
        showPastDueNotice();
    });

    connect(m_payerPage, &PayerPage::payersChanged, m_schedulePage, &SchedulePage::refreshPayerList);
    connect(m_payerPage, &PayerPage::payerRowsRenamed, m_schedulePage, &SchedulePage::followRenamedPayers);
    connect(m_payerPage, &PayerPage::rowsPlanned, this, [this] {
        // The displayed month shows the rows planned in it; its edits were settled before the plan.
        if (m_schedulePage->workMonth().isValid())
            m_schedulePage->loadMonth();
        storedDataChanged();
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (SSTab1->widget(index) == m_payerPage)
            m_payerPage->pageOpened();
    });

    connect(m_settingsPage, &SettingsPage::settingsRead, this,
            [this] { m_schedulePage->setEra(m_settingsPage->eraValue()); });
    connect(m_settingsPage, &SettingsPage::allDataDeleted, this, [this] {
        // The rows the grid showed are gone from the store: the month is read again, empty.
        m_schedulePage->loadMonth();
        m_schedulePage->refreshPayerList();
        storedDataChanged();
    });

    // The hint window names the page in words, as its tab does.
    const auto hintOf = [this](const QString& pageName) {
        return [this, pageName](const QString& ctlName) { showHint(ctlName, pageName); };
    };
    connect(m_schedulePage, &SchedulePage::hintRequested, this, hintOf(QStringLiteral("入金予定表")));
    connect(m_payerPage, &PayerPage::hintRequested, this, hintOf(QStringLiteral("入金先保守")));
    connect(m_settingsPage, &SettingsPage::hintRequested, this, hintOf(QStringLiteral("設定・情報")));
    connect(m_overduePage, &OverduePage::hintRequested, this, hintOf(QStringLiteral("未入金一覧")));
}

void FrmDorivan::loadPages()
{
    // The settings first: the month field takes the form of their era.
    m_settingsPage->readSettings();
    m_settingsPage->offerEras();
    m_schedulePage->bindData();
    m_schedulePage->restoreColumnWidths(m_dataFolder + kColumnWidthsFileName);
    m_payerPage->bindData();
    m_payerPage->clearPayers();
    // Typed work an earlier run never saved (it was killed, the power went) is offered back before
    // anything replaces it.
    if (!m_schedulePage->offerRestore()) {
        m_schedulePage->clearMonth();
        m_schedulePage->loadMonth();
        if (!m_schedulePage->monthHoldsRows())
            m_schedulePage->showLatestMonth();
    }
    storedDataChanged();
}

FrmDorivan::~FrmDorivan()
{
    Unload();
}

void FrmDorivan::markUnsaved(bool unsaved)
{
    const QString plain = plainTitle();
    setWindowTitle(unsaved ? plain + kUnsavedMark : plain);
}

QString FrmDorivan::plainTitle() const
{
    QString title = windowTitle();
    if (title.endsWith(kUnsavedMark))
        title.chop(kUnsavedMark.size());
    return title;
}

bool FrmDorivan::reachesShownMonth(const std::vector<QDate>& dates) const
{
    const QDate month = m_schedulePage->workMonth();
    if (!month.isValid())
        return false;
    const QDate after = QDate(month.year(), month.month(), 1).addMonths(1);
    return std::any_of(dates.begin(), dates.end(), [&](const QDate& date) { return date < after; });
}

void FrmDorivan::storedDataChanged()
{
    if (isLoaded())
        m_schedulePage->showFirstStartGuide();
    if (isLoaded() && m_overduePage->refresh())
        showPastDueNotice();
}

void FrmDorivan::showPastDueNotice()
{
    if (!isLoaded())
        return;
    // The page read everything up to its date; when that reaches yesterday the notice needs no read
    // of its own. Its day is the one the notice counts from.
    std::optional<schedule::OpenTotals> pastDue = m_overduePage->pastDue();
    if (!pastDue) {
        if (!runReportingFailure(
                prompts(), [&] { pastDue = schedule::readPastDue(db(), m_overduePage->today()); },
                kStepNotCompleted))
            return;
    }
    m_schedulePage->showPastDue(*pastDue);
}

void FrmDorivan::showHint(const QString& ctlName, const QString& pageName)
{
    // The caption without the mark of unsaved edits: the hint is stored under it. An open window keeps
    // the key it was opened with, so a text being written is saved where the user started it, whichever
    // page's button was pressed since.
    if (!m_hintWindow)
        m_hintWindow = new Hint(db(), {objectName(), ctlName, plainTitle(), pageName}, m_prompts, this);
    if (m_hintWindow->isMinimized())
        m_hintWindow->showNormal();
    else
        m_hintWindow->show();
    m_hintWindow->raise();
    m_hintWindow->activateWindow();
}

void FrmDorivan::printMonth()
{
    // The figures as they stand on the screen, saved or not.
    prompts().previewMonthlyReport(this, db(), m_schedulePage->workMonth(), m_settingsPage->eraValue(),
                                   m_schedulePage->shownFigures(), m_settingsPage->lineColour());
}

void FrmDorivan::bringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void FrmDorivan::closeEvent(QCloseEvent* event)
{
    // Unsaved edits of the month are asked about first; キャンセル keeps the window open with them.
    if (!m_schedulePage->confirmLeavingMonth()) {
        event->ignore();
        return;
    }
    m_schedulePage->forgetEdits();
    // The hint window belongs to this window's pages; it does not outlive it.
    if (m_hintWindow)
        m_hintWindow->close();
    Unload();
    event->accept();
}

void FrmDorivan::releaseData()
{
    if (m_hintWindow)
        m_hintWindow->close();
    Unload();
}

void FrmDorivan::Unload()
{
    // The grids must let go of the handle before it closes. Nothing is saved here: rows the user did
    // not store stay in the work file, which the next start rebuilds.
    if (m_schedulePage) {
        if (m_db)
            m_schedulePage->keepColumnWidths(m_dataFolder + kColumnWidthsFileName);
        m_schedulePage->releaseData();
    }
    if (m_payerPage)
        m_payerPage->releaseData();
    m_db.reset();
}
