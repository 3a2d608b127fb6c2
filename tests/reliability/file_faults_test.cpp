// The permanent file locked by another process, read-only files and folders, a full disk and a file
// left in write-ahead-log mode: each is told to the user in plain words and changes nothing stored.

#include "reliability/history.h"
#include "reliability/process.h"

#include "payers/payer_master.h"
#include "schedule/draft.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace reliability;

namespace {

const QDate kMay2024(2024, 5, 1);

// A month on screen with a few typed rows, ready to save: the draft the work file holds.
void typeMonth(Database& db, int rows, int nameLength = 8)
{
    schedule::MonthDraft draft;
    draft.clear(db, kMay2024);
    std::vector<schedule::CellChange> typed;
    for (int i = 1; i <= rows; ++i) {
        const std::size_t row = std::size_t(i - 1);
        typed.push_back({row, schedule::k表示日付, Value(QString::number(1 + i % 28))});
        typed.push_back({row, schedule::k日付, Value(QDate(2024, 5, 1 + i % 28))});
        typed.push_back({row, schedule::k入金先名,
                         Value(QStringLiteral("取引先%1").arg(i) + QString(nameLength, QChar(u'名')))});
        typed.push_back({row, schedule::k予定額, Value(yen(1000 * i))});
    }
    draft.setCells(db, typed, Money(), QString());
}

// 登録 of the month the work file holds, as the window does it after a start.
void saveMonth(Database& db)
{
    schedule::MonthDraft draft;
    draft.restore(db);
    draft.save(db);
}

// Stored rows that obey the balance rule, enough of them to fill many pages.
void seedBalancedRows(Database& db, int count)
{
    Money balance;
    std::vector<StoredRow> rows;
    for (int i = 0; i < count; ++i) {
        balance = balance + yen(i);
        rows.push_back({QDate(2024, 1, 1).addDays(i / 10), i % 10 + 1, QStringLiteral("得意先%1").arg(i),
                        yen(i), yen(0), balance});
    }
    Transaction tx(db);
    seedStoredRows(db, rows);
    tx.commit();
}

// Holds an exclusive lock on a file from another process for as long as it lives.
class LockHolder
{
public:
    explicit LockHolder(const QString& file)
    {
        m_process.start(driverPath(), {QStringLiteral("hold-lock"), file});
        m_locked = m_process.waitForStarted() && readLine(m_process) == QLatin1String("locked");
    }
    ~LockHolder() { release(); }
    bool locked() const { return m_locked; }
    void release()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
    bool m_locked = false;
};

} // namespace

TEST(FileFaults, ASaveWhileAnotherProcessLocksTheFileWaitsThenSaysInUseAndALaterSaveWorks)
{
    TempDataFolder folder;
    auto db = folder.open();
    typeMonth(*db, 3);
    const QByteArray stored = permanentDigest(*db);
    const QByteArray work = workDigest(*db);

    LockHolder holder(folder.permanentPath());
    ASSERT_TRUE(holder.locked());
    try {
        saveMonth(*db);
        FAIL() << "the save went through a lock held elsewhere";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::Busy);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("使用中"))) << e.userMessage().toStdString();
    }
    // A start while the lock is held is told the same, not that the file is damaged.
    try {
        folder.open();
        FAIL() << "the files opened through a lock held elsewhere";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::Busy);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("Dorivan.mdb")));
    }
    holder.release();

    EXPECT_EQ(permanentDigest(*db), stored);
    EXPECT_EQ(workDigest(*db), work);
    saveMonth(*db);
    EXPECT_EQ(readStoredRows(*db).size(), 3u);
}

