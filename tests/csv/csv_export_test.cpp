#include "csv/csv_export.h"

#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

namespace {

Money raw(std::int64_t tenThousandths)
{
    return Money::fromRaw(tenThousandths);
}

// Rows out of order on purpose: the file follows the date, then 行番号.
void seedMonths(Database& db)
{
    seedStoredRows(
        db,
        {
            {QDate(2024, 5, 2), 2, QStringLiteral("山田商店"), raw(12345000), yen(0), raw(13345000)},
            {QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
            {QDate(2024, 5, 2), 1, QStringLiteral("A,B"), yen(0), yen(100), yen(0)},
            {QDate(2024, 5, 10), 1, QStringLiteral("言う\"ね\""), raw(10000002500), raw(-1), std::nullopt},
            {QDate(2024, 6, 1), 1, QStringLiteral("二行\r\n目"), yen(-5), yen(0), yen(7)},
        });
}

const QByteArray kHeader = QByteArrayLiteral("日付,入金先名,予定額,入金額,残高\r\n");
const QByteArray kApril = QByteArrayLiteral("2024/04/30,前月,100,0,100\r\n");
const QByteArray kMay = QByteArrayLiteral("2024/05/02,\"A,B\",0,100,0\r\n"
                                          "2024/05/02,山田商店,1234.5,0,1334.5\r\n"
                                          "2024/05/10,\"言う\"\"ね\"\"\",1000000.25,-0.0001,\r\n");
const QByteArray kJune = QByteArrayLiteral("2024/06/01,\"二行\r\n目\",-5,0,7\r\n");

} // namespace

TEST(ExportCsv, WritesTheExactBytesOfTheFormatForEachRange)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedMonths(*db);

    const csv::ExportResult all = csv::exportSchedule(*db, {}, csv::CsvEncoding::Utf8);
    ASSERT_TRUE(all.ok()) << all.error.toStdString();
    EXPECT_EQ(all.bytes, csv::kUtf8Bom + kHeader + kApril + kMay + kJune);
    EXPECT_EQ(all.rows, 5);

    const QDate may(2024, 5, 1);
    EXPECT_EQ(csv::exportSchedule(*db, {may, may}, csv::CsvEncoding::Utf8).bytes,
              csv::kUtf8Bom + kHeader + kMay);
    EXPECT_EQ(csv::exportSchedule(*db, {may, {}}, csv::CsvEncoding::Utf8).bytes,
              csv::kUtf8Bom + kHeader + kMay + kJune);
    EXPECT_EQ(csv::exportSchedule(*db, {{}, QDate(2024, 5, 31)}, csv::CsvEncoding::Utf8).bytes,
              csv::kUtf8Bom + kHeader + kApril + kMay);
    // A month without rows still gives a file with its header.
    EXPECT_EQ(csv::exportSchedule(*db, {QDate(2030, 1, 1), QDate(2030, 1, 1)}, csv::CsvEncoding::Utf8).bytes,
              csv::kUtf8Bom + kHeader);
}

TEST(ExportCsv, ShiftJisWritesCp932AndRefusesANameItCannotHoldNamingTheRow)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedMonths(*db);

    const csv::ExportResult sjis = csv::exportSchedule(*db, {}, csv::CsvEncoding::Cp932);
    ASSERT_TRUE(sjis.ok()) << sjis.error.toStdString();
    // No byte-order mark; 日付 in Shift_JIS.
    EXPECT_TRUE(sjis.bytes.startsWith(QByteArrayLiteral("\x93\xFA\x95\x74,")));
    csv::Converter cp932(csv::CsvEncoding::Cp932);
    EXPECT_EQ(cp932.decode(sjis.bytes.constData(), sjis.bytes.size()),
              QString::fromUtf8(kHeader + kApril + kMay + kJune));

    // The wave dash U+301C has no Shift_JIS form (Windows writes the full-width tilde U+FF5E instead).
    seedStoredRows(*db, {{QDate(2024, 5, 20), 1, QStringLiteral("株式会社〜"), yen(1), yen(0), yen(1)}});
    const csv::ExportResult refused = csv::exportSchedule(*db, {}, csv::CsvEncoding::Cp932);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.bytes.isEmpty());
    for (const char* part : {"6行目", "2024/05/20", "株式会社〜", "「〜」"})
        EXPECT_TRUE(refused.error.contains(QString::fromUtf8(part))) << refused.error.toStdString();
    // The same name is fine in UTF-8.
    EXPECT_TRUE(csv::exportSchedule(*db, {}, csv::CsvEncoding::Utf8).ok());
}

TEST(ExportCsv, TheOpenReceiptsListWritesThePageColumnsInItsOrder)
{
    const QDate asOf(2024, 5, 10);
    const std::vector<schedule::OpenRow> rows = {
        {QDate(2024, 3, 5), 2, QStringLiteral("丙建設"), yen(800), yen(0)},
        {QDate(2024, 4, 2), 1, QStringLiteral("甲,商店"), raw(10000005000), raw(2500000)},
        {QDate(2024, 5, 10), 1, QStringLiteral("乙工業"), yen(0), yen(-30)},
    };
    const csv::ExportResult list = csv::exportOpenRows(rows, asOf, csv::CsvEncoding::Utf8);
    ASSERT_TRUE(list.ok()) << list.error.toStdString();
    EXPECT_EQ(list.rows, 3);
    EXPECT_EQ(list.bytes,
              csv::kUtf8Bom + QByteArrayLiteral("日付,入金先名,予定額,入金額,未入金額,経過日数\r\n"
                                                "2024/03/05,丙建設,800,0,800,66\r\n"
                                                "2024/04/02,\"甲,商店\",1000000.5,250,999750.5,38\r\n"
                                                "2024/05/10,乙工業,0,-30,30,0\r\n"));

    // The Shift_JIS refusal names the line of the file, as the schedule's export does.
    const std::vector<schedule::OpenRow> wave = {
        rows[0], {QDate(2024, 4, 1), 1, QStringLiteral("A〜B"), yen(5), yen(0)}};
    const csv::ExportResult refused = csv::exportOpenRows(wave, asOf, csv::CsvEncoding::Cp932);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.startsWith(QStringLiteral("3行目（2024/04/01、A〜B）")))
        << refused.error.toStdString();
    EXPECT_TRUE(refused.bytes.isEmpty());
}
