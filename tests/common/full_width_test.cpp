#include "common/full_width.h"

#include <gtest/gtest.h>

TEST(FullWidth, DigitsSignsAndSeparatorsReadAsAsciiAndEverythingElseStays)
{
    EXPECT_EQ(foldFullWidth(QStringLiteral("０１２３４５６７８９")), QStringLiteral("0123456789"));
    EXPECT_EQ(foldFullWidth(QStringLiteral("－１，２３４．５")), QStringLiteral("-1,234.5"));
    EXPECT_EQ(foldFullWidth(QStringLiteral("＋７ −８")), QStringLiteral("+7 -8"));
    // Era names, the 年 and 月 marks, letters and the ideographic blank are the caller's to read.
    EXPECT_EQ(foldFullWidth(QStringLiteral("令和　０６年０５月ＡＢ")), QStringLiteral("令和　06年05月ＡＢ"));
    // The characters just outside the digit range are not digits.
    EXPECT_EQ(foldFullWidth(QString(QChar(0xFF0F)) + QChar(0xFF1A)), QString(QChar(0xFF0F)) + QChar(0xFF1A));
    EXPECT_EQ(foldFullWidth(QString()), QString());
}
