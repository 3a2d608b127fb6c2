#include "bank/bank_samples.h"
#include "bank/zengin_file.h"
#include "bank/zengin_record.h"

#include <gtest/gtest.h>

using bank::Deposit;
using bank::DepositSource;

namespace {

const QDate kToday(2025, 7, 2);

// The samples' dates are all of 令和.
QDate reiwa(const QString& yymmdd)
{
    return QDate(2018 + yymmdd.left(2).toInt(), yymmdd.mid(2, 2).toInt(), yymmdd.mid(4, 2).toInt());
}

QString messageOf(const QByteArray& bytes)
{
    try {
        bank::readZenginFile(bytes, kToday);
    } catch (const bank::BankFileError& error) {
        return error.userMessage();
    }
    return QStringLiteral("(read without complaint)");
}

// The records of a CR LF sample, to break one and join them again.
QList<QByteArray> linesOf(const QString& file)
{
    QList<QByteArray> lines = bank_samples::bytesOf(file).split('\n');
    lines.removeLast();
    return lines;
}

QByteArray joined(const QList<QByteArray>& lines)
{
    return lines.join('\n') + '\n';
}

} // namespace

TEST(ZenginFile, ReadsEveryCreditOfTheSamplesAsTheirCheckListsSay)
{
    for (const char* name : {"furikomi_01_crlf", "furikomi_01_nocrlf", "nyushukkin_03_crlf",
                             "nyushukkin_03_nocrlf", "nyushukkin_03_two_accounts_crlf"}) {
        SCOPED_TRACE(name);
        const QString file = QString::fromLatin1(name);
        const bank::ZenginFile read = bank::readZenginFile(bank_samples::bytesOf(file + ".txt"), kToday);
        const bool statement = file.startsWith(QLatin1String("nyushukkin"));
        EXPECT_EQ(read.format, statement ? DepositSource::入出金取引明細 : DepositSource::振込入金通知);
        EXPECT_TRUE(read.cancellations.empty());
        EXPECT_TRUE(read.warnings.isEmpty()) << read.warnings.join('\n').toStdString();

        std::vector<const Deposit*> expected; // compared in step with the check list's credits
        std::size_t next = 0;
        QHash<QString, QString> header;
        for (const bank_samples::CheckedRecord& record : bank_samples::checkListOf(file + ".check.tsv")) {
            if (record.kind == QLatin1String("1"))
                header = record.fields;
            if (record.kind != QLatin1String("2"))
                continue;
            // A 03 file's withdrawals are no deposits.
            if (statement && record.fields.value(QStringLiteral("入払区分")) != QLatin1String("1"))
                continue;
            ASSERT_LT(next, read.deposits.size());
            const Deposit& d = read.deposits[next++];
            EXPECT_EQ(d.record, record.number);
            EXPECT_EQ(d.銀行コード, header[QStringLiteral("銀行コード")]);
            EXPECT_EQ(d.銀行名, header[QStringLiteral("銀行名")]);
            EXPECT_EQ(d.支店コード, header[QStringLiteral("支店コード")]);
            EXPECT_EQ(d.支店名, header[QStringLiteral("支店名")]);
            EXPECT_EQ(d.口座番号, header[QStringLiteral("口座番号")]);
            EXPECT_EQ(d.照会番号, record.fields[QStringLiteral("照会番号")]);
            EXPECT_EQ(d.取引日, reiwa(record.fields[QStringLiteral("勘定日")]));
            EXPECT_EQ(
                d.金額,
                Money::fromYen(record.fields[statement ? QStringLiteral("取引金額") : QStringLiteral("金額")]
                                   .toLongLong()));
            EXPECT_EQ(d.振込依頼人名, record.fields[statement ? QStringLiteral("振込依頼人名または契約者番号")
                                                              : QStringLiteral("振込依頼人名")]);
            EXPECT_EQ(d.EDI情報, record.fields[QStringLiteral("EDI情報")]);
        }
        EXPECT_EQ(next, read.deposits.size());
        EXPECT_EQ(read.deposits.size(), 8u);
    }
    // The 7-digit account of a 01 file and the 10-digit one of a 03 file are one account.
    const auto transfers =
        bank::readZenginFile(bank_samples::bytesOf("furikomi_01_crlf.txt"), kToday).deposits;
    const auto entries =
        bank::readZenginFile(bank_samples::bytesOf("nyushukkin_03_crlf.txt"), kToday).deposits;
    EXPECT_EQ(transfers[5].振込依頼人名, QStringLiteral("0007 ｻﾄｳ ﾊﾅｺ"));
    EXPECT_EQ(entries[4].振込依頼人コード, QStringLiteral("0000000105"));
    EXPECT_EQ(transfers[0].振込依頼人コード, QString());
    EXPECT_EQ(bank::depositKey(transfers[0]).section(QChar(0x1F), 0, 2),
              bank::depositKey(entries[0]).section(QChar(0x1F), 0, 2));
}

