#include "storage/database.h"

#include "storage/backup.h"
#include "storage/connection.h"
#include "storage/open_checks.h"
#include "storage/rowset.h"

#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

#include <utility>

StorageError::StorageError(Kind kind, const QString& userMessage, const std::string& detail,
                           const QString& file)
    : std::runtime_error(detail.empty() ? userMessage.toStdString() : detail), m_kind(kind),
      m_userMessage(userMessage), m_file(file)
{
}

Database::Database(std::unique_ptr<Connection> connection, QString permanentPath, QString workPath)
    : m_connection(std::move(connection)), m_permanentPath(std::move(permanentPath)),
      m_workPath(std::move(workPath)), m_backup(std::make_unique<DailyBackup>(m_permanentPath))
{
}

Database::~Database() = default;

Connection& connectionOf(Database& db)
{
    return *db.m_connection;
}

QString Database::takeUpgradeNotice()
{
    return std::exchange(m_upgradeNotice, QString());
}

QStringList Database::readOnlyFiles() const
{
    QStringList files;
    if (sqlite3_db_readonly(m_connection->sqlite().getHandle(), "main") == 1)
        files << m_permanentPath;
    if (sqlite3_db_readonly(m_connection->sqlite().getHandle(), "work") == 1)
        files << m_workPath;
    return files;
}

void Database::setBackupFolder(const QString& folder)
{
    m_backup->setFolder(folder);
}

bool Database::backupNow()
{
    return m_backup->backupNow();
}

bool Database::copyDueBeforeWrite() const
{
    return m_backup->dueBeforeWrite();
}

void Database::beforeFirstWrite()
{
    m_backup->beforeWrite();
}

namespace {

[[noreturn]] void refuseStatement(const std::string& detail)
{
    throw StorageError(StorageError::Kind::BadStatement,
                       QStringLiteral("データベースへの命令が正しくありません。"), detail);
}

// SQLite prepares the first statement of a text and leaves the rest unread: a second statement there
// would silently never run. Checked once per text, before it joins the cache.
void refuseTrailingStatement(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* first = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &first, &tail) != SQLITE_OK || !tail) {
        sqlite3_finalize(first);
        return; // the statement's own prepare reports what is wrong with it
    }
    sqlite3_finalize(first);
    for (const char* c = tail; c < sql.c_str() + sql.size(); ++c) {
        if (*c != ';' && *c != ' ' && *c != '\t' && *c != '\r' && *c != '\n')
            refuseStatement("one statement at a time: " + sql);
    }
}

// A missing or unreadable amount counts as 0. Amounts are stored as whole ten-thousandths, read here
// without going through a Value.
Money amountOf(SQLite::Statement& statement, int index)
{
    const SQLite::Column column = statement.getColumn(index);
    if (column.isInteger())
        return Money::fromRaw(column.getInt64());
    if (column.isNull())
        return Money();
    return columnValue(statement, index).toMoney().value_or(Money());
}

// Leaves a cached statement ready for its next use whatever happens while it runs.
struct ResetOnExit
{
    SQLite::Statement& st;
    ~ResetOnExit()
    {
        try {
            st.reset();
        } catch (...) {
        }
    }
};

} // namespace

CachedStatement& Database::cachedStatement(const std::string& sql)
{
    auto& statements = m_connection->statements;
    auto it = statements.find(sql);
    if (it == statements.end()) {
        std::unique_ptr<CachedStatement> st;
        try {
            st = std::make_unique<CachedStatement>(m_connection->sqlite(), sql);
        } catch (const std::exception& e) {
            rethrow(e);
        }
        refuseTrailingStatement(m_connection->sqlite().getHandle(), sql);
        it = statements.emplace(sql, std::move(st)).first;
    }
    CachedStatement& st = *it->second;
    st.reset();
    st.clearBindings();
    return st;
}

CachedStatement& Database::prepare(const std::string& statement, const Params& params)
{
    CachedStatement& st = cachedStatement(statement);
    // A placeholder left without a value would silently read as null.
    if (st.getBindParameterCount() != int(params.size()))
        refuseStatement("the statement has " + std::to_string(st.getBindParameterCount()) +
                        " placeholders but " + std::to_string(params.size()) +
                        " values were given: " + statement);
    try {
        for (std::size_t i = 0; i < params.size(); ++i)
            bindValue(st, int(i) + 1, params[i]);
    } catch (const std::exception& e) {
        rethrow(e);
    }
    return st;
}

