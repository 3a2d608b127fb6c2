#include "app/cli/command_line.h"
#include "app/cli/terms_command.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QByteArray kPayers("入金先名,フリガナ,締め日,支払月,支払日,休日,定額,定額開始,定額終了\r\n"
                         "\"定額,社\",,末,1,10,後,50000,2026/01,\r\n"
                         "月末,,末,1,末,前,,,\r\n");

struct TaskRun
{
    int code = 0;
    QByteArray out;
    QString err;
};

TaskRun runTask(const TermsCommandOptions& options, const QByteArray& input = {})
{
    QBuffer in;
    QBuffer out;
    QBuffer err;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int code = runTermsCommand(options, in, out, err);
    return {code, out.data(), QString::fromUtf8(err.data())};
}

TermsCommandOptions task(const QString& folder, const QString& name)
{
    TermsCommandOptions options;
    options.task = name;
    options.dataFolder = folder + QLatin1Char('/');
    options.file = QStringLiteral("-");
    return options;
}

} // namespace

TEST(TermsCommand, TheProgramImportsPayersAnswersDueDatesAndPlansWithoutADisplay)
{
    TempDataFolder folder;
    folder.open();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    auto run = [&](QStringList arguments, const QByteArray& input = {}) {
        arguments.prepend(folder.path());
        arguments.prepend(QStringLiteral("--data-dir"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(DORIVAN_EXECUTABLE), arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        return TaskRun{process.exitCode(), process.readAllStandardOutput(),
                       QString::fromUtf8(process.readAllStandardError())};
    };

    TaskRun imported = run({"--import-payers", "-"}, kPayers);
    EXPECT_EQ(imported.code, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.err, "追加 2 件、更新 0 件、変更なし 0 件\n");

    // Closed on 4/30, due on 5/31, a Sunday: the Friday before.
    TaskRun due = run({"--due-date", "月末", "2026-04-15"});
    EXPECT_EQ(due.code, 0);
    EXPECT_EQ(due.out, "2026/05/29\n");

    const QByteArray plan("日付,入金先名,予定額\r\n"
                          "2026/01/13,\"定額,社\",50000\r\n"
                          "2026/02/10,\"定額,社\",50000\r\n");
    TaskRun dryRun = run({"--plan-receipts", "--from", "2026-01", "--to", "2026-02", "--dry-run"});
    EXPECT_EQ(dryRun.code, 0);
    EXPECT_EQ(dryRun.out, plan);
    TaskRun made = run({"--plan-receipts", "--from", "2026-01", "--to", "2026-02"});
    EXPECT_EQ(made.out, plan);
    TaskRun again = run({"--plan-receipts", "--from", "2026-01", "--to", "2026-02"});
    EXPECT_EQ(again.out, "日付,入金先名,予定額\r\n");

    auto db = folder.open();
    EXPECT_EQ(countRows(*db, "入金予定表"), 2);
    EXPECT_EQ(storedBalances(*db).back(), yen(100000));

    // The exported master is the imported file, with its byte-order mark.
    db.reset();
    TaskRun exported = run({"--export-payers", "-"});
    EXPECT_EQ(exported.out, QByteArray("\xEF\xBB\xBF") + kPayers);

    // The date of --due-date is its second word and cannot be left out.
    TaskRun missing = run({"--due-date", "月末"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("PAYER YYYY-MM-DD"));
}

TEST(TermsCommand, BadInputExitsOneStoringNothingAndAHeldFolderTwo)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {"既存"});
    }
    TermsCommandOptions importing = task(folder.path(), "import-payers");
    TaskRun bad = runTask(importing, kPayers + "乙,,末,9,末,,,,\r\n");
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("4行目")) << bad.err.toStdString();

    TermsCommandOptions due = task(folder.path(), "due-date");
    due.payer = "既存";
    due.date = "2026-04-15";
    TaskRun noTerms = runTask(due);
    EXPECT_EQ(noTerms.code, 1);
    EXPECT_TRUE(noTerms.err.contains("既存"));
    due.date = "2026/04/15";
    EXPECT_EQ(runTask(due).code, 1);

    TermsCommandOptions plan = task(folder.path(), "plan-receipts");
    plan.from = "2026-13";
    plan.to = "2026-12";
    EXPECT_EQ(runTask(plan).code, 1);
    plan.from = "2026-12";
    plan.to = "2026-01";
    EXPECT_EQ(runTask(plan).code, 1);

    {
        auto db = folder.open();
        EXPECT_EQ(sortedPayers(*db), QStringList{"既存"});
    }
    QLockFile running(QDir(QFileInfo(folder.path()).canonicalFilePath()).filePath(".dorivan.lock"));
    ASSERT_TRUE(running.tryLock(0));
    EXPECT_EQ(runTask(task(folder.path(), "export-payers")).code, 2);

    // A folder without data is not created by these tasks.
    EXPECT_EQ(runTask(task(folder.path() + "/none", "export-payers")).code, 1);
    EXPECT_FALSE(QFileInfo::exists(folder.path() + "/none"));
}
