#include "app/grid/work_table_model.h"

#include "app/grid/cell_values.h"

#include "storage/database.h"
#include "storage/rowset.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

WorkTableModel::WorkTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void WorkTableModel::bind(Database* db, const QString& table, const QString& orderColumn)
{
    beginResetModel();
    m_db = db;
    m_table = table;
    m_orderColumn = orderColumn;
    m_rows.clear();
    m_columns.clear();
    if (m_db && !readColumns())
        m_columns.clear();
    endResetModel();
    emit columnSettingsChanged();
}

void WorkTableModel::unbind()
{
    beginResetModel();
    m_db = nullptr;
    m_rows.clear();
    endResetModel();
}

bool WorkTableModel::readColumns()
{
    try {
        const std::vector<QString> names =
            m_db->openRowSet("select * from " + quotedName(m_table) + " limit 0").columns();
        const int count = m_columnLimit < 0 ? int(names.size()) : std::min(m_columnLimit, int(names.size()));
        for (int i = 0; i < count; ++i) {
            Column column;
            column.name = names[std::size_t(i)];
            column.kind = cellKindOfColumn(column.name);
            m_columns.push_back(column);
        }
        return true;
    } catch (const std::exception& e) {
        fail(e, QStringLiteral("作業用の表 %1 を読めません。").arg(m_table));
        return false;
    }
}

bool WorkTableModel::readRows(std::vector<Row>* rows)
{
    std::string sql = "select rowid, * from " + quotedName(m_table);
    sql += m_orderColumn.isEmpty() ? std::string(" order by rowid")
                                   : " order by " + quotedName(m_orderColumn) + ", rowid";
    try {
        RowWalk walk(*m_db, sql);
        while (walk.next()) {
            Row row;
            row.rowId = walk.integer(0);
            for (int c = 0; c < int(m_columns.size()); ++c)
                row.values.push_back(walk.value(c + 1));
            rows->push_back(std::move(row));
        }
        return true;
    } catch (const std::exception& e) {
        fail(e, QStringLiteral("作業用の表 %1 を読めません。").arg(m_table));
        return false;
    }
}

void WorkTableModel::fail(const std::exception& e, const QString& fallback)
{
    QString message = fallback;
    if (const auto* storage = dynamic_cast<const StorageError*>(&e)) {
        message = storage->userMessage();
    } else if (m_db) {
        try {
            m_db->rethrow(e);
        } catch (const StorageError& error) {
            message = error.userMessage();
        }
    }
    emit storageFailed(message);
}

bool WorkTableModel::refresh()
{
    std::vector<Row> rows;
    bool ok = true;
    if (m_db) {
        if (m_columns.empty())
            ok = readColumns();
        if (ok)
            ok = readRows(&rows);
    }
    beginResetModel();
    m_rows = ok ? std::move(rows) : std::vector<Row>{};
    endResetModel();
    return ok;
}

void WorkTableModel::setAppendRow(bool on)
{
    if (on == m_appendRow)
        return;
    beginResetModel();
    m_appendRow = on;
    endResetModel();
}

int WorkTableModel::columnIndex(const QString& name) const
{
    for (int c = 0; c < int(m_columns.size()); ++c)
        if (m_columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

QString WorkTableModel::columnName(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[column].name : QString();
}

WorkTableModel::Kind WorkTableModel::columnKind(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[column].kind : Kind::Text;
}

void WorkTableModel::setColumnKind(int column, Kind kind)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[column].kind = kind;
    if (!m_rows.empty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

void WorkTableModel::setColumnCaption(int column, const QString& caption)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[column].caption = caption;
    m_columns[column].hasCaption = true;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString WorkTableModel::columnCaption(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    // A column without a caption of its own is headed by its field name.
    return m_columns[column].hasCaption ? m_columns[column].caption : m_columns[column].name;
}

void WorkTableModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[column].alignment = alignment;
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

Qt::Alignment WorkTableModel::columnAlignment(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[column].alignment : Qt::Alignment();
}

void WorkTableModel::setColumnHidden(int column, bool hidden)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[column].hidden = hidden;
    emit columnSettingsChanged();
}

bool WorkTableModel::isColumnHidden(int column) const
{
    return column >= 0 && column < columnCount() && m_columns[column].hidden;
}

void WorkTableModel::setColumnReadOnly(int column, bool readOnly)
{
    if (column < 0 || column >= columnCount() || m_columns[column].readOnly == readOnly)
        return;
    m_columns[column].readOnly = readOnly;
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

bool WorkTableModel::isColumnReadOnly(int column) const
{
    return column >= 0 && column < columnCount() && m_columns[column].readOnly;
}

void WorkTableModel::setRowBackground(RowBackground rule)
{
    m_rowBackground = std::move(rule);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

bool WorkTableModel::validCell(int row, int column) const
{
    return row >= 0 && row < dataRowCount() && column >= 0 && column < columnCount();
}

Value WorkTableModel::value(int row, int column) const
{
    return validCell(row, column) ? m_rows[row].values[column] : Value();
}

std::int64_t WorkTableModel::rowId(int row) const
{
    return row >= 0 && row < dataRowCount() ? m_rows[row].rowId : 0;
}

int WorkTableModel::rowOfRowId(std::int64_t rowId) const
{
    for (int r = 0; r < dataRowCount(); ++r)
        if (m_rows[r].rowId == rowId)
            return r;
    return -1;
}

void WorkTableModel::setCellWriter(CellWriter writer)
{
    m_cellWriter = std::move(writer);
}

void WorkTableModel::setRowValues(int row, std::vector<Value> values)
{
    if (row < 0 || row >= dataRowCount())
        return;
    values.resize(m_columns.size());
    if (m_rows[row].values == values)
        return;
    m_rows[row].values = std::move(values);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    if (m_rowBackground)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::BackgroundRole});
}

void WorkTableModel::refreshRowMarks()
{
    if (m_rowMark && dataRowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, dataRowCount() - 1);
}

bool WorkTableModel::setValue(int row, int column, const Value& value)
{
    if (!m_db || column < 0 || column >= columnCount())
        return false;
    if (m_cellWriter)
        return validCell(row, column) && m_cellWriter(row, column, value);
    if (isNewRow(row))
        return insertNewRow(column, value);
    if (!validCell(row, column))
        return false;
    try {
        m_db->execute("update " + quotedName(m_table) + " set " + quotedName(m_columns[column].name) +
                          " = ? where rowid = ?",
                      {value, Value(m_rows[row].rowId)});
    } catch (const std::exception& e) {
        fail(e, QStringLiteral("作業用の表 %1 に書き込めません。").arg(m_table));
        return false;
    }
    m_rows[row].values[column] = value;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
    if (m_rowBackground)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::BackgroundRole});
    return true;
}

