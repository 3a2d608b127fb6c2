#include "report/report_layout.h"
#include "report/report_renderer.h"
#include "report_pdf.h"
#include "storage/database.h"
#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

using namespace report;

namespace {

Money yen(std::int64_t v)
{
    return Money::fromYen(v);
}

// Red in the lowest byte: red C0, green 40, blue 20, so a swapped byte order shows as another colour.
constexpr std::int64_t kLineColor = 0x2040C0;
const QColor kLineQColor(0xC0, 0x40, 0x20);

class ReportRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!pdf::toolsAvailable())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        ASSERT_TRUE(dir.isValid());
    }

    QString render(const ReportData& data)
    {
        const QString path = dir.filePath(QStringLiteral("report%1.pdf").arg(++rendered));
        EXPECT_TRUE(renderReportToPdf(path, data, kLineColor));
        return path;
    }

    QTemporaryDir dir;
    int rendered = 0;
};

// Where the word ends on the first line holding the needle: in layout text, the column it prints in.
qsizetype columnEnd(const QString& text, const QString& needle, const QString& word)
{
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.contains(needle))
            return line.indexOf(word) + word.size();
    }
    return -1;
}

bool isLineColor(const QColor& seen)
{
    return qAbs(seen.red() - kLineQColor.red()) <= 8 && qAbs(seen.green() - kLineQColor.green()) <= 8 &&
           qAbs(seen.blue() - kLineQColor.blue()) <= 8;
}

// Looks a few dots either way, as the line is thinner than a dot at 72 dots per inch.
bool lineColorNear(const QImage& image, int x, int y)
{
    for (int dy = -3; dy <= 3; ++dy) {
        if (isLineColor(image.pixelColor(x, y + dy)))
            return true;
    }
    return false;
}

bool lineColorAnywhere(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isLineColor(image.pixelColor(x, y)))
                return true;
        }
    }
    return false;
}

} // namespace

TEST_F(ReportRenderTest, AMonthWithoutPayersPrintsTheHeaderAndFiguresOnly)
{
    ReportData data;
    data.monthTitle = reportMonthTitle(QDate(2024, 5, 1), QStringLiteral("西暦"));
    data.figures = {yen(1234567), yen(0), yen(3000), yen(-400)};
    const QString path = render(data);

    const QStringList pages = pdf::pagesText(path);
    ASSERT_EQ(pages.size(), 1);
    const QString& page = pages[0];
    // The Japanese comes back as text, which it would not as boxes or as drawn outlines. The month title
    // starts where its label ends.
    EXPECT_EQ(pdf::wordsOfLineWith(page, "入金予定表").join(""), QStringLiteral("入金予定表年月2024年05月"));
    EXPECT_EQ(pdf::wordsOfLineWith(page, "繰越額"),
              QStringList({"繰越額", "予定額月計", "入金額月計", "予定額累計"}));
    // The blanks inside the headings keep their words apart.
    EXPECT_EQ(pdf::wordsOfLineWith(page, "日付"),
              QStringList({"日付", "入", "金", "先", "名", "予定額", "入金額", "総", "額"}));
    // The planned total of 0 leaves its place blank; a negative figure keeps its minus.
    EXPECT_EQ(pdf::wordsOfLineWith(page, "1,234,567"), QStringList({"1,234,567", "3,000", "-400"}));
    EXPECT_GT(columnEnd(page, "3,000", "3,000"), columnEnd(page, "入金額月計", "予定額月計"));
    // Nothing under the column headings, not even a ruled line.
    EXPECT_TRUE(page.section(QStringLiteral("日付"), 1).section(QLatin1Char('\n'), 1).trimmed().isEmpty());
    EXPECT_FALSE(lineColorAnywhere(pdf::firstPageImage(path)));
    EXPECT_TRUE(QFontDatabase::writingSystems(reportFontFamily()).contains(QFontDatabase::Japanese));
}

