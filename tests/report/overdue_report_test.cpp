#include "report/overdue_report.h"
#include "report/report_renderer.h"
#include "report_pdf.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

Money yen(std::int64_t v)
{
    return Money::fromYen(v);
}

std::vector<schedule::OpenRow> openRows(int count)
{
    std::vector<schedule::OpenRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({QDate(2024, 4, 1).addDays(i % 30), i + 1, QStringLiteral("取引先%1").arg(i % 3 + 1),
                        yen(1000 + i), yen(100)});
    return rows;
}

} // namespace

TEST(OverdueReport, TheListPrintsItsDateFilterLinesAndPayerTotalsOverNumberedPages)
{
    if (!pdf::toolsAvailable())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QDate asOf(2024, 5, 10);

    // The era form only for "和暦", as on the monthly report.
    const std::vector<schedule::OpenRow> few = openRows(2);
    OverdueReportData era = overdueReportData(few, schedule::totalsByPayer(few), schedule::totalsOf(few),
                                              asOf, QStringLiteral("（すべて）"), QStringLiteral("和暦"));
    EXPECT_EQ(era.asOf, QStringLiteral("令和 06年05月10日"));
    EXPECT_EQ(era.lines[1], (OverdueReportLine{QStringLiteral("令和 06年04月02日"), QStringLiteral("取引先2"),
                                               yen(1001), yen(100), yen(901), 38}));
    EXPECT_EQ(era.payers[1].oldest, QStringLiteral("令和 06年04月01日"));
    const QString onePage = dir.filePath(QStringLiteral("one.pdf"));
    ASSERT_TRUE(renderOverdueReportToPdf(onePage, era, 0x2040C0));
    const QStringList single = pdf::pagesText(onePage);
    ASSERT_EQ(single.size(), 1);
    EXPECT_TRUE(single[0].contains(QStringLiteral("未入金一覧")));
    EXPECT_TRUE(single[0].contains(QStringLiteral("令和 06年05月10日")));
    EXPECT_TRUE(single[0].contains(QStringLiteral("入金先別")));
    EXPECT_FALSE(QString(single[0]).remove(QLatin1Char(' ')).contains(QStringLiteral("1/1")))
        << "no number on a single page";

    // A long list runs over pages, each numbered, the payer totals after the last line.
    const std::vector<schedule::OpenRow> many = openRows(120);
    const OverdueReportData data =
        overdueReportData(many, schedule::totalsByPayer(many), schedule::totalsOf(many), asOf,
                          QStringLiteral("（すべて）"), QStringLiteral("西暦"));
    const QString path = dir.filePath(QStringLiteral("many.pdf"));
    ASSERT_TRUE(renderOverdueReportToPdf(path, data, 0));
    const QStringList pages = pdf::pagesText(path);
    ASSERT_GE(pages.size(), 3);
    for (int p = 0; p < pages.size(); ++p) {
        // The text tool drops the blanks around the slash.
        EXPECT_TRUE(QString(pages[p])
                        .remove(QLatin1Char(' '))
                        .contains(QStringLiteral("%1/%2").arg(p + 1).arg(pages.size())))
            << p;
        EXPECT_TRUE(pages[p].contains(QStringLiteral("基準日"))) << p;
    }
    const QString all = pages.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("2024年04月01日")));
    const QStringList total = pdf::wordsOfLineWith(all, QStringLiteral("件"));
    EXPECT_TRUE(total.join(QLatin1Char(' ')).contains(QStringLiteral("120 件")))
        << total.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(total.back(), formatAmount(schedule::totalsOf(many).合計));
    EXPECT_GT(all.indexOf(QStringLiteral("入金先別")), all.indexOf(QStringLiteral("取引先1")));
    EXPECT_EQ(overduePageCount(data, 15700), pages.size());
}
