#include "app/grid/bound_grid.h"

#include "app/grid/grid_delegate.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace {

// Finishes the open edit before the current cell moves, so that the grid's notifications about that
// edit see the edited cell as the current one (as they would in a ledger grid that commits a cell
// before it leaves it).
class CommitFirstSelectionModel : public QItemSelectionModel
{
public:
    CommitFirstSelectionModel(QAbstractItemModel* model, BoundGrid* grid)
        : QItemSelectionModel(model, grid), m_grid(grid)
    {
    }

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        // A refused text keeps the cursor in its cell, whichever key or click tried to leave it (a
        // click in the grid closes the editor before it moves the cursor).
        if (index != currentIndex() && (!m_grid->commitRow() || m_grid->holdsRefusedCell()))
            return;
        QItemSelectionModel::setCurrentIndex(index, command);
    }

private:
    BoundGrid* m_grid;
};

} // namespace

BoundGrid::BoundGrid(QWidget* parent) : QTableView(parent)
{
    GridDelegate::Source editing;
    editing.view = this;
    editing.model = [this] { return m_model; };
    editing.dropDownColumn = [this] { return m_dropDownColumn; };
    editing.dropDownList = [this] { return m_dropDownList; };
    editing.refuseCell = [this](const QModelIndex& index, const QString& text) { refuseCell(index, text); };
    editing.cellCommitted = [this](int column) { emit cellCommitted(column); };
    editing.editorKey = [this](int key) { return reportEditorKey(key); };
    editing.commitEditor = [this](QWidget* editor) { return commitEditor(editor); };
    editing.advanceAfterEnter = [this] { advanceAfterEnter(); };
    m_delegate = new GridDelegate(std::move(editing), this);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAlternatingRowColors(true);
    setTabKeyNavigation(true);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // Narrow columns (the tick column) keep the width they are given.
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (m_settingWidths || size <= 0 || !m_model || isColumnHidden(column))
            return;
        m_widthsTwips[column] = pixelsToTwips(size, this);
        // The grid keeps the width of its columns (its size hint).
        updateGeometry();
        emit columnResizedByUser();
    });
}

QSize BoundGrid::sizeHint() const
{
    QSize hint = QTableView::sizeHint();
    if (!m_model)
        return hint;
    int width =
        2 * frameWidth() + verticalHeader()->sizeHint().width() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c))
            width += columnWidth(c);
    hint.setWidth(width);
    return hint;
}

void BoundGrid::setWorkModel(WorkTableModel* model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    QItemSelectionModel* old = selectionModel();
    setModel(model);
    if (model) {
        setSelectionModel(new CommitFirstSelectionModel(model, this));
    }
    if (old && old != selectionModel())
        old->deleteLater();
    if (model) {
        // A reset of the source forgets the header's sections; put the settings back each time.
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            m_pastEnd = false;
            applyColumnSettings();
        });
        connect(model, &WorkTableModel::columnSettingsChanged, this, &BoundGrid::applyColumnSettings);
    }
    applyColumnSettings();
}

void BoundGrid::setColumnWidthTwips(int column, double twips)
{
    const QScopedValueRollback settings(m_settingWidths, true);
    m_widthsTwips[column] = twips;
    setColumnWidth(column, twipsToPixels(twips, this));
    updateGeometry();
}

void BoundGrid::setDropDown(int column, QAbstractItemModel* list)
{
    m_dropDownColumn = column;
    m_dropDownList = list;
}

void BoundGrid::applyColumnSettings()
{
    const QScopedValueRollback settings(m_settingWidths, true);
    updateGeometry();
    if (!m_model)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnHidden(c, m_model->isColumnHidden(c));
    for (const auto& [column, twips] : m_widthsTwips)
        if (column < m_model->columnCount())
            setColumnWidth(column, twipsToPixels(twips, this));
}

int BoundGrid::navigableRows() const
{
    return m_model ? m_model->dataRowCount() : 0;
}

int BoundGrid::currentRow() const
{
    const int row = currentIndex().row();
    if (m_pastEnd || row < 0 || row >= navigableRows())
        return -1;
    return row;
}

Value BoundGrid::cell(int column) const
{
    const int row = currentRow();
    return row < 0 ? Value() : m_model->value(row, column);
}

QString BoundGrid::cellText(int column) const
{
    const int row = currentRow();
    return row < 0 ? QString() : m_model->displayText(row, column);
}

bool BoundGrid::setCell(int column, const Value& value)
{
    const int row = currentRow();
    return row >= 0 && m_model->setValue(row, column, value);
}

