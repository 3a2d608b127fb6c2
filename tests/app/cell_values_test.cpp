#include "app/grid/cell_values.h"

#include <QDate>

#include <gtest/gtest.h>

TEST(CellValues, AmountsGoIntoEditorsExactlyAndComeBackFromTypedText)
{
    EXPECT_EQ(cellEditText(CellKind::Amount, Value(Money::fromRaw(2505000))), QStringLiteral("250.5"));
    EXPECT_EQ(cellEditText(CellKind::Amount, Value(Money::fromRaw(-12345678))), QStringLiteral("-1234.5678"));
    EXPECT_EQ(cellEditText(CellKind::Amount, Value(Money::fromYen(1234567))), QStringLiteral("1234567"));
    EXPECT_EQ(cellEditText(CellKind::Amount, Value(Money())), QString());
    EXPECT_EQ(cellDisplayText(CellKind::Amount, Value(Money::fromYen(1234567))), QStringLiteral("1,234,567"));
    EXPECT_EQ(cellDisplayText(CellKind::Date, Value(QDate(2024, 2, 29))), QStringLiteral("2024/02/29"));

    Value v;
    ASSERT_TRUE(cellFromInput(CellKind::Amount, QStringLiteral("-1,234.5678"), &v));
    EXPECT_EQ(v.toMoney(), Money::fromRaw(-12345678));
    ASSERT_TRUE(cellFromInput(CellKind::Amount, QStringLiteral("  "), &v));
    EXPECT_TRUE(v.isNull());
    EXPECT_FALSE(cellFromInput(CellKind::Amount, 1e300, &v));
    EXPECT_FALSE(cellFromInput(CellKind::Date, QStringLiteral("2024/02/30"), &v));
    ASSERT_TRUE(cellFromInput(CellKind::Date, QStringLiteral("2024/2/9"), &v));
    EXPECT_EQ(v.toDate(), QDate(2024, 2, 9));
    EXPECT_FALSE(cellFromInput(CellKind::Integer, QStringLiteral("7a"), &v));
    ASSERT_TRUE(cellFromInput(CellKind::YesNo, true, &v));
    EXPECT_TRUE(v.toBool());

    // The smallest amount the store can hold still edits without overflow.
    const Money lowest = Money::fromRaw(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(cellEditText(CellKind::Amount, Value(lowest)), QStringLiteral("-922337203685477.5808"));
    EXPECT_TRUE(cellEditValue(CellKind::Text, Value()).isNull());
}
