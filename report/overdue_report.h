#pragma once

#include "common/money.h"
#include "schedule/overdue.h"

#include <QString>

#include <cstdint>
#include <vector>

class QPagedPaintDevice;

// The printed list of open receipts: a page header with the title, the date and the payer chosen, the
// lines, their count and sum, then the totals by payer; page numbers when it runs over a page. Drawn on
// the same A4 page as the monthly report.
namespace report {

struct OverdueReportLine
{
    QString date; // in the era or Western form of the printout
    QString payer;
    Money planned;
    Money received;
    Money open;
    qint64 days = 0;

    friend bool operator==(const OverdueReportLine&, const OverdueReportLine&) = default;
};

struct OverdueReportPayer
{
    QString payer;
    int count = 0;
    Money open;
    QString oldest; // in the era or Western form of the printout

    friend bool operator==(const OverdueReportPayer&, const OverdueReportPayer&) = default;
};

struct OverdueReportData
{
    QString asOf;  // the date the list is drawn up to, formatted
    QString payer; // the filter as chosen ("（すべて）" for all)
    std::vector<OverdueReportLine> lines;
    std::vector<OverdueReportPayer> payers;
    schedule::OpenTotals totals;
};

// The list as the page shows it, its dates in the printout's form for the era value ("和暦" prints
// the era form, anything else the Western form, as the monthly report does).
OverdueReportData overdueReportData(const std::vector<schedule::OpenRow>& rows,
                                    const std::vector<schedule::PayerOpen>& payers,
                                    const schedule::OpenTotals& totals, const QDate& asOf,
                                    const QString& payerFilter, const QString& eraValue);

// How many pages the list takes on a printable area of that height (twips).
int overduePageCount(const OverdueReportData& data, int printableHeightTwips);

// Draws the list on the device's pages (the caller sets reportPageLayout() first). lineColor is the
// ruled-line colour of the settings. Throws ReportRenderError when the device cannot be painted on.
void renderOverdueReport(QPagedPaintDevice& device, const OverdueReportData& data, std::int64_t lineColor);
// The same pages as a PDF file; false when the file cannot be written.
bool renderOverdueReportToPdf(const QString& path, const OverdueReportData& data, std::int64_t lineColor);

} // namespace report
