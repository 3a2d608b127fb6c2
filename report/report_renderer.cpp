#include "report/report_renderer.h"

#include "report/report_layout.h"
#include "settings/colors.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include <algorithm>
#include <limits>

namespace report {

namespace {

// The foot line: its height in twips and its type size.
constexpr int kFootnoteHeight = 360;
constexpr double kFootnotePointSize = 9;

// The printout's own font first; IPAPGothic has the same metrics, so the layout keeps its proportions.
const char16_t* const kPreferredFamilies[] = {u"ＭＳ Ｐゴシック", u"MS PGothic", u"IPAPGothic",
                                              u"IPA Pゴシック"};
// Ruled lines as thin as one screen pixel, the weight the report was designed with.
constexpr double kLineWidthTwips = 15.0;
// An amount never loses digits to its box: it is set smaller instead, down to this share of the size.
constexpr double kSmallestFontShare = 0.5;

bool looksGothic(const QString& family)
{
    static const QString hints[] = {QStringLiteral("gothic"), QStringLiteral("ゴシック"),
                                    QStringLiteral("sans")};
    return std::any_of(std::begin(hints), std::end(hints),
                       [&](const QString& hint) { return family.contains(hint, Qt::CaseInsensitive); });
}

QString chooseFontFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const char16_t* wanted : kPreferredFamilies) {
        const QString family = QString::fromUtf16(wanted);
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    const auto gothic = std::find_if(japanese.begin(), japanese.end(), looksGothic);
    if (gothic != japanese.end())
        return *gothic;
    if (!japanese.isEmpty())
        return japanese.front();
    // Nothing covers Japanese; the platform's own fallback is all that is left.
    return QString::fromUtf16(kPreferredFamilies[0]);
}

bool isAmount(Content content)
{
    switch (content) {
    case Content::CarryForward:
    case Content::PlannedTotal:
    case Content::ReceivedTotal:
    case Content::Cumulative:
    case Content::Planned:
    case Content::Received:
    case Content::Balance:
        return true;
    default:
        return false;
    }
}

QString textOf(const ReportControl& control, const ReportData& data, const ReportRow* row)
{
    const ScreenFigures& figures = data.figures;
    switch (control.content) {
    case Content::FixedText:
        return control.text;
    case Content::MonthTitle:
        return data.monthTitle;
    case Content::CarryForward:
        return formatAmount(figures.carryForward);
    case Content::PlannedTotal:
        return formatAmount(figures.plannedTotal);
    case Content::ReceivedTotal:
        return formatAmount(figures.receivedTotal);
    case Content::Cumulative:
        return formatAmount(figures.cumulative);
    case Content::Day:
        return row ? row->day : QString();
    case Content::Payer:
        return row ? row->payer : QString();
    case Content::Planned:
        return row ? formatAmount(row->planned) : QString();
    case Content::Received:
        return row ? formatAmount(row->received) : QString();
    case Content::Balance:
        return row ? formatAmount(row->balance) : QString();
    }
    return {};
}

// Draws in twips on a device of any resolution; each band is placed by its top on the page.
class BandPainter
{
public:
    BandPainter(QPainter& painter, const QPaintDevice& device)
        : m_painter(painter), m_device(device), m_x(device.logicalDpiX() / double(kTwipsPerInch)),
          m_y(device.logicalDpiY() / double(kTwipsPerInch)), m_family(reportFontFamily())
    {
    }

    int printableHeightTwips() const { return int(m_device.height() / m_y); }

    // One line at the foot of the page, across its width.
    void drawFootnote(const QString& text)
    {
        const QRectF box(0, m_device.height() - kFootnoteHeight * m_y, m_device.width(),
                         kFootnoteHeight * m_y);
        QFont font(m_family);
        font.setPointSizeF(kFootnotePointSize);
        m_painter.save();
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(box, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine, text);
        m_painter.restore();
    }

    void drawControls(const std::vector<ReportControl>& controls, int bandTop, const ReportData& data,
                      const ReportRow* row)
    {
        for (const ReportControl& control : controls) {
            const QString text = textOf(control, data, row);
            if (!text.isEmpty())
                drawText(control, bandTop, text, isAmount(control.content));
        }
    }

    void drawLine(const ReportLine& line, int bandTop, const QColor& color)
    {
        QPen pen(color);
        pen.setWidthF(kLineWidthTwips * m_y);
        pen.setCapStyle(Qt::FlatCap);
        m_painter.setPen(pen);
        m_painter.drawLine(toDevice(line.from, bandTop), toDevice(line.to, bandTop));
    }

private:
    QPointF toDevice(QPoint twips, int bandTop) const
    {
        return {twips.x() * m_x, (twips.y() + bandTop) * m_y};
    }
    QRectF toDevice(const QRect& twips, int bandTop) const
    {
        return {toDevice(twips.topLeft(), bandTop), QSizeF(twips.width() * m_x, twips.height() * m_y)};
    }

