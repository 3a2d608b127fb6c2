#include "storage/backup.h"
#include "storage/database.h"
#include "storage/inp_work_layout.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include "support/raw_connection.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QFile>

#include <gtest/gtest.h>

namespace {

void addStored(Database& db, const QString& date, int row, const QString& payer, std::int64_t balanceYen)
{
    db.execute(
        "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, 0, 0, ?)",
        {QDate::fromString(date, QStringLiteral("yyyy/MM/dd")), row, payer, Money::fromYen(balanceYen)});
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(Database, FirstStartCreatesBothFilesAndLaterStartsReuseThem)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        EXPECT_TRUE(QFile::exists(folder.permanentPath()));
        EXPECT_TRUE(QFile::exists(folder.workPath()));
        EXPECT_TRUE(db->openRowSet("select * from 自社情報").isEmpty());
        db->execute("insert into ClHint (FormName, CtlName, FormTitle, Contents) values (?, ?, ?, ?)",
                    {"FrmDorivan", "cmdHint", "t", "keep me"});
    }
    auto db = folder.open();
    RowSet hints = db->openRowSet("select * from ClHint");
    ASSERT_FALSE(hints.isEmpty());
    EXPECT_EQ(hints.get("Contents").toText(), QStringLiteral("keep me"));
}

TEST(Database, FileThatIsNotOursStopsTheStartAndIsLeftUntouched)
{
    for (const bool corruptWork : {false, true}) {
        TempDataFolder folder;
        folder.open(); // a good pair first
        const QString victim = corruptWork ? folder.workPath() : folder.permanentPath();
        QByteArray junk(8192, '\x5a');
        junk.replace(0, 6, "junk!!");
        {
            QFile f(victim);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(junk);
        }
        try {
            folder.open();
            FAIL() << "a file of junk was accepted";
        } catch (const StorageError& e) {
            EXPECT_EQ(e.kind(), StorageError::Kind::NotADatabase);
            EXPECT_TRUE(e.userMessage().contains(corruptWork ? QStringLiteral("DorivanWork.mdb")
                                                             : QStringLiteral("Dorivan.mdb")));
        }
        EXPECT_EQ(readAll(victim), junk);
    }
}

TEST(Database, DatabaseWithoutATableIsRefusedByName)
{
    TempDataFolder folder;
    rawConnection(*folder.open()).exec("DROP TABLE main.入金先マスタ");
    const QByteArray before = readAll(folder.permanentPath());
    try {
        folder.open();
        FAIL() << "a file without its tables was accepted";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::MissingTable);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("入金先マスタ")));
    }
    EXPECT_EQ(readAll(folder.permanentPath()), before);
}

TEST(Database, BoundDatesAndTheTwoSchemasReadAsTheStatementsExpect)
{
    TempDataFolder folder;
    auto db = folder.open();

    // Sums over no rows are nothing; count is a number.
    EXPECT_TRUE(db->readTotal("select sum(予定額) as total from InpWork").isNull());
    EXPECT_EQ(db->readTotal("select count(*) as total from InpWork").toInt64(), 0);

    // A bound date compares with the stored ISO text: the last row before a day is the highest row
    // number of the latest earlier date.
    addStored(*db, "2005/11/30", 3, "A", 100);
    addStored(*db, "2005/11/30", 7, "B", 200);
    addStored(*db, "2005/12/01", 1, "C", 300);
    RowSet last =
        db->openRowSet("select * from 入金予定表 where 日付 < ? order by 日付 desc, 行番号 desc limit 1",
                       {QDate(2005, 12, 1)});
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last.get("行番号").toInt64(), 7);
    EXPECT_EQ(last.get("残高").toMoney(), Money::fromYen(200));
    EXPECT_EQ(db->openRowSet("select * from 入金予定表 where 日付 >= ? and 日付 <= ?",
                             {QDate(2005, 11, 30), QDate(2005, 11, 30)})
                  .size(),
              2u);

    // A name with a quote in it matches exactly; a trailing blank makes another name.
    addStored(*db, "2005/12/02", 2, "O'Brien 商店", 0);
    const std::string byDayAndName = "select * from 入金予定表 where 日付 = ? and 入金先名 = ?";
    EXPECT_EQ(db->openRowSet(byDayAndName, {QDate(2005, 12, 2), "O'Brien 商店"}).size(), 1u);
    EXPECT_TRUE(db->openRowSet(byDayAndName, {QDate(2005, 12, 2), "O'Brien 商店 "}).isEmpty());
    EXPECT_EQ(db->execute("delete from 入金予定表 where 日付 = ? and 行番号 = ? and 入金先名 = ?",
                          {QDate(2005, 12, 2), 2, "O'Brien 商店"}),
              1);

    // Copies between the files name the schemas the two files are attached under.
    db->execute("insert into 入金先マスタ (入金先名) values (?)", {"乙社"});
    db->execute("insert into 入金先マスタ (入金先名) values (?)", {"甲社"});
    db->execute("insert into work.w入金先名 select 入金先名 from main.入金先マスタ order by 入金先名");
    EXPECT_EQ(db->readTotal("select count(*) as total from w入金先名").toInt64(), 2);
    db->execute("insert into w入金先マスタ (チェック, 入金先名) values (1, ?)", {"丙社"});
    db->execute("insert into main.入金先マスタ (入金先名) select 入金先名 from work.w入金先マスタ");
    EXPECT_EQ(db->readTotal("select count(*) as total from 入金先マスタ").toInt64(), 3);
    EXPECT_THROW(db->execute("insert into w入金先名 select 入金先名 from work.入金先マスタ"), StorageError);
}

