#include "storage/migrations.h"

#include "storage/connection.h"

#include "storage/backup.h"
#include "storage/database.h"
#include "storage/open_checks.h"
#include "storage/schema.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QFileInfo>

#include <tuple>

namespace migrations {

namespace {

bool hasColumn(SQLite::Database& db, const std::string& schema, const std::string& table, const char* column)
{
    SQLite::Statement q(db, "SELECT name FROM pragma_table_info(?, ?)");
    q.bind(1, table);
    q.bind(2, schema);
    while (q.executeStep()) {
        if (q.getColumn(0).getString() == column)
            return true;
    }
    return false;
}

// Format 1 of the permanent file changes no table: it only gives the file its number, so that a later
// format can tell a 1.02 file from its own.
void numberThePermanentFile(SQLite::Database&, const std::string&) {}

// Format 1 of the work file holds the draft of the displayed month: the working rows remember the
// stored row they came from, and two tables keep the rows the month was loaded from and the month
// itself. Builds made between 1.02 and the numbering already wrote some of this into files that read
// format 0, so each piece is added only where it is missing. All of it stays empty until the next load.
void addTheMonthDraft(SQLite::Database& db, const std::string& schema)
{
    for (const char* table : {"InpWork", "InpWorkSort", "InpWork印刷"}) {
        if (!hasColumn(db, schema, table, "StoredRowId"))
            db.exec("ALTER TABLE " + schema + "." + table + " ADD COLUMN StoredRowId INTEGER");
    }
    const char* const tables[][2] = {
        {"InpWorkBase",
         "(StoredRowId INTEGER, 位置 INTEGER, 日付 TEXT, 行番号 INTEGER, 入金先名 TEXT, 予定額 INTEGER,"
         " 入金額 INTEGER)"},
        {"InpWorkDraft", "(年月 TEXT, 未登録 INTEGER, 累計 INTEGER)"},
    };
    for (const auto& [table, columns] : tables) {
        if (!missingTables(db, schema, {QString::fromUtf8(table)}).isEmpty())
            db.exec("CREATE TABLE " + schema + "." + table + " " + columns);
    }
    // The draft writes its rows by their number, one row at a time as the user types.
    db.exec("CREATE INDEX IF NOT EXISTS " + schema + ".InpWork_行番号 ON InpWork (行番号)");
}

// Format 2 of the permanent file (program 1.04) keeps each payer's terms of payment beside its name and
// what 入金消込 learns and applies:
// - 入金先マスタ: フリガナ (katakana, as a bank writes the name), 締め日 and 支払日 (1-28, 99 for 末),
//   支払月 (0-6 months after the closing), 休日 ('前', '後' or 'なし'), 定額 (ten-thousandths of a yen),
//   定額開始 and 定額終了 ('yyyy-mm'); every one NULL when not set, which is how every earlier payer reads;
// - 銀行休業日: the company bank's own closing days beyond the weekends and national holidays;
// - 定額予定記録: the months already planned for each payer's fixed amount, so that a made row the user
//   changed or deleted is not made again;
// - 入金先照合名: bank names the user assigned to a payer by hand, by their folded key;
// - 消込済入金: the deposits applied, by their key, so that a file read twice changes nothing;
// - 振込手数料: the transfer fees a payer may deduct, with the usual ones to start from;
// - 銀行CSV様式: the column mapping chosen for each layout of bank CSV.
void addTermsAndBankMatching(SQLite::Database& db, const std::string& schema)
{
    const std::string s = schema + ".";
    for (const char* column : {"フリガナ TEXT", "締め日 INTEGER", "支払月 INTEGER", "支払日 INTEGER",
                               "休日 TEXT", "定額 INTEGER", "定額開始 TEXT", "定額終了 TEXT"})
        db.exec("ALTER TABLE " + s + "入金先マスタ ADD COLUMN " + column);
    db.exec("CREATE TABLE " + s + "銀行休業日 (日付 TEXT NOT NULL PRIMARY KEY)");
    db.exec("CREATE TABLE " + s +
            "定額予定記録 (入金先名 TEXT NOT NULL, 年月 TEXT NOT NULL, PRIMARY KEY (入金先名, 年月))");
    db.exec("CREATE TABLE " + s +
            "入金先照合名 (入金先名 TEXT NOT NULL, 照合キー TEXT NOT NULL, 振込依頼人名 TEXT,"
            " PRIMARY KEY (入金先名, 照合キー))");
    db.exec("CREATE TABLE " + s +
            "消込済入金 (入金キー TEXT NOT NULL PRIMARY KEY, 取引日 TEXT, 振込依頼人名 TEXT, 金額 INTEGER,"
            " 入金先名 TEXT, 消込日時 TEXT)");
    db.exec("CREATE TABLE " + s + "振込手数料 (金額 INTEGER NOT NULL PRIMARY KEY)");
    SQLite::Statement fee(db, "INSERT INTO " + s + "振込手数料 (金額) VALUES (?)");
    for (qint64 yen = 110; yen <= 880; yen += 110) {
        fee.bind(1, static_cast<int64_t>(yen * 10000));
        fee.exec();
        fee.reset();
    }
    db.exec("CREATE TABLE " + s +
            "銀行CSV様式 (様式キー TEXT NOT NULL PRIMARY KEY, 日付列 INTEGER, 名前列 INTEGER, 金額列 INTEGER,"
            " 見出し INTEGER, 文字コード TEXT, 口座 TEXT)");
}

// Format 2 of the work file gives the payer page's editing copy the terms' columns, and the name each
// row had when the page was filled (NULL for a row added on the page), by which a save tells a renamed
// payer from a new one.
void addTermsToTheEditingCopy(SQLite::Database& db, const std::string& schema)
{
    for (const char* column :
         {"フリガナ TEXT", "締め日 INTEGER", "支払月 INTEGER", "支払日 INTEGER", "休日 TEXT", "定額 INTEGER",
          "定額開始 TEXT", "定額終了 TEXT", "元入金先名 TEXT"})
        db.exec("ALTER TABLE " + schema + ".w入金先マスタ ADD COLUMN " + column);
}

} // namespace

QStringList FileFormat::tablesAt(int version) const
{
    QStringList tables = firstTables;
    for (int n = 0; n < version && n < latest(); ++n)
        tables += steps[std::size_t(n)].addedTables;
    return tables;
}

const FileFormat& permanentFormat()
{
    static const FileFormat format{
        {QStringLiteral("入金予定表"), QStringLiteral("入金先マスタ"), QStringLiteral("自社情報")},
        {
            {{}, numberThePermanentFile},
            {{QStringLiteral("銀行休業日"), QStringLiteral("定額予定記録"), QStringLiteral("入金先照合名"),
              QStringLiteral("消込済入金"), QStringLiteral("振込手数料"), QStringLiteral("銀行CSV様式")},
             addTermsAndBankMatching},
        },
    };
    return format;
}

const FileFormat& workFormat()
{
    static const FileFormat format{
        {QStringLiteral("InpWork"), QStringLiteral("InpWorkSort"), QStringLiteral("InpWork印刷"),
         QStringLiteral("w入金先名"), QStringLiteral("w入金先マスタ"), QStringLiteral("ClHint")},
        {
            {{QStringLiteral("InpWorkBase"), QStringLiteral("InpWorkDraft")}, addTheMonthDraft},
            {{}, addTermsToTheEditingCopy},
        },
    };
    return format;
}

void applyStepsFrom(SQLite::Database& db, const std::string& schema, const FileFormat& format, int version)
{
    for (; version < format.latest(); ++version)
        format.steps[std::size_t(version)].apply(db, schema);
}

int readVersion(SQLite::Database& db, const std::string& schema)
{
    return db.execAndGet("PRAGMA " + schema + ".user_version").getInt();
}

void writeVersion(SQLite::Database& db, const std::string& schema, int version)
{
    // A pragma takes no bound value; the number is one of the code's own formats.
    db.exec("PRAGMA " + schema + ".user_version = " + std::to_string(version));
}

void upgrade(Database& db, const std::string& schema, const QString& path, const FileFormat& format,
             int version)
{
    for (; version < format.latest(); ++version) {
        try {
            Transaction transaction(db);
            try {
                format.steps[std::size_t(version)].apply(connectionOf(db).sqlite(), schema);
                writeVersion(connectionOf(db).sqlite(), schema, version + 1);
            } catch (const std::exception& e) {
                db.rethrow(e);
            }
            transaction.commit();
        } catch (const StorageError& e) {
            throw StorageError(e.kind(),
                               QStringLiteral("データ ファイル「%1」を形式 %2 から形式 %3 に更新できません"
                                              "でした。ファイルは形式 %2 のまま変わっていません。\n%4")
                                   .arg(displayPath(path))
                                   .arg(version)
                                   .arg(version + 1)
                                   .arg(e.userMessage()),
                               e.what(), path);
        }
    }
}

QString upgradeDataFiles(Database& db, int permanentVersion, int workVersion)
{
    const FileFormat& permanent = permanentFormat();
    const FileFormat& work = workFormat();
    if (permanentVersion >= permanent.latest() && workVersion >= work.latest())
        return {};
    // A fresh copy rather than the day's: the day's may be older than this morning's last work.
    const bool copied = permanentVersion < permanent.latest() && db.backupNow();
    const QString copyFailure = db.backups().takeWarning();
    upgrade(db, "main", db.permanentPath(), permanent, permanentVersion);
    upgrade(db, "work", db.workPath(), work, workVersion);

    QStringList changes;
    for (const auto& [path, from, to] : {std::tuple{db.permanentPath(), permanentVersion, permanent.latest()},
                                         std::tuple{db.workPath(), workVersion, work.latest()}}) {
        if (from < to)
            changes << QStringLiteral("%1 は形式 %2 から形式 %3 へ")
                           .arg(QFileInfo(path).fileName())
                           .arg(from)
                           .arg(to);
    }
    QString notice = QStringLiteral("データ ファイルを新しい形式に更新しました（%1）。")
                         .arg(changes.join(QStringLiteral("、")));
    if (copied)
        notice += QStringLiteral("更新前の %1 は「%2」に保存してあります。")
                      .arg(QFileInfo(db.permanentPath()).fileName(), displayPath(db.backups().lastCopy()));
    if (!copyFailure.isEmpty())
        notice += QLatin1Char('\n') + copyFailure;
    return notice;
}

QString newerFormatMessage(const QString& path, int fileVersion, int latest)
{
    return QStringLiteral("データ ファイル「%1」は、より新しいバージョンの入金予定表で作られた形式 %2 の"
                          "ファイルです。このプログラムが扱えるのは形式 %3 までです。新しいバージョンの"
                          "入金予定表で開いてください。ファイルは何も変更していません。")
        .arg(displayPath(path))
        .arg(fileVersion)
        .arg(latest);
}

} // namespace migrations