TEST(ZenginFile, ACancelRecordTakesBackItsTransferOrIsHandedOverWhenTheTransferCameEarlier)
{
    const bank::ZenginFile read =
        bank::readZenginFile(bank_samples::bytesOf("furikomi_01_with_cancel_crlf.txt"), kToday);
    ASSERT_EQ(read.deposits.size(), 1u);
    EXPECT_EQ(read.deposits[0].振込依頼人名, QStringLiteral("ﾕ)ｽｽﾞｷｺｳﾑﾃﾝ"));
    EXPECT_TRUE(read.cancellations.empty());

    // Without the first transfer the cancellation is of one read before; the trailer counts the cancel
    // record among the transfers (read both ways).
    QList<QByteArray> lines = linesOf("furikomi_01_with_cancel_crlf.txt");
    lines.removeAt(1);
    lines[3].replace("8000003000000274340", "8000002000000164340");
    const bank::ZenginFile alone = bank::readZenginFile(joined(lines), kToday);
    ASSERT_EQ(alone.deposits.size(), 1u);
    ASSERT_EQ(alone.cancellations.size(), 1u);
    EXPECT_EQ(alone.cancellations[0].照会番号, QStringLiteral("000003"));
    EXPECT_EQ(alone.cancellations[0].金額, Money::fromYen(110000));
    lines[3].replace("8000002000000164340", "8000001000000054340");
    EXPECT_EQ(bank::readZenginFile(joined(lines), kToday).cancellations.size(), 1u);
}

