// The pages of the main window on their own, given only their Source, and the guarantees of their
// layout inside the window.
#include "app/FrmDorivan.h"
#include "storage/value.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

enum { kRowNo, kOrigin, kDay, kDate, kPayer, kPlanned, kReceived, kBalance };

QStringList dropDownNames(const WorkTableModel& model)
{
    QStringList names;
    for (int row = 0; row < model.dataRowCount(); ++row)
        names << model.value(row, 0).toText();
    names.sort();
    return names;
}

} // namespace

TEST(Pages, TheScheduleAndPayerPagesWorkOnTheSourceTheyAreGivenAndSignalWhatOthersFollow)
{
    TempDataFolder folder;
    std::unique_ptr<Database> db = folder.open();
    seedPayers(*db, {QStringLiteral("甲商事"), QStringLiteral("乙物産")});
    auto prompts = std::make_shared<ScriptedPrompts>();
    ScopedDialogAnswers answers(*prompts);
    const auto database = [&db] { return db.get(); };

    SchedulePage schedule({database, prompts, [] { return true; }, systemClock()});
    schedule.bindData();
    PayerPage payers({database, prompts, systemClock(), {}});
    payers.bindData();
    QObject::connect(&payers, &PayerPage::payersChanged, &schedule, &SchedulePage::refreshPayerList);

    // Clearing the month shows today's month and offers the master in the drop-down.
    schedule.clearMonth();
    EXPECT_EQ(schedule.workMonth().year(), QDate::currentDate().year());
    EXPECT_EQ(schedule.workMonth().month(), QDate::currentDate().month());
    auto* dropDown = control<WorkTableModel>(schedule, "dat入金先名");
    EXPECT_EQ(dropDownNames(*dropDown), (QStringList{QStringLiteral("乙物産"), QStringLiteral("甲商事")}));

    // The payer page reads the master the first time it is opened only: later visits keep its copy.
    auto* copy = control<WorkTableModel>(payers, "dat入金先マスタ");
    EXPECT_EQ(copy->dataRowCount(), 0);
    payers.pageOpened();
    EXPECT_EQ(copy->dataRowCount(), 2);
    payers.clearPayers();
    payers.pageOpened();
    EXPECT_EQ(copy->dataRowCount(), 0);

    // A stored change of the master reaches the schedule's drop-down through the signal.
    QSignalSpy payersChanged(&payers, &PayerPage::payersChanged);
    payers.readPayers();
    const int kou = copy->value(0, 1).toText() == QStringLiteral("甲商事") ? 0 : 1;
    ASSERT_TRUE(copy->setValue(kou, 1, Value(QStringLiteral("丙興業"))));
    payers.savePayers();
    EXPECT_EQ(payersChanged.count(), 1);
    EXPECT_EQ(sortedPayers(*db), (QStringList{QStringLiteral("丙興業"), QStringLiteral("乙物産")}));
    EXPECT_EQ(dropDownNames(*dropDown), (QStringList{QStringLiteral("丙興業"), QStringLiteral("乙物産")}));
    // A payer typed into the grid is registered and offered at once.
    schedule.registerPayer(QStringLiteral("丁"));
    EXPECT_TRUE(dropDownNames(*dropDown).contains(QStringLiteral("丁")));

    // A cell written through the grid's source marks the month unsaved; the save stores the row, says
    // the stored rows changed and clears the mark.
    QSignalSpy unsaved(&schedule, &SchedulePage::unsavedChanged);
    QSignalSpy stored(&schedule, &SchedulePage::storedRowsChanged);
    auto* rows = control<WorkTableModel>(schedule, "datInp");
    const QDate day(schedule.workMonth().year(), schedule.workMonth().month(), 5);
    ASSERT_TRUE(rows->setData(rows->index(0, kDate), day));
    ASSERT_TRUE(rows->setData(rows->index(0, kDay), QStringLiteral("5")));
    ASSERT_TRUE(rows->setData(rows->index(0, kPayer), QStringLiteral("乙物産")));
    ASSERT_TRUE(rows->setData(rows->index(0, kPlanned), QStringLiteral("1200")));
    EXPECT_TRUE(schedule.hasUnsavedEdits());
    ASSERT_EQ(unsaved.count(), 1);
    EXPECT_TRUE(unsaved.at(0).at(0).toBool());
    ASSERT_TRUE(schedule.saveMonth());
    EXPECT_EQ(stored.count(), 1);
    EXPECT_FALSE(schedule.hasUnsavedEdits());
    EXPECT_FALSE(unsaved.last().at(0).toBool());
    const std::vector<StoredRow> saved = readStoredRows(*db);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].日付, day);
    EXPECT_EQ(saved[0].予定額, yen(1200));
    // Reloaded, the totals the printout takes are those on the screen.
    schedule.loadMonth();
    EXPECT_EQ(schedule.shownFigures().plannedTotal, yen(1200));
    EXPECT_EQ(answers.count(), 0);

    // Once the database is gone, leaving the month asks nothing.
    schedule.releaseData();
    payers.releaseData();
    db.reset();
    EXPECT_TRUE(schedule.confirmLeavingMonth());
}

