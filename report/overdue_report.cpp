#include "report/overdue_report.h"

#include "common/dates.h"
#include "report/report_layout.h"
#include "report/report_renderer.h"
#include "settings/colors.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace report {

namespace {

// Everything in twips from the top left of the printable area. The list has six columns of figures
// and names, more than the monthly report's five, so it is set smaller than that report's 14.5 points.
constexpr double kTitlePoints = 16.0;
constexpr double kTextPoints = 10.0;
constexpr int kTitleHeight = 450;
constexpr int kInfoTop = 560;
constexpr int kHeadingsTop = 1000;
constexpr int kLineHeight = 300;
constexpr int kHeaderHeight = kHeadingsTop + kLineHeight + 60; // headings and the rule under them
constexpr int kSectionGap = 300;
constexpr int kFooterHeight = 400;
constexpr int kWidth = 10700;
constexpr double kLineWidthTwips = 15.0;

struct Column
{
    const char16_t* heading;
    int left;
    int width;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

const Column kLineColumns[] = {
    {u"日付", 0, 1900, kLeft},       {u"入金先名", 2000, 3450, kLeft},  {u"予定額", 5500, 1350, kRight},
    {u"入金額", 6900, 1350, kRight}, {u"未入金額", 8300, 1400, kRight}, {u"経過日数", 9750, 950, kRight},
};
const Column kPayerColumns[] = {
    {u"入金先名", 0, 4800, kLeft},
    {u"件数", 4900, 900, kRight},
    {u"未入金額", 5900, 1800, kRight},
    {u"最古の日付", 8000, 2700, kLeft},
};

enum class Item { Line, Total, PayerTitle, Payer };
struct Placed
{
    Item item;
    std::size_t index = 0;
};
using Page = std::vector<Placed>;

int heightOf(Item item)
{
    // The payer section opens with a gap, its title and its own column headings.
    return item == Item::PayerTitle ? kSectionGap + 2 * kLineHeight + 60 : kLineHeight;
}

// The items in print order, then cut into pages: a page that starts inside a section repeats that
// section's headings, and the payer title never ends a page without its first line.
std::vector<Page> paginate(const OverdueReportData& data, int printableHeight)
{
    std::vector<Placed> items;
    for (std::size_t i = 0; i < data.lines.size(); ++i)
        items.push_back({Item::Line, i});
    items.push_back({Item::Total});
    if (!data.payers.empty()) {
        items.push_back({Item::PayerTitle});
        for (std::size_t i = 0; i < data.payers.size(); ++i)
            items.push_back({Item::Payer, i});
    }
    const int room =
        std::max(printableHeight - kFooterHeight, kHeaderHeight + heightOf(Item::PayerTitle) + kLineHeight);
    std::vector<Page> pages(1);
    int used = kHeaderHeight;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item item = items[i].item;
        const int keepWith = item == Item::PayerTitle ? kLineHeight : 0;
        if (!pages.back().empty() && used + heightOf(item) + keepWith > room) {
            pages.emplace_back();
            used = kHeaderHeight;
        }
        pages.back().push_back(items[i]);
        used += heightOf(item);
    }
    return pages;
}

class ListPainter
{
public:
    ListPainter(QPainter& painter, const QPaintDevice& device, std::int64_t lineColor)
        : m_painter(painter), m_device(device), m_x(device.logicalDpiX() / double(kTwipsPerInch)),
          m_y(device.logicalDpiY() / double(kTwipsPerInch)), m_family(reportFontFamily()),
          m_lineColor(colorFromRgbValue(lineColor))
    {
    }

    int printableHeight() const { return int(m_device.height() / m_y); }

    // The column headings of the section the page starts in; none when it starts with the payer
    // title, which brings its own.
    void pageHeader(const OverdueReportData& data, Item first)
    {
        text(QStringLiteral("未入金一覧"), QRect(0, 0, kWidth, kTitleHeight), Qt::AlignLeft | Qt::AlignTop,
             kTitlePoints);
        text(QStringLiteral("基準日　") + data.asOf, QRect(0, kInfoTop, 5000, kLineHeight), kLeft);
        text(QStringLiteral("入金先　") + data.payer, QRect(5000, kInfoTop, kWidth - 5000, kLineHeight),
             kLeft);
        if (first != Item::PayerTitle)
            headings(first == Item::Payer, kHeadingsTop);
    }

    void headings(bool payerSection, int top)
    {
        for (const Column& c : columnsOf(payerSection))
            text(QString::fromUtf16(c.heading), QRect(c.left, top, c.width, kLineHeight), c.alignment);
        rule(top + kLineHeight + 30, Qt::black);
    }

    void line(const OverdueReportLine& l, int top)
    {
        const QString cells[] = {l.date,
                                 l.payer,
                                 formatAmount(l.planned),
                                 formatAmount(l.received),
                                 formatAmount(l.open),
                                 QString::number(l.days)};
        row(kLineColumns, cells, top);
        rule(top + kLineHeight, m_lineColor);
    }

    void total(const OverdueReportData& data, int top)
    {
        text(QStringLiteral("合計　%1 件").arg(data.totals.件数), QRect(2000, top, 3450, kLineHeight), kLeft);
        amount(formatAmount(data.totals.合計), QRect(8300, top, 1400, kLineHeight));
    }

    void payerTitle(int top)
    {
        text(QStringLiteral("入金先別"), QRect(0, top + kSectionGap, kWidth, kLineHeight), kLeft);
        headings(true, top + kSectionGap + kLineHeight);
    }

