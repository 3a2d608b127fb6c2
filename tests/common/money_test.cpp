#include "common/money.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

Money raw(std::int64_t value)
{
    return Money::fromRaw(value);
}

} // namespace

TEST(Money, ArithmeticRefusesToWrap)
{
    EXPECT_EQ(Money::fromYen(1500) + Money::fromYen(-2000), Money::fromYen(-500));
    EXPECT_EQ(Money::fromYen(3) - raw(1), raw(29999));

    EXPECT_THROW(raw(kMax) + raw(1), MoneyOverflow);
    EXPECT_THROW(raw(kMin) - raw(1), MoneyOverflow);
    EXPECT_THROW(raw(0) - raw(kMin), MoneyOverflow);
    EXPECT_FALSE(raw(kMax).checkedAdd(raw(1)).has_value());
    EXPECT_EQ(raw(kMin).checkedAdd(raw(kMax)), raw(-1));

    Money balance = raw(kMax - 1);
    EXPECT_THROW(balance += raw(2), MoneyOverflow);
    EXPECT_EQ(balance, raw(kMax - 1)) << "a refused addition leaves the balance as it was";

    EXPECT_EQ(Money::fromYen(922337203685477).raw(), 9223372036854770000);
    EXPECT_THROW(Money::fromYen(922337203685478), MoneyOverflow);
    EXPECT_THROW(Money::fromYen(-922337203685478), MoneyOverflow);
}

TEST(Money, FormatsWithSeparatorsAndWholeYen)
{
    EXPECT_EQ(formatAmount(Money()), QString());
    EXPECT_EQ(formatAmount(std::optional<Money>()), QString());
    EXPECT_EQ(formatAmount(Money::fromYen(999)), QStringLiteral("999"));
    EXPECT_EQ(formatAmount(Money::fromYen(1000)), QStringLiteral("1,000"));
    EXPECT_EQ(formatAmount(Money::fromYen(1234567)), QStringLiteral("1,234,567"));
    EXPECT_EQ(formatAmount(Money::fromYen(-1234567)), QStringLiteral("-1,234,567"));

    // Halves go away from zero; anything that rounds to no yen shows nothing.
    EXPECT_EQ(formatAmount(raw(15000)), QStringLiteral("2"));
    EXPECT_EQ(formatAmount(raw(-15000)), QStringLiteral("-2"));
    EXPECT_EQ(formatAmount(raw(14999)), QStringLiteral("1"));
    EXPECT_EQ(formatAmount(raw(4999)), QString());
    EXPECT_EQ(formatAmount(raw(-4999)), QString());
    EXPECT_EQ(formatAmount(raw(5000)), QStringLiteral("1"));
    EXPECT_EQ(formatAmount(raw(9995000)), QStringLiteral("1,000"));

    EXPECT_EQ(formatAmount(raw(kMax)), QStringLiteral("922,337,203,685,478"));
    EXPECT_EQ(formatAmount(raw(kMin)), QStringLiteral("-922,337,203,685,478"));
}

TEST(Money, ParsesWhatIsTyped)
{
    auto parsed = [](const QString& text) { return parseAmount(text); };
    auto ok = [&](const QString& text, std::int64_t expectedRaw) {
        const ParsedAmount p = parsed(text);
        EXPECT_EQ(p.status, AmountParse::Ok) << text.toStdString();
        EXPECT_EQ(p.amount.raw(), expectedRaw) << text.toStdString();
    };
    ok(QStringLiteral("1234"), 12340000);
    ok(QStringLiteral("1,234"), 12340000);
    ok(QStringLiteral("  -1,234.5 "), -12345000);
    ok(QStringLiteral("+12"), 120000);
    ok(QStringLiteral("0.0001"), 1);
    ok(QStringLiteral(".5"), 5000);
    ok(QStringLiteral("１，２３４"), 12340000);
    ok(QStringLiteral("12,345,678.9"), 123456789000);
    ok(QStringLiteral("999,999,999,999"), 9999999999990000);
    ok(QStringLiteral("-0,001"), -10000);
    ok(QStringLiteral("－１２．３４"), -123400);
    ok(QStringLiteral("\u3000５００\u3000"), 5000000);
    ok(QStringLiteral("922337203685477.5807"), kMax);
    ok(QStringLiteral("-922337203685477.5808"), kMin);

    EXPECT_EQ(parsed(QString()).status, AmountParse::Empty);
    EXPECT_EQ(parsed(QStringLiteral("   ")).status, AmountParse::Empty);

    for (const char* bad :
         {"abc",        "12a",      "1e3",      "1-",        "--1",      "- 1",      "1,,000",
          ",100",       "100,",     "1.2.3",    ".",         "-",        "1.23456",  "¥100",
          "1 000",      "1,2,3",    "1,0000,0", "12,34",     "1234,567", "1,234567", "1,234,56",
          "1,234,5678", "1,234,.5", "1,23.4",   "１，２，３"})
        EXPECT_EQ(parsed(QString::fromUtf8(bad)).status, AmountParse::NotNumber) << bad;

    EXPECT_EQ(parsed(QStringLiteral("922337203685477.5808")).status, AmountParse::OutOfRange);
    EXPECT_EQ(parsed(QStringLiteral("-922337203685477.5809")).status, AmountParse::OutOfRange);
    EXPECT_EQ(parsed(QStringLiteral("99999999999999999999999999")).status, AmountParse::OutOfRange);
    // A number too long to hold but followed by junk is still not a number.
    EXPECT_EQ(parsed(QStringLiteral("99999999999999999999999999x")).status, AmountParse::NotNumber);
}

TEST(Money, ZerosPastTheFourthDecimalKeepAnAmountExact)
{
    EXPECT_EQ(parseAmount(QStringLiteral("1.50000")).amount, Money::fromRaw(15000));
    EXPECT_EQ(parseAmount(QStringLiteral("－１，２３４．５６７８０００")).amount, Money::fromRaw(-12345678));
    EXPECT_EQ(parseAmount(QStringLiteral(".00000")).status, AmountParse::Ok);
    for (const char* inexact : {"1.00001", "1.50000001", "0.12345"})
        EXPECT_EQ(parseAmount(QString::fromUtf8(inexact)).status, AmountParse::NotNumber) << inexact;
}

TEST(Money, PlainTextKeepsEveryTenThousandthWithoutSeparators)
{
    EXPECT_EQ(plainAmountText(Money()), QStringLiteral("0"));
    EXPECT_EQ(plainAmountText(Money::fromYen(1234567)), QStringLiteral("1234567"));
    EXPECT_EQ(plainAmountText(raw(12345000)), QStringLiteral("1234.5"));
    EXPECT_EQ(plainAmountText(raw(-1)), QStringLiteral("-0.0001"));
    EXPECT_EQ(plainAmountText(raw(10500)), QStringLiteral("1.05"));
    EXPECT_EQ(plainAmountText(raw(kMax)), QStringLiteral("922337203685477.5807"));
    // The smallest amount has no positive counterpart.
    EXPECT_EQ(plainAmountText(raw(kMin)), QStringLiteral("-922337203685477.5808"));
}
