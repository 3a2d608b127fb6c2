#include "storage/backup.h"
#include "storage/database.h"
#include "storage/migrations.h"

#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int versionOf(const QString& path)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    return migrations::readVersion(db, "main");
}

void setVersion(const QString& path, int version)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
    migrations::writeVersion(db, "main", version);
}

// Every row of a select, its columns joined, NULL told apart from an empty text.
QStringList rowsOf(const QString& path, const std::string& select)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement q(db, select);
    QStringList rows;
    while (q.executeStep()) {
        QStringList columns;
        for (int c = 0; c < q.getColumnCount(); ++c)
            columns << (q.getColumn(c).isNull() ? QStringLiteral("<null>")
                                                : QString::fromStdString(q.getColumn(c).getString()));
        rows << columns.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList storedData(const QString& permanentPath)
{
    return rowsOf(permanentPath, "select rowid, * from 入金予定表 order by rowid") +
           rowsOf(permanentPath, "select 入金先名 from 入金先マスタ") +
           rowsOf(permanentPath, "select * from 自社情報");
}

// Each table with its columns, types and defaults: what a new file and an upgraded one must share.
QStringList shapeOf(const QString& path)
{
    return rowsOf(path, "select m.type, m.name, c.name, c.type, c.dflt_value from sqlite_master m"
                        " left join pragma_table_info(m.name) c where m.name not like 'sqlite_%'"
                        " order by m.name, c.cid");
}

} // namespace

TEST(Migrations, APairOfEveryReleaseIsBroughtForwardOnceAfterACopyWithEveryRowKept)
{
    struct Release
    {
        const char* name;
        int format; // of both files
    };
    const int permanentLatest = migrations::permanentFormat().latest();
    const int workLatest = migrations::workFormat().latest();
    TempDataFolder fresh;
    fresh.open();
    for (const Release release : {Release{"1.02", 0}, Release{"1.03", 1}}) {
        SCOPED_TRACE(release.name);
        TempDataFolder folder;
        folder.putReleasedFiles(QString::fromLatin1(release.name));
        const QString backups = folder.path() + QStringLiteral("backup");
        const QStringList stored = storedData(folder.permanentPath());
        ASSERT_EQ(rowsOf(folder.permanentPath(), "select * from 入金予定表").size(), 6);
        const QStringList hints = rowsOf(folder.workPath(), "select * from ClHint");
        ASSERT_EQ(hints.size(), 1);
        const QStringList editingCopy = rowsOf(folder.workPath(), "select * from w入金先マスタ");

        QString copy;
        {
            auto db = Database::open(folder.permanentPath(), folder.workPath(), backups);
            const QString notice = db->takeUpgradeNotice();
            EXPECT_TRUE(notice.contains(
                QStringLiteral("Dorivan.mdb は形式 %1 から形式 %2").arg(release.format).arg(permanentLatest)))
                << notice.toStdString();
            EXPECT_TRUE(notice.contains(
                QStringLiteral("DorivanWork.mdb は形式 %1 から形式 %2").arg(release.format).arg(workLatest)));
            copy = db->backups().lastCopy();
            EXPECT_TRUE(notice.contains(QDir::toNativeSeparators(copy)));
            EXPECT_TRUE(db->takeUpgradeNotice().isEmpty());
            // The draft's tables are there and take rows.
            db->execute("insert into InpWorkDraft (年月, 未登録, 累計) values (?, ?, ?)", {"2026/12", 0, 0});
        }
        EXPECT_EQ(versionOf(folder.permanentPath()), permanentLatest);
        EXPECT_EQ(versionOf(folder.workPath()), workLatest);
        // Every earlier column keeps its values; the payers have no terms, as before.
        EXPECT_EQ(storedData(folder.permanentPath()), stored);
        EXPECT_EQ(
            rowsOf(folder.permanentPath(),
                   "select count(*) from 入金先マスタ where coalesce(フリガナ, 締め日, 支払月, 支払日, 休日,"
                   " 定額, 定額開始, 定額終了) is not null"),
            QStringList{QStringLiteral("0")});
        EXPECT_EQ(rowsOf(folder.permanentPath(), "select 金額 / 10000 from 振込手数料 order by 金額"),
                  QString("110 220 330 440 550 660 770 880").split(QLatin1Char(' ')));
        EXPECT_EQ(rowsOf(folder.workPath(), "select * from ClHint"), hints);
        EXPECT_EQ(rowsOf(folder.workPath(), "select チェック, 入金先名 from w入金先マスタ"), editingCopy);
        // The copy holds the file as the release left it.
        EXPECT_EQ(versionOf(copy), release.format);
        EXPECT_EQ(storedData(copy), stored);

        // An upgraded pair has exactly the tables and columns of a pair made new.
        EXPECT_EQ(shapeOf(folder.permanentPath()), shapeOf(fresh.permanentPath()));
        EXPECT_EQ(shapeOf(folder.workPath()), shapeOf(fresh.workPath()));
        EXPECT_EQ(rowsOf(folder.permanentPath(), "select * from 振込手数料"),
                  rowsOf(fresh.permanentPath(), "select * from 振込手数料"));

        auto again = Database::open(folder.permanentPath(), folder.workPath(), backups);
        EXPECT_TRUE(again->takeUpgradeNotice().isEmpty());
        EXPECT_EQ(QDir(backups).entryList(QDir::Files).size(), 1);
    }
    EXPECT_EQ(versionOf(fresh.permanentPath()), permanentLatest);
    EXPECT_EQ(versionOf(fresh.workPath()), workLatest);
}

