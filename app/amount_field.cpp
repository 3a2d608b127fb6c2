#include "app/amount_field.h"

AmountField::AmountField(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
