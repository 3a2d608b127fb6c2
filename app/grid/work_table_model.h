#pragma once

#include "app/grid/cell_values.h"
#include "storage/value.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

class Database;

// A grid's data source: one table of the work file, shown with its columns in table order. Every write
// goes straight to the table (an update of that row by its row id), so what the grid shows is what the
// table holds; refresh() re-reads the table after a statement changed it behind the grid's back.
//
// Values under Qt::EditRole: amounts as numbers of yen, dates as QDate, texts as QString, yes/no as
// bool, whole numbers as qlonglong, and nothing as a null QVariant. Qt::DisplayRole shows amounts in the
// "#,###" form (0 as empty text) and dates as yyyy/mm/dd. Code that works with exact amounts uses
// value()/setValue() with the store's own Value instead.
class WorkTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Kind = CellKind;

    explicit WorkTableModel(QObject* parent = nullptr);

    // Points the source at a table of the work file. Rows come in the order of `orderColumn` (then as
    // stored) or, without one, as stored. Nothing is read until refresh().
    void bind(Database* db, const QString& table, const QString& orderColumn = {});
    // Lets go of the database (the window unloads); the model becomes empty.
    void unbind();
    Database* database() const { return m_db; }
    const QString& table() const { return m_table; }
    // Re-reads the whole table. Returns false when it cannot be read (the model is then empty).
    bool refresh();

    // With this on, a trailing empty row stands for a new row: writing any cell of it adds a row to
    // the table.
    void setAppendRow(bool on);
    bool appendRow() const { return m_appendRow; }
    // Rows of the table, without the trailing new row.
    int dataRowCount() const { return int(m_rows.size()); }
    bool isNewRow(int row) const { return m_appendRow && row == dataRowCount(); }

    int columnIndex(const QString& name) const;
    QString columnName(int column) const;
    Kind columnKind(int column) const;
    void setColumnKind(int column, Kind kind);
    void setColumnCaption(int column, const QString& caption);
    QString columnCaption(int column) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);
    Qt::Alignment columnAlignment(int column) const;
    void setColumnHidden(int column, bool hidden);
    bool isColumnHidden(int column) const;
    // A computed column: shown, but not typed into, and the grid's cursor passes it by (its cells are
    // not enabled, which the item views skip when moving). Code still writes it with setValue().
    void setColumnReadOnly(int column, bool readOnly);
    bool isColumnReadOnly(int column) const;

    // A background for whole rows under Qt::BackgroundRole, worked out from the row's values; without
    // one the view draws its own. Every write repaints the whole row, as the rule may read any cell.
    using RowBackground = std::function<QVariant(const WorkTableModel& model, int row)>;
    void setRowBackground(RowBackground rule);

    // An owner of the rows that takes every write instead of the table: the model then never writes
    // the table itself, and the owner shows what it did through setRowValues().
    using CellWriter = std::function<bool(int row, int column, const Value& value)>;
    void setCellWriter(CellWriter writer);
    // Shows new values of a whole row (in column order), as its owner holds them.
    void setRowValues(int row, std::vector<Value> values);
    // Only the first `count` columns of the table take part; the ones after them are its owner's
    // bookkeeping. Takes effect at the next bind.
    void limitColumns(int count) { m_columnLimit = count; }
    // Rows to be marked in the row header (the owner has not stored them yet).
    using RowMark = std::function<bool(int row)>;
    void setRowMark(RowMark mark) { m_rowMark = std::move(mark); }
    // The row header of every row drawn again, after the marks changed.
    void refreshRowMarks();
    // Cells whose amount 0 is a figure to show ("0") rather than nothing to show (empty).
    using ZeroShown = std::function<bool(int row, int column)>;
    void setZeroShown(ZeroShown shown) { m_zeroShown = std::move(shown); }

    Value value(int row, int column) const;
    // Writes one cell to the table at once (or hands it to the cell writer); false when the row or column
    // does not exist or the store refuses the value.
    bool setValue(int row, int column, const Value& value);
    std::int64_t rowId(int row) const;
    int rowOfRowId(std::int64_t rowId) const;
    // The cell as the grid shows it.
    QString displayText(int row, int column) const;
    // The cell as an editor starts from it: the exact value, no thousands separators, empty for 0.
    QString editText(int row, int column) const;
    // Turns the text of an editor (or a value from code) into the stored form of the column.
    // False when the text is not a value of that kind.
    bool toStored(int column, const QVariant& input, Value* out) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

signals:
    // A write or a read failed; the message is for the user.
    void storageFailed(const QString& message);
    // A column setting changed (caption, alignment, visibility), so the views re-apply them.
    void columnSettingsChanged();

private:
    struct Row
    {
        std::int64_t rowId = 0;
        std::vector<Value> values;
    };
    struct Column
    {
        QString name;
        Kind kind = Kind::Text;
        QString caption;
        bool hasCaption = false;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool hidden = false;
        bool readOnly = false;
    };

    bool readColumns();
    bool readRows(std::vector<Row>* rows);
    bool insertNewRow(int column, const Value& value);
    bool validCell(int row, int column) const;
    void fail(const std::exception& e, const QString& fallback);

    Database* m_db = nullptr;
    QString m_table;
    QString m_orderColumn;
    bool m_appendRow = false;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    RowBackground m_rowBackground;
    CellWriter m_cellWriter;
    RowMark m_rowMark;
    ZeroShown m_zeroShown;
    int m_columnLimit = -1;
};
