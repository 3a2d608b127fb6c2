#include "app/cli/csv_command.h"
#include "app/dialogs/csv_dialog.h"
#include "app/dialogs/dialog_prompts.h"
#include "app/pages/csv_panel.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/outlook_chart.h"
#include "common/dates.h"
#include "csv/csv_export.h"
#include "schedule_window.h"
#include "settings/settings_record.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QBarSet>
#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QDate kMay(2024, 5, 1);

CsvExchangePanel* panelOf(FrmDorivan& window)
{
    auto* panel = window.findChild<CsvExchangePanel*>(QStringLiteral("fraCSV"));
    EXPECT_NE(panel, nullptr);
    return panel;
}

void click(FrmDorivan& window, const char* button)
{
    auto* b = window.findChild<QPushButton*>(QString::fromUtf8(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

// Makes choices in the dialog once it is shown, then presses its OK button.
void whenShown(CsvDialog* dialog, std::function<void()> choose)
{
    QTimer::singleShot(0, dialog, [dialog, choose] {
        EXPECT_TRUE(dialog->isVisible());
        choose();
        dialog->accept();
    });
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(CsvWindow, TheExportButtonWritesTheChosenMonthsInTheChosenEncoding)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 4, 30), 1, QStringLiteral("甲社"), yen(100), yen(0), yen(100)},
                             {QDate(2024, 5, 2), 1, QStringLiteral("乙社"), yen(50), yen(0), yen(150)}});
    }
    auto window = openWindow(folder);
    showMonth(*window, kMay);
    CsvExchangePanel* panel = panelOf(*window);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->title(), QStringLiteral("データの書き出し・取り込み"));
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("cmdCSV出力"))->text(),
              QStringLiteral("CSV出力"));
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("cmdCSV取込"))->text(),
              QStringLiteral("CSV取込"));

    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("may.csv"));
    CsvDialog* dialog = panel->exportDialog();
    QString suggested;
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest& request) {
        suggested = request.suggested;
        return path;
    };
    ScopedDialogAnswers answers(*window);
    whenShown(dialog, [dialog] {
        dialog->setRange(CsvDialog::Range::DisplayedMonth);
        dialog->setEncoding(csv::CsvEncoding::Cp932);
    });
    click(*window, "cmdCSV出力");
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("入金予定表_202405.csv"))) << suggested.toStdString();
    EXPECT_EQ(fileBytes(path),
              csv::exportSchedule(window->db(), {kMay, kMay}, csv::CsvEncoding::Cp932).bytes);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers.last().message.contains(QStringLiteral("1 行を書き出しました")));

    // Months the wrong way round are refused before any file is asked for.
    suggested.clear();
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->setRange(CsvDialog::Range::Months);
        dialog->setMonths(QDate(2024, 6, 1), kMay);
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    click(*window, "cmdCSV出力");
    EXPECT_TRUE(suggested.isEmpty());
    EXPECT_EQ(answers.count(), 2);

    // A cancelled file dialog writes nothing and says nothing.
    FileRequest asked;
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest& request) {
        asked = request;
        return QString();
    };
    whenShown(dialog, [dialog] { dialog->setRange(CsvDialog::Range::All); });
    click(*window, "cmdCSV出力");
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(answers.count(), 2);

    // The real prompts ask with Qt's own file dialog, the same on every desktop, for a file to write.
    bool sawFileDialog = false;
    QTimer::singleShot(0, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(files, nullptr);
        sawFileDialog = true;
        EXPECT_TRUE(files->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("csv"));
        files->reject();
    });
    EXPECT_TRUE(dialogPrompts()->chooseFile(window.get(), asked).isEmpty());
    EXPECT_TRUE(sawFileDialog);
}

