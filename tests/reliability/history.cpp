#include "reliability/history.h"

#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "schedule/draft.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include "support/raw_connection.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace reliability {

namespace {

constexpr int kRowsPerDay = 6;

const QDate kFirstDay(2000, 1, 1);

void seedHistory(Database& db)
{
    Transaction tx(db);
    Money balance;
    int rowInMonth = 0;
    int month = 0;
    for (int i = 0; i < kHistoryRows; ++i) {
        const QDate day = kFirstDay.addDays(i / kRowsPerDay);
        if (day.month() != month) {
            month = day.month();
            rowInMonth = 0;
        }
        const Money planned = Money::fromYen(1000 + (std::int64_t(i) * 7919) % 50000);
        const Money received = Money::fromYen((std::int64_t(i) * 104729) % 40000);
        balance = balance + planned - received;
        db.execute(
            "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, ?, ?, ?)",
            {Value(day), Value(++rowInMonth),
             Value(QStringLiteral("得意先%1").arg(i % 97, 2, 10, QLatin1Char('0'))), Value(planned),
             Value(received), Value(balance)});
    }
    for (int i = 0; i < kMasterPayers; ++i)
        db.execute("insert into 入金先マスタ (入金先名) values (?)",
                   {Value(QStringLiteral("入金先%1").arg(i, 4, 10, QLatin1Char('0')))});
    tx.commit();
    settings::saveSettingsRecord(db, settings::SettingsRecord{settings::kJapaneseEra, false, 0x336699});
}

// The month on screen with its first amount changed and one new row typed below the stored ones, as
// the draft keeps them in the work file.
void prepareEditedMonth(Database& db, schedule::MonthDraft& draft)
{
    const auto load = draft.load(db, kEditedMonth);
    if (!load)
        throw std::runtime_error("the edited month did not load");
    const std::size_t added = std::size_t(load->storedRows);
    draft.setCells(db,
                   {{0, schedule::k予定額, Value(*draft.rows()[0].予定額 + Money::fromYen(12345))},
                    {added, schedule::k表示日付, Value(QStringLiteral("15"))},
                    {added, schedule::k日付, Value(kEditedMonth.addDays(14))},
                    {added, schedule::k入金先名, Value(QStringLiteral("新規取引先"))},
                    {added, schedule::k予定額, Value(Money::fromYen(777))}},
                   load->繰越額, QString());
}

// The payer page after editing: every other name removed and as many new ones typed.
void prepareEditedPayers(Database& db)
{
    payers::loadEditingCopy(db);
    Transaction tx(db);
    db.execute("delete from w入金先マスタ where rowid % 2 = 0");
    for (int i = 0; i < kMasterPayers / 2; ++i)
        db.execute("insert into w入金先マスタ (入金先名) values (?)",
                   {Value(QStringLiteral("支払先%1").arg(i, 4, 10, QLatin1Char('0')))});
    tx.commit();
}

} // namespace

QString operationName(Operation op)
{
    switch (op) {
    case Operation::Save:
        return QStringLiteral("save");
    case Operation::LineDelete:
        return QStringLiteral("line-delete");
    case Operation::PayerMaster:
        return QStringLiteral("payer-master");
    case Operation::deleteAllData:
        return QStringLiteral("all-delete");
    }
    return {};
}

std::optional<Operation> operationFromName(const QString& name)
{
    for (Operation op :
         {Operation::Save, Operation::LineDelete, Operation::PayerMaster, Operation::deleteAllData}) {
        if (operationName(op) == name)
            return op;
    }
    return std::nullopt;
}

QString permanentFile(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("Dorivan.mdb"));
}

QString workFile(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("DorivanWork.mdb"));
}

void prepareFolder(const QString& folder, Operation op)
{
    QDir().mkpath(folder);
    auto db = Database::open(permanentFile(folder), workFile(folder));
    seedHistory(*db);
    switch (op) {
    case Operation::Save: {
        schedule::MonthDraft draft;
        prepareEditedMonth(*db, draft);
        if (draft.insertRow(*db, 1) != schedule::InsertResult::Inserted)
            throw std::runtime_error("no row could be opened in the edited month");
        break;
    }
    case Operation::LineDelete: {
        schedule::MonthDraft draft;
        prepareEditedMonth(*db, draft);
        draft.deleteRow(*db, 2, schedule::readCarryForward(*db, kEditedMonth));
        break;
    }
    case Operation::PayerMaster:
        prepareEditedPayers(*db);
        break;
    case Operation::deleteAllData:
        break;
    }
}

