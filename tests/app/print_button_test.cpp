#include "app/FrmDorivan.h"
#include "app/dialogs/report_preview.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/month_edit.h"
#include "report/report_data.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Keeps what the print button would have shown, prepared exactly as the real preview prepares it.
class CapturedPreview
{
public:
    explicit CapturedPreview(FrmDorivan& window)
    {
        scriptedPromptsOf(window).monthlyReportPreview =
            [this](QWidget*, Database& db, const QDate& month, const QString& era,
                   const report::ScreenFigures& figures, std::int64_t lineColor) {
                data = report::prepareReport(db, month, era, figures);
                this->lineColor = lineColor;
            };
    }

    std::optional<report::ReportData> data;
    std::int64_t lineColor = -1;
};

void addWorkingRow(Database& db, int number, const QString& day, const QDate& date, const Value& payer,
                   Money planned, Money received, Money balance)
{
    db.execute("insert into InpWork (行番号, 元行番号, 表示日付, 日付, 入金先名, 予定額, 入金額, 残高)"
               " values (?, ?, ?, ?, ?, ?, ?, ?)",
               {number, number, day, date, payer, planned, received, balance});
}

} // namespace

TEST(PrintButton, PrintsTheUnsavedWorkingRowsWithAPayerAndTheFiguresAsShown)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path(), std::make_shared<ScriptedPrompts>());
    ScopedDialogAnswers answers(window);
    CapturedPreview preview(window);
    Database& db = window.db();

    // The report is of the month the working set holds.
    const QDate may(2024, 5, 1);
    control<MonthEdit>(window, "Dt年月")->setMonth(may);
    window.schedulePage().loadMonth();
    // A stored row of the month that the screen no longer shows must not print.
    seedStoredRows(db, {{QDate(2024, 5, 2), 1, QStringLiteral("保存済み"), yen(9), yen(0), yen(9)}});
    db.execute("delete from InpWork");
    addWorkingRow(db, 1, "03", QDate(2024, 5, 3), "甲商店", yen(1000), yen(0), yen(6000));
    addWorkingRow(db, 2, "", QDate(), "日付なし", yen(0), yen(500), yen(5500));
    addWorkingRow(db, 3, "05", QDate(2024, 5, 5), nullptr, yen(300), yen(0), yen(5800));
    addWorkingRow(db, 4, "10", QDate(2024, 5, 10), "乙工業", yen(0), yen(7000), yen(-1500));
    control<AmountField>(window, "num繰越額")->setAmount(yen(5000));
    control<AmountField>(window, "num予定額月計")->setAmount(yen(1000));
    control<AmountField>(window, "num入金額月計")->setEmpty();
    control<AmountField>(window, "num累計")->setAmount(yen(-1500));

    QTest::mouseClick(control<QPushButton>(window, "Cmd印刷"), Qt::LeftButton);
    ASSERT_TRUE(preview.data);
    EXPECT_EQ(answers.count(), 0) << "printing asks nothing";
    EXPECT_EQ(preview.lineColor, window.settingsPage().lineColour());
    EXPECT_EQ(preview.data->monthTitle, QStringLiteral("2024年05月"));
    const report::ScreenFigures shown{yen(5000), yen(1000), yen(0), yen(-1500)};
    EXPECT_EQ(preview.data->figures, shown);
    const std::vector<report::ReportRow> rows{
        {QStringLiteral("03"), QStringLiteral("甲商店"), yen(1000), yen(0), yen(6000)},
        {QString(), QStringLiteral("日付なし"), yen(0), yen(500), yen(5500)},
        {QStringLiteral("10"), QStringLiteral("乙工業"), yen(0), yen(7000), yen(-1500)}};
    EXPECT_EQ(preview.data->rows, rows);

    // A second click prints the screen as it stands then, in the era form when the settings say so.
    storeSettings(window, [](settings::SettingsRecord& record) { record.era = QStringLiteral("和暦"); });
    db.execute("update InpWork set 入金先名 = ? where 行番号 = 1", {QStringLiteral("丙物産")});
    control<AmountField>(window, "num予定額月計")->setAmount(yen(1300));
    QTest::mouseClick(control<QPushButton>(window, "Cmd印刷"), Qt::LeftButton);
    EXPECT_EQ(preview.data->monthTitle, QStringLiteral("令和 06年05月"));
    EXPECT_EQ(preview.data->figures.plannedTotal, yen(1300));
    ASSERT_EQ(preview.data->rows.size(), 3u);
    EXPECT_EQ(preview.data->rows[0].payer, QStringLiteral("丙物産"));
}

TEST(PrintButton, OpensThePreviewAndToldFailuresLeaveTheWindowWorking)
{
    TempDataFolder folder;
    auto prompts = std::make_shared<ScriptedPrompts>();
    FrmDorivan window(folder.path(), prompts);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ScopedDialogAnswers answers(window);

    // The real preview, its failures told through the scripted prompts; close it once it is up.
    prompts->monthlyReportPreview = [&](QWidget* parent, Database& db, const QDate& month, const QString& era,
                                        const report::ScreenFigures& figures, std::int64_t lineColor) {
        previewMonthlyReport(*prompts, parent, db, month, era, figures, lineColor);
    };
    int previews = 0;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
            ++previews;
            dialog->reject();
        }
    });
    closer.start();
    QTest::mouseClick(control<QPushButton>(window, "Cmd印刷"), Qt::LeftButton);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(answers.count(), 0);

    // The rows to print cannot be rebuilt: the user is told, no preview opens, the program goes on.
    window.db().execute("drop table InpWork印刷");
    QTest::mouseClick(control<QPushButton>(window, "Cmd印刷"), Qt::LeftButton);
    EXPECT_EQ(previews, 1);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().message, QStringLiteral("入金予定表を印刷できませんでした。"));
    EXPECT_TRUE(window.isLoaded());
    EXPECT_TRUE(window.isVisible());
}
