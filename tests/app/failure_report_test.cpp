#include "app/dialogs/failure_report.h"
#include "common/money.h"
#include "schedule/balances.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "support/dialog_answers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QString kUnforeseen = QStringLiteral("この操作は完了しませんでした。");

} // namespace

TEST(FailureReport, EachFailureIsToldWithTheTextItCarriesAndAnythingElseWithTheStepsOwn)
{
    const QString storeText = QStringLiteral("データ ファイルに書き込めません。");
    EXPECT_EQ(failureMessage(StorageError(StorageError::Kind::Busy, storeText, "busy"), kUnforeseen),
              storeText);
    const QString inputText = QStringLiteral("罫線色は 0 から 16777215 までの数です。");
    EXPECT_EQ(failureMessage(settings::SettingsInputError(inputText), kUnforeseen), inputText);
    // An overflow of Money anywhere reads as the refused total it is.
    const QString outOfRange = schedule::AmountOutOfRange().userMessage();
    EXPECT_EQ(failureMessage(MoneyOverflow(), kUnforeseen), outOfRange);
    EXPECT_EQ(failureMessage(schedule::AmountOutOfRange(), kUnforeseen), outOfRange);
    EXPECT_EQ(failureMessage(std::runtime_error("internal detail"), kUnforeseen), kUnforeseen);
}

TEST(FailureReport, AStepThatGoesThroughTellsNothingAndAFailedOneOneNoticeInTheStandardBox)
{
    ScriptedPrompts prompts;
    ScopedDialogAnswers answers(prompts);
    bool ran = false;
    EXPECT_TRUE(runReportingFailure(
        prompts, [&] { ran = true; }, kUnforeseen));
    EXPECT_TRUE(ran);
    EXPECT_EQ(answers.count(), 0);

    EXPECT_FALSE(runReportingFailure(
        prompts, [] { throw MoneyOverflow(); }, kUnforeseen));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().style, DialogStyle::Notice);
    EXPECT_EQ(answers.last().message, schedule::AmountOutOfRange().userMessage());

    EXPECT_FALSE(runReportingFailure(
        prompts, [] { throw std::logic_error("bug"); }, kUnforeseen));
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.last().message, kUnforeseen);
}
