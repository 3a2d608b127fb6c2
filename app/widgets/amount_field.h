#pragma once

#include "common/money.h"

#include <QLineEdit>

#include <cstdint>
#include <optional>

// A numeric field of the main window: shows an amount in the "#,###" form (0 and no value as empty
// text) and reads back what the user typed. A text too long for the field is drawn in a smaller font
// until it fits, so that no figure is ever shown cut off.
class AmountField : public QLineEdit
{
    Q_OBJECT
public:
    explicit AmountField(QWidget* parent = nullptr);

    // The widest amount a user types, with a sign: fields and amount columns are made this wide.
    static inline const QString kWidestAmount = QStringLiteral("-999,999,999,999");

    void setAmount(const std::optional<Money>& amount);
    void setEmpty() { clear(); }
    // Nothing for an empty field or text that is not an amount.
    std::optional<Money> amount() const;

    // A field that holds a whole number rather than an amount (the colour number) shows it plainly,
    // without separators, and 0 as "0".
    void setNumber(std::int64_t number);
    // Nothing for an empty field or text that is not a whole number.
    std::optional<std::int64_t> number() const;

    // The field width that shows `text` whole in the field's usual font.
    int widthFor(const QString& text) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The font the field has when nothing needs to shrink: its parent's.
    QFont usualFont() const;
    // The width inside the frame and margins that the text may take.
    int textRoom() const;
    void fitText();

    bool m_fitting = false;
};