TEST(ZenginFile, RefusesABrokenFileNamingTheRecord)
{
    QByteArray ebcdic = bank_samples::bytesOf("furikomi_01_nocrlf.txt");
    ebcdic[0] = char(0xF1);
    EXPECT_EQ(messageOf(ebcdic), QStringLiteral("1 件目のレコード（ヘッダー）: EBCDIC のファイルです。"
                                                "JIS（コード区分 0）のファイルを出力し直してください。"));
    QByteArray codeOne = bank_samples::bytesOf("furikomi_01_nocrlf.txt");
    codeOne[3] = '1';
    EXPECT_TRUE(messageOf(codeOne).startsWith(
        QStringLiteral("1 件目のレコード（ヘッダー）: コード区分が 1（EBCDIC）")));

    QList<QByteArray> lines = linesOf("furikomi_01_crlf.txt");
    lines[2].remove(100, 1);
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("3 件目のレコード（データ）: 長さが 199 バイトです（200 バイトのはずです）。"));
    const QByteArray unbroken = bank_samples::bytesOf("nyushukkin_03_nocrlf.txt");
    EXPECT_EQ(messageOf(unbroken.chopped(1)),
              QStringLiteral("12 件目のレコード（エンド）: 長さが 199 バイトです（200 バイトのはずです）。"));

    lines = linesOf("furikomi_01_crlf.txt");
    lines[9].replace("8000008", "8000007");
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("10 件目のレコード（トレーラ）: 振込合計が 7 件 717,640 円ですが、"
                             "データ・レコードは 8 件 717,640 円です。"));
    lines = linesOf("furikomi_01_crlf.txt");
    lines[1].replace("0000110000", "0000110001");
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("10 件目のレコード（トレーラ）: 振込合計が 8 件 717,640 円ですが、"
                             "データ・レコードは 8 件 717,641 円です。"));
    lines = linesOf("nyushukkin_03_crlf.txt");
    lines[10].replace("8000008", "8000009");
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("11 件目のレコード（トレーラ）: 入金が 9 件 717,640 円ですが、"
                             "入金のデータ・レコードは 8 件 717,640 円です。"));
    lines = linesOf("nyushukkin_03_two_accounts_crlf.txt");
    lines[13].replace("000000001400002", "000000001400001");
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("14 件目のレコード（エンド）: 口座数が 1 ですが、ファイルの口座は 2 です。"));
    lines = linesOf("nyushukkin_03_crlf.txt");
    lines[1].replace("070627070627", "07062707X627");
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("2 件目のレコード（データ）: "
                             "預入・払出日「07X627」が日付ではありません（和暦の年月日 YYMMDD）。"));

    lines = linesOf("furikomi_01_crlf.txt");
    lines.removeLast();
    EXPECT_TRUE(messageOf(joined(lines)).startsWith(QStringLiteral("ファイルの終わりにエンド・レコード")));
    lines = linesOf("furikomi_01_crlf.txt");
    lines.append(lines[1]);
    EXPECT_EQ(messageOf(joined(lines)),
              QStringLiteral("12 件目のレコード（データ）: エンド・レコードの後にレコードがあります。"));
    lines = linesOf("furikomi_01_crlf.txt");
    lines.removeAt(9);
    EXPECT_EQ(
        messageOf(joined(lines)),
        QStringLiteral(
            "10 件目のレコード（エンド）: トレーラ・レコードがないまま、エンド・レコードが来ています。"));
    EXPECT_EQ(messageOf(QByteArray()), QStringLiteral("ファイルが空です。"));
}

TEST(ZenginFile, ToleratesTheLineEndsAndEndMarksBanksWrite)
{
    const std::vector<Deposit> expected =
        bank::readZenginFile(bank_samples::bytesOf("furikomi_01_nocrlf.txt"), kToday).deposits;
    const QByteArray crlf = bank_samples::bytesOf("furikomi_01_crlf.txt");
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    for (const QByteArray& bytes :
         {lf, crlf.chopped(2), crlf + '\x1A', bank_samples::bytesOf("furikomi_01_nocrlf.txt") + "\r\n"}) {
        const std::vector<Deposit> read = bank::readZenginFile(bytes, kToday).deposits;
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i)
            EXPECT_EQ(bank::depositKey(read[i]), bank::depositKey(expected[i]));
    }
}

TEST(ZenginFile, ReadsEraDatesInTheEraNearestTheReference)
{
    const QDate near(2025, 7, 1);
    EXPECT_EQ(bank::decodeEraDate("070630", near), QDate(2025, 6, 30));
    EXPECT_EQ(bank::decodeEraDate("010501", near), QDate(2019, 5, 1));
    // 令和 began on 1 May 2019: before it, only 平成 reads.
    EXPECT_EQ(bank::decodeEraDate("310430", near), QDate(2019, 4, 30));
    EXPECT_EQ(bank::decodeEraDate("300105", near), QDate(2018, 1, 5));
    EXPECT_EQ(bank::decodeEraDate("300105", QDate(2045, 1, 10)), QDate(2048, 1, 5));
    EXPECT_EQ(bank::decodeEraDate("000000", near), QDate());
    EXPECT_EQ(bank::decodeEraDate("      ", near), QDate());
    EXPECT_EQ(bank::decodeEraDate("070231", near), std::nullopt);
    EXPECT_EQ(bank::decodeEraDate("000105", near), std::nullopt);
}