TEST(CsvWindow, TheImportButtonAsksStoresReloadsTheMonthAndSummarises)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 1), 1, QStringLiteral("甲社"), yen(500), yen(0), yen(500)}});
        seedPayers(*db, {QStringLiteral("甲社")});
    }
    auto window = openWindow(folder);
    storeSettings(*window, [](settings::SettingsRecord& record) { record.autoRegister = true; });
    showMonth(*window, kMay);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("in.csv"));
    writeFile(path,
              QByteArray("日付,入金先名,予定額,入金額\r\n2024/05/01,甲社,700,0\r\n2024/05/02,乙社,30,0\r\n"));
    CsvDialog* dialog = panelOf(*window)->importDialog();
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest& request) {
        EXPECT_FALSE(request.save);
        return path;
    };

    {
        // Answered No: nothing is stored.
        ScopedDialogAnswers answers(*window, {false});
        whenShown(dialog, [] {});
        click(*window, "cmdCSV取込");
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message,
                  QStringLiteral("ファイル「in.csv」から 追加 1 行、更新 1 行 を取り込みます（入金先マスタに "
                                 "1 件登録）、よろしいですか"));
        // The rows themselves, with their old and new amounts, under the question.
        EXPECT_EQ(answers.last().details,
                  QStringLiteral("更新　2024/05/01　甲社　予定額 500 → 700　入金額 0\n"
                                 "追加　2024/05/02　乙社　予定額 30　入金額 0\n"
                                 "入金先マスタに登録　乙社"));
        EXPECT_EQ(readStoredRows(window->db()).size(), 1u);
    }
    ScopedDialogAnswers answers(*window, {true});
    whenShown(dialog, [] {});
    click(*window, "cmdCSV取込");
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.last().message, QStringLiteral("取り込みました。追加 1 行、更新 1 行"));
    // The displayed month is read again, and the new payer is offered in the grid's list.
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(0, kPlanned).toMoney(), yen(700));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(1, kPayer).toText(), QStringLiteral("乙社"));
    EXPECT_EQ(control<WorkTableModel>(*window, "datInp")->value(1, kBalance).toMoney(), yen(730));
    EXPECT_TRUE(readNames(window->db(), QStringLiteral("w入金先名")).contains(QStringLiteral("乙社")));

    // An import of older months shows the latest month that holds rows, not an empty one.
    showMonth(*window, QDate(2023, 1, 1));
    writeFile(path, QByteArray("日付,入金先名,予定額,入金額\r\n2019/03/04,甲社,10,0\r\n"));
    answers.queue(true);
    whenShown(dialog, [] {});
    click(*window, "cmdCSV取込");
    EXPECT_EQ(window->schedulePage().workMonth().toString(u"yyyyMM"), QStringLiteral("202405"));
}

TEST(CsvWindow, AnImportOfABadFileListsTheLinesAndStoresNothing)
{
    TempDataFolder folder;
    auto window = openWindow(folder);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("bad.csv"));
    writeFile(path,
              QByteArray("日付,入金先名,予定額,入金額\r\n2024/05/01,,700,0\r\n2024/05/32,乙社,30,0\r\n"));
    CsvDialog* dialog = panelOf(*window)->importDialog();
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest&) { return path; };
    ScopedDialogAnswers answers(*window);
    whenShown(dialog, [] {});
    click(*window, "cmdCSV取込");
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("CSV取込"));
    EXPECT_EQ(answers.last().message,
              QStringLiteral("次の誤りがあるため、何も取り込んでいません。\n2行目：入金先名が空です。\n"
                             "3行目：日付「2024/05/32」が正しくありません（yyyy/mm/dd の形の、ある日付）。"));
    EXPECT_TRUE(readStoredRows(window->db()).empty());
}