bool WorkTableModel::insertNewRow(int column, const Value& value)
{
    Row row;
    try {
        m_db->execute("insert into " + quotedName(m_table) + " (" + quotedName(m_columns[column].name) +
                          ") values (?)",
                      {value});
        row.rowId = m_db->lastInsertRowId();
        // Read the row back so the grid shows the table's defaults of the other columns.
        RowWalk read(*m_db, "select * from " + quotedName(m_table) + " where rowid = ?", {Value(row.rowId)});
        if (read.next())
            for (int c = 0; c < int(m_columns.size()); ++c)
                row.values.push_back(read.value(c));
    } catch (const std::exception& e) {
        fail(e, QStringLiteral("作業用の表 %1 に行を追加できません。").arg(m_table));
        return false;
    }
    row.values.resize(m_columns.size());
    // The new row takes the place of the trailing empty row, and a fresh empty row follows it.
    const int newRow = dataRowCount();
    beginInsertRows({}, newRow + 1, newRow + 1);
    m_rows.push_back(std::move(row));
    endInsertRows();
    emit dataChanged(index(newRow, 0), index(newRow, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, newRow, newRow + 1);
    return true;
}

QString WorkTableModel::displayText(int row, int column) const
{
    const Kind kind = columnKind(column);
    const Value cell = value(row, column);
    QString text = cellDisplayText(kind, cell);
    if (text.isEmpty() && kind == Kind::Amount && cell.toMoney() && m_zeroShown && m_zeroShown(row, column))
        return QStringLiteral("0");
    return text;
}

QString WorkTableModel::editText(int row, int column) const
{
    return cellEditText(columnKind(column), value(row, column));
}

bool WorkTableModel::toStored(int column, const QVariant& input, Value* out) const
{
    return cellFromInput(columnKind(column), input, out);
}

int WorkTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : dataRowCount() + (m_appendRow && m_db ? 1 : 0);
}

int WorkTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant WorkTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const Kind kind = columnKind(column);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(row, column);
    case Qt::EditRole:
        return cellEditValue(kind, value(row, column));
    case Qt::CheckStateRole:
        if (kind == Kind::YesNo)
            return value(row, column).toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(column));
    case Qt::BackgroundRole:
        return m_rowBackground && row < dataRowCount() ? m_rowBackground(*this, row) : QVariant();
    default:
        return {};
    }
}

bool WorkTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    const int column = index.column();
    Value stored;
    if (role == Qt::CheckStateRole) {
        if (columnKind(column) != Kind::YesNo)
            return false;
        stored = Value(value.value<Qt::CheckState>() == Qt::Checked || value.toInt() == int(Qt::Checked));
    } else if (role == Qt::EditRole) {
        if (!toStored(column, value, &stored))
            return false;
    } else {
        return false;
    }
    return setValue(index.row(), column, stored);
}

QVariant WorkTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && m_rowMark && section < dataRowCount() && m_rowMark(section)) {
        // Not stored yet: the row's number says so, in a colour of its own.
        if (role == Qt::DisplayRole)
            return QString::number(section + 1) + QStringLiteral("*");
        if (role == Qt::BackgroundRole)
            return QBrush(QColor(0xff, 0xe0, 0x80));
        if (role == Qt::ToolTipRole)
            return QStringLiteral("未登録の行です");
    }
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return columnCaption(section);
    return isNewRow(section) ? QStringLiteral("*") : QString::number(section + 1);
}

Qt::ItemFlags WorkTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isColumnReadOnly(index.column()))
        return Qt::ItemIsSelectable;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (columnKind(index.column()) == Kind::YesNo)
        return f | Qt::ItemIsUserCheckable;
    return f | Qt::ItemIsEditable;
}

bool WorkTableModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || !m_db || count <= 0 || row < 0 || row + count > dataRowCount())
        return false;
    try {
        for (int r = row; r < row + count; ++r)
            m_db->execute("delete from " + quotedName(m_table) + " where rowid = ?",
                          {Value(m_rows[r].rowId)});
    } catch (const std::exception& e) {
        fail(e, QStringLiteral("作業用の表 %1 の行を削除できません。").arg(m_table));
        // Some rows may be gone already; show what the table now holds.
        refresh();
        return false;
    }
    beginRemoveRows({}, row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
    return true;
}
