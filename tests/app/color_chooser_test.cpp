#include "app/dialogs/color_chooser.h"

#include <QApplication>
#include <QColorDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

TEST(ColorChooser, TheRealDialogStartsFromTheGivenColourWithWhiteCustomColours)
{
    QColorDialog::setCustomColor(3, QColor(Qt::red));
    QWidget owner;
    owner.show();
    for (const bool accept : {false, true}) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QColorDialog*>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                seen = true;
                EXPECT_TRUE(dialog->testOption(QColorDialog::DontUseNativeDialog));
                EXPECT_TRUE(dialog->isModal());
                EXPECT_EQ(dialog->currentColor(), QColor(0x33, 0x66, 0x99));
                for (int i = 0; i < QColorDialog::customCount(); ++i)
                    EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::white)) << i;
                if (accept) {
                    dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
                    dialog->accept();
                } else {
                    dialog->reject();
                }
            }
        });
        // Whatever happens above, a dialog left open must not hang the test.
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        const std::int64_t chosen = ShowColorChooser(&owner, 0x996633);
        EXPECT_TRUE(seen);
        EXPECT_EQ(chosen, accept ? 0x302010 : -1);
    }
}