TEST(FileFaults, AFullDiskFailsTheWholeSaveAndChangesNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {QStringLiteral("甲社")});
    typeMonth(*db, 150, 300);
    db->execute(
        "insert into w入金先マスタ (入金先名) select 入金先名 from InpWork where 入金先名 is not null");
    const QByteArray stored = permanentDigest(*db);
    const QByteArray work = workDigest(*db);
    const int pages = rawConnection(*db).execAndGet("PRAGMA main.page_count").getInt();
    rawConnection(*db).exec("PRAGMA main.max_page_count = " + std::to_string(pages));

    for (const bool payerPage : {false, true}) {
        try {
            payerPage ? payers::saveEditingCopy(*db) : saveMonth(*db);
            FAIL() << "a save without room went through";
        } catch (const StorageError& e) {
            EXPECT_EQ(e.kind(), StorageError::Kind::Full);
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("ディスク")));
        }
        EXPECT_EQ(permanentDigest(*db), stored);
        EXPECT_EQ(workDigest(*db), work);
        EXPECT_EQ(integrityCheck(*db), QStringLiteral("ok"));
    }

    rawConnection(*db).exec("PRAGMA main.max_page_count = 1073741823");
    saveMonth(*db);
    EXPECT_EQ(readStoredRows(*db).size(), 150u);
}

TEST(FileFaults, AFileThatRefusesWritesIsToldPlainlyAndNothingChanges)
{
    // The engine's own read-only state, which works whoever runs the test.
    TempDataFolder folder;
    auto db = folder.open();
    seedPayers(*db, {QStringLiteral("甲社")});
    typeMonth(*db, 2);
    const QByteArray stored = permanentDigest(*db);
    rawConnection(*db).exec("PRAGMA query_only = 1");
    try {
        saveMonth(*db);
        FAIL() << "a read-only store took a save";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::ReadOnly);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("読み取り専用")))
            << e.userMessage().toStdString();
    }
    rawConnection(*db).exec("PRAGMA query_only = 0");
    EXPECT_EQ(permanentDigest(*db), stored);
    EXPECT_NO_THROW(saveMonth(*db));
}

TEST(FileFaults, RealPermissionsReadOnlyFilesAndFolderAreNamed)
{
    // As root, permissions stop nobody; the probe then runs as the unprivileged user "nobody".
    const bool asRoot = geteuid() == 0;
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString filesFolder = root.filePath(QStringLiteral("files"));
    const QString dirFolder = root.filePath(QStringLiteral("dir"));
    const QString hotFolder = root.filePath(QStringLiteral("hot"));
    for (const QString& f : {filesFolder, dirFolder, hotFolder}) {
        QDir().mkpath(f);
        Database::open(permanentFile(f), workFile(f));
    }
    seedBalancedRows(*Database::open(permanentFile(hotFolder), workFile(hotFolder)), 3000);
    // A read-only file that a killed writer left with a hot journal cannot be put right.
    QProcess writer;
    writer.start(driverPath(), {QStringLiteral("die-mid-write"), hotFolder});
    writer.waitForFinished();
    auto setMode = [](const QString& path, mode_t mode) {
        ::chmod(QFile::encodeName(path).constData(), mode);
    };
    setMode(root.path(), 0755);
    // Files that refuse writes in a writable folder; writable files in a folder that refuses new files.
    setMode(filesFolder, 0777);
    for (const QString& file :
         {permanentFile(filesFolder), workFile(filesFolder), permanentFile(hotFolder), workFile(hotFolder)})
        setMode(file, 0444);
    setMode(hotFolder, 0777);
    for (const QString& file : {permanentFile(dirFolder), workFile(dirFolder)})
        setMode(file, 0666);
    setMode(dirFolder, 0555);
    // The temporary folder must be removable again, whatever the test ends with.
    const std::shared_ptr<void> restore(nullptr, [&](void*) { setMode(dirFolder, 0755); });

    auto probe = [&](const QString& folder) {
        QProcess process;
        if (asRoot) {
            process.setChildProcessModifier([] {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(3);
            });
        }
        process.start(driverPath(), {QStringLiteral("probe-write"), folder});
        QStringList lines;
        for (QString line = readLine(process); !line.isEmpty(); line = readLine(process))
            lines << line;
        process.waitForFinished();
        return lines;
    };

    const QStringList files = probe(filesFolder);
    if (files.isEmpty() || files.first() == QLatin1String("uid 0"))
        GTEST_SKIP() << "cannot run the probe as an unprivileged user";
    if (files.size() > 1 &&
        files[1].startsWith(QStringLiteral("error %1 ").arg(int(StorageError::Kind::CannotOpen))))
        GTEST_SKIP() << "the unprivileged user cannot reach the temporary folder";
    ASSERT_GE(files.size(), 3) << files.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(files[1], QStringLiteral("open-ok read-only:2"));
    EXPECT_TRUE(files[2].startsWith(QStringLiteral("error %1 ").arg(int(StorageError::Kind::ReadOnly))));
    EXPECT_TRUE(files[2].contains(QStringLiteral("Dorivan.mdb"))) << files[2].toStdString();

    const QStringList dir = probe(dirFolder);
    ASSERT_GE(dir.size(), 3) << dir.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(dir[2].startsWith(QStringLiteral("error %1 ").arg(int(StorageError::Kind::ReadOnly))));
    EXPECT_TRUE(dir[2].contains(QStringLiteral("フォルダー"))) << dir[2].toStdString();

    const QStringList hot = probe(hotFolder);
    ASSERT_GE(hot.size(), 2) << hot.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(hot[1].startsWith(QStringLiteral("error %1 ").arg(int(StorageError::Kind::ReadOnly))))
        << hot[1].toStdString();

    auto db = Database::open(permanentFile(filesFolder), workFile(filesFolder));
    EXPECT_EQ(countRows(*db, QStringLiteral("入金先マスタ")), 0);
}

