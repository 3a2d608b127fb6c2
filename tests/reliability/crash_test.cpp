// Each writing operation runs in its own process on a long history and is killed with SIGKILL at many
// moments spread over its run. Whatever the moment, the two files must afterwards hold together
// exactly the state before the operation or exactly the state after it (never one file before and
// the other after), pass SQLite's integrity check and obey the balance rule over the whole history.
// The save and the row deletion write both files, so their commits are two-file commits.

#include "reliability/history.h"
#include "reliability/process.h"

#include "app/FrmDorivan.h"
#include "app/grid/work_table_model.h"
#include "app/pages/schedule_page.h"
#include "schedule/draft.h"
#include "storage/database.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace reliability;

namespace {

constexpr int kEvenPoints = 50;
constexpr int kKillPoints = 70;

// A journal the engine must play back: one whose header has been written. A journal whose header is
// still zero was cut off before anything reached the database file and is ignored by the engine.
bool isHotJournal(const QString& journal)
{
    QFile f(journal);
    char first = 0;
    return f.open(QIODevice::ReadOnly) && f.read(&first, 1) == 1 && first != 0;
}

// A kill does not lose what the kernel already holds, so the runs may live in memory, where the
// hundreds of commits and copies cost no disk flushes.
QString scratchTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/dorivan-crash-XXXXXX");
}

struct Digests
{
    QByteArray permanent;
    QByteArray work;
    friend bool operator==(const Digests&, const Digests&) = default;
};

struct Tally
{
    int before = 0;
    int after = 0;
    int hotJournal = 0;
};

class CrashSafety : public ::testing::Test
{
protected:
    void runKillTest(Operation op)
    {
        ASSERT_TRUE(m_root.isValid());
        const QString seed = m_root.filePath(QStringLiteral("seed"));
        prepareFolder(seed, op);
        Digests before;
        {
            auto db = Database::open(permanentFile(seed), workFile(seed));
            before = {permanentDigest(*db), workDigest(*db)};
            ASSERT_EQ(balanceRuleViolation(*db), QString());
        }

        // One run to the end gives the after-state and how long the operation takes.
        const QString full = m_root.filePath(QStringLiteral("full"));
        copyFolder(seed, full);
        const DriverRun complete = runDriverToEnd(operationName(op), full);
        ASSERT_TRUE(complete.finished) << complete.output.toStdString();
        Digests after;
        {
            auto db = Database::open(permanentFile(full), workFile(full));
            after = {permanentDigest(*db), workDigest(*db)};
            ASSERT_EQ(balanceRuleViolation(*db), QString());
        }
        ASSERT_NE(before.permanent, after.permanent) << "the operation changed nothing";
        if (writesBothFiles(op))
            ASSERT_NE(before.work, after.work) << "the operation left the work file alone";
        else
            ASSERT_EQ(before.work, after.work);

        // Evenly spread points that run a little past the measured end, so late kills meet a finished
        // operation, and more points around the end, where the commit writes the files.
        Tally tally;
        const qint64 d = complete.micros;
        for (int i = 0; i < kKillPoints; ++i) {
            const qint64 micros =
                i < kEvenPoints ? d * 6 / 5 * i / (kEvenPoints - 1)
                                : d * 4 / 5 + d * 2 / 5 * (i - kEvenPoints) / (kKillPoints - kEvenPoints - 1);
            const auto delay = std::chrono::microseconds(micros);
            const QString folder = m_root.filePath(QStringLiteral("run%1").arg(i));
            copyFolder(seed, folder);
            ASSERT_TRUE(runDriverAndKill(operationName(op), folder, delay)) << "kill point " << i;
            checkAfterCrash(folder, before, after, i, tally);
            QDir(folder).removeRecursively();
            if (HasFatalFailure())
                return;
        }
        std::printf("%s: %d kill points in %lld us: %d before, %d after, %d with a hot journal\n",
                    operationName(op).toUtf8().constData(), kKillPoints,
                    static_cast<long long>(complete.micros), tally.before, tally.after, tally.hotJournal);
        RecordProperty("before", tally.before);
        RecordProperty("after", tally.after);
        RecordProperty("hotJournal", tally.hotJournal);
    }

