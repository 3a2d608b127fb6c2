#include "storage/rowset.h"

#include "storage/connection.h"
#include "storage/database.h"

namespace {

[[noreturn]] void misuse(const char* what)
{
    throw StorageError(StorageError::Kind::BadStatement,
                       QStringLiteral("データベースの操作が正しくありません。"), what);
}

} // namespace

void RowSet::moveNext()
{
    if (m_pos < m_rows.size())
        ++m_pos;
}

int RowSet::columnIndex(const QString& column) const
{
    // Callers nearly always spell the name as the table does: try the cheap exact comparison first.
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == column)
            return int(i);
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

bool RowSet::hasColumn(const QString& column) const
{
    return columnIndex(column) >= 0;
}

Value RowSet::get(const QString& column) const
{
    const int c = columnIndex(column);
    if (c < 0)
        misuse("no such column in the row set");
    if (atEnd())
        misuse("no current row");
    // A pending edit is what the row holds now.
    for (const auto& [index, value] : m_pending) {
        if (index == c)
            return value;
    }
    return m_rows[m_pos][std::size_t(c)];
}

void RowSet::edit()
{
    if (m_table.empty())
        misuse("the row set cannot be changed");
    if (atEnd())
        misuse("no current row to edit");
    m_mode = Mode::Edit;
    m_pending.clear();
}

void RowSet::addNew()
{
    if (m_table.empty())
        misuse("the row set cannot be changed");
    m_mode = Mode::Add;
    m_pending.clear();
}

void RowSet::set(const QString& column, const Value& value)
{
    if (m_mode == Mode::None)
        misuse("set without edit or addNew");
    const int c = columnIndex(column);
    if (c < 0)
        misuse("no such column in the row set");
    for (auto& [index, pending] : m_pending) {
        if (index == c) {
            pending = value;
            return;
        }
    }
    m_pending.emplace_back(c, value);
}

void RowSet::update()
{
    if (m_mode == Mode::None)
        misuse("update without edit or addNew");
    if (m_mode == Mode::Edit && m_pending.empty()) {
        m_mode = Mode::None;
        return;
    }
    // A walk over a set stores the same columns row after row: the statement text is built once.
    bool same = m_mode == m_lastMode && m_pending.size() == m_lastShape.size();
    for (std::size_t i = 0; same && i < m_pending.size(); ++i)
        same = m_pending[i].first == m_lastShape[i];
    if (!same) {
        m_lastShape.clear();
        for (const auto& [column, value] : m_pending)
            m_lastShape.push_back(column);
        m_lastMode = m_mode;
        m_lastSql = statementFor(m_mode, m_lastShape);
    }

    SQLite::Statement& st = m_db->cachedStatement(m_lastSql);
    try {
        int index = 1;
        for (const auto& [column, value] : m_pending)
            bindValue(st, index++, value);
        if (m_mode == Mode::Edit)
            st.bind(index, static_cast<int64_t>(m_rowIds[m_pos]));
        st.exec();
        st.reset();
    } catch (const std::exception& e) {
        try {
            st.reset();
        } catch (...) {
        }
        m_db->rethrow(e);
    }
    // The set keeps what it read at opening; an edited row shows its stored values, a new row is not
    // part of it.
    if (m_mode == Mode::Edit) {
        for (const auto& [column, value] : m_pending)
            m_rows[m_pos][std::size_t(column)] = value;
    }
    m_pending.clear();
    m_mode = Mode::None;
}

std::string RowSet::statementFor(Mode mode, const std::vector<int>& columns) const
{
    if (mode == Mode::Edit) {
        std::string sql = "UPDATE " + m_table + " SET ";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += (i ? ", " : "") + quotedName(m_columns[std::size_t(columns[i])]) + " = ?";
        return sql + " WHERE rowid = ?";
    }
    if (columns.empty())
        return "INSERT INTO " + m_table + " DEFAULT VALUES";
    std::string names;
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        names += (i ? ", " : "") + quotedName(m_columns[std::size_t(columns[i])]);
        marks += i ? ", ?" : "?";
    }
    return "INSERT INTO " + m_table + " (" + names + ") VALUES (" + marks + ")";
}

void RowSet::close()
{
    m_rows.clear();
    m_rowIds.clear();
    m_pending.clear();
    m_mode = Mode::None;
    m_pos = 0;
}
