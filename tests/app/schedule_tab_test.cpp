#include "schedule_window.h"

#include "app/widgets/amount_field.h"
#include "app/widgets/delayed_progress.h"
#include "app/widgets/month_edit.h"
#include "schedule/overdue.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

StoredRow stored(const QDate& day, int number, const QString& payer, std::int64_t planned,
                 std::int64_t received, std::int64_t balance)
{
    return {day, number, payer, yen(planned), yen(received), yen(balance)};
}

bool blankWorkingSet(FrmDorivan& window)
{
    if (control<WorkTableModel>(window, "datInp")->dataRowCount() != 200)
        return false;
    for (int row = 0; row < 200; ++row) {
        const WorkTableModel& m = *control<WorkTableModel>(window, "datInp");
        if (m.value(row, kRowNo).toInt64() != row + 1 || m.value(row, kOrigin).toInt64() != row + 1 ||
            !m.value(row, kPayer).isNull() || !m.value(row, kDate).isNull())
            return false;
    }
    return true;
}

} // namespace

TEST(ScheduleTab, StartUpShowsTodaysMonthWithItsTotals)
{
    TempDataFolder folder;
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(first.addDays(-1), 4, QStringLiteral("前月社"), 500, 0, 500),
                             stored(first, 1, QStringLiteral("甲社"), 1000, 0, 1500),
                             stored(first.addDays(1), 2, QStringLiteral("乙社"), 0, 300, 1200),
                             stored(first.addMonths(1), 1, QStringLiteral("翌月社"), 9999, 1200, 9999)});
        seedPayers(*db, {QStringLiteral("乙社"), QStringLiteral("甲社")});
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month().month(), today.month());
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month().year(), today.year());
    ASSERT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("甲社"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(1, kPayer).toText(), QStringLiteral("乙社"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(1, kOrigin).toInt64(), 2);
    EXPECT_TRUE(control<WorkTableModel>(*window, "datInp")->value(2, kPayer).isNull());
    EXPECT_EQ(control<AmountField>(*window, "num繰越額")->text(), QStringLiteral("500"));
    EXPECT_EQ(control<AmountField>(*window, "num予定額月計")->text(), QStringLiteral("1,000"));
    EXPECT_EQ(control<AmountField>(*window, "num入金額月計")->text(), QStringLiteral("300"));
    EXPECT_EQ(control<AmountField>(*window, "num累計")->text(),
              QStringLiteral("9,999")); // later months count
    EXPECT_FALSE(control<QProgressBar>(*window, "Pbar")->isVisible());
    EXPECT_EQ(control<WorkTableModel>(*window, "dat入金先名")->dataRowCount(), 2);
    EXPECT_EQ(answers.count(), 0);
}

TEST(ScheduleTab, MonthButtonsFrom31JanuaryLoadTheWholeNeighbouringMonth)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2023, 12, 31), 1, QStringLiteral("師走"), 10, 0, 10),
                             stored(QDate(2024, 1, 15), 1, QStringLiteral("一月"), 20, 0, 30),
                             stored(QDate(2024, 2, 29), 1, QStringLiteral("閏日"), 30, 0, 60),
                             stored(QDate(2024, 3, 1), 1, QStringLiteral("三月"), 40, 0, 100)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 1, 31));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("一月"));

    QSignalSpy bar(control<QProgressBar>(*window, "Pbar"), &QProgressBar::valueChanged);
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonNext"), Qt::LeftButton);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2024, 2, 29));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("閏日"));
    EXPECT_TRUE(control<WorkTableModel>(*window, "datInp")->value(1, kPayer).isNull());
    EXPECT_EQ(control<AmountField>(*window, "num繰越額")->text(), QStringLiteral("30"));
    QList<int> steps;
    for (const QList<QVariant>& call : bar)
        steps << call.at(0).toInt();
    EXPECT_EQ(steps, QList<int>({10, 30, 90, 100}));
    EXPECT_FALSE(control<QProgressBar>(*window, "Pbar")->isVisible());

    control<MonthEdit>(*window, "Dt年月")->setMonth(QDate(2024, 1, 31));
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonBef"), Qt::LeftButton);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate(2023, 12, 31));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("師走"));
    EXPECT_EQ(control<AmountField>(*window, "num繰越額")->text(),
              QString()); // nothing before December: 0, shown empty

    // A month picked by the user loads at once; the load button throws unsaved edits away once the
    // user says so.
    control<MonthEdit>(*window, "Dt年月")->setFocus();
    QTest::keyClick(control<MonthEdit>(*window, "Dt年月"), Qt::Key_Up);
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month().month(), 1);
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("一月"));
    control<WorkTableModel>(*window, "datInp")->setValue(0, kPayer, Value("書き換え"));
    ScopedDialogAnswers answers(*window, {false});
    QTest::mouseClick(control<QPushButton>(*window, "cmd読込"), Qt::LeftButton);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("未登録の変更"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("一月"));
}