TEST(Database, StatementsThatWouldReadOtherwiseAreRefused)
{
    TempDataFolder folder;
    auto db = folder.open();
    const std::string byDay = "select * from 入金予定表 where 日付 = ?";
    for (int pass = 0; pass < 2; ++pass) {
        // A placeholder without its value would read as null; refused every time, not only the first.
        for (const Params& wrong : {Params{}, Params{QDate(2005, 12, 1), 1}}) {
            try {
                db->openRowSet(byDay, wrong);
                FAIL() << "a wrong number of values was accepted";
            } catch (const StorageError& e) {
                EXPECT_EQ(e.kind(), StorageError::Kind::BadStatement);
            }
        }
        // SQLite would prepare only the first statement and leave the second unrun.
        try {
            db->execute("delete from InpWork; delete from 入金予定表");
            FAIL() << "a second statement was accepted";
        } catch (const StorageError& e) {
            EXPECT_EQ(e.kind(), StorageError::Kind::BadStatement);
        }
    }
    EXPECT_EQ(db->execute("delete from InpWork ;; "), 0);
}

TEST(Database, RowSetEditsAndAddsRowsAndRefusesMisuse)
{
    TempDataFolder folder;
    auto db = folder.open();
    RowSet work = db->openTable("InpWork");
    ASSERT_TRUE(work.isEmpty());
    for (int i = 1; i <= 3; ++i) {
        work.addNew();
        work.set("行番号", i);
        work.set("元行番号", i);
        work.update();
    }
    work.close();

    RowSet rows = db->openTable("InpWork", "order by 行番号");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.columns().front(), QStringLiteral("行番号")); // the row id is not a column of the set
    EXPECT_EQ(rows.get("予定額").toMoney(), Money());            // the table's default
    EXPECT_TRUE(rows.get("日付").isNull());
    rows.moveNext();
    rows.edit();
    rows.set("日付", QDate(2024, 5, 7));
    rows.set("入金先名", "Ｔ社");
    EXPECT_EQ(rows.get("入金先名").toText(), QStringLiteral("Ｔ社")); // a pending edit reads back
    rows.update();
    rows.moveNext();
    rows.moveNext();
    EXPECT_TRUE(rows.atEnd());
    EXPECT_THROW(rows.get("行番号"), StorageError);
    EXPECT_THROW(rows.edit(), StorageError);
    rows.moveFirst();
    EXPECT_THROW(rows.get("no such column"), StorageError);

    RowSet again = db->openRowSet("select * from InpWork where 行番号 = ?", {2});
    EXPECT_EQ(again.get("日付").toDate(), QDate(2024, 5, 7));
    EXPECT_EQ(again.get("入金先名").toText(), QStringLiteral("Ｔ社"));
    // A select is read to look at, even of a single table.
    EXPECT_THROW(again.edit(), StorageError);
    EXPECT_THROW(again.addNew(), StorageError);
}

