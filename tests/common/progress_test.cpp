#include "common/progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The rows at which the percentage rose, for a save over rowTotal rows.
std::vector<int> risingRows(int rowTotal, StepProgress& progress)
{
    progress.start(rowTotal);
    std::vector<int> rows;
    for (int row = 1; row <= rowTotal; ++row) {
        const int before = progress.percent();
        progress(row);
        if (progress.percent() != before)
            rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(StepProgress, TwoHundredRowsRiseEveryTwentyTwoToNinety)
{
    StepProgress progress;
    const auto rows = risingRows(200, progress);
    EXPECT_EQ(progress.step(), 22);
    EXPECT_EQ(rows, (std::vector<int>{22, 44, 66, 88, 110, 132, 154, 176, 198}));
    EXPECT_EQ(progress.percent(), 90);

    // Starting again forgets the last save.
    progress.start(200);
    EXPECT_EQ(progress.percent(), 0);
}

TEST(StepProgress, SmallTotalsStepEveryRowAndStopAtHundred)
{
    StepProgress progress;
    EXPECT_EQ(risingRows(9, progress).size(), 9u);
    EXPECT_EQ(progress.step(), 1);
    EXPECT_EQ(progress.percent(), 90);

    EXPECT_EQ(risingRows(4, progress).size(), 4u);
    EXPECT_EQ(progress.step(), 1);
    EXPECT_EQ(progress.percent(), 40);

    progress.start(4);
    for (int row = 1; row <= 15; ++row)
        progress(row);
    EXPECT_EQ(progress.percent(), 100);

    // 13 / 9 is nearer 1, 14 / 9 nearer 2.
    progress.start(13);
    EXPECT_EQ(progress.step(), 1);
    progress.start(14);
    EXPECT_EQ(progress.step(), 2);
}

TEST(StepProgress, NoRowsDoNothing)
{
    StepProgress progress;
    progress.start(0);
    for (int row = 0; row <= 5; ++row)
        progress(row);
    EXPECT_EQ(progress.percent(), 0);

    progress.start(200);
    progress(0);
    EXPECT_EQ(progress.percent(), 0) << "row counters are 1-based";
}
