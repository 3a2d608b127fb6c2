#include "report/report_layout.h"

namespace report {

namespace {

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTop;
constexpr double kTitlePoints = 16.0;
constexpr double kTextPoints = 14.5;

ReportControl label(const char* name, const char16_t* text, int left, int top, int width, int height,
                    double points = kTextPoints)
{
    return {QString::fromUtf8(name),         Content::FixedText, QString::fromUtf16(text),
            QRect(left, top, width, height), kCentred,           points};
}

ReportControl field(const char* name, Content content, int left, int top, int width, int height,
                    Qt::Alignment alignment)
{
    return {QString::fromUtf8(name),         content,   QString(),
            QRect(left, top, width, height), alignment, kTextPoints};
}

} // namespace

const std::vector<ReportControl>& pageHeaderControls()
{
    // The blanks inside the column headings are part of the texts: full-width ones spread the words,
    // and "　総    額" carries four ordinary ones.
    static const std::vector<ReportControl> controls{
        label("Label1", u"入金予定表", 375, 90, 1935, 375, kTitlePoints),
        label("Label2", u"年月", 2646, 100, 756, 320),
        // The value starts a full character after its label, so "年月" and "令和 08年12月" never touch.
        field("txt年月", Content::MonthTitle, 3600, 94, 2400, 378, kLeft),
        label("Label3", u"繰越額", 855, 570, 1600, 320),
        label("Label4", u"予定額月計", 3060, 570, 1600, 320),
        label("Label5", u"入金額月計", 5620, 570, 1600, 320),
        label("Label6", u"予定額累計", 7900, 570, 1600, 320),
        field("txt繰越額", Content::CarryForward, 945, 850, 1500, 284, kRight),
        field("txt予定額月計", Content::PlannedTotal, 3118, 850, 1512, 284, kRight),
        field("txt入金額月計", Content::ReceivedTotal, 5669, 850, 1512, 284, kRight),
        field("txt予定額累計", Content::Cumulative, 7937, 850, 1512, 284, kRight),
        label("Label7", u"日付", 220, 1300, 756, 320),
        label("Label8", u"入\u3000金\u3000先\u3000名", 945, 1300, 4860, 320),
        label("Label9", u"\u3000\u3000予定額", 5670, 1300, 1800, 320),
        label("Label10", u"\u3000\u3000入金額", 7370, 1300, 1800, 320),
        label("Label11", u"\u3000総    額", 9165, 1300, 1515, 320),
    };
    return controls;
}

const std::vector<ReportControl>& detailControls()
{
    static const std::vector<ReportControl> controls{
        field("txt日付", Content::Day, 189, 0, 756, 300, kCentred),
        field("txt支払先名", Content::Payer, 1140, 0, 4605, 300, kLeft),
        field("txt予定額", Content::Planned, 5764, 0, 1512, 283, kRight),
        field("txt入金額", Content::Received, 7380, 0, 1511, 283, kRight),
        field("txt残高", Content::Balance, 9071, 0, 1512, 283, kRight),
    };
    return controls;
}

const ReportLine& detailLine()
{
    static const ReportLine line{QStringLiteral("Line3"), QPoint(195, 310), QPoint(10600, 310)};
    return line;
}

} // namespace report