Value BoundGrid::cellAbove(int column) const
{
    const int row = currentRow();
    return row <= 0 ? Value() : m_model->value(row - 1, column);
}

bool BoundGrid::commitRow()
{
    return commitEditor(indexWidget(currentIndex()));
}

bool BoundGrid::commitEditor(QWidget* editor)
{
    if (!editor)
        return true;
    // A store failure is told in a box, and the editor may be gone when the box closes.
    const QPointer<QWidget> guard(editor);
    commitData(editor);
    if (!guard)
        return true;
    const bool refused = editor->property(GridDelegate::kRefusedProperty).toBool();
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return !refused;
}

void BoundGrid::moveToRow(int row)
{
    int column = currentIndex().column();
    if (column < 0)
        column = 0;
    m_pastEnd = false;
    setCurrentIndex(m_model->index(row, column));
}

void BoundGrid::moveNext()
{
    commitRow();
    const int rows = navigableRows();
    if (m_pastEnd || rows == 0) {
        m_pastEnd = true;
        return;
    }
    const int row = currentIndex().row();
    if (row < 0) {
        moveToRow(0);
    } else if (row + 1 >= rows) {
        // Past the last row there is no current row; the cursor stays where it was on screen.
        m_pastEnd = true;
    } else {
        moveToRow(row + 1);
    }
}

void BoundGrid::movePrevious()
{
    commitRow();
    const int rows = navigableRows();
    if (rows == 0)
        return;
    if (m_pastEnd) {
        moveToRow(rows - 1);
        return;
    }
    const int row = currentIndex().row();
    moveToRow(row <= 0 ? 0 : std::min(row, rows) - 1);
}

void BoundGrid::moveFirst()
{
    commitRow();
    if (navigableRows() > 0)
        moveToRow(0);
}

bool BoundGrid::atEnd() const
{
    return m_pastEnd || navigableRows() == 0 || currentIndex().row() >= navigableRows();
}

bool BoundGrid::isFirstRow() const
{
    return currentRow() == 0;
}

BoundGrid::Bookmark BoundGrid::bookmark() const
{
    const int row = currentRow();
    return row < 0 ? 0 : m_model->rowId(row);
}

void BoundGrid::returnTo(Bookmark mark)
{
    commitRow();
    const int row = m_model ? m_model->rowOfRowId(mark) : -1;
    if (row >= 0)
        moveToRow(row);
}

int BoundGrid::currentColumn() const
{
    return currentIndex().column();
}

void BoundGrid::setCurrentColumn(int column)
{
    if (!m_model || column < 0 || column >= m_model->columnCount())
        return;
    int row = currentIndex().row();
    if (row < 0)
        row = 0;
    if (row >= m_model->rowCount())
        return;
    const bool pastEnd = m_pastEnd;
    setCurrentIndex(m_model->index(row, column));
    m_pastEnd = pastEnd;
}

bool BoundGrid::deleteCurrentRow()
{
    const int row = currentRow();
    if (row < 0)
        return false;
    const int column = std::max(currentColumn(), 0);
    // The editor belongs to the row that goes; drop what it holds.
    if (QWidget* editor = indexWidget(currentIndex()))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    if (!m_model->removeRow(row))
        return false;
    const int rows = navigableRows();
    if (rows > 0)
        setCurrentIndex(m_model->index(std::min(row, rows - 1), column));
    return true;
}

void BoundGrid::takeFocus()
{
    setFocus(Qt::OtherFocusReason);
}

bool BoundGrid::reportEditorKey(int key)
{
    // The key that opened the editor was reported by the grid already.
    if (m_passingKeyOn)
        return false;
    int code = key;
    emit keyPressed(&code);
    return code == 0;
}

void BoundGrid::advanceAfterEnter(bool openEditor)
{
    if (!m_model)
        return;
    const QModelIndex current = currentIndex();
    int row = std::max(current.row(), 0);
    int column = current.column();
    for (;;) {
        ++column;
        if (column >= m_model->columnCount()) {
            if (row + 1 >= m_model->rowCount())
                return;
            ++row;
            column = 0;
        }
        if (!isColumnHidden(column) && (m_model->flags(m_model->index(row, column)) & Qt::ItemIsEnabled))
            break;
    }
    m_pastEnd = false;
    const QModelIndex next = m_model->index(row, column);
    setCurrentIndex(next);
    if (openEditor && currentIndex() == next && (next.flags() & Qt::ItemIsEditable))
        edit(next);
}

void BoundGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    // Focus coming back from the grid's own editor is not the grid being entered.
    if (!m_closingEditor)
        emit focusReceived();
}

