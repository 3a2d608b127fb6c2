#include "app/widgets/month_edit.h"
#include "common/dates.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(MonthEdit, CodeSetsTheMonthSilentlyAndTheUserEmptiesItWithDelete)
{
    MonthEdit edit;
    QSignalSpy changed(&edit, &MonthEdit::monthChanged);
    EXPECT_FALSE(edit.hasValue());
    EXPECT_TRUE(edit.text().isEmpty());

    edit.setMonth(QDate(2024, 5, 14));
    edit.setDate(QDate(2024, 6, 1));
    edit.setDate(edit.minimumDate());
    edit.setMonth(QDate(2024, 5, 14));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(edit.text(), QStringLiteral("2024年05月"));
    EXPECT_EQ(edit.month(), QDate(2024, 5, 14));

    edit.show();
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_FALSE(edit.hasValue());
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_FALSE(edit.month().isValid());
    EXPECT_EQ(changed.count(), 1);

    edit.setMonth(QDate(2024, 5, 14));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_FALSE(edit.hasValue());
    EXPECT_EQ(changed.count(), 2);
}

TEST(MonthEdit, TheUserStepsAndTypesMonthsInEitherForm)
{
    MonthEdit edit;
    edit.show();
    edit.setFocus();
    QSignalSpy changed(&edit, &MonthEdit::monthChanged);

    edit.setMonth(QDate(2024, 12, 31));
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.month(), QDate(2025, 1, 31));
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.month(), QDate(2024, 11, 30));
    EXPECT_EQ(changed.count(), 3);

    // Typing into the emptied field takes effect on Enter, with one notification.
    changed.clear();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, QStringLiteral("2023/7"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.month().year(), 2023);
    EXPECT_EQ(edit.month().month(), 7);
    EXPECT_EQ(edit.text(), QStringLiteral("2023年07月"));
    EXPECT_EQ(changed.count(), 2);

    edit.setMonthFormat(kEraMonthFormat);
    EXPECT_EQ(edit.text(), QStringLiteral("令和 05年07月"));
    edit.setMonth(QDate(2019, 4, 30));
    EXPECT_EQ(edit.text(), QStringLiteral("平成 31年04月"));
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("令和 01年05月"));

    // An era month typed through the input method (full-width digits) reads back to its date.
    QTest::keyClick(&edit, Qt::Key_Delete);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("平成１５年３月"));
    QApplication::sendEvent(edit.findChild<QLineEdit*>(), &commit);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.month().year(), 2003);
    EXPECT_EQ(edit.month().month(), 3);

    // Text that is no month leaves the field as it was.
    changed.clear();
    edit.findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(&edit, QStringLiteral("xyz"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.month().year(), 2003);
    EXPECT_EQ(changed.count(), 0);
}
