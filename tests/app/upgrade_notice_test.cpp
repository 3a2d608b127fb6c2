#include "app/schedule_window.h"
#include "support/dialog_answers.h"
#include "support/temp_data.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

int upgradeNotices(FrmDorivan& window)
{
    int notices = 0;
    for (const DialogSpec& dialog : scriptedPromptsOf(window).unscripted())
        notices += dialog.message.contains(QStringLiteral("新しい形式に更新しました")) ? 1 : 0;
    return notices;
}

} // namespace

TEST(UpgradeNotice, TheWindowOnA102FolderTellsOfTheUpgradeOnceItIsUp)
{
    TempDataFolder folder;
    folder.put102Files();
    {
        auto window = openWindow(folder);
        QCoreApplication::processEvents();
        EXPECT_EQ(upgradeNotices(*window), 1);
    }
    auto again = openWindow(folder);
    QCoreApplication::processEvents();
    EXPECT_EQ(upgradeNotices(*again), 0);
}
