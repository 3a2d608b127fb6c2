#pragma once

#include "storage/value.h"

#include <QPersistentModelIndex>
#include <QTableView>

#include <cstdint>
#include <map>
#include <optional>

class GridDelegate;
class WorkTableModel;

// An editable grid over one work table (WorkTableModel), with the cursor operations the window's
// procedures work with: the cells of the current row by column index, moving row by row with a
// past-the-end state, a bookmark, the current column, deleting the current row. Every written cell is
// in the table at once, so committing a row only has to finish an edit that is still open.
//
// Notifications (ASCII names for moc):
//   focusReceived()         the grid got the input focus from outside
//   cellCommitted(column)   the user changed a cell and it was written
//   payerEditFinished()     an edit of the drop-down column ended (not on Escape)
//   keyPressed(int* key)    a key (Qt key code) reached the grid or its editor; *key = 0 cancels it
//   cellCursorMoved()       the current cell changed
//   cellRefused(column, text) the user's text was not taken (not a value of the column, or a handler
//                           of cellCommitted refused it); the cursor stays in the cell. The listener
//                           tells the user why, once the editor has closed (a queued connection), and
//                           then calls resumeRefusedEdit().
//
// Keys of its own: Enter stores the cell and moves to the next cell that can be typed into, Delete
// empties the cell under the cursor. Cells that are not enabled (a read-only column) are passed by.
class BoundGrid : public QTableView
{
    Q_OBJECT
public:
    explicit BoundGrid(QWidget* parent = nullptr);

    void setWorkModel(WorkTableModel* model);
    // As wide as the shown columns, so the grid does not trail an empty area on the right.
    QSize sizeHint() const override;
    WorkTableModel* workModel() const { return m_model; }
    GridDelegate* gridDelegate() const { return m_delegate; }

    // Column settings kept across refreshes of the source. A width the user drags a column to is kept
    // the same way, so that loading another month does not undo it.
    void setColumnWidthTwips(int column, double twips);
    const std::map<int, double>& columnWidthsTwips() const { return m_widthsTwips; }
    // A drop-down list of names for one column; the cell still accepts a name not in the list.
    void setDropDown(int column, QAbstractItemModel* list);
    int dropDownColumn() const { return m_dropDownColumn; }
    QAbstractItemModel* dropDownList() const { return m_dropDownList; }

    // The current row (-1 when there is none or the cursor is past the end).
    int currentRow() const;
    Value cell(int column) const;
    QString cellText(int column) const;
    // Writes a cell of the current row; false without a current row or for a refused value.
    bool setCell(int column, const Value& value);
    // The cell of the row above the current one (nothing on the first row).
    Value cellAbove(int column) const;
    // Finishes an open edit, so that the table holds what the grid shows. False when the text was
    // refused (the cell kept its value and the cursor stays in it).
    bool commitRow();
    // The same for one editor of the grid.
    bool commitEditor(QWidget* editor);
    void moveNext();
    void movePrevious();
    void moveFirst();
    bool atEnd() const;
    bool isFirstRow() const;

    using Bookmark = std::int64_t;
    Bookmark bookmark() const;
    void returnTo(Bookmark mark);

    int currentColumn() const;
    void setCurrentColumn(int column);
    bool deleteCurrentRow();
    void takeFocus();

    // Used by the delegate: reports a key of an open editor; true when a handler cancelled it.
    bool reportEditorKey(int key);
    // Enter: moves on to the next cell that can be typed into, wrapping to the next row; with
    // `openEditor` that cell opens for typing at once.
    void advanceAfterEnter(bool openEditor = false);
    // The text typed into a cell was not taken: by the delegate when it is no value of the column, by a
    // handler of cellCommitted that undid it. Keeps the cursor in the cell and raises cellRefused();
    // without a listener, beeps and opens the cell again by itself.
    void refuseCell(const QModelIndex& index, const QString& text);
    // Opens the refused cell again with the refused text selected, so that the user types over it or
    // leaves it with Escape; nothing when the user has gone on elsewhere meanwhile.
    void resumeRefusedEdit();
    // Whether a refused cell waits for resumeRefusedEdit() under the cursor, which stays there till then.
    bool holdsRefusedCell() const;
    // Delete: empties the cell under the cursor as typing an empty text would.
    void clearCurrentCell();

signals:
    void focusReceived();
    void cellCommitted(int column);
    void payerEditFinished();
    void keyPressed(int* key);
    void cellCursorMoved();
    void cellRefused(int column, const QString& text);
    // The user dragged a column to a new width.
    void columnResizedByUser();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void applyColumnSettings();
    void moveToRow(int row);
    void editNeighbour(CursorAction action);
    int navigableRows() const;

    WorkTableModel* m_model = nullptr;
    GridDelegate* m_delegate = nullptr;
    std::map<int, double> m_widthsTwips;
    int m_dropDownColumn = -1;
    QAbstractItemModel* m_dropDownList = nullptr;
    struct Refusal
    {
        QPersistentModelIndex cell;
        QString text;
    };
    std::optional<Refusal> m_refusal;
    bool m_pastEnd = false;
    bool m_closingEditor = false;
    bool m_passingKeyOn = false;
    bool m_settingWidths = false; // the widths change by the settings, not by the user
};
