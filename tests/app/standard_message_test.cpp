#include "app/standard_message.h"
#include "support/dialog_answers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
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

// Shows the dialog for real and, once its box is up, records it and lets `act` answer it.
Answer showAndAnswer(const char* group, const char* code, const char* text, SeenBox& seen,
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
    const Answer result = ShowStandardMessage(s(group), s(code), s(text));
    poll.stop();
    return result;
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
    EXPECT_EQ(seen.title, s("年月を指定してください。"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    EXPECT_EQ(showAndAnswer("行指定", "余白なし", "", seen, ok), Answer::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    // Caller texts are shown as typed, not as markup.
    showAndAnswer("その他", "メッセージ", "<b>太字</b>", seen, ok);
    EXPECT_EQ(seen.text, s("<b>太字</b>"));
}

TEST_F(StandardMessageBox, UnknownDialogShowsNothing)
{
    SeenBox seen;
    EXPECT_EQ(showAndAnswer("登録", "存在しない", "X", seen, [](QMessageBox* box) { box->reject(); }),
              Answer::Ok);
    EXPECT_FALSE(seen.shown);
}

TEST(ScopedDialogAnswers, AnswersQuestionsInTurnAndRecordsEveryDialog)
{
    {
        ScopedDialogAnswers answers({true, false}, /*defaultAnswer=*/true);
        EXPECT_EQ(ShowStandardMessage(s("登録"), s("確認"), s("設定")), Answer::Yes);
        EXPECT_EQ(ShowStandardMessage(s("登録"), s("完了"), s("設定")), Answer::Ok);
        EXPECT_EQ(ShowStandardMessage(s("削除"), s("伝票確認2"), s("設定")), Answer::No);
        EXPECT_EQ(ShowStandardMessage(s("削除"), s("確認"), QString()), Answer::Yes)
            << "queue empty: the default";
        EXPECT_EQ(ShowStandardMessage(s("無い"), s("確認"), QString()), Answer::Ok);

        ASSERT_EQ(answers.count(), 4);
        EXPECT_EQ(answers.questionCount(), 3);
        EXPECT_EQ(answers.shown()[1].message, s("設定 を登録しました。"));
        EXPECT_EQ(answers.shown()[1].style, DialogStyle::Notice);
        EXPECT_EQ(answers.last().title, s("削除の確認"));
    }

    // Afterwards a real box is shown again.
    SeenBox seen;
    EXPECT_EQ(showAndAnswer("登録", "確認", "設定", seen,
                            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }),
              Answer::Yes);
    EXPECT_TRUE(seen.shown);
}
