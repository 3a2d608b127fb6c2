#include "schedule_window.h"

#include "bank/bank_samples.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

#include <gtest/gtest.h>

// Pictures of the pages and dialogs that matching and terms added, for a look before a release:
// DORIVAN_TOUR=DIR writes one PNG a view into DIR.
TEST(Tour, DISABLED_Pictures)
{
    const QString target = qEnvironmentVariable("DORIVAN_TOUR");
    if (target.isEmpty())
        GTEST_SKIP() << "DORIVAN_TOUR names the folder to write into";
    QDir().mkpath(target);
    TempDataFolder folder;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
        db->execute("update 入金先マスタ set 締め日 = 99, 支払月 = 1, 支払日 = 99, 休日 = '前'");
        db->execute("update 入金先マスタ set 定額 = ?, 定額開始 = '2025-07' where rowid = 1",
                    {Value(yen(55000))});
    }
    auto window = openWindow(folder);
    std::printf("opened %d x %d, minimum %d\n", window->width(), window->height(),
                window->minimumSizeHint().width());
    window->resize(1100, 760);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2025, 6, 1));
    auto* tabs = control<QTabWidget>(*window, "SSTab1");
    const auto save = [&](QWidget& widget, const char* name) {
        QApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(target + QLatin1Char('/') + QLatin1String(name) + ".png"));
    };
    const auto dialogOf = [&](const char* button, const char* name) {
        QTimer::singleShot(200, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            save(*dialog, name);
            dialog->reject();
        });
        control<QPushButton>(*window, button)->click();
    };
    save(*window, "schedule");
    dialogOf("cmd請求登録", "invoice");
    tabs->setCurrentWidget(&window->payerPage());
    save(*window, "payers");
    dialogOf("cmd予定作成", "plans");
    tabs->setCurrentWidget(&window->settingsPage());
    save(*window, "settings");
    tabs->setCurrentWidget(&window->overduePage());
    save(*window, "overdue");
    scriptedPromptsOf(*window).fileChooser = [](QWidget*, const FileRequest&) {
        return bank_samples::pathOf(QStringLiteral("furikomi_01_crlf.txt"));
    };
    dialogOf("cmd入金消込", "matching");
    scriptedPromptsOf(*window).fileChooser = [](QWidget*, const FileRequest&) {
        return bank_samples::pathOf(QStringLiteral("generic_bank_statement.csv"));
    };
    dialogOf("cmd入金消込", "bank-csv");

    TempDataFolder empty;
    auto first = openWindow(empty);
    first->resize(1100, 760);
    ScopedDialogAnswers firstAnswers(*first);
    save(*first, "first-start");
    control<QPushButton>(*first, "cmdHint")->click();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != first.get() && top->objectName() != QLatin1String("FrmDorivan"))
            save(*top, "hint");
}
