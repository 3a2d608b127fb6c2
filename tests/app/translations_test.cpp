#include "app/FrmDorivan.h"
#include "app/dialogs/color_chooser.h"
#include "app/shell/translations.h"
#include "support/controls.h"
#include "support/temp_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `open`, which shows a modal dialog, and hands the dialog to `look` once it is up.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& look)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        look(dialog);
    });
    poll.start();
    open();
    poll.stop();
}

QStringList buttonTexts(QWidget* dialog)
{
    QStringList texts;
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

// Installs the translation for one test and takes it away again, so that other tests see Qt's defaults.
struct ScopedJapanese
{
    QTranslator* translator = installQtJapanese(*qApp);
    ~ScopedJapanese()
    {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

} // namespace

TEST(QtTranslation, QtsOwnDialogTextsAreJapanese)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path());
    control<QTabWidget>(window, "SSTab1")->setCurrentIndex(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(QCoreApplication::translate("QPrintPreviewDialog", "Print Preview"),
              QStringLiteral("Print Preview"));
    ScopedJapanese japanese;
    ASSERT_TRUE(japanese.translator) << "Qt's Japanese translation (qt6-translations-l10n) is installed";

    // A real question of the window: はい / いいえ, and the Enter key means いいえ for a deletion.
    QStringList texts;
    whileModal([&] { control<QPushButton>(window, "cmd支払先削除")->click(); },
               [&](QWidget* dialog) {
                   auto* box = qobject_cast<QMessageBox*>(dialog);
                   ASSERT_TRUE(box);
                   texts = buttonTexts(box);
                   EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
                   QTest::keyClick(box, Qt::Key_Return);
               });
    EXPECT_TRUE(texts.contains(QStringLiteral("はい(&Y)"))) << texts.join(u',').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("いいえ(&N)")));

    // The colour chooser.
    QString title;
    whileModal([&] { EXPECT_EQ(ShowColorChooser(&window, 0), -1); },
               [&](QWidget* dialog) {
                   title = dialog->windowTitle();
                   texts = buttonTexts(dialog);
                   qobject_cast<QDialog*>(dialog)->reject();
               });
    EXPECT_EQ(title, QStringLiteral("色を選択"));
    EXPECT_TRUE(texts.contains(QStringLiteral("キャンセル"))) << texts.join(u',').toStdString();

    // The print preview.
    QPrintPreviewDialog preview(&window);
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("印刷のプレビュー"));
}