void BoundGrid::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    emit keyPressed(&key);
    if (key == 0) {
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && state() != QAbstractItemView::EditingState) {
        advanceAfterEnter();
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        clearCurrentCell();
        event->accept();
        return;
    }
    m_passingKeyOn = true;
    QTableView::keyPressEvent(event);
    m_passingKeyOn = false;
}

void BoundGrid::inputMethodEvent(QInputMethodEvent* event)
{
    // Text accepted from the input method starts an edit of the current cell just as a typed key does,
    // and goes into the editor whole.
    QWidget* editor = indexWidget(currentIndex());
    if (!editor && !event->commitString().isEmpty() && currentIndex().isValid() &&
        (editTriggers() & QAbstractItemView::AnyKeyPressed) && edit(currentIndex(), AnyKeyPressed, nullptr))
        editor = indexWidget(currentIndex());
    if (editor) {
        QCoreApplication::sendEvent(editor, event);
        return;
    }
    QTableView::inputMethodEvent(event);
}

void BoundGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current != previous) {
        m_pastEnd = false;
        emit cellCursorMoved();
    }
}

void BoundGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool wasDropDown = editor && m_dropDownColumn >= 0 &&
                             editor->property(GridDelegate::kColumnProperty).toInt() == m_dropDownColumn;
    bool moveOn =
        hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
    // Tab after a refused text: the cursor stays in the cell.
    if (moveOn && editor && editor->property(GridDelegate::kRefusedProperty).toBool()) {
        hint = QAbstractItemDelegate::NoHint;
        moveOn = false;
    }
    m_closingEditor = true;
    // Tab out of the drop-down column: the notification about that edit comes while its cell is still
    // the current one, as it does for Enter, and only then does the cursor move on.
    QTableView::closeEditor(editor, wasDropDown && moveOn ? QAbstractItemDelegate::NoHint : hint);
    m_closingEditor = false;
    if (wasDropDown && hint != QAbstractItemDelegate::RevertModelCache)
        emit payerEditFinished();
    if (wasDropDown && moveOn)
        editNeighbour(hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious);
}

void BoundGrid::editNeighbour(CursorAction action)
{
    // What the item view does for Tab and Backtab after it closed an editor.
    const QModelIndex index = moveCursor(action, Qt::NoModifier);
    if (!index.isValid())
        return;
    const QPersistentModelIndex persistent(index);
    selectionModel()->setCurrentIndex(persistent, QItemSelectionModel::ClearAndSelect);
    if ((index.flags() & Qt::ItemIsEditable) && !(editTriggers() & QAbstractItemView::CurrentChanged))
        edit(persistent);
}

void BoundGrid::refuseCell(const QModelIndex& index, const QString& text)
{
    if (QWidget* editor = indexWidget(index))
        editor->setProperty(GridDelegate::kRefusedProperty, true);
    m_refusal = Refusal{index, text};
    if (isSignalConnected(QMetaMethod::fromSignal(&BoundGrid::cellRefused))) {
        emit cellRefused(index.column(), text);
        return;
    }
    QApplication::beep();
    QMetaObject::invokeMethod(this, &BoundGrid::resumeRefusedEdit, Qt::QueuedConnection);
}

bool BoundGrid::holdsRefusedCell() const
{
    return m_refusal && m_refusal->cell.isValid() && m_refusal->cell == currentIndex();
}

void BoundGrid::resumeRefusedEdit()
{
    if (!m_refusal)
        return;
    const Refusal refusal = *m_refusal;
    m_refusal.reset();
    // The user has gone on meanwhile (clicked a button, another month was loaded): the cell keeps its
    // value and nothing opens behind the user's back.
    if (!refusal.cell.isValid() || currentIndex() != refusal.cell || window()->focusWidget() != this ||
        state() == QAbstractItemView::EditingState)
        return;
    // A click that tried to leave the cell may have selected another one.
    selectionModel()->select(refusal.cell, QItemSelectionModel::ClearAndSelect);
    edit(refusal.cell);
    QWidget* editor = indexWidget(refusal.cell);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setEditText(refusal.text);
        combo->lineEdit()->selectAll();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(refusal.text);
        line->selectAll();
    }
}

void BoundGrid::clearCurrentCell()
{
    const QModelIndex index = currentIndex();
    const int row = currentRow();
    if (row < 0 || !(index.flags() & Qt::ItemIsEditable) || m_model->editText(row, index.column()).isEmpty())
        return;
    // Empty text is a value of every column; a failing write has been told by the source.
    if (m_model->setData(index, QString(), Qt::EditRole))
        emit cellCommitted(index.column());
}
