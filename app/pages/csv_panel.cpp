#include "app/pages/csv_panel.h"

#include "app/dialogs/csv_dialog.h"
#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/widgets/month_edit.h"
#include "common/dates.h"
#include "csv/csv_import.h"
#include "schedule/balances.h"
#include "storage/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

void tell(UserPrompts& prompts, const QString& message)
{
    showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumWidth(72);
    b->setAutoDefault(false);
    return b;
}

} // namespace

CsvExchangePanel::CsvExchangePanel(Source source, QWidget* parent)
    : QGroupBox(QStringLiteral("データの書き出し・取り込み"), parent), m_source(std::move(source))
{
    setObjectName(QStringLiteral("fraCSV"));
    m_exportButton = button(QStringLiteral("cmdCSV出力"), QStringLiteral("CSV出力"), this);
    m_importButton = button(QStringLiteral("cmdCSV取込"), QStringLiteral("CSV取込"), this);
    m_exportDialog = new CsvDialog(CsvDialog::Mode::Export, prompts(), m_source.clock, this);
    m_importDialog = new CsvDialog(CsvDialog::Mode::Import, prompts(), m_source.clock, this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_exportButton);
    layout->addWidget(m_importButton);
    layout->addStretch();
    connect(m_exportButton, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(m_importButton, &QPushButton::clicked, this, [this] { importCsv(); });
}

void CsvExchangePanel::exportCsv()
{
    m_exportDialog->setMonthFormat(monthDisplayFormat(m_source.eraValue(), MonthUse::MonthField));
    m_exportDialog->setDisplayedMonth(m_source.displayedMonth());
    if (m_exportDialog->exec() != QDialog::Accepted)
        return;
    const QString path = m_exportDialog->fileName();
    csv::ExportResult result;
    if (!runReportingFailure(
            prompts(),
            [&] {
                result = csv::exportSchedule(db(), m_exportDialog->exportRange(),
                                             m_exportDialog->encoding().value_or(csv::CsvEncoding::Utf8));
            },
            kStepNotCompleted))
        return;
    if (!result.ok()) {
        tell(prompts(), result.error);
        return;
    }
    saveExportedCsv(prompts(), path, result);
}

void CsvExchangePanel::importCsv()
{
    if (m_importDialog->exec() != QDialog::Accepted)
        return;
    const QString path = m_importDialog->fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showStandardMessage(prompts(), QStringLiteral("取込"), QStringLiteral("誤り"),
                            QStringLiteral("ファイル「%1」を読み込めません。（%2）")
                                .arg(shownPath(path), file.errorString()));
        return;
    }
    // The displayed month is read again after the import, so its unsaved edits are settled first, as
    // month navigation does. A save goes before the plan is made, which then counts the saved rows.
    if (!m_source.confirmLeavingMonth())
        return;

    csv::PreparedImport prepared;
    if (!runReportingFailure(
            prompts(),
            [&] {
                // Read as a stream: a large file is never held whole.
                prepared =
                    csv::prepareImport(db(), file, m_importDialog->encoding(), m_source.autoRegistration());
            },
            kStepNotCompleted))
        return;
    file.close();
    if (!prepared.problems.isEmpty()) {
        showStandardMessage(prompts(), QStringLiteral("取込"), QStringLiteral("誤り"),
                            prepared.problems.text());
        return;
    }
    const csv::ImportPlan& plan = prepared.plan;
    if (!plan.changesAnything()) {
        tell(prompts(), QStringLiteral("取り込む変更はありませんでした（追加 0 行、更新 0 行）。"));
        return;
    }
    QString question = QStringLiteral("ファイル「%1」から %2 を取り込みます")
                           .arg(QFileInfo(path).fileName(),
                                csv::summaryText({int(plan.inserts.size()), int(plan.updates.size()), 0}));
    if (!plan.newPayers.isEmpty())
        question += QStringLiteral("（入金先マスタに %1 件登録）").arg(plan.newPayers.size());
    // The rows themselves, old and new amounts side by side, not only their counts: a payer spelled
    // otherwise in the file shows up as a row added rather than one updated.
    std::optional<DialogSpec> ask =
        lookupStandardMessage(QStringLiteral("その他"), QStringLiteral("確認"), question);
    ask->details = csv::describeChanges(plan);
    if (prompts().ask(window(), *ask, PromptButtons::Standard) != Answer::Yes)
        return;

    csv::ImportSummary summary;
    if (!runReportingFailure(
            prompts(), [&] { summary = csv::applyImport(db(), plan); }, kStepNotCompleted))
        return;
    if (summary.payersRegistered > 0)
        m_source.refreshPayerList();
    m_source.showLatestMonth();
    emit rowsImported();
    tell(prompts(), QStringLiteral("取り込みました。") + csv::summaryText(summary));
}