TEST(Pages, TheSettingsPageHoldsTheValuesInEffectAndHandsItsFramesTheirWork)
{
    TempDataFolder folder;
    std::unique_ptr<Database> db = folder.open();
    // The deletion of everything takes its safety copy first.
    db->setBackupFolder(folder.path() + QStringLiteral("backup"));
    auto prompts = std::make_shared<ScriptedPrompts>();
    SettingsPage::Source source;
    source.database = [&db] { return db.get(); };
    source.prompts = prompts;
    source.caption = QStringLiteral("入金予定表 Ver 9.99");
    const auto frame = [](const QString& name) {
        return [name](QWidget* parent) {
            auto* panel = new QWidget(parent);
            panel->setObjectName(name);
            return panel;
        };
    };
    source.csvPanel = frame(QStringLiteral("fraCSV"));
    source.legacyPanel = frame(QStringLiteral("ImFrame旧データ取込"));
    SettingsPage page(std::move(source));
    EXPECT_TRUE(control<QWidget>(page, "fraCSV"));
    EXPECT_TRUE(control<QWidget>(page, "ImFrame旧データ取込"));
    EXPECT_EQ(control<QLabel>(page, "lblInfo")->text(), QStringLiteral("入金予定表 Ver 9.99"));

    // Nothing stored: the defaults are in effect once read, and every read says so.
    QSignalSpy read(&page, &SettingsPage::settingsRead);
    page.readSettings();
    EXPECT_EQ(read.count(), 1);
    EXPECT_EQ(page.eraValue(), QStringLiteral("西暦"));
    EXPECT_TRUE(page.autoRegistration());
    EXPECT_EQ(page.lineColour(), 0);

    // What the page shows is not in effect until stored and read again.
    page.offerEras();
    auto* era = control<QComboBox>(page, "cmb年号");
    era->setCurrentIndex(era->findText(QStringLiteral("和暦")));
    control<QCheckBox>(page, "Chk入金先自動登録")->setChecked(false);
    EXPECT_EQ(page.eraValue(), QStringLiteral("西暦"));
    {
        ScopedDialogAnswers answers(*prompts, {true});
        control<QPushButton>(page, "cmd設定登録")->click();
    }
    EXPECT_EQ(read.count(), 2);
    EXPECT_EQ(page.eraValue(), QStringLiteral("和暦"));
    EXPECT_FALSE(page.autoRegistration());

    // The deletion of everything says so only when it happened.
    QSignalSpy deleted(&page, &SettingsPage::allDataDeleted);
    {
        ScopedDialogAnswers answers(*prompts, {false});
        control<QPushButton>(page, "cmd一括削除7")->click();
    }
    EXPECT_EQ(deleted.count(), 0);
    {
        ScopedDialogAnswers answers(*prompts, {true});
        control<QPushButton>(page, "cmd一括削除7")->click();
    }
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(countRows(*db, QStringLiteral("自社情報")), 0);
}

TEST(Pages, OnEveryPageEachControlIsInsideItsPageAndNoTwoOverlap)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path(), std::make_shared<ScriptedPrompts>());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* tabs = control<QTabWidget>(window, "SSTab1");
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        QWidget* page = tabs->widget(index);
        QCoreApplication::processEvents();
        SCOPED_TRACE(tabs->tabText(index).toStdString());
        // The page's own controls, by name; the parts Qt builds inside a control are the control's.
        QList<QWidget*> controls;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_")) &&
                w->isVisibleTo(page))
                controls << w;
        }
        EXPECT_GE(controls.size(), 5);
        const QRect pageRect = page->rect();
        const auto onPage = [page](const QWidget* w) {
            return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
        };
        for (const QWidget* w : controls)
            EXPECT_TRUE(pageRect.contains(onPage(w))) << w->objectName().toStdString();
        for (int i = 0; i < controls.size(); ++i) {
            for (int j = i + 1; j < controls.size(); ++j) {
                const QWidget* a = controls[i];
                const QWidget* b = controls[j];
                if (a->isAncestorOf(b) || b->isAncestorOf(a))
                    continue;
                // A control's inner parts that carry names (the grid's delegate editor) are within it.
                if (!onPage(a).intersects(onPage(b)))
                    continue;
                ADD_FAILURE() << a->objectName().toStdString() << " overlaps "
                              << b->objectName().toStdString();
            }
        }
    }
    // The schedule's columns are in the working table's order, the shown ones left to right.
    auto* grid = control<BoundGrid>(window, "GridInp");
    int previous = -1;
    for (const int column : {kDay, kPayer, kPlanned, kReceived, kBalance}) {
        EXPECT_FALSE(grid->isColumnHidden(column)) << column;
        EXPECT_GT(grid->columnViewportPosition(column), previous) << column;
        previous = grid->columnViewportPosition(column);
    }
    for (const int column : {kRowNo, kOrigin, kDate})
        EXPECT_TRUE(grid->isColumnHidden(column)) << column;
}