TEST(ScheduleTab, ClearLeavesEmptyTotalsTodayAnd200BlankRowsWithoutAsking)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 4, 30), 1, QStringLiteral("甲社"), 800, 0, 800),
                             stored(QDate(2024, 5, 3), 1, QStringLiteral("乙社"), 100, 0, 900)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 10));
    ASSERT_EQ(control<AmountField>(*window, "num繰越額")->text(), QStringLiteral("800"));
    window->db().execute("insert into 入金先マスタ (入金先名) values (?)", {Value("新規社")});

    ScopedDialogAnswers answers(*window);
    QTest::mouseClick(control<QPushButton>(*window, "cmd履歴クリア"), Qt::LeftButton);
    EXPECT_EQ(answers.count(), 0);
    for (AmountField* field :
         {control<AmountField>(*window, "num繰越額"), control<AmountField>(*window, "num予定額月計"),
          control<AmountField>(*window, "num入金額月計"), control<AmountField>(*window, "num累計")})
        EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month(), QDate::currentDate());
    EXPECT_TRUE(blankWorkingSet(*window));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 2);
    // The payer list of the grid is rebuilt from the master.
    EXPECT_EQ(control<WorkTableModel>(*window, "dat入金先名")->dataRowCount(), 1);
}

TEST(ScheduleTab, WithoutAMonthTheGridSendsTheUserBackToTheMonthField)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 2, QStringLiteral("甲社"), 100);
    control<MonthEdit>(*window, "Dt年月")->clearMonth();
    control<MonthEdit>(*window, "Dt年月")->setFocus();

    ScopedDialogAnswers answers(*window);
    // Navigation and loading do nothing without a month.
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonNext"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(*window, "cmd読込"), Qt::LeftButton);
    EXPECT_FALSE(control<MonthEdit>(*window, "Dt年月")->hasValue());
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(), QStringLiteral("甲社"));
    EXPECT_EQ(answers.count(), 0);

    control<BoundGrid>(*window, "GridInp")->setFocus();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("入金予定表"));
    EXPECT_EQ(answers.last().message, QStringLiteral("年月を指定してください。"));
    EXPECT_TRUE(control<MonthEdit>(*window, "Dt年月")->hasFocus());
    EXPECT_FALSE(control<BoundGrid>(*window, "GridInp")->hasFocus());

    // With a month the grid takes the focus silently.
    control<MonthEdit>(*window, "Dt年月")->setMonth(QDate(2024, 5, 1));
    control<BoundGrid>(*window, "GridInp")->setFocus();
    EXPECT_EQ(answers.count(), 1);
}

TEST(ScheduleTab, AMonthOfMoreThan200RowsIsShownCutWithOneNoticePerLoad)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        std::vector<StoredRow> rows;
        for (int i = 0; i < 201; ++i)
            rows.push_back(
                stored(QDate(2024, 6, 1 + i / 7), i + 1, QStringLiteral("社%1").arg(i), 1, 0, i + 1));
        seedStoredRows(*db, rows);
        rows.pop_back();
        for (StoredRow& row : rows)
            row.日付 = row.日付.addMonths(1);
        seedStoredRows(*db, rows);
    }
    auto window = openWindow(folder);
    ScopedDialogAnswers answers(*window);
    showMonth(*window, QDate(2024, 6, 1));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().message,
              QStringLiteral("この月の入金予定は200行を超えています。201行目以降は表示されません。"));
    ASSERT_EQ(control<WorkTableModel>(*window, "datInp")->dataRowCount(), 200);
    EXPECT_FALSE(control<WorkTableModel>(*window, "datInp")->value(199, kPayer).isNull());
    EXPECT_EQ(countRows(window->db(), QStringLiteral("入金予定表")), 401);

    QTest::mouseClick(control<QPushButton>(*window, "cmdMonNext"),
                      Qt::LeftButton); // exactly 200 rows: no notice
    EXPECT_EQ(answers.count(), 1);
    EXPECT_FALSE(control<WorkTableModel>(*window, "datInp")->value(199, kPayer).isNull());
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonBef"), Qt::LeftButton);
    EXPECT_EQ(answers.count(), 2);
}