TEST(Migrations, FilesAreCheckedForTheTablesOfTheirOwnFormatAndANewerOneIsLeftUntouched)
{
    struct Case
    {
        bool newerWork;
        bool workPresent;
    };
    for (const Case c : {Case{false, true}, Case{true, true}, Case{false, false}}) {
        TempDataFolder folder;
        folder.put102Files();
        if (!c.workPresent)
            QFile::remove(folder.workPath());
        const QString victim = c.newerWork ? folder.workPath() : folder.permanentPath();
        const int latest = (c.newerWork ? migrations::workFormat() : migrations::permanentFormat()).latest();
        setVersion(victim, latest + 1);
        const QByteArray permanentBefore = readAll(folder.permanentPath());
        const QByteArray workBefore = readAll(folder.workPath());
        try {
            Database::open(folder.permanentPath(), folder.workPath(),
                           folder.path() + QStringLiteral("backup"));
            ADD_FAILURE() << "a file of a newer format was opened";
        } catch (const StorageError& e) {
            EXPECT_EQ(e.kind(), StorageError::Kind::NewerFormat);
            EXPECT_EQ(e.file(), victim);
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("形式 %1 の").arg(latest + 1)))
                << e.userMessage().toStdString();
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("形式 %1 まで").arg(latest)));
        }
        EXPECT_EQ(readAll(folder.permanentPath()), permanentBefore);
        EXPECT_EQ(readAll(folder.workPath()), workBefore);
        EXPECT_EQ(QFileInfo::exists(folder.workPath()), c.workPresent);
        EXPECT_FALSE(QFileInfo::exists(folder.path() + QStringLiteral("backup")));
    }

    // A 1.02 work file lacks the draft's tables and is brought forward; one that claims the format
    // of those tables and lacks one is refused by name.
    TempDataFolder folder;
    rawConnection(*folder.open()).exec("DROP TABLE work.InpWorkDraft");
    try {
        folder.open();
        ADD_FAILURE() << "a work file without a table of its format was opened";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::MissingTable);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("InpWorkDraft")));
    }
}

TEST(Migrations, AStepThatFailsLeavesTheFileAtTheFormatBeforeIt)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        migrations::writeVersion(rawConnection(*db), "main", 0);
        migrations::FileFormat format;
        format.steps.push_back({{QStringLiteral("一")}, [](SQLite::Database& c, const std::string& schema) {
                                    c.exec("CREATE TABLE " + schema + ".一 (a)");
                                }});
        format.steps.push_back({{QStringLiteral("二")}, [](SQLite::Database& c, const std::string& schema) {
                                    c.exec("CREATE TABLE " + schema + ".二 (a)");
                                    throw std::runtime_error("half-way");
                                }});
        try {
            migrations::upgrade(*db, "main", folder.permanentPath(), format, 0);
            ADD_FAILURE() << "a failed step was not reported";
        } catch (const StorageError& e) {
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("形式 1 から形式 2 に更新できません")));
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("形式 1 のまま")));
            EXPECT_EQ(e.file(), folder.permanentPath());
        }
    }
    EXPECT_EQ(versionOf(folder.permanentPath()), 1);
    EXPECT_EQ(rowsOf(folder.permanentPath(), "select name from sqlite_master where name in ('一', '二')"),
              QStringList{QStringLiteral("一")});

    // The real work step running into a name it cannot take: the open fails and the file is as it was.
    TempDataFolder old;
    old.put102Files();
    {
        SQLite::Database work(old.workPath().toStdString(), SQLite::OPEN_READWRITE);
        work.exec("CREATE VIEW InpWorkDraft AS SELECT 1");
    }
    const QByteArray workBefore = readAll(old.workPath());
    const QStringList stored = storedData(old.permanentPath());
    try {
        old.open();
        ADD_FAILURE() << "a failed upgrade was not reported";
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("DorivanWork.mdb")));
        EXPECT_EQ(e.file(), old.workPath());
    }
    EXPECT_EQ(readAll(old.workPath()), workBefore);
    EXPECT_EQ(storedData(old.permanentPath()), stored);
}
