#include "app/dialogs/dialog_prompts.h"
#include "app/dialogs/standard_message.h"
#include "support/dialog_answers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

struct SeenBox
{
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
    bool modal = false;
};

// Runs `show` and, once the real box it opens is up, records the box and lets `act` answer it.
Answer answerRealBox(const std::function<Answer()>& show, SeenBox& seen,
                     const std::function<void(QMessageBox*)>& act)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.parent = box->parentWidget();
        seen.modal = box->isModal();
        act(box);
    });
    poll.start();
    const Answer result = show();
    poll.stop();
    return result;
}

// Shows the standard dialog with the real prompts and answers its box with `act`.
Answer showAndAnswer(const char* group, const char* code, const char* text, SeenBox& seen,
                     const std::function<void(QMessageBox*)>& act)
{
    const auto prompts = dialogPrompts();
    return answerRealBox([&] { return showStandardMessage(*prompts, s(group), s(code), s(text)); }, seen,
                         act);
}

class StandardMessageBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
};

} // namespace

TEST_F(StandardMessageBox, DeleteQuestionDefaultsToNoAndEscapeAnswersNo)
{
    SeenBox seen;
    const Answer result = showAndAnswer("削除", "伝票確認2", "指定された行", seen,
                                        [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(result, Answer::No);
    EXPECT_EQ(seen.title, s("削除の確認"));
    EXPECT_EQ(seen.text, s("指定された行 を削除します。よろしいですか"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    EXPECT_EQ(seen.parent, &window);
    EXPECT_TRUE(seen.modal);

    // Enter takes the default, which for a deletion is No.
    EXPECT_EQ(showAndAnswer("削除", "確認", "", seen,
                            [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }),
              Answer::No);
    EXPECT_EQ(showAndAnswer("削除", "確認", "", seen,
                            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }),
              Answer::Yes);
}

TEST_F(StandardMessageBox, SaveQuestionDefaultsToYes)
{
    SeenBox seen;
    const Answer result = showAndAnswer("登録", "確認", "入金予定表", seen,
                                        [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(result, Answer::Yes);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(showAndAnswer("登録", "確認", "入金予定表", seen,
                            [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
              Answer::No);
}

TEST_F(StandardMessageBox, NoticesAndWarningsOfferOkAndAnswerOk)
{
    SeenBox seen;
    auto ok = [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); };
    EXPECT_EQ(showAndAnswer("その他", "メッセージ", "年月を指定してください。", seen, ok), Answer::Ok);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, s("入金予定表"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    EXPECT_EQ(showAndAnswer("行指定", "余白なし", "", seen, ok), Answer::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    // Caller texts are shown as typed, not as markup.
    showAndAnswer("その他", "メッセージ", "<b>太字</b>", seen, ok);
    EXPECT_EQ(seen.text, s("<b>太字</b>"));
}

TEST_F(StandardMessageBox, AQuestionThatReplacesDataWarnsWithNoAsDefaultAndAFailureIsCritical)
{
    const auto prompts = dialogPrompts();
    SeenBox seen;
    const DialogSpec replace{s("旧データ取込"), s("置き換えます。取り込みますか。"),
                             DialogStyle::WarnDefaultNo};
    EXPECT_EQ(answerRealBox([&] { return prompts->ask(&window, replace, PromptButtons::Standard); }, seen,
                            [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }),
              Answer::No);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);

    const DialogSpec failed{s("入金予定表"), s("データファイルを開けません。"), DialogStyle::Error};
    EXPECT_EQ(answerRealBox([&] { return prompts->ask(&window, failed, PromptButtons::Standard); }, seen,
                            [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); }),
              Answer::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(StandardMessageBox, UnknownDialogShowsNothing)
{
    SeenBox seen;
    EXPECT_EQ(showAndAnswer("登録", "存在しない", "X", seen, [](QMessageBox* box) { box->reject(); }),
              Answer::Ok);
    EXPECT_FALSE(seen.shown);
}

TEST_F(StandardMessageBox, TheSchedulesOwnQuestionsCaptionTheirButtonsAndOnlyTheUnsavedOneOffersCancel)
{
    const auto prompts = dialogPrompts();
    const DialogSpec unsaved{s("未登録の変更"), s("登録しますか？"), DialogStyle::AskDefaultYes};
    const auto ask = [&](const DialogSpec& dialog, PromptButtons buttons) {
        return [&, dialog, buttons] { return prompts->ask(&window, dialog, buttons); };
    };
    SeenBox seen;
    QStringList captions;
    const auto escape = [&](QMessageBox* box) {
        captions.clear();
        for (QAbstractButton* button : box->buttons())
            captions << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
    };
    EXPECT_EQ(answerRealBox(ask(unsaved, PromptButtons::YesNoCancelInJapanese), seen, escape),
              Answer::Cancel);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(seen.parent, &window);
    captions.sort();
    EXPECT_EQ(captions, QStringList({s("いいえ"), s("はい"), s("キャンセル")}));
    EXPECT_EQ(answerRealBox(ask(unsaved, PromptButtons::YesNoCancelInJapanese), seen,
                            [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }),
              Answer::Yes);

    // The question about rows without payer: No is the default and Escape answers it.
    const DialogSpec payerless{s("登録の確認"), s("1行目"), DialogStyle::AskDefaultNo};
    EXPECT_EQ(answerRealBox(ask(payerless, PromptButtons::YesNoInJapanese), seen, escape), Answer::No);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    captions.sort();
    EXPECT_EQ(captions, QStringList({s("いいえ"), s("はい")}));
}

TEST_F(StandardMessageBox, YAndNAnswerEveryQuestionFromTheKeyboardAndEscapeCancels)
{
    const auto prompts = dialogPrompts();
    SeenBox seen;
    const auto press = [](Qt::Key key) { return [key](QMessageBox* box) { QTest::keyClick(box, key); }; };
    // The standard table's questions, whatever their default.
    EXPECT_EQ(showAndAnswer("削除", "伝票確認2", "指定された行", seen, press(Qt::Key_Y)), Answer::Yes);
    EXPECT_EQ(showAndAnswer("登録", "確認", "入金予定表", seen, press(Qt::Key_N)), Answer::No);
    // The schedule's own, with Japanese captions, and the one that offers キャンセル.
    const DialogSpec unsaved{s("未登録の変更"), s("登録しますか？"), DialogStyle::AskDefaultYes};
    const auto ask = [&](PromptButtons buttons) {
        return [&, buttons] { return prompts->ask(&window, unsaved, buttons); };
    };
    EXPECT_EQ(answerRealBox(ask(PromptButtons::YesNoCancelInJapanese), seen, press(Qt::Key_N)), Answer::No);
    EXPECT_EQ(answerRealBox(ask(PromptButtons::YesNoCancelInJapanese), seen, press(Qt::Key_Y)), Answer::Yes);
    EXPECT_EQ(answerRealBox(ask(PromptButtons::YesNoCancelInJapanese), seen, press(Qt::Key_Escape)),
              Answer::Cancel);
    EXPECT_EQ(answerRealBox(ask(PromptButtons::YesNoInJapanese), seen, press(Qt::Key_Y)), Answer::Yes);

    // A question with a list (an import's rows) shows it open between the message and the buttons.
    const DialogSpec withList{s("確認"), s("取り込みますか"), DialogStyle::AskDefaultYes, s("追加　乙社")};
    bool listed = false;
    EXPECT_EQ(answerRealBox([&] { return prompts->ask(&window, withList, PromptButtons::Standard); }, seen,
                            [&](QMessageBox* box) {
                                auto* list = box->findChild<QPlainTextEdit*>(QStringLiteral("txtDetails"));
                                listed = list && list->isVisible() &&
                                         list->toPlainText() == withList.details &&
                                         list->geometry().bottom() <
                                             box->findChild<QDialogButtonBox*>()->geometry().top();
                                QTest::keyClick(box, Qt::Key_N);
                            }),
              Answer::No);
    EXPECT_TRUE(listed);
}

TEST(ScopedDialogAnswers, AnswersQuestionsInTurnRecordsEveryDialogAndGivesBackTheScriptBefore)
{
    ScriptedPrompts prompts;
    {
        ScopedDialogAnswers answers(prompts, {true, false}, /*defaultAnswer=*/true);
        EXPECT_EQ(showStandardMessage(prompts, s("登録"), s("確認"), s("設定")), Answer::Yes);
        EXPECT_EQ(showStandardMessage(prompts, s("登録"), s("完了"), s("設定")), Answer::Ok);
        EXPECT_EQ(showStandardMessage(prompts, s("削除"), s("伝票確認2"), s("設定")), Answer::No);
        {
            ScopedDialogAnswers inner(prompts, {false});
            EXPECT_EQ(showStandardMessage(prompts, s("削除"), s("確認"), QString()), Answer::No);
            EXPECT_EQ(inner.count(), 1);
        }
        EXPECT_EQ(showStandardMessage(prompts, s("削除"), s("確認"), QString()), Answer::Yes)
            << "queue empty: the default";
        EXPECT_EQ(showStandardMessage(prompts, s("無い"), s("確認"), QString()), Answer::Ok);

        ASSERT_EQ(answers.count(), 4);
        EXPECT_EQ(answers.questionCount(), 3);
        EXPECT_EQ(answers.shown()[1].message, s("設定 を登録しました。"));
        EXPECT_EQ(answers.shown()[1].style, DialogStyle::Notice);
        EXPECT_EQ(answers.last().title, s("削除の確認"));
    }
    EXPECT_TRUE(prompts.unscripted().empty());

    // Without a script a question is kept aside and answered No, never waiting for a user.
    EXPECT_EQ(showStandardMessage(prompts, s("登録"), s("確認"), s("設定")), Answer::No);
    ASSERT_EQ(prompts.unscripted().size(), 1u);
    EXPECT_EQ(prompts.unscripted().front().title, s("登録の確認"));
}