TEST(ScheduleTab, TotalsOutOfRangeAreToldAndTheScreenStaysOnItsMonth)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 5, 2), 1, QStringLiteral("甲社"), 100, 0, 100)});
        for (int day : {1, 2})
            db->execute(
                "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, ?, "
                "0, 0)",
                {Value(QDate(2024, 7, day)), Value(day), Value("巨額"),
                 Value(Money::fromRaw(INT64_MAX - 1))});
    }
    // Today's month is empty, so the start tries July, the latest, which cannot be added up: told, and
    // the screen stays on today's month. The past-due notice cannot add July up either: told once.
    auto window = openWindow(folder);
    const std::vector<DialogSpec>& atStart = scriptedPromptsOf(*window).unscripted();
    ASSERT_EQ(atStart.size(), 2u);
    for (const DialogSpec& told : atStart)
        EXPECT_TRUE(told.message.contains(QStringLiteral("範囲")));
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month().toString(u"yyyyMM"),
              QDate::currentDate().toString(u"yyyyMM"));
    showMonth(*window, QDate(2024, 5, 1));
    ScopedDialogAnswers answers(*window);
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonNext"), Qt::LeftButton); // June loads
    QTest::mouseClick(control<QPushButton>(*window, "cmdMonNext"), Qt::LeftButton); // July cannot be added up
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers.last().message.contains(QStringLiteral("範囲")))
        << answers.last().message.toStdString();
    EXPECT_EQ(control<MonthEdit>(*window, "Dt年月")->month().month(), 6);
    EXPECT_TRUE(blankWorkingSet(*window));
    EXPECT_FALSE(control<QProgressBar>(*window, "Pbar")->isVisible());
}

TEST(ScheduleTab, TheProgressBarAppearsOnlyForAStepLongEnoughToWaitOn)
{
    QWidget page;
    auto* bar = new QProgressBar(&page);
    bar->setRange(0, 100);
    bar->hide();
    page.show();

    {
        DelayedProgress quick(bar);
        quick(10);
        quick(90);
        EXPECT_EQ(bar->value(), 90);
        EXPECT_FALSE(bar->isVisible());
    }
    {
        DelayedProgress slow(bar);
        EXPECT_EQ(bar->value(), -1); // a new step starts from an empty bar
        slow(10);
        QThread::msleep(DelayedProgress::kShowAfterMs + 50);
        slow(30);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->value(), 30);
    }
    EXPECT_FALSE(bar->isVisible()); // hidden when the step ends

    // A step that fails part way hides the bar all the same.
    try {
        DelayedProgress failing(bar);
        QThread::msleep(DelayedProgress::kShowAfterMs + 50);
        failing(50);
        EXPECT_TRUE(bar->isVisible());
        throw std::runtime_error("store failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(bar->isVisible());
}

TEST(ScheduleTab, AFirstStartSaysWhatToDoFirstUntilTheFirstRowIsStored)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    auto* guide = control<QLabel>(*window, "lbl初回案内");
    ASSERT_TRUE(guide);
    EXPECT_TRUE(guide->isVisible());
    for (const char16_t* step : {u"入金先保守", u"CSV取込", u"Access"})
        EXPECT_TRUE(guide->text().contains(QString::fromUtf16(step)))
            << QString::fromUtf16(step).toStdString();

    // Typed but not stored: still a first start.
    showMonth(*window, QDate(2024, 5, 1));
    putWorkRow(*window, 1, 3, QStringLiteral("甲社"), 1000);
    EXPECT_TRUE(guide->isVisible());
    ScopedDialogAnswers answers(*window, {true});
    QTest::mouseClick(control<QPushButton>(*window, "cmd登録"), Qt::LeftButton);
    EXPECT_FALSE(guide->isVisible());

    // A window on a folder that holds rows never shows it.
    window.reset();
    EXPECT_FALSE(control<QLabel>(*openWindow(folder), "lbl初回案内")->isVisible());
}

TEST(ScheduleTab, AStartOnAnEmptyMonthShowsTheLatestMonthThatHoldsRows)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2019, 3, 5), 1, QStringLiteral("甲社"), 100, 0, 100),
                             stored(QDate(2019, 11, 20), 1, QStringLiteral("乙社"), 200, 0, 300)});
    }
    {
        auto window = openWindow(folder);
        EXPECT_EQ(window->schedulePage().workMonth(), QDate(2019, 11, 1));
        EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPayer).toText(),
                  QStringLiteral("乙社"));
        EXPECT_EQ(QApplication::focusWidget(), control<BoundGrid>(*window, "GridInp"));
    }
    // Plans made far ahead do not pull the page past today; with nothing before today, the first of them
    // shows.
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2090, 4, 5), 1, QStringLiteral("甲社"), 100, 0, 400),
                             stored(QDate(2091, 6, 5), 1, QStringLiteral("甲社"), 100, 0, 500)});
    }
    EXPECT_EQ(openWindow(folder)->schedulePage().workMonth(), QDate(2019, 11, 1));
    folder.open()->execute("delete from 入金予定表 where 日付 < '2050-01-01'");
    EXPECT_EQ(openWindow(folder)->schedulePage().workMonth(), QDate(2090, 4, 1));
}

