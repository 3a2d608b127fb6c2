#include "common/money.h"

#include "common/full_width.h"

#include <limits>

namespace {

constexpr std::uint64_t kRawMagnitudeLimit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;

// The magnitude of a raw amount without overflowing on the most negative value.
std::uint64_t magnitudeOf(std::int64_t raw)
{
    return raw < 0 ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

Money Money::fromYen(std::int64_t yen)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(yen, kScale, &raw))
        throw MoneyOverflow();
    return Money(raw);
}

std::optional<Money> Money::checkedAdd(Money other) const
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum))
        return std::nullopt;
    return Money(sum);
}

std::optional<Money> Money::checkedSub(Money other) const
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &difference))
        return std::nullopt;
    return Money(difference);
}

Money Money::operator+(Money other) const
{
    if (auto sum = checkedAdd(other))
        return *sum;
    throw MoneyOverflow();
}

Money Money::operator-(Money other) const
{
    if (auto difference = checkedSub(other))
        return *difference;
    throw MoneyOverflow();
}

QString formatAmount(Money amount)
{
    const std::uint64_t magnitude = magnitudeOf(amount.raw());
    std::uint64_t yen = magnitude / Money::kScale;
    if (magnitude % Money::kScale >= Money::kScale / 2)
        ++yen;
    if (yen == 0)
        return {};

    QString digits = QString::number(yen);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    if (amount.raw() < 0)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

QString formatAmount(const std::optional<Money>& amount)
{
    return amount ? formatAmount(*amount) : QString();
}

QString plainAmountText(Money amount)
{
    const std::int64_t raw = amount.raw();
    const bool negative = raw < 0;
    // The magnitude of the smallest value does not fit a signed integer; work unsigned.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
    QString text = QString::number(magnitude / Money::kScale);
    if (const std::uint64_t fraction = magnitude % Money::kScale) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

ParsedAmount parseAmount(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return {AmountParse::Empty, Money()};

    const QString ascii = foldFullWidth(text);

    qsizetype pos = 0;
    bool negative = false;
    if (ascii[0] == QLatin1Char('-') || ascii[0] == QLatin1Char('+')) {
        negative = ascii[0] == QLatin1Char('-');
        ++pos;
    }

    // Accumulate the magnitude in ten-thousandths; a negative amount may reach one unit further than a
    // positive one.
    const std::uint64_t limit = negative ? kRawMagnitudeLimit : kRawMagnitudeLimit - 1;
    std::uint64_t whole = 0;
    bool tooLarge = false;
    int integerDigits = 0;
    // Thousands commas, when there are any, stand every three digits from the right: "1,2,3" is a
    // slip of the finger, not 123.
    bool grouped = false;
    int groupDigits = 0;
    for (; pos < ascii.size(); ++pos) {
        const QChar c = ascii[pos];
        if (isAsciiDigit(c)) {
            whole = whole * 10 + std::uint64_t(c.unicode() - u'0');
            if (whole > limit / Money::kScale)
                tooLarge = true; // keep scanning: a later letter still makes it no number at all
            if (tooLarge)
                whole = limit / Money::kScale + 1;
            ++integerDigits;
            ++groupDigits;
        } else if (c == QLatin1Char(',')) {
            const bool groupRight = grouped ? groupDigits == 3 : groupDigits >= 1 && groupDigits <= 3;
            if (!groupRight)
                return {AmountParse::NotNumber, Money()};
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return {AmountParse::NotNumber, Money()};

    std::uint64_t fraction = 0;
    int fractionDigits = 0;
    if (pos < ascii.size() && ascii[pos] == QLatin1Char('.')) {
        for (++pos; pos < ascii.size() && isAsciiDigit(ascii[pos]); ++pos) {
            // Zeros past the fourth decimal change nothing ("1.50000" is exact); any other digit there
            // is a fraction of a ten-thousandth that cannot be held.
            if (fractionDigits == 4) {
                if (ascii[pos] != QLatin1Char('0'))
                    return {AmountParse::NotNumber, Money()};
                continue;
            }
            ++fractionDigits;
            fraction = fraction * 10 + std::uint64_t(ascii[pos].unicode() - u'0');
        }
    }
    if (pos != ascii.size() || integerDigits + fractionDigits == 0)
        return {AmountParse::NotNumber, Money()};
    if (tooLarge)
        return {AmountParse::OutOfRange, Money()};

    for (int i = fractionDigits; i < 4; ++i)
        fraction *= 10;
    const std::uint64_t magnitude = whole * Money::kScale + fraction;
    if (magnitude > limit)
        return {AmountParse::OutOfRange, Money()};
    const std::int64_t raw = negative ? std::int64_t(std::uint64_t(0) - magnitude) : std::int64_t(magnitude);
    return {AmountParse::Ok, Money::fromRaw(raw)};
}
