#include "app/grid/grid_delegate.h"

#include "app/grid/work_table_model.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStyle>

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

// An editor takes over the input-method state the grid has for the cell under the cursor, so that
// switching the conversion per column also holds while the cell is being typed into.
void followInputMethod(QWidget* editor, const QWidget* grid)
{
    editor->setAttribute(Qt::WA_InputMethodEnabled, grid->testAttribute(Qt::WA_InputMethodEnabled));
    editor->setInputMethodHints(grid->inputMethodHints());
}
} // namespace

GridDelegate::GridDelegate(Source source, QObject* parent)
    : QStyledItemDelegate(parent), m_source(std::move(source))
{
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const
{
    const WorkTableModel* model = m_source.model();
    if (!model || model->columnKind(index.column()) == WorkTableModel::Kind::YesNo)
        return nullptr;
    if (index.column() == m_source.dropDownColumn() && m_source.dropDownList()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFrame(false);
        combo->setModel(m_source.dropDownList());
        combo->setModelColumn(0);
        combo->setProperty(kColumnProperty, index.column());
        followInputMethod(combo, m_source.view);
        return combo;
    }
    auto* line = new QLineEdit(parent);
    followInputMethod(line, m_source.view);
    line->setFrame(false);
    line->setAlignment(model->columnAlignment(index.column()));
    line->setProperty(kColumnProperty, index.column());
    return line;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const WorkTableModel* model = m_source.model();
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
    if (m_committing)
        return;
    const QScopedValueRollback<bool> committing(m_committing, true);
    const QPointer<QWidget> guard(editor);
    editor->setProperty(kRefusedProperty, false);
    const QString text = editorText(editor);
    if (text == editor->property(kOriginalText).toString())
        return;
    const WorkTableModel* source = m_source.model();
    Value value;
    if (source && !source->toStored(index.column(), text, &value)) {
        // A text that is no value of the column (a figure that is not an amount) is refused; the cell
        // keeps its value.
        m_source.refuseCell(index, text);
        return;
    }
    // The source tells the user itself why it could not store the value (a locked or full file); that
    // is no fault of what was typed.
    if (!model->setData(index, text, Qt::EditRole) || !guard)
        return;
    editor->setProperty(kOriginalText, text);
    m_source.cellCommitted(index.column());
}

bool GridDelegate::isTickColumn(const QModelIndex& index) const
{
    const WorkTableModel* model = m_source.model();
    return model && model->columnKind(index.column()) == WorkTableModel::Kind::YesNo;
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    if (!isTickColumn(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (index.data(Qt::CheckStateRole).isNull())
        return;
    QStyleOptionViewItem check = option;
    check.rect = QStyle::alignedRect(option.direction, Qt::AlignCenter, box.size(), option.rect);
    check.state = check.state & ~QStyle::State_HasFocus;
    check.state |= index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked ? QStyle::State_On
                                                                                         : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& index)
{
    if (!isTickColumn(index))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
            return false;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A double click must not open anything; its second release toggles once more.
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
               event->type() != QEvent::MouseButtonPress;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool ticked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        // A key for the open list of names is the list's, not the grid's.
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (combo && combo->view()->isVisible())
            return QStyledItemDelegate::eventFilter(object, event);
        if (m_source.editorKey(keyEvent->key()))
            return true;
        if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
            // Enter stores the cell and moves on, as a book-keeper expects from a ledger grid; a refused
            // text keeps the cursor where it is.
            if (m_source.commitEditor(editor))
                m_source.advanceAfterEnter();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // A computed column is not enabled only so that the cursor passes it by; its figures are read as
    // clearly as the others.
    const WorkTableModel* model = m_source.model();
    if (model && model->isColumnReadOnly(index.column()))
        option->state |= QStyle::State_Enabled;
}