std::int64_t Database::lastInsertRowId() const
{
    return m_connection->sqlite().getLastInsertRowid();
}

int Database::execute(const std::string& statement, const Params& params)
{
    SQLite::Statement& st = prepare(statement, params);
    ResetOnExit guard{st};
    try {
        return st.exec();
    } catch (const std::exception& e) {
        rethrow(e);
    }
}

RowSet Database::openRowSet(const std::string& select, const Params& params)
{
    return readRows(select, params, {});
}

RowSet Database::openTable(const std::string& table, const std::string& clauses, const Params& params)
{
    // Only names of the code's own tables and constant clauses come here; values are bound.
    const std::string quoted = quotedName(QString::fromStdString(table));
    std::string select = "select rowid, * from " + quoted;
    if (!clauses.empty())
        select += " " + clauses;
    return readRows(select, params, quoted);
}

RowSet Database::readRows(const std::string& select, const Params& params, const std::string& table)
{
    SQLite::Statement& st = prepare(select, params);
    ResetOnExit guard{st};
    RowSet rs;
    rs.m_db = this;
    try {
        const int columns = st.getColumnCount();
        const bool hasRowId = !table.empty();
        const int firstData = hasRowId ? 1 : 0;
        for (int c = firstData; c < columns; ++c)
            rs.m_columns.push_back(QString::fromUtf8(st.getColumnName(c)));
        while (st.executeStep()) {
            if (hasRowId)
                rs.m_rowIds.push_back(st.getColumn(0).getInt64());
            std::vector<Value> row;
            row.reserve(std::size_t(columns - firstData));
            for (int c = firstData; c < columns; ++c)
                row.push_back(columnValue(st, c));
            rs.m_rows.push_back(std::move(row));
        }
        rs.m_table = table;
    } catch (const std::exception& e) {
        rethrow(e);
    }
    return rs;
}

Value Database::readFirst(const std::string& statement, const Params& params)
{
    SQLite::Statement& st = prepare(statement, params);
    ResetOnExit guard{st};
    try {
        return st.executeStep() ? columnValue(st, 0) : Value();
    } catch (const std::exception& e) {
        rethrow(e);
    }
}

Value Database::readTotal(const std::string& statement, const Params& params)
{
    SQLite::Statement& st = prepare(statement, params);
    ResetOnExit guard{st};
    try {
        if (!st.executeStep())
            return {};
        for (int c = 0; c < st.getColumnCount(); ++c) {
            if (QString::fromUtf8(st.getColumnName(c)).compare(QLatin1String("total"), Qt::CaseInsensitive) ==
                0)
                return columnValue(st, c);
        }
    } catch (const std::exception& e) {
        rethrow(e);
    }
    refuseStatement("the select has no column named total");
}

Money Database::sumAmounts(const std::string& select, const Params& params)
{
    SQLite::Statement& st = prepare(select, params);
    ResetOnExit guard{st};
    Money total;
    try {
        while (st.executeStep())
            total += amountOf(st, 0);
    } catch (const MoneyOverflow& e) {
        throw StorageError(StorageError::Kind::Overflow, QStringLiteral("金額が扱える範囲を超えています。"),
                           e.what());
    } catch (const std::exception& e) {
        rethrow(e);
    }
    return total;
}

void Database::rethrow(const std::exception& e) const
{
    if (auto se = dynamic_cast<const StorageError*>(&e))
        throw *se;
    const std::string what = e.what();
    int code = SQLITE_ERROR;
    int extended = SQLITE_ERROR;
    if (auto sq = dynamic_cast<const SQLite::Exception*>(&e)) {
        code = sq->getErrorCode();
        extended = sq->getExtendedErrorCode();
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw StorageError(
            StorageError::Kind::Busy,
            QStringLiteral(
                "データが他のプログラムで使用中のため、処理できませんでした。何も変更していません。"
                "しばらくしてから、もう一度実行してください。"),
            what);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        throwReadOnly(extended, what);
    case SQLITE_FULL:
        throw StorageError(
            StorageError::Kind::Full,
            QStringLiteral("ディスクの空きが足りないため処理できませんでした。何も変更していません。"), what);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw StorageError(StorageError::Kind::NotADatabase,
                           QStringLiteral("データ ファイルが壊れています。"), what);
    default:
        break;
    }
    throw StorageError(
        StorageError::Kind::Generic,
        QStringLiteral("データベースの処理に失敗しました。（%1）").arg(QString::fromStdString(what)), what);
}

