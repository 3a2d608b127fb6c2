#include "app/dialogs/report_preview.h"

#include "app/dialogs/standard_message.h"
#include "report/overdue_report.h"
#include "report/report_renderer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <exception>

namespace {

const QString kReportFailed = QStringLiteral("入金予定表を印刷できませんでした。");
const QString kOverdueFailed = QStringLiteral("未入金一覧を印刷できませんでした。");

void tell(UserPrompts& prompts, const QString& message)
{
    showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
}

} // namespace

bool paintReportOrTell(UserPrompts& prompts, QPrinter& printer, const report::ReportData& data,
                       std::int64_t lineColor)
{
    try {
        report::renderReport(printer, data, lineColor);
        return true;
    } catch (const std::exception&) {
        // Called from the preview's signal: nothing may leave through Qt's event dispatch.
        tell(prompts, kReportFailed);
        return false;
    }
}

void showPrintPreview(UserPrompts& prompts, QWidget* parent, const QString& title, const QString& failure,
                      const std::function<void(QPrinter&)>& paint)
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(report::reportPageLayout());
        printer.setDocName(title);
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(title);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
            if (target)
                paint(*target);
        });
        dialog.exec();
    } catch (const std::exception&) {
        tell(prompts, failure);
    }
}

void showReportPreview(UserPrompts& prompts, QWidget* parent, const report::ReportData& data,
                       std::int64_t lineColor)
{
    showPrintPreview(prompts, parent, QStringLiteral("入金予定表"), kReportFailed,
                     [&](QPrinter& printer) { paintReportOrTell(prompts, printer, data, lineColor); });
}

void showOverdueReportPreview(UserPrompts& prompts, QWidget* parent, const report::OverdueReportData& data,
                              std::int64_t lineColor)
{
    showPrintPreview(prompts, parent, QStringLiteral("未入金一覧"), kOverdueFailed, [&](QPrinter& printer) {
        try {
            report::renderOverdueReport(printer, data, lineColor);
        } catch (const std::exception&) {
            // Called from the preview's signal: nothing may leave through Qt's event dispatch.
            tell(prompts, kOverdueFailed);
        }
    });
}

void previewMonthlyReport(UserPrompts& prompts, QWidget* parent, Database& db, const QDate& month,
                          const QString& eraValue, const report::ScreenFigures& figures,
                          std::int64_t lineColor)
{
    report::ReportData data;
    try {
        data = report::prepareReport(db, month, eraValue, figures);
    } catch (const std::exception&) {
        tell(prompts, kReportFailed);
        return;
    }
    showReportPreview(prompts, parent, data, lineColor);
}
