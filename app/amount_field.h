#pragma once

#include "common/money.h"

#include <QLineEdit>

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
};