void Database::throwReadOnly(int code, const std::string& what) const
{
    // The journal beside a file cannot be made: the folder is what refuses.
    if (code == SQLITE_READONLY_DIRECTORY || (code & 0xff) == SQLITE_CANTOPEN) {
        const QString folder = QFileInfo(m_permanentPath).absolutePath();
        throw StorageError(StorageError::Kind::ReadOnly,
                           QStringLiteral("データ フォルダー「%1」に書き込めません。"
                                          "フォルダーの書き込み許可を確認してください。")
                               .arg(QDir::toNativeSeparators(folder)),
                           what, folder);
    }
    QStringList files = readOnlyFiles();
    if (files.isEmpty())
        files << m_permanentPath;
    QStringList shown;
    for (const QString& f : files)
        shown << displayPath(f);
    throw StorageError(StorageError::Kind::ReadOnly,
                       QStringLiteral("データ ファイル「%1」は読み取り専用のため、書き込めません。"
                                      "ファイルの書き込み許可を確認してください。")
                           .arg(shown.join(QStringLiteral("」「"))),
                       what, files.first());
}

std::string quotedName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    // Appended piece by piece: gcc 12 at -O2 warns falsely (-Wrestrict) about `"\"" + std::string`.
    const std::string text = q.toStdString();
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

void bindValue(SQLite::Statement& statement, int index, const Value& value)
{
    if (value.isNull())
        statement.bind(index);
    else if (value.isInteger())
        statement.bind(index, static_cast<int64_t>(*value.toInt64()));
    else if (value.isReal())
        statement.bind(index, value.toDouble());
    else
        statement.bind(index, value.toText().toStdString());
}

Value columnValue(SQLite::Statement& statement, int index)
{
    const SQLite::Column col = statement.getColumn(index);
    if (col.isNull())
        return {};
    if (col.isInteger())
        return Value(std::int64_t(col.getInt64()));
    if (col.isFloat())
        return Value(col.getDouble());
    return Value(QString::fromUtf8(col.getText(), col.getBytes()));
}

RepeatedWrite::RepeatedWrite(Database& db, const std::string& statement)
    : m_db(db), m_statement(db.cachedStatement(statement))
{
}

int RepeatedWrite::run(std::initializer_list<Value> values)
{
    ResetOnExit guard{m_statement};
    try {
        int index = 0;
        for (const Value& value : values)
            bindValue(m_statement, ++index, value);
        return m_statement.exec();
    } catch (const std::exception& e) {
        m_db.rethrow(e);
    }
}

RowWalk::RowWalk(Database& db, const std::string& select, const Params& params)
    : m_db(db), m_statement(db.prepare(select, params))
{
}

int RowWalk::columnCount() const
{
    return m_statement.getColumnCount();
}

QString RowWalk::columnName(int index) const
{
    return QString::fromUtf8(m_statement.getColumnName(index));
}

Value RowWalk::value(int index)
{
    return columnValue(m_statement, index);
}

bool RowWalk::isNull(int index)
{
    return m_statement.isColumnNull(index);
}

std::string_view RowWalk::text(int index)
{
    const SQLite::Column column = m_statement.getColumn(index);
    return std::string_view(column.getText(), std::size_t(column.getBytes()));
}

std::int64_t RowWalk::integer(int index)
{
    return m_statement.getColumn(index).getInt64();
}

Money RowWalk::amount(int index)
{
    return amountOf(m_statement, index);
}

RowWalk::~RowWalk()
{
    try {
        m_statement.reset();
    } catch (...) {
    }
}

bool RowWalk::next()
{
    try {
        return m_statement.executeStep();
    } catch (const std::exception& e) {
        m_db.rethrow(e);
    }
}
