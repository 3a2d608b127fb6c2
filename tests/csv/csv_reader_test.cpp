#include "csv/csv_reader.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf8(const char* text)
{
    return QByteArray(text);
}

QByteArray inCp932(const char* text)
{
    csv::Converter cp932(csv::CsvEncoding::Cp932);
    return *cp932.encode(QString::fromUtf8(text));
}

// The problems as the user is shown them.
void expectProblems(const csv::CsvContent& content, const char* expected)
{
    EXPECT_EQ(content.problems.text(), QString::fromUtf8(expected));
}

const char* const kOtherForms = "日付,入金先名,予定額,入金額\n"
                                "2024-05-03,山田商店,\"1,234,567\",\n"
                                "2024/5/7,\"鈴木 \"\"工業\"\"\",１２３．５,－１０\n"
                                ",,,\n"
                                "\n"
                                "2024/12/31, 空白のある名前 ,0,0";

} // namespace

TEST(ReadCsv, AcceptsOtherDateAndAmountFormsAFileWithoutBalancesAndEitherEncoding)
{
    for (const auto& [bytes, chosen, found] :
         {std::tuple{utf8(kOtherForms), std::optional<csv::CsvEncoding>(), csv::CsvEncoding::Utf8},
          std::tuple{inCp932(kOtherForms), std::optional<csv::CsvEncoding>(), csv::CsvEncoding::Cp932},
          std::tuple{inCp932(kOtherForms), std::optional(csv::CsvEncoding::Cp932), csv::CsvEncoding::Cp932},
          std::tuple{csv::kUtf8Bom + utf8(kOtherForms), std::optional(csv::CsvEncoding::Utf8),
                     csv::CsvEncoding::Utf8}}) {
        const csv::CsvContent content = csv::readScheduleCsv(bytes, chosen);
        expectProblems(content, "");
        EXPECT_EQ(content.encoding, found);
        ASSERT_EQ(content.lines.size(), 3u);
        EXPECT_EQ(content.lines[0].line, 2);
        EXPECT_EQ(content.lines[0].date, QDate(2024, 5, 3));
        EXPECT_EQ(content.lines[0].payer, QStringLiteral("山田商店"));
        EXPECT_EQ(content.lines[0].planned, Money::fromYen(1234567));
        EXPECT_EQ(content.lines[0].received, std::nullopt); // an empty cell: no amount
        EXPECT_EQ(content.lines[1].date, QDate(2024, 5, 7));
        EXPECT_EQ(content.lines[1].payer, QStringLiteral("鈴木 \"工業\""));
        EXPECT_EQ(content.lines[1].planned, Money::fromRaw(1235000));
        EXPECT_EQ(content.lines[1].received, Money::fromYen(-10));
        // Blank lines are skipped; the blanks around a name are part of it.
        EXPECT_EQ(content.lines[2].line, 6);
        EXPECT_EQ(content.lines[2].payer, QStringLiteral(" 空白のある名前 "));
    }
}

TEST(ReadCsv, ListsEveryBadLineWithItsNumberAndReason)
{
    // A file typed without the balance column, where an empty payer is a slip.
    const csv::CsvContent content = csv::readScheduleCsv(utf8("日付,入金先名,予定額,入金額\r\n"
                                                              "2024/02/30,山田,1,0\r\n"
                                                              "2024/02/01, ,1,0\r\n"
                                                              "2024/02/01,山田,abc,0\r\n"
                                                              "2024/02/01,山田,1,1.23456\r\n"
                                                              "2024/02/01,山田,99999999999999999,0\r\n"
                                                              "2024/02/01,山田,1,0,\r\n"
                                                              "2024/02/01,\"山田\"x,1,0\r\n"
                                                              "2024/02/01,山田,1,0\r\n"
                                                              "\"2024/02/01,山田,1,0\r\n"),
                                                         std::nullopt);
    expectProblems(content, "2行目：日付「2024/02/30」が正しくありません（yyyy/mm/dd の形の、ある日付）。\n"
                            "3行目：入金先名が空です。\n"
                            "4行目：予定額「abc」は数値ではありません。\n"
                            "5行目：入金額「1.23456」は小数が4桁を超えています。\n"
                            "6行目：予定額「99999999999999999」は扱える金額の範囲を超えています。\n"
                            "7行目：項目の数が 5 個です（4 個のはずです）。\n"
                            "8行目：引用符（\"）で囲んだ項目の後に余分な文字があります。\n"
                            "10行目：引用符（\"）が閉じられていません。");
    ASSERT_EQ(content.lines.size(), 1u);
    EXPECT_EQ(content.lines[0].line, 9);
}

TEST(ReadCsv, RefusesAWrongHeaderAnEmptyFileAndBytesOfAnotherEncoding)
{
    expectProblems(csv::readScheduleCsv(utf8("日付,入金先,予定額,入金額,残高\r\n2024/01/01,A,1,0,\r\n"), {}),
                   "1行目：見出しが「日付,入金先名,予定額,入金額,残高」ではありません。");
    for (const QByteArray& empty : {QByteArray(), csv::kUtf8Bom, QByteArrayLiteral("\r\n \r\n")})
        expectProblems(csv::readScheduleCsv(empty, {}), "ファイルが空です。");
    // A header alone is a file with nothing to store, not a bad one.
    const csv::CsvContent headerOnly = csv::readScheduleCsv(utf8("日付,入金先名,予定額,入金額,残高\r\n"), {});
    EXPECT_TRUE(headerOnly.problems.isEmpty());
    EXPECT_TRUE(headerOnly.lines.empty());

    const QByteArray header = utf8("日付,入金先名,予定額,入金額,残高\r\n");
    // A Shift_JIS name in a file read as UTF-8.
    expectProblems(csv::readScheduleCsv(header + "2024/01/01,A,1,0,\r\n2024/01/02,\x93\xFA,1,0,\r\n",
                                        csv::CsvEncoding::Utf8),
                   "3行目：UTF-8 として読めない文字があります（バイト 93）。");
    // A damaged byte in a UTF-8 file is reported as such, not read as Shift_JIS.
    const csv::CsvContent damaged =
        csv::readScheduleCsv(header + "2024/01/02,山\xFF田,1,0,\r\n", std::nullopt);
    EXPECT_EQ(damaged.encoding, csv::CsvEncoding::Utf8);
    expectProblems(damaged, "2行目：UTF-8 として読めない文字があります（バイト FF）。");
    expectProblems(
        csv::readScheduleCsv(inCp932("日付,入金先名,予定額,入金額,残高\r\n") + "2024/01/02,\x80,1,0,\r\n",
                             csv::CsvEncoding::Cp932),
        "2行目：Shift_JIS（CP932） として読めない文字があります（バイト 80）。");
}

