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
