// The amount reader over arbitrary text, read both as UTF-8 and as raw UTF-16 (lone surrogates and all).
// What it accepts must show as "#,###" and read back as the same amount rounded to whole yen; what it
// reads must not change when the digits and signs come full-width from a Japanese keyboard.
#include "common/money.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

[[noreturn]] void fail(const char* what, const QString& text)
{
    std::fprintf(stderr, "%s\n  input: %s\n", what, text.toUtf8().constData());
    std::abort();
}

// Halves away from zero, as the display rounds. Nothing when the whole yen do not fit the range.
std::optional<Money> roundedToYen(Money amount)
{
    const std::int64_t raw = amount.raw();
    const std::int64_t rest = raw % Money::kScale;
    std::int64_t yen = raw / Money::kScale;
    if (rest >= Money::kScale / 2)
        ++yen;
    else if (rest <= -Money::kScale / 2)
        --yen;
    try {
        return Money::fromYen(yen);
    } catch (const MoneyOverflow&) {
        return std::nullopt;
    }
}

QString fullWidth(const QString& ascii)
{
    QString out;
    for (const QChar c : ascii) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            out += QChar(char16_t(u'０' + (u - u'0')));
        else if (u == u',')
            out += QChar(u'，');
        else if (u == u'.')
            out += QChar(u'．');
        else if (u == u'-')
            out += QChar(u'－');
        else if (u == u'+')
            out += QChar(u'＋');
        else
            out += c;
    }
    return out;
}

void check(const QString& text)
{
    const ParsedAmount parsed = parseAmount(text);
    const ParsedAmount wide = parseAmount(fullWidth(text));
    if (wide.status != parsed.status || wide.amount != parsed.amount)
        fail("full-width digits read differently from ASCII ones", text);
    if (parsed.status != AmountParse::Ok) {
        if (parsed.amount != Money())
            fail("a refused amount carries a value", text);
        return;
    }

    const QString shown = formatAmount(parsed.amount);
    const ParsedAmount again = parseAmount(shown);
    const std::optional<Money> expected = roundedToYen(parsed.amount);
    if (!expected) {
        // Within half a yen of the range's edge the rounded figure lies outside it.
        if (again.status != AmountParse::OutOfRange)
            fail("a shown amount beyond the range was not refused as such", text);
    } else if (expected->isZero()) {
        if (!shown.isEmpty() || again.status != AmountParse::Empty)
            fail("an amount that rounds to 0 is not shown empty", text);
    } else if (again.status != AmountParse::Ok || again.amount != *expected) {
        fail("the shown amount does not read back as the rounded amount", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString utf16;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        utf16 += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    check(utf16);
    return 0;
}
