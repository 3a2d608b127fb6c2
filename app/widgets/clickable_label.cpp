#include "app/widgets/clickable_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <utility>

void ClickableLabel::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    // The press that gives the focus arrives right after this; that click only selects the label.
    m_focusFromPress = event->reason() == Qt::MouseFocusReason;
}

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    m_armed =
        event->button() == Qt::LeftButton && focusPolicy() != Qt::NoFocus && hasFocus() && !m_focusFromPress;
    m_focusFromPress = false;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    const bool armed = std::exchange(m_armed, false);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    emit clicked();
    if (armed)
        emit activated();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    // The release that ends a double click is no single click of its own.
    m_armed = false;
    m_focusFromPress = false;
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void ClickableLabel::keyPressEvent(QKeyEvent* event)
{
    if (focusPolicy() != Qt::NoFocus && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        emit activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted frame inside the border, dark on a light fill and light on a dark one: the styles' own
    // focus frame is faint or missing on a coloured label.
    QPainter painter(this);
    const QColor fill = palette().color(backgroundRole());
    painter.setPen(
        QPen(autoFillBackground() && fill.lightness() < 128 ? Qt::white : Qt::black, 1, Qt::DotLine));
    painter.drawRect(contentsRect().adjusted(2, 2, -3, -3));
}