void runOperation(Database& db, Operation op)
{
    switch (op) {
    case Operation::Save:
    case Operation::LineDelete: {
        // The draft the work file holds, as a start after the edits finds it.
        schedule::MonthDraft draft;
        draft.restore(db);
        draft.save(db);
        break;
    }
    case Operation::PayerMaster:
        payers::saveEditingCopy(db);
        break;
    case Operation::deleteAllData:
        db.backupNow();
        settings::deleteAllData(db);
        break;
    }
}

QByteArray permanentDigest(Database& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // quote() keeps the stored type apart (1 and '1' differ); one text per row keeps the walk short.
    const char* const selects[] = {"SELECT quote(日付) || ',' || quote(行番号) || ',' || quote(入金先名) || "
                                   "',' || quote(予定額) || ',' || "
                                   "quote(入金額) || ',' || quote(残高) AS r FROM main.入金予定表 ORDER BY r",
                                   "SELECT quote(入金先名) AS r FROM main.入金先マスタ ORDER BY r",
                                   "SELECT quote(年号) || ',' || quote(入金先自動登録) || ',' || "
                                   "quote(LineColor1) AS r FROM main.自社情報 "
                                   "ORDER BY r"};
    for (const char* select : selects) {
        SQLite::Statement rows(rawConnection(db), select);
        hash.addData(QByteArrayView("table\n"));
        while (rows.executeStep()) {
            const SQLite::Column row = rows.getColumn(0);
            hash.addData(QByteArrayView(static_cast<const char*>(row.getBlob()), row.getBytes()));
            hash.addData(QByteArrayView("\n"));
        }
    }
    return hash.result().toHex();
}

QByteArray workDigest(Database& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char* table :
         {"InpWork", "InpWorkSort", "InpWork印刷", "w入金先名", "w入金先マスタ", "ClHint"}) {
        SQLite::Statement rows(rawConnection(db), std::string("SELECT * FROM work.") + table);
        // The storage class of each value keeps 1 and '1' apart; sorted, the rows' order does not count.
        QList<QByteArray> lines;
        while (rows.executeStep()) {
            QByteArray line;
            for (int c = 0; c < rows.getColumnCount(); ++c) {
                const SQLite::Column value = rows.getColumn(c);
                line += QByteArray::number(value.getType()) + ':' +
                        QByteArray(static_cast<const char*>(value.getBlob()), value.getBytes()) + '|';
            }
            lines << line;
        }
        std::sort(lines.begin(), lines.end());
        hash.addData(QByteArrayView("table\n"));
        for (const QByteArray& line : lines) {
            hash.addData(line);
            hash.addData(QByteArrayView("\n"));
        }
    }
    return hash.result().toHex();
}

bool writesBothFiles(Operation op)
{
    // The payer save records in the editing copy the name each row is now stored under.
    return op == Operation::Save || op == Operation::LineDelete || op == Operation::PayerMaster;
}

QString balanceRuleViolation(Database& db)
{
    SQLite::Statement rows(
        rawConnection(db),
        "SELECT 日付, 行番号, 予定額, 入金額, 残高 FROM main.入金予定表 ORDER BY 日付, 行番号");
    Money running;
    int index = 0;
    while (rows.executeStep()) {
        running = running + Money::fromRaw(rows.getColumn(2).getInt64()) -
                  Money::fromRaw(rows.getColumn(3).getInt64());
        if (rows.getColumn(4).isNull() || Money::fromRaw(rows.getColumn(4).getInt64()) != running)
            return QStringLiteral("row %1 (%2, %3): stored %4, expected %5")
                .arg(index)
                .arg(QString::fromStdString(rows.getColumn(0).getString()))
                .arg(rows.getColumn(1).getInt())
                .arg(QString::fromStdString(rows.getColumn(4).getString()))
                .arg(running.raw());
        ++index;
    }
    return {};
}

QString integrityCheck(Database& db)
{
    SQLite::Statement check(rawConnection(db), "PRAGMA integrity_check");
    QStringList lines;
    while (check.executeStep())
        lines << QString::fromStdString(check.getColumn(0).getString());
    return lines.join(QLatin1Char('\n'));
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden)) {
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            throw std::runtime_error("cannot copy " + name.toStdString());
    }
}

} // namespace reliability