    void drawText(const ReportControl& control, int bandTop, const QString& text, bool amount)
    {
        const QRectF box = toDevice(control.rect, bandTop);
        QFont font(m_family);
        font.setPointSizeF(control.pointSize);
        int flags = int(control.alignment) | Qt::TextSingleLine | Qt::TextDontClip;

        m_painter.save();
        QString shown = text;
        if (amount) {
            // Every amount of the page in one type size, chosen so that the widest figure up to
            // 999,999,999,999 yen fits its column; only a larger one is made smaller still.
            font.setPointSizeF(amountPointSize());
            const qreal width = QFontMetricsF(font, &m_device).horizontalAdvance(text);
            if (width > box.width())
                font.setPointSizeF(font.pointSizeF() * std::max(kSmallestFontShare, box.width() / width));
            // Smaller than the names beside it: on the foot of the box it stands on their line rather
            // than hanging at its top.
            flags = (flags & ~int(Qt::AlignVertical_Mask)) | Qt::AlignBottom;
        } else if (control.content == Content::Payer) {
            // A long name ends in "…" at a whole character, never cut through one at the column edge.
            shown = QFontMetricsF(font, &m_device).elidedText(text, Qt::ElideRight, box.width());
        }
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(box, flags, shown);
        m_painter.restore();
    }

    // The largest size at which "-999,999,999,999" fits the narrowest amount column of the layout.
    double amountPointSize()
    {
        if (m_amountPoints > 0)
            return m_amountPoints;
        m_amountPoints = std::numeric_limits<double>::max();
        for (const auto* controls : {&pageHeaderControls(), &detailControls()}) {
            for (const ReportControl& control : *controls) {
                if (!isAmount(control.content))
                    continue;
                QFont font(m_family);
                font.setPointSizeF(control.pointSize);
                const qreal widest =
                    QFontMetricsF(font, &m_device).horizontalAdvance(QStringLiteral("-999,999,999,999"));
                const qreal width = toDevice(control.rect, 0).width();
                m_amountPoints = std::min(m_amountPoints, control.pointSize * std::min(1.0, width / widest));
            }
        }
        return m_amountPoints;
    }

    QPainter& m_painter;
    const QPaintDevice& m_device;
    double m_amountPoints = 0;
    double m_x; // device units per twip
    double m_y;
    QString m_family;
};

} // namespace

QPageLayout reportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

QString reportFontFamily()
{
    // The font list does not change while the program runs.
    static const QString family = chooseFontFamily();
    return family;
}

int rowsPerPage(int printableHeightTwips)
{
    return std::max(1, (printableHeightTwips - kPageHeaderHeight) / kDetailHeight);
}

void renderReport(QPagedPaintDevice& device, const ReportData& data, std::int64_t lineColor)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportRenderError("the printer or file cannot be painted on");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    BandPainter bands(painter, device);
    const int footnote = data.footnote.isEmpty() ? 0 : kFootnoteHeight;
    const int perPage = rowsPerPage(bands.printableHeightTwips() - footnote);
    const QColor lineQColor = colorFromRgbValue(lineColor);

    // A month without rows still gets its page with the header and the figures.
    std::size_t next = 0;
    do {
        if (next > 0 && !device.newPage())
            throw ReportRenderError("a new page could not be started");
        bands.drawControls(pageHeaderControls(), 0, data, nullptr);
        if (!data.footnote.isEmpty())
            bands.drawFootnote(data.footnote);
        int bandTop = kPageHeaderHeight;
        for (int n = 0; n < perPage && next < data.rows.size(); ++n, ++next, bandTop += kDetailHeight) {
            bands.drawControls(detailControls(), bandTop, data, &data.rows[next]);
            bands.drawLine(detailLine(), bandTop, lineQColor);
        }
    } while (next < data.rows.size());

    if (!painter.end())
        throw ReportRenderError("the pages could not be finished");
}

bool renderPdf(const QString& path, const QString& title,
               const std::function<void(QPagedPaintDevice& device)>& render)
{
    QPdfWriter writer(path);
    writer.setPageLayout(reportPageLayout());
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Dorivan"));
    try {
        render(writer);
    } catch (const ReportRenderError&) {
        return false;
    }
    return true;
}

bool renderReportToPdf(const QString& path, const ReportData& data, std::int64_t lineColor)
{
    return renderPdf(path, QStringLiteral("入金予定表"),
                     [&](QPagedPaintDevice& device) { renderReport(device, data, lineColor); });
}

} // namespace report