    void payer(const OverdueReportPayer& p, int top)
    {
        const QString cells[] = {p.payer, QString::number(p.count), formatAmount(p.open), p.oldest};
        row(kPayerColumns, cells, top);
        rule(top + kLineHeight, m_lineColor);
    }

    void pageNumber(int page, int pages)
    {
        text(QStringLiteral("%1 / %2").arg(page).arg(pages),
             QRect(0, printableHeight() - kLineHeight, kWidth, kLineHeight),
             Qt::AlignHCenter | Qt::AlignBottom);
    }

private:
    static const std::vector<Column>& columnsOf(bool payerSection)
    {
        static const std::vector<Column> lines(std::begin(kLineColumns), std::end(kLineColumns));
        static const std::vector<Column> payers(std::begin(kPayerColumns), std::end(kPayerColumns));
        return payerSection ? payers : lines;
    }

    template <std::size_t N> void row(const Column (&columns)[N], const QString (&cells)[N], int top)
    {
        for (std::size_t i = 0; i < N; ++i) {
            const QRect box(columns[i].left, top, columns[i].width, kLineHeight);
            if (columns[i].alignment & Qt::AlignRight)
                amount(cells[i], box);
            else
                text(cells[i], box, columns[i].alignment, kTextPoints, true);
        }
    }

    QRectF toDevice(const QRect& twips) const
    {
        return {twips.left() * m_x, twips.top() * m_y, twips.width() * m_x, twips.height() * m_y};
    }

    void text(const QString& s, const QRect& twips, Qt::Alignment alignment, double points = kTextPoints,
              bool clip = false)
    {
        if (s.isEmpty())
            return;
        QFont font(m_family);
        font.setPointSizeF(points);
        m_painter.save();
        if (clip) // a long name stops at its column rather than running into the amounts
            m_painter.setClipRect(toDevice(twips));
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(toDevice(twips), int(alignment) | Qt::TextSingleLine, s);
        m_painter.restore();
    }

    // A figure never loses digits to its column: it is set smaller instead.
    void amount(const QString& s, const QRect& twips)
    {
        QFont font(m_family);
        font.setPointSizeF(kTextPoints);
        const QRectF box = toDevice(twips);
        const qreal width = QFontMetricsF(font, &m_device).horizontalAdvance(s);
        double points = kTextPoints;
        if (width > box.width())
            points = kTextPoints * std::max(0.5, box.width() / width);
        text(s, twips, kRight, points);
    }

    void rule(int top, const QColor& color)
    {
        QPen pen(color);
        pen.setWidthF(kLineWidthTwips * m_y);
        pen.setCapStyle(Qt::FlatCap);
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(0, top * m_y), QPointF(kWidth * m_x, top * m_y));
    }

    QPainter& m_painter;
    const QPaintDevice& m_device;
    double m_x;
    double m_y;
    QString m_family;
    QColor m_lineColor;
};

} // namespace

OverdueReportData overdueReportData(const std::vector<schedule::OpenRow>& rows,
                                    const std::vector<schedule::PayerOpen>& payers,
                                    const schedule::OpenTotals& totals, const QDate& asOf,
                                    const QString& payerFilter, const QString& eraValue)
{
    const QString format = monthDisplayFormat(eraValue, MonthUse::Printout);
    OverdueReportData data;
    data.asOf = formatDay(asOf, format);
    data.payer = payerFilter;
    data.totals = totals;
    data.lines.reserve(rows.size());
    for (const schedule::OpenRow& row : rows)
        data.lines.push_back({formatDay(row.日付, format), row.入金先名, row.予定額, row.入金額,
                              row.未入金額(), row.経過日数(asOf)});
    for (const schedule::PayerOpen& payer : payers)
        data.payers.push_back(
            {payer.入金先名, payer.件数, payer.未入金額, formatDay(payer.最古の日付, format)});
    return data;
}

int overduePageCount(const OverdueReportData& data, int printableHeightTwips)
{
    return int(paginate(data, printableHeightTwips).size());
}

void renderOverdueReport(QPagedPaintDevice& device, const OverdueReportData& data, std::int64_t lineColor)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportRenderError("the printer or file cannot be painted on");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    ListPainter list(painter, device, lineColor);
    const std::vector<Page> pages = paginate(data, list.printableHeight());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage())
            throw ReportRenderError("a new page could not be started");
        list.pageHeader(data, pages[p].front().item);
        int top = kHeaderHeight;
        for (const Placed& placed : pages[p]) {
            switch (placed.item) {
            case Item::Line:
                list.line(data.lines[placed.index], top);
                break;
            case Item::Total:
                list.total(data, top);
                break;
            case Item::PayerTitle:
                list.payerTitle(top);
                break;
            case Item::Payer:
                list.payer(data.payers[placed.index], top);
                break;
            }
            top += heightOf(placed.item);
        }
        if (pages.size() > 1)
            list.pageNumber(int(p) + 1, int(pages.size()));
    }
    if (!painter.end())
        throw ReportRenderError("the pages could not be finished");
}

bool renderOverdueReportToPdf(const QString& path, const OverdueReportData& data, std::int64_t lineColor)
{
    return renderPdf(path, QStringLiteral("未入金一覧"),
                     [&](QPagedPaintDevice& device) { renderOverdueReport(device, data, lineColor); });
}

} // namespace report
