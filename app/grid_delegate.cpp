#include "app/grid_delegate.h"

#include "app/bound_grid.h"
#include "app/work_table_model.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
const char* const kOriginalText = "dorivanOriginalText";

QString editorText(const QWidget* editor)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentText();
    if (const auto* line = qobject_cast<const QLineEdit*>(editor))
        return line->text();
    return {};
}
} // namespace

GridDelegate::GridDelegate(BoundGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const
{
    const WorkTableModel* model = m_grid->workModel();
    if (!model || model->columnKind(index.column()) == WorkTableModel::Kind::YesNo)
        return nullptr;
    if (index.column() == m_grid->dropDownColumn() && m_grid->dropDownList()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFrame(false);
        combo->setModel(m_grid->dropDownList());
        combo->setModelColumn(0);
        combo->setProperty(kColumnProperty, index.column());
        return combo;
    }
    auto* line = new QLineEdit(parent);
    line->setFrame(false);
    line->setAlignment(model->columnAlignment(index.column()));
    line->setProperty(kColumnProperty, index.column());
    return line;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const WorkTableModel* model = m_grid->workModel();
    const QString text = model ? model->editText(index.row(), index.column()) : QString();
    editor->setProperty(kOriginalText, text);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
        combo->setEditText(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // A key that opened the editor arrives after this and replaces nothing but the selection.
        line->setText(text);
        line->selectAll();
    }
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const QString text = editorText(editor);
    if (text == editor->property(kOriginalText).toString())
        return;
    if (!model->setData(index, text, Qt::EditRole)) {
        // A figure that is not an amount is refused; the cell keeps its value.
        QApplication::beep();
        return;
    }
    editor->setProperty(kOriginalText, text);
    m_grid->notifyCellCommitted(index.column());
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (m_grid->reportEditorKey(keyEvent->key()))
            return true;
        if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
            auto* combo = qobject_cast<QComboBox*>(editor);
            if (combo && combo->view()->isVisible())
                return QStyledItemDelegate::eventFilter(object, event);
            // Enter stores the cell and moves on, as a book-keeper expects from a ledger grid.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_grid->advanceAfterEnter();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
