#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

#include <vector>

// The banded layout of the monthly schedule printout, kept as data so the drawing code only walks it.
// Every position and size is in twips (1440 to the inch), measured from the top left of its band.
namespace report {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPageHeaderHeight = 1725;
inline constexpr int kDetailHeight = 320;
// The widest band reaches the right edge of Label11; the page must leave this much printable.
inline constexpr int kReportWidth = 10680;

// What a control shows: its own fixed text, or one of the print values.
enum class Content {
    FixedText,
    MonthTitle,
    CarryForward,
    PlannedTotal,
    ReceivedTotal,
    Cumulative,
    Day,
    Payer,
    Planned,
    Received,
    Balance,
};

struct ReportControl
{
    QString name;
    Content content = Content::FixedText;
    QString text; // only for FixedText
    QRect rect;   // twips
    Qt::Alignment alignment;
    double pointSize = 14.5;
};

struct ReportLine
{
    QString name;
    QPoint from; // twips
    QPoint to;
};

// The page header printed at the top of every page: title, month, the four figures, column headings.
const std::vector<ReportControl>& pageHeaderControls();
// The band printed once per row, and the ruled line under it (drawn in the print line colour).
const std::vector<ReportControl>& detailControls();
const ReportLine& detailLine();

} // namespace report
