#include "settings/colors.h"

#include <gtest/gtest.h>

TEST(ColorsTest, RedSitsInTheLowestByte)
{
    EXPECT_EQ(colorFromRgbValue(255), QColor(255, 0, 0));
    EXPECT_EQ(colorFromRgbValue(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(colorFromRgbValue(8421631), QColor(255, 128, 128));
    EXPECT_EQ(colorFromRgbValue(13488593), QColor(209, 209, 205));
    EXPECT_EQ(rgbValueFromColor(QColor(255, 128, 128)), 8421631);
    EXPECT_EQ(rgbValueFromColor(Qt::white), kWhiteRgbValue);
    EXPECT_EQ(rgbValueFromColor(QColor()), 0);
    for (std::int64_t v : {0LL, 1LL, 0x123456LL, 0xFFFFFFLL})
        EXPECT_EQ(rgbValueFromColor(colorFromRgbValue(v)), v);

    EXPECT_TRUE(isRgbValue(0));
    EXPECT_TRUE(isRgbValue(16777215));
    EXPECT_FALSE(isRgbValue(-1));
    EXPECT_FALSE(isRgbValue(16777216));
}
