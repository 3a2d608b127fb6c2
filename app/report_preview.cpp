#include "app/report_preview.h"

#include "app/standard_message.h"
#include "report/report_renderer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <exception>

namespace {

void tellReportFailed()
{
    ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"),
                        QStringLiteral("入金予定表を印刷できませんでした。"));
}

} // namespace

bool paintReportOrTell(QPrinter& printer, const report::ReportData& data, std::int64_t lineColor)
{
    try {
        report::renderReport(printer, data, lineColor);
        return true;
    } catch (const std::exception&) {
        // Called from the preview's signal: nothing may leave through Qt's event dispatch.
        tellReportFailed();
        return false;
    }
}

void showReportPreview(QWidget* parent, const report::ReportData& data, std::int64_t lineColor)
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(report::reportPageLayout());
        printer.setDocName(QStringLiteral("入金予定表"));
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("入金予定表"));
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
            if (target)
                paintReportOrTell(*target, data, lineColor);
        });
        dialog.exec();
    } catch (const std::exception&) {
        tellReportFailed();
    }
}

void previewMonthlyReport(QWidget* parent, Database& db, const QDate& month, const QString& eraValue,
                          const report::ScreenFigures& figures, std::int64_t lineColor)
{
    report::ReportData data;
    try {
        data = report::prepareReport(db, month, eraValue, figures);
    } catch (const std::exception&) {
        tellReportFailed();
        return;
    }
    showReportPreview(parent, data, lineColor);
}
