#pragma once

#include "storage/value.h"

#include <QString>

#include <string>
#include <vector>

class Database;

// A set of rows read by one select (Database::openRowSet), or the rows of one table to be changed
// (Database::openTable), with the cursor operations the program has always used: test for empty and
// end, move first and next, read and set a column by name, edit the current row or add a new one, and
// store it. The rows are read once when the set opens; stores go straight to the table by row id.
class RowSet
{
public:
    RowSet() = default;

    bool isEmpty() const { return m_rows.empty(); }
    bool atEnd() const { return m_pos >= m_rows.size(); }
    std::size_t size() const { return m_rows.size(); }
    void moveFirst() { m_pos = 0; }
    void moveNext();

    // Throws StorageError for an unknown column or when there is no current row.
    Value get(const QString& column) const;
    bool hasColumn(const QString& column) const;
    const std::vector<QString>& columns() const { return m_columns; }

    void edit();
    void addNew();
    void set(const QString& column, const Value& value);
    // Stores the pending edit or the new row. Only the columns that were set are written.
    void update();
    void close();

private:
    friend class Database;
    enum class Mode { None, Edit, Add };

    int columnIndex(const QString& column) const;
    std::string statementFor(Mode mode, const std::vector<int>& columns) const;

    Database* m_db = nullptr;
    std::string m_table; // quoted; empty for a read-only set
    std::vector<QString> m_columns;
    std::vector<std::vector<Value>> m_rows;
    std::vector<std::int64_t> m_rowIds;
    std::size_t m_pos = 0;
    Mode m_mode = Mode::None;
    std::vector<std::pair<int, Value>> m_pending; // column index and value
    // The statement of the last store and the columns it wrote.
    Mode m_lastMode = Mode::None;
    std::vector<int> m_lastShape;
    std::string m_lastSql;
};
