#include "storage/backup.h"

#include "payers/payer_master.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "storage/rowset.h"

#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Rows of 入金先マスタ in a backup file, read with a connection of its own.
int payersIn(const QString& backupFile)
{
    SQLite::Database copy(backupFile.toStdString(), SQLite::OPEN_READONLY);
    return copy.execAndGet("SELECT count(*) FROM 入金先マスタ").getInt();
}

struct BackupFixture
{
    TempDataFolder folder;
    std::unique_ptr<Database> db = folder.open();
    QString backupFolder = folder.path() + QStringLiteral("backup");
    QDateTime now{QDate(2024, 5, 1), QTime(9, 30)};
    QStringList failures;

    BackupFixture()
    {
        db->setBackupFolder(backupFolder);
        db->backups().setClock([this] { return now; });
        db->backups().setFailureHandler([this](const QString& message) { failures << message; });
    }
    QStringList files() const { return db->backups().existingBackups(); }
};

} // namespace

TEST(DailyBackup, FifteenDaysOfWritesKeepTheFourteenNewestCopies)
{
    BackupFixture f;
    for (int day = 0; day < 15; ++day) {
        f.now = QDateTime(QDate(2024, 5, 1).addDays(day), QTime(9, 0));
        EXPECT_TRUE(payers::addPayer(*f.db, QStringLiteral("客%1").arg(day)));
        // A second write the same day leaves the day's copy as it was: the state before the day began.
        f.now = f.now.addSecs(3600);
        EXPECT_TRUE(payers::addPayer(*f.db, QStringLiteral("客%1の二").arg(day)));
        ASSERT_EQ(f.files().size(), std::min(day + 1, 14)) << "day " << day;
    }
    const QStringList files = f.files();
    EXPECT_EQ(files.first(), QStringLiteral("Dorivan-20240502.mdb"));
    EXPECT_EQ(files.last(), QStringLiteral("Dorivan-20240515.mdb"));
    EXPECT_EQ(payersIn(QDir(f.backupFolder).filePath(files.last())), 28);
    EXPECT_EQ(payersIn(QDir(f.backupFolder).filePath(files.first())), 2);
    EXPECT_TRUE(f.failures.isEmpty());
}

TEST(DailyBackup, CopiesAreOffUntilAFolderIsSetAndNotTakenForReadsOnly)
{
    TempDataFolder folder;
    auto db = folder.open();
    payers::addPayer(*db, QStringLiteral("甲社"));
    EXPECT_FALSE(QFileInfo::exists(folder.path() + QStringLiteral("backup")));
    EXPECT_FALSE(db->backupNow());

    BackupFixture f;
    payers::loadEditingCopy(*f.db); // a transaction on the work file still counts as the day's first write
    EXPECT_EQ(f.files(), QStringList{QStringLiteral("Dorivan-20240501.mdb")});
    f.db->openRowSet("select * from 入金先マスタ");
    f.now = f.now.addDays(1);
    f.db->openRowSet("select * from 入金先マスタ");
    EXPECT_EQ(f.files().size(), 1) << "a read is no write";
}

TEST(DailyBackup, BackupNowAlwaysMakesAFreshCopy)
{
    BackupFixture f;
    seedPayers(*f.db, {QStringLiteral("甲社"), QStringLiteral("乙社")});

    // Before the day's first write it is the day's copy, and the write that follows takes none.
    EXPECT_TRUE(f.db->backupNow());
    EXPECT_EQ(f.files(), QStringList{QStringLiteral("Dorivan-20240501.mdb")});
    settings::deleteAllData(*f.db);
    EXPECT_EQ(f.files().size(), 1);

    // Later that day it is a copy of its own, of the state at that moment.
    seedPayers(*f.db, {QStringLiteral("丙社")});
    f.now = QDateTime(QDate(2024, 5, 1), QTime(17, 45, 12));
    EXPECT_TRUE(f.db->backupNow());
    const QStringList files = f.files();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files.last(), QStringLiteral("Dorivan-20240501-174512.mdb"));
    EXPECT_EQ(payersIn(QDir(f.backupFolder).filePath(files.first())), 2);
    EXPECT_EQ(payersIn(QDir(f.backupFolder).filePath(files.last())), 1);
    EXPECT_TRUE(f.failures.isEmpty());

    // A copy left half-written by a crash is cleared away with the next copy.
    QFile stale(QDir(f.backupFolder).filePath(QStringLiteral("Dorivan-20240430.mdb.tmp")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    f.now = f.now.addDays(1);
    payers::addPayer(*f.db, QStringLiteral("丁社"));
    EXPECT_FALSE(stale.exists());
    EXPECT_EQ(f.files().size(), 3);

    // Asked for by a caller that wants the reason of a failure, a written copy has nothing to say.
    f.now = f.now.addSecs(1);
    EXPECT_EQ(f.db->backups().copyNow(), QString());
    EXPECT_EQ(f.files().size(), 4);
    EXPECT_TRUE(f.failures.isEmpty());
}

TEST(DailyBackup, ACopyThatCannotBeWrittenIsReportedOnceAndTheWriteGoesOn)
{
    BackupFixture f;
    // A file where the folder should be stops even a user who may write anywhere.
    QFile blocker(f.backupFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    EXPECT_TRUE(payers::addPayer(*f.db, QStringLiteral("甲社")));
    EXPECT_TRUE(payers::addPayer(*f.db, QStringLiteral("乙社")));
    EXPECT_EQ(sortedPayers(*f.db), (QStringList{QStringLiteral("乙社"), QStringLiteral("甲社")}));
    ASSERT_EQ(f.failures.size(), 1);
    EXPECT_TRUE(f.failures.first().contains(QStringLiteral("バックアップ")));
    EXPECT_TRUE(f.failures.first().contains(QStringLiteral("Dorivan-20240501.mdb")));

    // The delete-all's copy is told about too, and the answer lets the window decide.
    EXPECT_FALSE(f.db->backupNow());
    EXPECT_EQ(f.failures.size(), 2);
    // Asked for with its reason, the failure goes to the caller only.
    const QString reason = f.db->backups().copyNow();
    EXPECT_TRUE(reason.contains(QStringLiteral("Dorivan-20240501")));
    EXPECT_TRUE(reason.contains(QStringLiteral("フォルダーを作成できません")));
    EXPECT_EQ(f.failures.size(), 2);

    // Without a handler the message waits for the window to fetch it, once.
    f.db->backups().setFailureHandler({});
    f.now = f.now.addDays(1);
    payers::addPayer(*f.db, QStringLiteral("丙社"));
    EXPECT_FALSE(f.db->backups().takeWarning().isEmpty());
    EXPECT_TRUE(f.db->backups().takeWarning().isEmpty());
    EXPECT_EQ(countRows(*f.db, QStringLiteral("入金先マスタ")), 3);
}