    static void checkAfterCrash(const QString& folder, const Digests& before, const Digests& after, int point,
                                Tally& tally)
    {
        SCOPED_TRACE("kill point " + std::to_string(point));
        const QString journal = permanentFile(folder) + QStringLiteral("-journal");
        const QString workJournal = workFile(folder) + QStringLiteral("-journal");
        if (isHotJournal(journal) || isHotJournal(workJournal))
            ++tally.hotJournal;
        std::unique_ptr<Database> db;
        try {
            db = Database::open(permanentFile(folder), workFile(folder));
        } catch (const StorageError& e) {
            FAIL() << "the folder does not open after the kill: " << e.what();
        }
        // Opening read both files, which is where a half-done transaction is rolled back.
        EXPECT_FALSE(isHotJournal(journal));
        EXPECT_FALSE(isHotJournal(workJournal));
        ASSERT_EQ(integrityCheck(*db), QStringLiteral("ok"));
        const Digests found{permanentDigest(*db), workDigest(*db)};
        ASSERT_TRUE(found.permanent == before.permanent || found.permanent == after.permanent)
            << "the permanent file is neither before nor after";
        ASSERT_TRUE(found.work == before.work || found.work == after.work)
            << "the work file is neither before nor after";
        ASSERT_TRUE(found == before || found == after) << "one file is before and the other after";
        (found == before ? tally.before : tally.after)++;
        ASSERT_EQ(balanceRuleViolation(*db), QString());
    }

    QTemporaryDir m_root{scratchTemplate()};
};

} // namespace

TEST_F(CrashSafety, SaveOfAMonthIsAllOrNothing)
{
    runKillTest(Operation::Save);
}

TEST_F(CrashSafety, LineDeleteIsAllOrNothing)
{
    runKillTest(Operation::LineDelete);
}

TEST_F(CrashSafety, PayerMasterSaveIsAllOrNothing)
{
    runKillTest(Operation::PayerMaster);
}

TEST_F(CrashSafety, AllDeleteIsAllOrNothing)
{
    runKillTest(Operation::deleteAllData);
}

// The Access import puts its new files in place by renames. Killed right after any step of that swap,
// the next start finds the complete old pair or the complete new pair, and nothing else of the swap.
TEST_F(CrashSafety, AnAccessImportKilledAtAnyStepOfItsSwapLeavesTheOldOrTheNewFiles)
{
    ASSERT_TRUE(m_root.isValid());
    const QString seed = m_root.filePath(QStringLiteral("seed"));
    ASSERT_TRUE(QDir().mkpath(seed));
    Digests before;
    {
        auto db = Database::open(permanentFile(seed), workFile(seed));
        seedStoredRows(*db, {{QDate(2023, 4, 1), 1, QStringLiteral("既存"), yen(5), yen(0), yen(5)}});
        before = {permanentDigest(*db), workDigest(*db)};
    }
    const QString source = QStringLiteral(DORIVAN_LEGACY_DATA "/small");
    const auto import = [&](const QString& folder, int step) {
        copyFolder(seed, folder);
        QProcess driver;
        driver.start(driverPath(), {QStringLiteral("import-and-die"), QStringLiteral(DORIVAN_EXECUTABLE),
                                    source, folder, QString::number(step)});
        driver.waitForFinished(120000);
        return QString::fromUtf8(driver.readAllStandardOutput()).trimmed() == QLatin1String("done");
    };
    const QString full = m_root.filePath(QStringLiteral("full"));
    ASSERT_TRUE(import(full, 0));
    Digests after;
    {
        auto db = Database::open(permanentFile(full), workFile(full));
        after = {permanentDigest(*db), workDigest(*db)};
    }
    ASSERT_NE(before.permanent, after.permanent);

    Tally tally;
    int step = 1;
    for (;; ++step) {
        SCOPED_TRACE("killed after step " + std::to_string(step));
        const QString folder = m_root.filePath(QStringLiteral("step%1").arg(step));
        if (import(folder, step))
            break;
        // The start of a command-line task, which completes the swap before it opens the files.
        QProcess start;
        start.start(QStringLiteral(DORIVAN_EXECUTABLE),
                    {QStringLiteral("--data-dir"), folder, QStringLiteral("--export-csv"),
                     m_root.filePath(QStringLiteral("out.csv"))});
        ASSERT_TRUE(start.waitForFinished(60000));
        ASSERT_EQ(start.exitCode(), 0) << start.readAllStandardError().toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QStringLiteral("Dorivan.mdb"), QStringLiteral("DorivanWork.mdb")}));
        auto db = Database::open(permanentFile(folder), workFile(folder));
        const Digests found{permanentDigest(*db), workDigest(*db)};
        ASSERT_TRUE(found == before || found == after) << "the files are neither the old nor the new pair";
        (found == before ? tally.before : tally.after)++;
        db.reset();
        QDir(folder).removeRecursively();
    }
    // Each side of the swap was met: kills before the first move and kills after it.
    EXPECT_GT(tally.before, 0);
    EXPECT_GT(tally.after, 0);
    EXPECT_GE(step, 6);
}

