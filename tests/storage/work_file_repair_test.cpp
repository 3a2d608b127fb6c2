#include "storage/work_file_repair.h"

#include "hints/hint_store.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QDateTime kAt(QDate(2024, 5, 1), QTime(10, 15, 0));

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Hints first, so they sit in the early pages; then enough working rows to fill many pages after them.
void fillWorkFile(Database& db)
{
    hints::saveHint(db, QStringLiteral("FrmDorivan"), QStringLiteral("cmdHint"), QStringLiteral("入金予定表"),
                    QStringLiteral("月を選んでください。"));
    hints::saveHint(db, QStringLiteral("FrmDorivan"), QStringLiteral("cmdHint1"), QStringLiteral("支払先"),
                    QStringLiteral("支払先の一覧です。\n改行も含みます。"));
    Transaction tx(db);
    for (int i = 1; i <= 400; ++i)
        db.execute("insert into InpWork (行番号, 元行番号, 入金先名) values (?, ?, ?)",
                   {i, i, QString(200, QChar(u'埋'))});
    tx.commit();
}

void overwriteTail(const QString& path, qint64 bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 size = f.size();
    ASSERT_GT(size, bytes * 2);
    f.seek(size - bytes);
    f.write(QByteArray(bytes, '\xa5'));
}

} // namespace

TEST(WorkFileRepair, DamagedWorkFileIsNamedAtStartAndRebuiltWithItsReadableHints)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {QStringLiteral("甲社")});
        fillWorkFile(*db);
    }
    overwriteTail(folder.workPath(), 16384);
    const QByteArray permanentBefore = readAll(folder.permanentPath());

    try {
        folder.open();
        FAIL() << "a damaged work file was accepted";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::NotADatabase);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("DorivanWork.mdb")));
        EXPECT_TRUE(isRebuildableWorkFileError(e, folder.workPath()));
    }

    const WorkFileRebuild rebuilt = rebuildWorkFile(folder.workPath(), kAt);
    EXPECT_EQ(rebuilt.damagedCopy, folder.workPath() + QStringLiteral(".damaged-20240501-101500"));
    EXPECT_TRUE(QFileInfo::exists(rebuilt.damagedCopy));
    EXPECT_EQ(rebuilt.hintsRecovered, 2);

    auto db = folder.open();
    EXPECT_EQ(countRows(*db, QStringLiteral("InpWork")), 0);
    const auto hint = hints::readHint(*db, QStringLiteral("FrmDorivan"), QStringLiteral("cmdHint1"));
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->contents, QStringLiteral("支払先の一覧です。\n改行も含みます。"));
    EXPECT_EQ(hint->formTitle, QStringLiteral("支払先"));
    EXPECT_EQ(sortedPayers(*db), QStringList{QStringLiteral("甲社")});
    db.reset();
    EXPECT_EQ(readAll(folder.permanentPath()), permanentBefore);

    // A second rebuild in the same second keeps the first damaged copy.
    EXPECT_NE(rebuildWorkFile(folder.workPath(), kAt).damagedCopy, rebuilt.damagedCopy);
}

TEST(WorkFileRepair, JunkWorkFileAndItsJournalAreMovedAsideTogether)
{
    TempDataFolder folder;
    folder.open();
    for (const QString& path : {folder.workPath(), folder.workPath() + QStringLiteral("-journal")}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, '\x5a'));
    }
    try {
        folder.open();
        FAIL() << "a junk work file was accepted";
    } catch (const StorageError& e) {
        EXPECT_TRUE(isRebuildableWorkFileError(e, folder.workPath()));
        EXPECT_FALSE(isRebuildableWorkFileError(e, folder.permanentPath()));
    }
    const WorkFileRebuild rebuilt = rebuildWorkFile(folder.workPath(), kAt);
    EXPECT_EQ(rebuilt.hintsRecovered, 0);
    // A journal left beside the new file would be played back into it; beside the damaged copy it is
    // played back (or dropped) when the hints are read.
    EXPECT_FALSE(QFileInfo::exists(folder.workPath() + QStringLiteral("-journal")));
    auto db = folder.open();
    EXPECT_EQ(countRows(*db, QStringLiteral("ClHint")), 0);
}

TEST(WorkFileRepair, AWorkFileWithoutItsTablesIsRebuiltButADamagedPermanentFileIsNot)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        hints::saveHint(*db, QStringLiteral("FrmDorivan"), QStringLiteral("cmdHint2"), QStringLiteral("設定"),
                        QStringLiteral("残すヒント"));
        rawConnection(*db).exec("DROP TABLE work.InpWorkSort");
    }
    try {
        folder.open();
        FAIL() << "a work file without its tables was accepted";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::MissingTable);
        EXPECT_TRUE(isRebuildableWorkFileError(e, folder.workPath()));
    }
    EXPECT_EQ(rebuildWorkFile(folder.workPath(), kAt).hintsRecovered, 1);
    EXPECT_NO_THROW(folder.open());

    QFile permanent(folder.permanentPath());
    ASSERT_TRUE(permanent.open(QIODevice::WriteOnly | QIODevice::Truncate));
    permanent.write(QByteArray(4096, '\x5a'));
    permanent.close();
    try {
        folder.open();
        FAIL() << "a junk permanent file was accepted";
    } catch (const StorageError& e) {
        EXPECT_FALSE(isRebuildableWorkFileError(e, folder.workPath()));
        EXPECT_EQ(e.file(), folder.permanentPath());
    }
}