TEST(FileFaults, AHotJournalLeftByAKilledWriterIsRolledBackWhenTheFilesOpen)
{
    TempDataFolder folder;
    QByteArray permanentBefore;
    QByteArray workBefore;
    {
        auto db = folder.open();
        seedBalancedRows(*db, 3000);
        typeMonth(*db, 200, 100);
        permanentBefore = permanentDigest(*db);
        workBefore = workDigest(*db);
    }
    QProcess writer;
    writer.start(driverPath(), {QStringLiteral("die-mid-write"), folder.path()});
    ASSERT_TRUE(writer.waitForFinished(60000));
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit);
    QFile journal(folder.permanentPath() + QStringLiteral("-journal"));
    QFile workJournal(folder.workPath() + QStringLiteral("-journal"));
    for (QFile* file : {&journal, &workJournal}) {
        ASSERT_TRUE(file->open(QIODevice::ReadOnly)) << file->fileName().toStdString();
        ASSERT_NE(file->read(1), QByteArray(1, '\0'))
            << "the writer left no hot journal: " << file->fileName().toStdString();
        file->close();
    }

    auto db = folder.open();
    EXPECT_FALSE(journal.exists());
    EXPECT_FALSE(workJournal.exists());
    EXPECT_EQ(integrityCheck(*db), QStringLiteral("ok"));
    EXPECT_EQ(permanentDigest(*db), permanentBefore);
    EXPECT_EQ(workDigest(*db), workBefore);
    EXPECT_EQ(balanceRuleViolation(*db), QString());
}

TEST(FileFaults, AFileLeftInWriteAheadLogModeIsPutBackWithItsData)
{
    TempDataFolder original;
    original.open();
    TempDataFolder folder;
    {
        // Another tool switches both files to WAL and is cut off (here: copied while it still runs)
        // with its last row only in the log.
        SQLite::Database other(original.permanentPath().toStdString(), SQLite::OPEN_READWRITE);
        other.exec("PRAGMA journal_mode = WAL");
        other.exec("PRAGMA wal_autocheckpoint = 0");
        other.exec("INSERT INTO 入金先マスタ (入金先名) VALUES ('ログだけの行')");
        SQLite::Database otherWork(original.workPath().toStdString(), SQLite::OPEN_READWRITE);
        otherWork.exec("PRAGMA journal_mode = WAL");
        for (const QString& name : QDir(original.path()).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(original.path() + name, folder.path() + name));
    }
    ASSERT_TRUE(QFileInfo::exists(folder.permanentPath() + QStringLiteral("-wal")));

    auto db = folder.open();
    for (const char* schema : {"main", "work"})
        EXPECT_EQ(
            rawConnection(*db).execAndGet(std::string("PRAGMA ") + schema + ".journal_mode").getString(),
            "delete");
    EXPECT_EQ(sortedPayers(*db), QStringList{QStringLiteral("ログだけの行")});
    EXPECT_FALSE(QFileInfo::exists(folder.permanentPath() + QStringLiteral("-wal")));
    payers::addPayer(*db, QStringLiteral("甲社"));
    EXPECT_EQ(countRows(*db, QStringLiteral("入金先マスタ")), 2);
}
