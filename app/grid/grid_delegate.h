#pragma once

#include <QStyledItemDelegate>

#include <functional>

class WorkTableModel;

// Editors of a bound grid: a line edit for every cell, and for the grid's drop-down column an editable
// combo box over the list of names that also takes a name the list does not hold. Both take typed keys
// and input-method commits. An edit that leaves the text as it was writes nothing; a text that is no
// value of its column is refused (the grid keeps the cursor in the cell), while a value the store
// cannot take is told by the data source itself.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // What the editors need from their grid (BoundGrid): its model and drop-down list, and where a
    // commit, a refused text and an editor's keys are reported.
    struct Source
    {
        // The grid the editors open in; they take over its input-method state.
        QWidget* view = nullptr;
        std::function<const WorkTableModel*()> model;
        std::function<int()> dropDownColumn;
        std::function<QAbstractItemModel*()> dropDownList;
        std::function<void(const QModelIndex& index, const QString& text)> refuseCell;
        std::function<void(int column)> cellCommitted;
        // True when a handler cancelled the key.
        std::function<bool(int key)> editorKey;
        // False when the editor's text was refused.
        std::function<bool(QWidget* editor)> commitEditor;
        std::function<void()> advanceAfterEnter;
    };

    GridDelegate(Source source, QObject* parent);
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

    Source m_source;
    // A commit that opens a box (a store failure) takes the focus from its editor, which would commit
    // the same text again; the second commit is left out.
    mutable bool m_committing = false;
};