TEST(Database, TransactionsStoreAllOrNothingAcrossBothFiles)
{
    TempDataFolder folder;
    auto db = folder.open();
    try {
        Transaction tx(*db);
        db->execute("insert into 入金先マスタ (入金先名) values ('A')");
        db->execute("insert into w入金先名 (入金先名) values ('A')");
        {
            Transaction inner(*db);
            db->execute("insert into 入金先マスタ (入金先名) values ('B')");
            inner.commit();
        }
        db->execute("insert into no_such_table values (1)");
        tx.commit();
        FAIL() << "the faulty statement was accepted";
    } catch (const StorageError&) {
    }
    EXPECT_EQ(db->readTotal("select count(*) as total from 入金先マスタ").toInt64(), 0);
    EXPECT_EQ(db->readTotal("select count(*) as total from w入金先名").toInt64(), 0);

    {
        Transaction tx(*db);
        db->execute("insert into 入金先マスタ (入金先名) values ('A')");
        {
            Transaction inner(*db);
            db->execute("insert into 入金先マスタ (入金先名) values ('B')");
            // left without commit: only the inner unit is undone
        }
        tx.commit();
    }
    RowSet names = db->openRowSet("select * from 入金先マスタ order by 入金先名;");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names.get("入金先名").toText(), QStringLiteral("A"));
}

TEST(Database, AmountsSumExactlyAndASumPastTheRangeIsReportedNotWrapped)
{
    TempDataFolder folder;
    auto db = folder.open();
    const std::string planned = "select 予定額 from InpWork";
    EXPECT_EQ(db->sumAmounts(planned), Money());
    db->execute("insert into InpWork (行番号, 元行番号, 予定額) values (1, 1, ?)",
                {Money::fromRaw(INT64_MAX - 1)});
    db->execute("insert into InpWork (行番号, 元行番号, 予定額) values (2, 2, null)");
    // Past 2^53 a sum in doubles would lose the last units.
    EXPECT_EQ(db->sumAmounts(planned), Money::fromRaw(INT64_MAX - 1));
    db->execute("insert into InpWork (行番号, 元行番号, 予定額) values (3, 3, ?)", {Money::fromRaw(1)});
    EXPECT_EQ(db->sumAmounts(planned), Money::fromRaw(INT64_MAX));
    db->execute("insert into InpWork (行番号, 元行番号, 予定額) values (4, 4, ?)", {Money::fromRaw(1)});
    try {
        db->sumAmounts(planned);
        FAIL() << "the overflowing sum was accepted";
    } catch (const StorageError& e) {
        EXPECT_EQ(e.kind(), StorageError::Kind::Overflow);
    }
    // The statement is left ready for the next sum.
    db->execute("update InpWork set 予定額 = ? where 行番号 = 1", {Money::fromYen(5)});
    EXPECT_EQ(db->sumAmounts(planned), Money::fromYen(5) + Money::fromRaw(2));
}

TEST(Database, AUnitLocksOnlyTheFilesItWrites)
{
    TempDataFolder folder;
    auto db = folder.open();
    // Another connection is in the middle of writing the permanent file.
    SQLite::Database other(folder.permanentPath().toStdString(), SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    other.exec("INSERT INTO 入金先マスタ (入金先名) VALUES ('他')");

    // A unit of the work file alone neither waits for it nor fails.
    {
        Transaction tx(*db);
        db->execute("insert into InpWork (行番号, 元行番号) values (1, 1)");
        tx.commit();
    }
    EXPECT_EQ(db->readTotal("select count(*) as total from InpWork").toInt64(), 1);

    other.exec("COMMIT");
    // With the day's copy due, the unit takes its locks at once and copies first.
    db->setBackupFolder(folder.path() + QStringLiteral("backup"));
    EXPECT_TRUE(db->copyDueBeforeWrite());
    {
        Transaction tx(*db);
        db->execute("insert into InpWork (行番号, 元行番号) values (2, 2)");
        tx.commit();
    }
    EXPECT_FALSE(db->copyDueBeforeWrite());
    EXPECT_EQ(db->backups().existingBackups().size(), 1);
}

TEST(Database, AStatementUsedAgainTakesItsNewValues)
{
    TempDataFolder folder;
    auto db = folder.open();
    addStored(*db, "2005/11/30", 1, "A", 100);
    addStored(*db, "2005/12/01", 2, "B", 200);

    const std::string byDay = "select * from 入金予定表 where 日付 = ? order by 日付, 行番号";
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(db->openRowSet(byDay, {QDate(2005, 11, 30)}).get("入金先名").toText(), QStringLiteral("A"));
        EXPECT_EQ(db->openRowSet(byDay, {QDate(2005, 12, 1)}).get("入金先名").toText(), QStringLiteral("B"));
        EXPECT_TRUE(db->openRowSet(byDay, {QDate(2005, 12, 2)}).isEmpty());
        const std::string payerOf = "select 入金先名 from 入金予定表 where 日付 = ?";
        EXPECT_EQ(db->readFirst(payerOf, {QDate(2005, 12, 1)}).toText(), QStringLiteral("B"));
        EXPECT_TRUE(db->readFirst(payerOf, {QDate(2005, 12, 2)}).isNull());
    }
}

