#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>

// An amount of yen held as a count of ten-thousandths, the range of the currency type of the stored
// files. Only addition and subtraction are needed; both refuse to wrap.
class MoneyOverflow : public std::overflow_error
{
public:
    MoneyOverflow() : std::overflow_error("amount out of the currency range") {}
};

class Money
{
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t tenThousandths) { return Money(tenThousandths); }
    // Whole yen; throws MoneyOverflow when the amount does not fit.
    static Money fromYen(std::int64_t yen);

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }

    std::optional<Money> checkedAdd(Money other) const;
    std::optional<Money> checkedSub(Money other) const;
    // Throw MoneyOverflow instead of wrapping.
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }

    // The amount in yen as a double, for display models that hand numbers to views only.
    double toYenDouble() const { return double(m_raw) / double(kScale); }

    friend constexpr bool operator==(Money a, Money b) { return a.m_raw == b.m_raw; }
    friend constexpr auto operator<=>(Money a, Money b) { return a.m_raw <=> b.m_raw; }

private:
    constexpr explicit Money(std::int64_t raw) : m_raw(raw) {}
    std::int64_t m_raw = 0;
};

// The "#,###" number format: thousands separators, rounded to whole yen (halves away from zero),
// an amount that rounds to 0 as empty text, a leading minus for negatives.
QString formatAmount(Money amount);
QString formatAmount(const std::optional<Money>& amount);
// The amount in yen without separators, as a CSV file holds it and an editor starts from it: integers
// as integers, a fraction with up to four digits and no trailing zeros ("1234.5"), a leading minus for
// negatives.
QString plainAmountText(Money amount);

// Reads what a book-keeper types into an amount field: optional sign, digits, thousands commas (every
// three digits from the right, or none at all) and an optional fraction of up to four digits (zeros
// after the fourth are allowed: the value is still exact). Full-width
// digits, commas, minus and point, as a Japanese keyboard produces them, count as their ASCII forms;
// surrounding blanks are ignored.
enum class AmountParse { Ok, Empty, NotNumber, OutOfRange };
struct ParsedAmount
{
    AmountParse status = AmountParse::Empty;
    Money amount;
};
ParsedAmount parseAmount(const QString& text);
