#include "app/cli/bank_command.h"
#include "app/cli/command_line.h"
#include "app/cli/folder_lock.h"
#include "bank/bank_samples.h"
#include "storage/database.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QBuffer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2025, 7, 2), QTime(9, 0));

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
};

Outcome matchBank(const QString& folder, const QString& file, bool dryRun = false,
                  const QString& encoding = {})
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    BankCommandOptions options;
    options.dataFolder = folder;
    options.file = file;
    options.dryRun = dryRun;
    options.encoding = encoding;
    Outcome run;
    run.code = runMatchBankCommand(options, kNow, out, err);
    run.out = QString::fromUtf8(out.data());
    run.err = QString::fromUtf8(err.data());
    return run;
}

} // namespace

TEST(BankCommand, PrintsEveryDepositAndAppliesOnlyTheSettledOnesOnce)
{
    TempDataFolder folder;
    std::vector<StoredRow> before;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
        before = readStoredRows(*db);
    }
    const QString file = bank_samples::pathOf(QStringLiteral("furikomi_01_crlf.txt"));

    const Outcome dry = matchBank(folder.path(), file, true);
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.err.isEmpty());
    const QStringList lines = dry.out.split(QStringLiteral("\r\n"));
    // A header, one line per deposit and a second for the transfer that pays two rows, then the last end.
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("取引日,振込依頼人名,金額,判定,入金先名,予定日,予定額,入金額,手数料"));
    EXPECT_EQ(lines[1], QStringLiteral(
                            "2025/06/27,ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ,110000,一致,株式会社山田商事,2025/06/30,110000,110000,"));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",一致,有限会社鈴木工務店,2025/06/30,55000,55000,660")))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(",33000,33000,"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].endsWith(QStringLiteral(",22000,22000,"))) << lines[4].toStdString();
    EXPECT_TRUE(
        lines[8].contains(QStringLiteral(",候補,ノースフーズ株式会社 札幌営業所,2025/06/30,264000,,")))
        << lines[8].toStdString();
    EXPECT_EQ(lines[9], QStringLiteral("2025/06/30,ｷﾑﾗ ｹﾝｼﾞ,8800,不明,,,,,"));
    EXPECT_TRUE(lines[10].isEmpty());
    {
        auto db = folder.open();
        EXPECT_EQ(readStoredRows(*db), before);
        EXPECT_EQ(countRows(*db, QStringLiteral("消込済入金")), 0);
    }

    const Outcome applied = matchBank(folder.path(), file);
    EXPECT_EQ(applied.code, 0);
    EXPECT_EQ(applied.out, dry.out);
    EXPECT_EQ(applied.err, QStringLiteral("入金 6 件を消し込み、7 行の入金額を変更しました。\n"));
    const Outcome again = matchBank(folder.path(), file);
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.out.count(QStringLiteral(",消込済,")), 6);
    EXPECT_EQ(again.err, QStringLiteral("入金 0 件を消し込み、0 行の入金額を変更しました。\n"));
}

TEST(BankCommand, RefusesBadFilesAndOptionsChangingNothing)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
    }
    QTemporaryDir scratch;
    const auto written = [&](const char* name, const QByteArray& bytes) {
        const QString path = scratch.filePath(QString::fromLatin1(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    };
    QByteArray shortRecord = bank_samples::bytesOf(QStringLiteral("furikomi_01_nocrlf.txt"));
    shortRecord.remove(250, 1);
    QByteArray ebcdic = bank_samples::bytesOf(QStringLiteral("furikomi_01_nocrlf.txt"));
    ebcdic[0] = char(0xF1);
    ebcdic[1] = char(0xF0);
    ebcdic[2] = char(0xF1);

    const Outcome cut = matchBank(folder.path(), written("cut.txt", shortRecord));
    EXPECT_EQ(cut.code, 1);
    EXPECT_TRUE(cut.err.contains(QStringLiteral("レコード"))) << cut.err.toStdString();
    EXPECT_TRUE(cut.err.contains(QStringLiteral("何も変更していません")));
    EXPECT_TRUE(cut.out.isEmpty());
    EXPECT_TRUE(
        matchBank(folder.path(), written("ebcdic.txt", ebcdic)).err.contains(QStringLiteral("EBCDIC")));
    // A CSV of a layout never mapped: the window must be asked first.
    const Outcome csv =
        matchBank(folder.path(), bank_samples::pathOf(QStringLiteral("generic_bank_statement.csv")));
    EXPECT_EQ(csv.code, 1);
    EXPECT_TRUE(csv.err.contains(QStringLiteral("列の指定")));
    EXPECT_EQ(matchBank(folder.path(), scratch.filePath(QStringLiteral("none.txt"))).code, 1);
    EXPECT_EQ(matchBank(folder.path(), bank_samples::pathOf(QStringLiteral("furikomi_01_crlf.txt")), false,
                        "latin1")
                  .code,
              1);
    EXPECT_EQ(matchBank(scratch.filePath(QStringLiteral("nodata/")),
                        bank_samples::pathOf(QStringLiteral("furikomi_01_crlf.txt")))
                  .code,
              1);
    {
        auto db = folder.open();
        EXPECT_EQ(countRows(*db, QStringLiteral("消込済入金")), 0);
        EXPECT_EQ(db->sumAmounts("select 入金額 from 入金予定表"), Money());
    }

    // A running copy holds the folder.
    QLockFile running(folderLockPath(folder.path()));
    ASSERT_TRUE(running.tryLock(0));
    EXPECT_EQ(matchBank(folder.path(), bank_samples::pathOf(QStringLiteral("furikomi_01_crlf.txt"))).code, 2);

    // The option belongs to --match-bank alone.
    const CommandLine line = parseCommandLine({QStringLiteral("dorivan"), QStringLiteral("--match-bank"),
                                               QStringLiteral("a.txt"), QStringLiteral("--dry-run")});
    EXPECT_EQ(line.action, CommandAction::RunTask);
    EXPECT_EQ(line.task, QStringLiteral("match-bank"));
    EXPECT_EQ(parseCommandLine({QStringLiteral("dorivan"), QStringLiteral("--export-csv"),
                                QStringLiteral("-"), QStringLiteral("--dry-run")})
                  .action,
              CommandAction::UsageError);
}
