#include "bank/bank_csv.h"
#include "bank/bank_samples.h"

#include <gtest/gtest.h>

namespace {

// The sample's columns: 日付, 摘要, 出金金額, 入金金額, 残高.
bank::BankCsvMapping sampleMapping()
{
    bank::BankCsvMapping mapping;
    mapping.dateColumn = 0;
    mapping.nameColumn = 1;
    mapping.amountColumn = 3;
    mapping.account = QStringLiteral("ﾐﾗｲ 001 1234567");
    return mapping;
}

QString messageOf(const QByteArray& bytes, const bank::BankCsvMapping& mapping)
{
    try {
        bank::readBankCsv(bytes, mapping);
    } catch (const bank::BankFileError& error) {
        return error.userMessage();
    }
    return QStringLiteral("(read without complaint)");
}

} // namespace

TEST(BankCsv, ReadsTheDepositsOfAStatementThroughItsMapping)
{
    const QByteArray cp932 = bank_samples::bytesOf("generic_bank_statement.csv");
    const QByteArray utf8 =
        csv::kUtf8Bom + csv::Converter(csv::CsvEncoding::Cp932).decode(cp932.data(), cp932.size())->toUtf8();
    const QByteArray headless = cp932.mid(cp932.indexOf('\n') + 1);
    EXPECT_EQ(bank::bankCsvLayoutKey(cp932), QStringLiteral("見出し:日付,摘要,出金金額,入金金額,残高"));
    EXPECT_EQ(bank::bankCsvLayoutKey(utf8), QStringLiteral("見出し:日付,摘要,出金金額,入金金額,残高"));
    EXPECT_EQ(bank::bankCsvLayoutKey(headless), QStringLiteral("項目数:5"));
    EXPECT_EQ(bank::bankCsvLayoutKey(QByteArray()), QString());

    bank::BankCsvMapping withoutHeader = sampleMapping();
    withoutHeader.hasHeader = false;
    for (const auto& [bytes, mapping] : {std::pair{cp932, sampleMapping()}, std::pair{utf8, sampleMapping()},
                                         std::pair{headless, withoutHeader}}) {
        const std::vector<bank::Deposit> read = bank::readBankCsv(bytes, mapping);
        std::size_t next = 0;
        for (const bank_samples::CheckedRecord& line :
             bank_samples::checkListOf("generic_bank_statement.check.tsv")) {
            const QString amount = line.fields[QStringLiteral("入金金額")];
            if (amount.isEmpty())
                continue; // the withdrawal
            ASSERT_LT(next, read.size());
            const bank::Deposit& d = read[next++];
            EXPECT_EQ(d.source, bank::DepositSource::Csv);
            EXPECT_EQ(d.取引日,
                      QDate::fromString(line.fields[QStringLiteral("日付")], QStringLiteral("yyyy/MM/dd")));
            EXPECT_EQ(d.金額, Money::fromYen(QString(amount).remove(QLatin1Char(',')).toLongLong()));
            // The bank's ﾌﾘｺﾐ in front is not the payer's.
            EXPECT_EQ(QStringLiteral("ﾌﾘｺﾐ ") + d.振込依頼人名, line.fields[QStringLiteral("摘要")]);
            EXPECT_EQ(d.口座番号, QStringLiteral("ﾐﾗｲ 001 1234567"));
        }
        EXPECT_EQ(next, read.size());
        EXPECT_EQ(read.size(), 8u);
    }

    // One signed amount column, other date forms; two equal transfers of a day stay two deposits.
    const QByteArray signedColumn = "2025-06-30,ﾔﾏﾀﾞ ﾀﾛｳ,\"10,000\"\n"
                                    "20250630,ﾔﾏﾀﾞ ﾀﾛｳ,10000円\n"
                                    "2025年7月1日,ﾃﾞﾝｷﾀﾞｲ,-5000\n";
    bank::BankCsvMapping signedMapping;
    signedMapping.hasHeader = false;
    const std::vector<bank::Deposit> read = bank::readBankCsv(signedColumn, signedMapping);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].取引日, QDate(2025, 6, 30));
    EXPECT_EQ(read[1].record, 2);
    EXPECT_NE(bank::depositKey(read[0]), bank::depositKey(read[1]));
}

TEST(BankCsv, RefusesALineItCannotReadNamingIt)
{
    const QByteArray header = "日付,摘要,出金金額,入金金額,残高\n";
    EXPECT_EQ(messageOf(header + "2025/06/27,ｶ)ﾔﾏﾀﾞ,,110000,0\n2025/13/01,ｶ)ﾔﾏﾀﾞ,,1,0\n", sampleMapping()),
              QStringLiteral("3 行目: 日付「2025/13/01」が読めません（年月日の日付）。"));
    EXPECT_EQ(messageOf(header + "2025/06/27,ｶ)ﾔﾏﾀﾞ,,11万,0\n", sampleMapping()),
              QStringLiteral("2 行目: 入金額「11万」が金額ではありません。"));
    EXPECT_EQ(messageOf(header + "2025/06/27,ｶ)ﾔﾏﾀﾞ\n", sampleMapping()),
              QStringLiteral("2 行目: 項目が 2 個しかありません（4 個目まで読みます）。"));
    bank::BankCsvMapping utf8 = sampleMapping();
    utf8.encoding = csv::CsvEncoding::Utf8;
    EXPECT_TRUE(messageOf(bank_samples::bytesOf("generic_bank_statement.csv"), utf8)
                    .startsWith(QStringLiteral("1 行目: UTF-8 として読めない文字があります")));
    EXPECT_EQ(messageOf(QByteArray(), sampleMapping()), QStringLiteral("ファイルが空です。"));
}
