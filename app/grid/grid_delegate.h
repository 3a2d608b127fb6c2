#pragma once

#include <QStyledItemDelegate>

class BoundGrid;

// Editors of a bound grid: a line edit for every cell, and for the grid's drop-down column an editable
// combo box over the list of names that also takes a name the list does not hold. Both take typed keys
// and input-method commits. An edit that leaves the text as it was writes nothing; a text that is no
// value of its column is refused (the grid keeps the cursor in the cell), while a value the store
// cannot take is told by the data source itself.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(BoundGrid* grid);
    // The column an editor was opened on, kept on the editor.
    static constexpr const char* kColumnProperty = "dorivanGridColumn";
    // Set on an editor whose last commit was refused.
    static constexpr const char* kRefusedProperty = "dorivanRefused";

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    // Tick boxes sit in the middle of their cell and toggle on a click anywhere in it or on Space.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool isTickColumn(const QModelIndex& index) const;

    BoundGrid* m_grid;
    // A commit that opens a box (a store failure) takes the focus from its editor, which would commit
    // the same text again; the second commit is left out.
    mutable bool m_committing = false;
};