TEST(Database, AWalkLeftBeforeItsLastRowLetsOtherProgramsWrite)
{
    TempDataFolder folder;
    auto db = folder.open();
    for (const char* name : {"甲", "乙", "丙"})
        db->execute("insert into 入金先マスタ (入金先名) values (?)", {Value(QString::fromUtf8(name))});
    const std::string select = "select 入金先名 from 入金先マスタ order by 入金先名";
    {
        RowWalk names(*db, select);
        ASSERT_TRUE(names.next());
    }
    // A statement left on a row would keep its read lock, and another program's write would fail busy.
    SQLite::Database other(folder.permanentPath().toStdString(), SQLite::OPEN_READWRITE);
    EXPECT_NO_THROW(other.exec("insert into 入金先マスタ (入金先名) values ('丁')"));

    RowWalk again(*db, select);
    int count = 0;
    while (again.next())
        ++count;
    EXPECT_EQ(count, 4);
    // A missing value is refused before any row is read.
    EXPECT_THROW(RowWalk(*db, "select * from 入金先マスタ where 入金先名 = ?"), StorageError);
}

TEST(Database, AWalkReadsEachColumnInTheFormItIsStoredIn)
{
    TempDataFolder folder;
    auto db = folder.open();
    db->execute(
        "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, ?, ?, ?)",
        {QDate(2024, 5, 2), 7, QStringLiteral("山田商店"), Money::fromRaw(12345), Value(), Value()});
    // Another tool may have written an amount as text or as a real.
    db->execute(
        "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額) values (?, 8, '', '千円', 2.5)",
        {QDate(2024, 5, 3)});
    RowWalk rows(*db, "select 日付, 行番号, 入金先名, 予定額, 入金額 from 入金予定表 order by 行番号");
    ASSERT_EQ(rows.columnCount(), 5);
    EXPECT_EQ(rows.columnName(2), QStringLiteral("入金先名"));

    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.text(0), "2024-05-02");
    EXPECT_EQ(rows.integer(1), 7);
    EXPECT_EQ(rows.text(2), "山田商店");
    EXPECT_EQ(rows.amount(3), Money::fromRaw(12345));
    EXPECT_TRUE(rows.isNull(4));
    EXPECT_EQ(rows.amount(4), Money());
    EXPECT_EQ(rows.value(4), Value());

    ASSERT_TRUE(rows.next());
    EXPECT_FALSE(rows.isNull(2));
    EXPECT_TRUE(rows.text(2).empty());
    EXPECT_EQ(rows.amount(3), Money());
    EXPECT_EQ(rows.amount(4), Money::fromRaw(3));
    EXPECT_FALSE(rows.next());
}

TEST(Database, TheWorkTablesTakeTheirColumnsFromTheInpWorkLayout)
{
    TempDataFolder folder;
    auto db = folder.open();
    std::vector<QString> layout;
    for (const ColumnLayout& column : kInpWorkLayout)
        layout.push_back(QString::fromUtf8(column.name.data(), qsizetype(column.name.size())));
    for (const char* table : {"InpWork", "InpWorkSort", "InpWork印刷"}) {
        EXPECT_EQ(db->openRowSet(std::string("select * from ") + table + " limit 0").columns(), layout)
            << table;
        // A blank row must read 0 in its amounts.
        db->execute(std::string("insert into ") + table + " default values");
        RowWalk row(*db, std::string("select 予定額, 入金額, 残高, 日付 from ") + table);
        ASSERT_TRUE(row.next());
        EXPECT_EQ(row.value(0), Value(0));
        EXPECT_EQ(row.value(1), Value(0));
        EXPECT_EQ(row.value(2), Value(0));
        EXPECT_TRUE(row.isNull(3));
    }
}
