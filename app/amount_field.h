#pragma once

#include "common/money.h"

#include <QLineEdit>

#include <cstdint>
#include <optional>

// A numeric field of the main window: shows an amount in the "#,###" form (0 and no value as empty
// text) and reads back what the user typed.
class AmountField : public QLineEdit
{
    Q_OBJECT
public:
    explicit AmountField(QWidget* parent = nullptr);

    void setAmount(const std::optional<Money>& amount);
    void setEmpty() { clear(); }
    // Nothing for an empty field or text that is not an amount.
    std::optional<Money> amount() const;

    // A field that holds a whole number rather than an amount (the colour number) shows it plainly,
    // without separators, and 0 as "0".
    void setNumber(std::int64_t number);
    // Nothing for an empty field or text that is not a whole number.
    std::optional<std::int64_t> number() const;
};
