#include "app/dialogs/report_preview.h"
#include "report/report_renderer.h"
#include "report_pdf.h"
#include "storage/database.h"
#include "support/dialog_answers.h"
#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

namespace {

const QString kFailure = QStringLiteral("入金予定表を印刷できませんでした。");

report::ReportData someRows(int count)
{
    report::ReportData data;
    data.monthTitle = QStringLiteral("2024年05月");
    for (int i = 1; i <= count; ++i)
        data.rows.push_back({"01", QStringLiteral("取引先%1").arg(i), Money::fromYen(i), {}, {}});
    return data;
}

// Closes the preview once it is up, after noting how many pages it made.
class PreviewCloser
{
public:
    PreviewCloser()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
                pages = preview->pageCount();
            dialog->reject();
            m_timer.stop();
        });
        m_timer.start();
    }
    int pages = -1;

private:
    QTimer m_timer;
};

} // namespace

TEST(ReportPreviewTest, ThePreviewDrawsTheReportOnThePrinterItIsHanded)
{
    if (!pdf::toolsAvailable())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    ScopedDialogAnswers answers(prompts);

    // Printing from the preview to a PDF printer gives the same pages as the PDF function.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
    printer.setPageLayout(report::reportPageLayout());
    EXPECT_TRUE(paintReportOrTell(prompts, printer, someRows(50), 0));
    const QStringList printed = pdf::pagesText(printer.outputFileName());
    ASSERT_TRUE(report::renderReportToPdf(dir.filePath(QStringLiteral("direct.pdf")), someRows(50), 0));
    EXPECT_EQ(printed, pdf::pagesText(dir.filePath(QStringLiteral("direct.pdf"))));
    EXPECT_EQ(printed.size(), 2);
    EXPECT_EQ(answers.count(), 0);

    // The preview window asks for its pages itself.
    PreviewCloser closer;
    showReportPreview(prompts, nullptr, someRows(50), 0);
    EXPECT_EQ(closer.pages, 2);
    EXPECT_EQ(answers.count(), 0);
}

TEST(ReportPreviewTest, FailuresAreToldAndEndOnlyThePrinting)
{
    ScriptedPrompts prompts;
    ScopedDialogAnswers answers(prompts);
    QTemporaryDir dir;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/report.pdf")));
    EXPECT_FALSE(paintReportOrTell(prompts, printer, someRows(1), 0));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().message, kFailure);
    EXPECT_FALSE(answers.last().isQuestion());

    // The rows to print cannot be rebuilt: told, and no preview opens (this would block otherwise).
    TempDataFolder folder;
    auto db = folder.open();
    rawConnection(*db).exec("drop table InpWork印刷");
    previewMonthlyReport(prompts, nullptr, *db, QDate(2024, 5, 1), QStringLiteral("西暦"), {}, 0);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.last().message, kFailure);
    EXPECT_EQ(answers.last().title, QStringLiteral("入金予定表")) << "a short title, not the message again";
}