// Typed work lives in the work file from the moment it is typed: a window killed before 登録 offers it
// back at the next start, and saving it then stores exactly what was typed.
TEST(WindowKill, TypedWorkIsOfferedBackAfterTheProcessIsKilledAndSavedAsTyped)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.path() + QStringLiteral("/data");
    QDir().mkpath(folder);
    {
        auto db = Database::open(permanentFile(folder), workFile(folder));
        seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                             {QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(1000), yen(0), yen(1100)},
                             {QDate(2024, 5, 9), 2, QStringLiteral("乙社"), yen(300), yen(0), yen(1400)}});
    }
    QProcess driver;
    driver.start(driverPath(), {QStringLiteral("type-and-die"), folder});
    ASSERT_TRUE(driver.waitForFinished(120000));
    EXPECT_EQ(driver.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(QString::fromUtf8(driver.readAllStandardOutput()).trimmed(), QStringLiteral("typed"))
        << driver.readAllStandardError().toStdString();

    auto prompts = std::make_shared<ScriptedPrompts>();
    {
        ScopedDialogAnswers answers(*prompts, {true});
        FrmDorivan window(folder, prompts);
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().title, QStringLiteral("入力の復元"));
        EXPECT_EQ(answers.last().message,
                  QStringLiteral("前回登録されていない入力があります（2024年5月）。復元しますか？"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultYes);
        ASSERT_TRUE(window.schedulePage().hasUnsavedEdits());
        EXPECT_EQ(window.schedulePage().workMonth(), QDate(2024, 5, 1));
        const auto* rows = window.findChild<WorkTableModel*>(QStringLiteral("datInp"));
        EXPECT_EQ(rows->value(2, rows->columnIndex(QStringLiteral("入金先名"))).toText(),
                  QStringLiteral("停電商事"));
        ASSERT_TRUE(window.schedulePage().saveMonth());
    }
    auto db = Database::open(permanentFile(folder), workFile(folder));
    EXPECT_EQ(readStoredRows(*db),
              (std::vector<StoredRow>{
                  {QDate(2024, 4, 30), 1, QStringLiteral("前月"), yen(100), yen(0), yen(100)},
                  {QDate(2024, 5, 2), 1, QStringLiteral("甲社"), yen(1250), yen(0), yen(1350)},
                  {QDate(2024, 5, 9), 2, QStringLiteral("乙社"), yen(300), yen(0), yen(1650)},
                  {QDate(2024, 5, 20), 3, QStringLiteral("停電商事"), yen(5000), yen(1200), yen(5450)}}));
    EXPECT_EQ(schedule::MonthDraft::pendingMonth(*db), std::nullopt) << "nothing is left to restore";
}