TEST(ScheduleTab, TheGridShowsAZeroBalanceTwoDigitDaysAndTheLargestTotalUncut)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2024, 5, 2), 1, QStringLiteral("甲社"), 100, 100, 0)});
    }
    auto window = openWindow(folder);
    showMonth(*window, QDate(2024, 5, 1));
    // A row with data whose balance is 0 shows the 0; the empty rows below show nothing.
    EXPECT_EQ(shownText(*window, 0, kBalance), QStringLiteral("0"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QString());
    EXPECT_EQ(shownText(*window, 0, kDay), QStringLiteral("02"));
    putWorkRow(*window, 2, 7, QStringLiteral("乙社"), 0);
    EXPECT_EQ(shownText(*window, 1, kDay), QStringLiteral("07"));
    EXPECT_EQ(shownText(*window, 1, kBalance), QStringLiteral("0"));

    // Ten trillion and more still fits the 総額 column whole.
    auto* grid = control<BoundGrid>(*window, "GridInp");
    const QString largest = formatAmount(Money::fromYen(-922'337'203'685'477));
    EXPECT_GE(grid->columnWidth(kBalance), grid->fontMetrics().horizontalAdvance(largest));
}

TEST(ScheduleTab, ColumnWidthsTheUserSetSurviveALoadAJumpFromTheOpenReceiptsAndARestart)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {stored(QDate(2020, 1, 6), 1, QStringLiteral("甲社"), 100, 0, 100)});
    }
    const QString widthsFile = folder.path() + QStringLiteral("/column_widths.json");
    // Loads and a close without a drag write nothing.
    openWindow(folder).reset();
    EXPECT_FALSE(QFile::exists(widthsFile));
    int usual = 0;
    {
        auto window = openWindow(folder);
        auto* grid = control<BoundGrid>(*window, "GridInp");
        usual = grid->columnWidth(kPayer);
        grid->horizontalHeader()->resizeSection(kPayer, usual + 80);
        showMonth(*window, QDate(2024, 5, 1));
        EXPECT_EQ(grid->columnWidth(kPayer), usual + 80);
        window->schedulePage().showStoredRow(QDate(2020, 1, 6), 1);
        EXPECT_EQ(window->schedulePage().workMonth().toString(u"yyyyMM"), QStringLiteral("202001"));
        EXPECT_EQ(grid->columnWidth(kPayer), usual + 80);
    }
    auto window = openWindow(folder);
    EXPECT_EQ(control<BoundGrid>(*window, "GridInp")->columnWidth(kPayer), usual + 80);
}

TEST(ScheduleTab, ALongPastDueNoticeEndsInAnEllipsisInsteadOfWideningTheWindow)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    auto* notice = control<ClickableLabel>(*window, "lbl未入金お知らせ");
    window->schedulePage().showPastDue({3, Money::fromYen(1'234'500)});
    QApplication::processEvents();
    // A usual notice is broken at a blank rather than cut: the sum stays readable.
    EXPECT_EQ(notice->shownLines().join(QLatin1Char(' ')), notice->text());
    const int narrow = window->minimumSizeHint().width();
    const int width = window->width();
    const schedule::OpenTotals huge{1'234'567, Money::fromYen(-922'337'203'685'477)};
    window->schedulePage().showPastDue(huge);
    QApplication::processEvents();
    EXPECT_EQ(window->minimumSizeHint().width(), narrow);
    EXPECT_EQ(window->width(), width);
    // The whole text is still the label's, and its tool tip shows it.
    EXPECT_TRUE(notice->text().contains(QStringLiteral("1234567 件")));
    EXPECT_EQ(notice->toolTip(), notice->text());
    EXPECT_LT(notice->width(), notice->fontMetrics().horizontalAdvance(notice->text()));
    // Two lines hold even the largest count and sum; what does not fit them ends in "…".
    EXPECT_EQ(notice->shownLines().size(), 2);
    window->schedulePage().showPastDue({1, Money::fromYen(1)});
    notice->setText(notice->text().replace(QLatin1Char(' '), QString()).repeated(4));
    EXPECT_TRUE(notice->shownLines().constLast().endsWith(QStringLiteral("…")));
}