TEST_F(ReportRenderTest, RowsPrintWithBlankDaysAndBlankZeroAmountsInTheirColumns)
{
    ReportData data;
    data.monthTitle = reportMonthTitle(QDate(2024, 5, 1), QStringLiteral("和暦"));
    data.rows = {
        {"03", "北商事", yen(10000), yen(0), yen(10000)}, {"", "東物産", yen(2000), yen(0), yen(12000)},
        {"20", "南商店", yen(0), yen(3000), yen(9000)},   {"25", "西工業", yen(0), yen(20000), yen(-11000)},
        {"26", "空欄社", yen(0), yen(0), yen(0)},
    };
    const QString text = pdf::pagesText(render(data)).join(QLatin1Char('\f'));

    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("令和\\s+06年05月"))));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "北商事"), QStringList({"03", "北商事", "10,000", "10,000"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "東物産"), QStringList({"東物産", "2,000", "12,000"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "南商店"), QStringList({"20", "南商店", "3,000", "9,000"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "西工業"), QStringList({"25", "西工業", "20,000", "-11,000"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "空欄社"), QStringList({"26", "空欄社"}));
    EXPECT_LT(text.indexOf(QStringLiteral("北商事")), text.indexOf(QStringLiteral("東物産")));
    EXPECT_LT(text.indexOf(QStringLiteral("東物産")), text.indexOf(QStringLiteral("南商店")));

    // A blank cell leaves the other amounts in their own columns, right-aligned.
    const qsizetype planned = columnEnd(text, "東物産", "2,000");
    const qsizetype received = columnEnd(text, "南商店", "3,000");
    const qsizetype balance = columnEnd(text, "南商店", "9,000");
    EXPECT_LT(planned + 3, received);
    EXPECT_LT(received + 3, balance);
    EXPECT_NEAR(columnEnd(text, "北商事", "10,000"), planned, 2);
    EXPECT_NEAR(columnEnd(text, "西工業", "20,000"), received, 2);
    EXPECT_NEAR(columnEnd(text, "西工業", "-11,000"), balance, 2);
    EXPECT_NEAR(columnEnd(text, "東物産", "東物産"), columnEnd(text, "北商事", "北商事"), 1);
}

TEST_F(ReportRenderTest, TheWorkingRowsAndTheScreenFiguresAreWhatPrints)
{
    TempDataFolder folder;
    auto db = folder.open();
    // Working rows only, never saved; the figures disagree with them, as after an unsaved edit.
    rawConnection(*db).exec(
        "insert into InpWork (行番号, 元行番号, 表示日付, 入金先名, 予定額, 入金額, 残高) "
        "values (1, 1, '05', '未保存商事', 50000000, 0, 5000000), "
        "(2, 2, '06', null, 70000000, 0, 0), "
        "(3, 3, null, '日付なし', 0, 10000000, 4000000)");
    const ScreenFigures figures{yen(-1000), yen(5000), yen(1000), yen(4000)};
    const QString text =
        pdf::pagesText(render(prepareReport(*db, QDate(2023, 1, 1), QStringLiteral("西暦"), figures)))
            .join(QLatin1Char('\f'));

    EXPECT_EQ(pdf::wordsOfLineWith(text, "入金予定表").join(""), QStringLiteral("入金予定表年月2023年01月"));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "-1,000"), QStringList({"-1,000", "5,000", "1,000", "4,000"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "未保存商事"), QStringList({"05", "未保存商事", "5,000", "500"}));
    EXPECT_EQ(pdf::wordsOfLineWith(text, "日付なし"), QStringList({"日付なし", "1,000", "400"}));
    // The row with a day but no payer is not printed at all.
    EXPECT_FALSE(text.contains(QStringLiteral("7,000")));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("(^|\\s)06(\\s|$)"))));
}

