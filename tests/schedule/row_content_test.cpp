#include "schedule/row_content.h"
#include "storage/value.h"

#include <gtest/gtest.h>

using namespace schedule;

TEST(RowContent, EmptyPayerTextIsNoPayerInEveryFormAndSuchRowsAreNamedBeforeASave)
{
    EXPECT_FALSE(hasPayer(std::optional<QString>()));
    EXPECT_FALSE(hasPayer(std::optional<QString>(QString())));
    EXPECT_TRUE(hasPayer(std::optional<QString>(QStringLiteral("甲社"))));
    EXPECT_FALSE(hasPayer(Value()));
    EXPECT_FALSE(hasPayer(Value(QString())));
    EXPECT_TRUE(hasPayer(Value(QStringLiteral("甲社"))));

    WorkRow blank;
    blank.行番号 = 1;
    blank.予定額 = Money();
    WorkRow emptiedPayer;
    emptiedPayer.行番号 = 2;
    emptiedPayer.入金先名 = QString();
    emptiedPayer.予定額 = Money::fromYen(100);
    WorkRow dayOnly;
    dayOnly.行番号 = 3;
    dayOnly.表示日付 = QStringLiteral("05");
    WorkRow complete = dayOnly;
    complete.行番号 = 4;
    complete.入金先名 = QStringLiteral("乙社");
    EXPECT_FALSE(hasPayer(emptiedPayer));
    EXPECT_TRUE(hasPayer(complete));
    EXPECT_EQ(rowsWithoutPayer({blank, emptiedPayer, dayOnly, complete}), std::vector<int>({2, 3}));
}
