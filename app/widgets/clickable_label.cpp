#include "app/widgets/clickable_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyle>

void ClickableLabel::setElided(bool elided)
{
    m_elided = elided;
    updateGeometry();
    update();
}

namespace {

// The text in at most `lines` lines of `width`, broken at the last blank that fits; the last line ends in
// "…" when the text goes on past it.
QStringList brokenLines(const QString& text, const QFontMetrics& metrics, int width, int lines)
{
    QStringList result;
    QString rest = text;
    while (!rest.isEmpty() && result.size() + 1 < lines && metrics.horizontalAdvance(rest) > width) {
        qsizetype cut = rest.lastIndexOf(QLatin1Char(' '));
        while (cut > 0 && metrics.horizontalAdvance(rest.left(cut)) > width)
            cut = rest.lastIndexOf(QLatin1Char(' '), cut - 1);
        if (cut <= 0)
            break;
        result << rest.left(cut);
        rest = rest.mid(cut + 1);
    }
    result << metrics.elidedText(rest, Qt::ElideRight, width);
    return result;
}

} // namespace

QSize ClickableLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return m_elided ? QSize(0, elidedHeight()) : hint;
}

QSize ClickableLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    return m_elided ? QSize(0, elidedHeight()) : hint;
}

QStringList ClickableLabel::shownLines() const
{
    const int width = contentsRect().width() - 2 * margin();
    return brokenLines(text(), fontMetrics(), width, kElidedLines);
}

int ClickableLabel::elidedHeight() const
{
    const QMargins frame = contentsMargins();
    return kElidedLines * fontMetrics().lineSpacing() + frame.top() + frame.bottom() + 2 * margin();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
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
    if (m_elided) {
        QPainter painter(this);
        drawFrame(&painter);
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const QString shown = shownLines().join(QLatin1Char('\n'));
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
    } else {
        QLabel::paintEvent(event);
    }
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
