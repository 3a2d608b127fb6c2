#include "payers/payer_csv.h"

#include "support/seed.h"
#include "support/temp_data.h"
#include "terms/terms_store.h"

#include <gtest/gtest.h>

using namespace payers;

namespace {

QByteArray file(const QString& text)
{
    return text.toUtf8();
}

const QString kHeader =
    QStringLiteral("入金先名,フリガナ,締め日,支払月,支払日,休日,定額,定額開始,定額終了\r\n");

} // namespace

TEST(PayerCsv, ImportAddsAndUpdatesByNameNeverDeletesAndExportGivesTheSameFileBack)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"残る", "甲"});

    const QString lines = QStringLiteral("\"乙,\"\"社\"\"\",オツ,20,2,10,後,\"50,000\",2026/1,2026-12\r\n"
                                         "甲,コウ,末,1,末,前,,,\r\n"
                                         ",,,,,,,,\r\n");
    PayerCsvImport result = importPayers(*db, file(kHeader + lines), std::nullopt);
    ASSERT_TRUE(result.problems.isEmpty()) << result.problems.text().toStdString();
    EXPECT_EQ(result.summary.added, 1);
    EXPECT_EQ(result.summary.updated, 1);
    EXPECT_EQ(sortedPayers(*db), (QStringList{"乙,\"社\"", "残る", "甲"}));
    EXPECT_EQ(terms::dueDateFor(*db, "甲", QDate(2026, 4, 15)), QDate(2026, 5, 29));

    const PayerCsvExport utf8 = exportPayers(*db, csv::CsvEncoding::Utf8);
    ASSERT_TRUE(utf8.ok());
    EXPECT_EQ(utf8.rows, 3);
    EXPECT_TRUE(utf8.bytes.startsWith(csv::kUtf8Bom));
    EXPECT_EQ(QString::fromUtf8(utf8.bytes.mid(csv::kUtf8Bom.size())),
              kHeader + QStringLiteral("\"乙,\"\"社\"\"\",オツ,20,2,10,後,50000,2026/01,2026/12\r\n"
                                       "残る,,,,,,,,\r\n"
                                       "甲,コウ,末,1,末,前,,,\r\n"));
    // The exported file read back changes nothing, in either encoding.
    result = importPayers(*db, utf8.bytes, std::nullopt);
    EXPECT_EQ(result.summary.unchanged, 3);
    const PayerCsvExport sjis = exportPayers(*db, csv::CsvEncoding::Cp932);
    ASSERT_TRUE(sjis.ok());
    EXPECT_FALSE(sjis.bytes.startsWith(csv::kUtf8Bom));
    result = importPayers(*db, sjis.bytes, std::nullopt);
    ASSERT_TRUE(result.problems.isEmpty()) << result.problems.text().toStdString();
    EXPECT_EQ(result.summary.unchanged, 3);

    // A name Shift_JIS cannot hold refuses that export, naming the line.
    seedPayers(*db, {"𠮷野家"});
    const PayerCsvExport refused = exportPayers(*db, csv::CsvEncoding::Cp932);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.contains("𠮷野家"));
}

TEST(PayerCsv, EveryBadLineIsNamedAndNothingIsStored)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {"甲"});
    const QString lines = QStringLiteral("甲,コウ,末,1,末,前,,,\r\n"        // 2: good
                                         "乙,,32,1,末,,,,\r\n"              // 3: 締め日
                                         "丙,,末,,末,,,,\r\n"               // 4: 支払月 missing
                                         "丁,,,,,,1000,2026/05,2026/01\r\n" // 5: range backwards
                                         "戊,,末,1\r\n"                     // 6: fields missing
                                         ",,末,1,末,,,,\r\n"                // 7: no name
                                         "甲,,,,,,,,\r\n");                 // 8: twice
    const PayerCsvImport result = importPayers(*db, file(kHeader + lines), csv::CsvEncoding::Utf8);
    std::vector<int> lineNumbers;
    for (const csv::ImportProblem& problem : result.problems.sorted())
        lineNumbers.push_back(problem.line);
    EXPECT_EQ(lineNumbers, (std::vector<int>{3, 4, 5, 6, 7, 8})) << result.problems.text().toStdString();
    EXPECT_TRUE(result.problems.text().contains("乙"));
    EXPECT_EQ(sortedPayers(*db), QStringList{"甲"});
    EXPECT_FALSE(terms::readTermsOf(*db, "甲")->hasDueDateRule());

    // A file with another header is refused as a whole.
    const PayerCsvImport wrong = importPayers(*db, file("日付,入金先名,予定額\r\n"), std::nullopt);
    EXPECT_FALSE(wrong.problems.isEmpty());
}
