#include "app/widgets/amount_field.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace {

// QLineEdit keeps this many pixels free on each side of its text, besides the text margins.
constexpr int kLineEditMargin = 2;
// Below this the figures are no longer readable; a text that does not fit even then scrolls as before.
constexpr qreal kSmallestPointSize = 5.0;

} // namespace

AmountField::AmountField(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, [this] { fitText(); });
}

void AmountField::setAmount(const std::optional<Money>& amount)
{
    setText(formatAmount(amount));
}

std::optional<Money> AmountField::amount() const
{
    const ParsedAmount parsed = parseAmount(text());
    if (parsed.status != AmountParse::Ok)
        return std::nullopt;
    return parsed.amount;
}

void AmountField::setNumber(std::int64_t number)
{
    setText(QString::number(number));
}

std::optional<std::int64_t> AmountField::number() const
{
    bool ok = false;
    const qlonglong value = text().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

int AmountField::widthFor(const QString& text) const
{
    // Measured as QLineEdit measures its own size hint, with the cursor's pixel beside the text.
    const QFontMetricsF metrics(usualFont());
    const QMargins margins = textMargins();
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QSize contents(int(std::ceil(metrics.horizontalAdvance(text))) + 2 * kLineEditMargin +
                             margins.left() + margins.right() + 1,
                         int(std::ceil(metrics.height())));
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this).width();
}

void AmountField::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    fitText();
}

void AmountField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    // A new desktop font reaches the field through its parent; the fit starts again from it. The
    // field's own change of font comes here too and is passed over while the fit runs.
    if (event->type() == QEvent::FontChange)
        fitText();
}

QFont AmountField::usualFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font(this);
}

int AmountField::textRoom() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins()).width() - 2 * kLineEditMargin - 1;
}

void AmountField::fitText()
{
    if (m_fitting)
        return;
    m_fitting = true;
    const QFont usual = usualFont();
    QFont fitted = usual;
    const int room = textRoom();
    const QString shown = text();
    if (room > 0 && QFontMetricsF(fitted).horizontalAdvance(shown) > room) {
        const bool byPoints = fitted.pointSizeF() > 0;
        qreal size = byPoints ? fitted.pointSizeF() : qreal(fitted.pixelSize());
        const qreal smallest = byPoints ? kSmallestPointSize : kSmallestPointSize * logicalDpiY() / 72.0;
        // Step down until the text fits: the width of a text is not exactly proportional to the size.
        while (size > smallest && QFontMetricsF(fitted).horizontalAdvance(shown) > room) {
            size = std::max(smallest, size - 0.5);
            if (byPoints)
                fitted.setPointSizeF(size);
            else
                fitted.setPixelSize(int(size));
        }
    }
    if (fitted == usual) {
        // Back to the inherited font, so that the field follows its page again.
        if (testAttribute(Qt::WA_SetFont))
            setFont(QFont());
    } else if (font() != fitted) {
        setFont(fitted);
    }
    m_fitting = false;
}
