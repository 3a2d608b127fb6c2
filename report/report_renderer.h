#pragma once

#include "report/report_data.h"

#include <QPageLayout>
#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>

class QPagedPaintDevice;

namespace report {

class ReportRenderError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A4 portrait with 10 mm margins: 190 mm (10,772 twips) of printable width for the 10,680-twip bands.
QPageLayout reportPageLayout();
// Writes a PDF file of the report's page layout whose pages `render` draws; false when the pages could
// not be drawn (render threw ReportRenderError).
bool renderPdf(const QString& path, const QString& title,
               const std::function<void(QPagedPaintDevice& device)>& render);

// "ＭＳ Ｐゴシック" where it is installed, else its metric twin IPAPGothic, else any installed font that
// covers Japanese (a gothic one first), so the Japanese texts never print as empty boxes.
QString reportFontFamily();

// Detail bands that fit under the page header on a printable area of that height; at least one, so
// even a very short page makes progress.
int rowsPerPage(int printableHeightTwips);

// Draws the report on the device's pages as its page layout gives them (the callers set
// reportPageLayout() first): the page header at the top of every page, then one detail band per row,
// as many pages as the rows need. lineColor is the print line colour, red in the lowest byte.
// Throws ReportRenderError when the device cannot be painted on.
void renderReport(QPagedPaintDevice& device, const ReportData& data, std::int64_t lineColor);

// The same pages written as a PDF file; false when the file cannot be written.
bool renderReportToPdf(const QString& path, const ReportData& data, std::int64_t lineColor);

} // namespace report
