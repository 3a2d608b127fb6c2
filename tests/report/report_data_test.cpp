#include "report/report_data.h"

#include "storage/database.h"
#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

using namespace report;

namespace {

Money yen(std::int64_t v)
{
    return Money::fromYen(v);
}

class ReportDataTest : public ::testing::Test
{
protected:
    void SetUp() override { db = folder.open(); }
    void sql(const std::string& statement) { rawConnection(*db).exec(statement); }
    // Amounts go in as ten-thousandths, as the working set keeps them.
    void workRow(int row, const char* day, const char* payer, std::int64_t planned, std::int64_t received,
                 std::int64_t balance)
    {
        const auto text = [](const char* v) { return v ? "'" + std::string(v) + "'" : std::string("null"); };
        sql("insert into InpWork (行番号, 元行番号, 表示日付, 入金先名, 予定額, 入金額, 残高) values (" +
            std::to_string(row) + ", " + std::to_string(row) + ", " + text(day) + ", " + text(payer) + ", " +
            std::to_string(planned * 10000) + ", " + std::to_string(received * 10000) + ", " +
            std::to_string(balance * 10000) + ")");
    }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
};

} // namespace

TEST_F(ReportDataTest, OnlyRowsWithAPayerAreCopiedInWorkingSetOrder)
{
    // Stored out of order, so the order can only come from the row numbers.
    workRow(5, "20", "南商店", 0, 3000, 9000);
    workRow(1, "03", "北商事", 10000, 0, 10000);
    workRow(2, "04", nullptr, 500, 0, 0);
    workRow(3, nullptr, "東物産", 2000, 0, 12000);
    workRow(4, nullptr, nullptr, 0, 0, 0);
    // What an earlier click left behind is replaced.
    sql("insert into InpWork印刷 (行番号, 元行番号, 入金先名) values (9, 9, '前回')");

    const ScreenFigures figures{yen(1000), yen(12000), yen(3000), yen(10000)};
    const ReportData data = prepareReport(*db, QDate(2024, 5, 1), "西暦", figures);

    ASSERT_EQ(data.rows.size(), 3u);
    EXPECT_EQ(data.rows[0], (ReportRow{"03", "北商事", yen(10000), yen(0), yen(10000)}));
    EXPECT_EQ(data.rows[1], (ReportRow{"", "東物産", yen(2000), yen(0), yen(12000)}));
    EXPECT_EQ(data.rows[2], (ReportRow{"20", "南商店", yen(0), yen(3000), yen(9000)}));
    EXPECT_EQ(db->readTotal("select count(*) as total from InpWork印刷").toInt64(), 3);
    // The figures are the screen's, not recomputed from the rows.
    EXPECT_EQ(data.figures, figures);
    EXPECT_EQ(data.monthTitle, QStringLiteral("2024年05月"));
}

TEST_F(ReportDataTest, AMonthWithoutPayersGivesNoRowsButItsFigures)
{
    workRow(1, "01", nullptr, 100, 0, 0);
    const ScreenFigures figures{yen(-500), yen(100), yen(0), yen(-400)};
    const ReportData data = prepareReport(*db, QDate(2024, 5, 1), "和暦", figures);
    EXPECT_TRUE(data.rows.empty());
    EXPECT_EQ(data.figures, figures);
}

TEST_F(ReportDataTest, MonthTitleFollowsTheEraValue)
{
    EXPECT_EQ(reportMonthTitle(QDate(2024, 5, 1), "和暦"), QStringLiteral("令和 06年05月"));
    EXPECT_EQ(reportMonthTitle(QDate(2019, 4, 1), "和暦"), QStringLiteral("平成 31年04月"));
    EXPECT_EQ(reportMonthTitle(QDate(2024, 5, 1), "西暦"), QStringLiteral("2024年05月"));
    // Only "和暦" chooses the era form on paper.
    EXPECT_EQ(reportMonthTitle(QDate(2005, 12, 1), "平成"), QStringLiteral("2005年12月"));
    EXPECT_EQ(reportMonthTitle(QDate(2005, 12, 1), ""), QStringLiteral("2005年12月"));

    EXPECT_EQ(prepareReport(*db, QDate(2024, 5, 1), "和暦", {}).monthTitle, QStringLiteral("令和 06年05月"));
}