TEST_F(ReportRenderTest, ManyRowsFlowOntoPagesThatEachStartWithTheHeader)
{
    ReportData data;
    data.monthTitle = QStringLiteral("2024年05月");
    data.figures.carryForward = yen(777);
    for (int i = 1; i <= 200; ++i)
        data.rows.push_back({QStringLiteral("%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
                             QStringLiteral("取引先%1").arg(i, 3, 10, QLatin1Char('0')), yen(i), yen(0),
                             yen(i * 10)});
    const QString path = render(data);

    // A4 less 10 mm at top and bottom, in twips.
    const int perPage = rowsPerPage(int(277 / 25.4 * kTwipsPerInch));
    EXPECT_EQ(perPage, 43);
    const int expectedPages = (200 + perPage - 1) / perPage;
    EXPECT_EQ(pdf::pageCount(path), expectedPages);

    const QStringList pages = pdf::pagesText(path);
    ASSERT_EQ(pages.size(), expectedPages);
    QStringList printed;
    static const QRegularExpression payer(QStringLiteral("取引先\\d{3}"));
    for (const QString& page : pages) {
        EXPECT_TRUE(page.trimmed().startsWith(QStringLiteral("入金予定表")));
        EXPECT_EQ(pdf::wordsOfLineWith(page, "入金予定表").join(""),
                  QStringLiteral("入金予定表年月2024年05月"));
        EXPECT_EQ(pdf::wordsOfLineWith(page, "繰越額").size(), 4);
        EXPECT_EQ(pdf::wordsOfLineWith(page, "777"), QStringList({"777"}));
        EXPECT_TRUE(page.contains(QStringLiteral("日付")));
        qsizetype onPage = 0;
        for (auto it = payer.globalMatch(page); it.hasNext(); ++onPage)
            printed << it.next().captured();
        EXPECT_LE(onPage, perPage);
    }
    // Every row once, in order, none lost at a page break.
    ASSERT_EQ(printed.size(), 200);
    for (int i = 1; i <= 200; ++i)
        EXPECT_EQ(printed[i - 1], QStringLiteral("取引先%1").arg(i, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(pdf::wordsOfLineWith(pages.back(), "取引先200"),
              QStringList({"05", "取引先200", "200", "2,000"}));
}

TEST_F(ReportRenderTest, TheRuledLineUnderEachRowHasThePrintLineColour)
{
    ReportData data;
    data.rows = {{"01", "北商事", yen(1), yen(0), yen(1)}, {"02", "南商店", yen(2), yen(0), yen(3)}};
    const QImage page = pdf::firstPageImage(render(data));
    ASSERT_FALSE(page.isNull());

    // One dot is 20 twips; the page's printable area starts 10 mm (567 twips) in from the edges.
    const auto dot = [](double twips) { return int((567 + twips) / 20 + 0.5); };
    const ReportLine& line = detailLine();
    for (int row = 0; row < 2; ++row) {
        const int y = dot(kPageHeaderHeight + row * kDetailHeight + line.from.y());
        for (int x : {line.from.x() + 100, 5000, line.to.x() - 100})
            EXPECT_TRUE(lineColorNear(page, dot(x), y)) << "row " << row << " x " << x;
        EXPECT_FALSE(lineColorNear(page, dot(line.to.x() + 200), y));
        EXPECT_FALSE(lineColorNear(page, dot(line.from.x() - 150), y));
    }
    // No third line where no third row is.
    EXPECT_FALSE(lineColorNear(page, dot(5000), dot(kPageHeaderHeight + 2 * kDetailHeight + line.from.y())));
}

TEST_F(ReportRenderTest, AnUnwritablePathIsReportedAsAFailure)
{
    EXPECT_FALSE(renderReportToPdf(dir.filePath(QStringLiteral("missing/folder/report.pdf")), {}, 0));
}

TEST(ReportLayoutTest, EveryBandFitsThePrintableWidthOfThePage)
{
    const QRectF printable = reportPageLayout().paintRect(QPageLayout::Inch);
    EXPECT_GE(printable.width() * kTwipsPerInch, kReportWidth);
    EXPECT_GT(printable.height() * kTwipsPerInch, kPageHeaderHeight + kDetailHeight);
    for (const ReportControl& control : pageHeaderControls()) {
        EXPECT_LE(control.rect.right() + 1, kReportWidth) << control.name.toStdString();
        EXPECT_LE(control.rect.bottom() + 1, kPageHeaderHeight) << control.name.toStdString();
    }
    for (const ReportControl& control : detailControls()) {
        EXPECT_LE(control.rect.right() + 1, kReportWidth) << control.name.toStdString();
        EXPECT_LE(control.rect.bottom() + 1, kDetailHeight) << control.name.toStdString();
    }
    EXPECT_LT(detailLine().to.x(), kReportWidth);
    EXPECT_LT(detailLine().from.y(), kDetailHeight);
}

TEST_F(ReportRenderTest, LongNamesEndInAnEllipsisHugeAmountsKeepTheirSizeAndUnsavedRowsAreNoted)
{
    ReportData data;
    data.monthTitle = reportMonthTitle(QDate(2026, 12, 1), QStringLiteral("和暦"));
    const QString longName =
        QStringLiteral("株式会社とても長い名前の国際総合物流サービスセンター東日本統括本部第一営業部");
    data.rows = {{"01", longName, yen(999'999'999'999), yen(0), yen(999'999'999'999)},
                 {"02", QStringLiteral("短名"), yen(1), yen(0), yen(1'000'000'000'000)}};
    data.footnote = kUnsavedFootnote;
    const QString text = pdf::pagesText(render(data)).join(QLatin1Char('\f'));

    // The name is cut at a whole character and says so; the amounts stay readable in full.
    const QStringList first = pdf::wordsOfLineWith(text, QStringLiteral("株式会社"));
    ASSERT_FALSE(first.isEmpty()) << text.toStdString();
    EXPECT_TRUE(first.join(QString()).contains(QStringLiteral("…"))) << first.join(u' ').toStdString();
    EXPECT_FALSE(text.contains(longName));
    EXPECT_TRUE(first.contains(QStringLiteral("999,999,999,999"))) << first.join(u' ').toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1,000,000,000,000")));
    // The month title stands apart from its label.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("年月\\s+令和\\s+08年12月"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("登録されていない変更を含みます")));
}