TEST(CsvWindow, TheImportButtonSettlesUnsavedEditsOfTheMonthFirst)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate(2024, 5, 1), 1, QStringLiteral("甲社"), yen(500), yen(0), yen(500)}});
    }
    auto window = openWindow(folder);
    showMonth(*window, kMay);
    WorkTableModel* grid = control<WorkTableModel>(*window, "datInp");
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("in.csv"));
    writeFile(path, QByteArray("日付,入金先名,予定額,入金額\r\n2024/05/02,甲社,30,0\r\n"));
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest&) { return path; };
    CsvDialog* dialog = panelOf(*window)->importDialog();
    const QString unsaved = QStringLiteral("未登録の変更");

    // キャンセル: nothing is imported and the edit stays on the screen.
    ASSERT_TRUE(grid->setData(grid->index(0, kPlanned), 600));
    {
        ScopedDialogAnswers answers(*window);
        answers.queueCancel();
        whenShown(dialog, [] {});
        click(*window, "cmdCSV取込");
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().title, unsaved);
        EXPECT_TRUE(window->schedulePage().hasUnsavedEdits());
        EXPECT_EQ(readStoredRows(window->db()).size(), 1u);
    }
    // はい: the edit is saved, then the file's row is added beside it.
    ScopedDialogAnswers answers(*window, {true, true});
    whenShown(dialog, [] {});
    click(*window, "cmdCSV取込");
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.shown()[0].title, unsaved);
    EXPECT_EQ(answers.last().message, QStringLiteral("取り込みました。追加 1 行、更新 0 行"));
    EXPECT_EQ(storedBalances(window->db()), (std::vector<std::optional<Money>>{yen(600), yen(630)}));
}

TEST(CsvWindow, ImportsByTheButtonOrTheCommandLineShowInTheNoticeAndTheOpenReceipts)
{
    TempDataFolder folder;
    const QDate lastMonth = QDate::currentDate().addMonths(-1);
    const auto day = [&lastMonth](int d) { return QDate(lastMonth.year(), lastMonth.month(), d); };
    {
        auto db = folder.open();
        seedStoredRows(*db, {{day(10), 1, QStringLiteral("甲社"), yen(1000), yen(0), yen(1000)}});
    }
    auto window = openWindow(folder);
    EXPECT_EQ(control<ClickableLabel>(*window, "lbl未入金お知らせ")->text(),
              QStringLiteral("期日を過ぎた未入金 1 件 合計 1,000 円"));
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("in.csv"));

    // The button: 甲社 has paid, 乙社 is newly open.
    writeFile(path, QStringLiteral("日付,入金先名,予定額,入金額\r\n%1,甲社,1000,1000\r\n%2,乙社,300,0\r\n")
                        .arg(toSlashDate(day(10)), toSlashDate(day(11)))
                        .toUtf8());
    scriptedPromptsOf(*window).fileChooser = [&](QWidget*, const FileRequest&) { return path; };
    {
        ScopedDialogAnswers answers(*window, {true});
        whenShown(panelOf(*window)->importDialog(), [] {});
        click(*window, "cmdCSV取込");
        ASSERT_EQ(answers.count(), 2);
    }
    EXPECT_EQ(control<ClickableLabel>(*window, "lbl未入金お知らせ")->text(),
              QStringLiteral("期日を過ぎた未入金 1 件 合計 300 円"));
    OverduePage& page = window->overduePage();
    EXPECT_EQ(control<AmountField>(page, "num未入金合計")->text(), QStringLiteral("300"));
    // The outlook's fifth month is the one before today's.
    EXPECT_EQ(control<OutlookChart>(page, "Chart見通し")->receivedSet()->at(4), 1000.0);

    // The command line, while the window is closed: the next window shows what it stored.
    ASSERT_TRUE(window->close());
    window.reset();
    writeFile(
        path,
        QStringLiteral("日付,入金先名,予定額,入金額\r\n%1,丙社,50,0\r\n").arg(toSlashDate(day(12))).toUtf8());
    QBuffer input;
    QBuffer errors;
    errors.open(QIODevice::WriteOnly);
    CsvCommandOptions options;
    options.dataFolder = folder.path();
    options.file = path;
    ASSERT_EQ(runImportCsvCommand(options, input, errors), 0) << errors.data().toStdString();
    window = openWindow(folder);
    EXPECT_EQ(control<ClickableLabel>(*window, "lbl未入金お知らせ")->text(),
              QStringLiteral("期日を過ぎた未入金 2 件 合計 350 円"));
    EXPECT_EQ(control<AmountField>(window->overduePage(), "num未入金合計")->text(), QStringLiteral("350"));
}