TEST(ReadCsv, AFileBadOnEveryLineListsTheFirstHundredAndCountsTheRest)
{
    QByteArray bytes = utf8("日付,入金先名,予定額,入金額\r\n");
    for (int i = 0; i < 150; ++i)
        bytes += "2024/01/01,,1,0\r\n";
    const csv::CsvContent content = csv::readScheduleCsv(bytes, {});
    EXPECT_EQ(content.problems.total(), 150);
    const QStringList lines = content.problems.text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines.front(), QStringLiteral("2行目：入金先名が空です。"));
    EXPECT_EQ(lines.back(), QStringLiteral("ほかに 50 件の誤りがあります。"));
}

TEST(ReadCsv, TakesOnlyDatesFrom1900To2099AndExactAmountsWithTrailingZeros)
{
    const csv::CsvContent content = csv::readScheduleCsv(utf8("日付,入金先名,予定額,入金額\r\n"
                                                              "0224/01/05,A社,1000,0\r\n"
                                                              "1899/12/31,A社,1,0\r\n"
                                                              "1900/01/01,A社,1.50000,0\r\n"
                                                              "2099/12/31,A社,-2.000000,０．１２３４０\r\n"
                                                              "2100/01/01,A社,1,1.000010\r\n"),
                                                         std::nullopt);
    expectProblems(content, "2行目：日付「0224/01/05」は 1900年から2099年までの範囲にありません。\n"
                            "3行目：日付「1899/12/31」は 1900年から2099年までの範囲にありません。\n"
                            "6行目：日付「2100/01/01」は 1900年から2099年までの範囲にありません。\n"
                            "6行目：入金額「1.000010」は小数が4桁を超えています。");
    ASSERT_EQ(content.lines.size(), 2u);
    EXPECT_EQ(content.lines[0].planned, Money::fromRaw(15000));
    EXPECT_EQ(content.lines[1].planned, Money::fromYen(-2));
    EXPECT_EQ(content.lines[1].received, Money::fromRaw(1234));
}

TEST(ReadCsv, ReadsTheExportsFormWithRowsWithoutAPayerAndEmptyAmounts)
{
    const csv::CsvContent content = csv::readScheduleCsv(utf8("日付,入金先名,予定額,入金額,残高\r\n"
                                                              "2024/01/20,,0,,\r\n"
                                                              "2024/01/21, ,,5,x\r\n"
                                                              "2024/01/22,A社,1,0,7.5\r\n"),
                                                         std::nullopt);
    expectProblems(content, "");
    ASSERT_EQ(content.lines.size(), 3u);
    EXPECT_EQ(content.lines[0].payer, QString());
    EXPECT_EQ(content.lines[0].planned, Money());
    EXPECT_EQ(content.lines[0].received, std::nullopt);
    EXPECT_EQ(content.lines[1].payer, QStringLiteral(" "));
    EXPECT_EQ(content.lines[1].planned, std::nullopt);
    EXPECT_EQ(content.lines[1].balance, std::nullopt); // not a number: left to the balance pass
    EXPECT_EQ(content.lines[2].balance, Money::fromRaw(75000));
}

TEST(ReadCsv, HoldsNeitherAHugeRecordNorMoreThanTheShownProblems)
{
    QByteArray bytes = utf8("日付,入金先名,予定額,入金額\r\n2024/01/01,\"");
    bytes += QByteArray(csv::RecordStream::kMaxRecordBytes, 'x');
    bytes += "\",1,0\r\n2024/01/02,A,1,0\r\n";
    for (int i = 0; i < 500; ++i)
        bytes += "x\r\n";
    const csv::CsvContent content = csv::readScheduleCsv(bytes, std::nullopt);
    EXPECT_EQ(content.problems.total(), 501);
    EXPECT_EQ(content.problems.sorted().size(), std::size_t(csv::ProblemList::kShown));
    EXPECT_EQ(content.problems.sorted().front().reason,
              QStringLiteral("行が長すぎます（65536 バイトを超えています）。"));
    ASSERT_EQ(content.lines.size(), 1u);
    EXPECT_EQ(content.lines[0].line, 3);

    // A problem found late on an early line still comes first; the last one kept makes room.
    csv::ProblemList late;
    for (int line = 10; line < 10 + csv::ProblemList::kShown; ++line)
        late.add(line, QStringLiteral("x"));
    late.add(2, QStringLiteral("月"));
    EXPECT_EQ(late.sorted().front().line, 2);
    EXPECT_EQ(late.sorted().back().line, 8 + csv::ProblemList::kShown);
    EXPECT_TRUE(late.text().endsWith(QStringLiteral("ほかに 1 件の誤りがあります。")));
}
