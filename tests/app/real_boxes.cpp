#include "real_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

BoxAnswer clickButton(const QString& caption)
{
    return [caption](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            if (button->text() == caption) {
                button->click();
                return;
            }
        ADD_FAILURE() << "no button " << caption.toStdString();
        box->reject();
    };
}

BoxAnswer pressEscape()
{
    return [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); };
}

BoxAnswer pressEnter()
{
    return [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); };
}

std::vector<SeenBox> withRealBoxes(const std::function<void()>& action, std::vector<BoxAnswer> answers)
{
    std::vector<SeenBox> seen;
    std::deque<BoxAnswer> pending(answers.begin(), answers.end());
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        SeenBox shown{box->windowTitle(), box->text(), {}, {}};
        for (QAbstractButton* button : box->buttons())
            shown.buttons << button->text();
        if (box->defaultButton())
            shown.defaultButton = box->defaultButton()->text();
        seen.push_back(shown);
        if (pending.empty()) {
            pressEscape()(box);
            return;
        }
        const BoxAnswer answer = pending.front();
        pending.pop_front();
        answer(box);
    });
    QPointer<QWidget> window = QApplication::activeWindow();
    poll.start();
    action();
    poll.stop();
    // Keys typed next go to the window the boxes were shown over, once it is active again (the
    // offscreen platform has no window manager to give it back the activation).
    if (!seen.empty() && window && window->isVisible()) {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    return seen;
}
