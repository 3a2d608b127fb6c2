#include "app/csv_dialog.h"
#include "app/csv_panel.h"
#include "csv/csv_export.h"
#include "schedule_window.h"
#include "settings/settings_record.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
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
        EXPECT_EQ(
            answers.last().message,
            QStringLiteral(
                "ファイル「in.csv」から 追加 1 行、更新 1 行 を取り込みます（入金先マスタに 1 件登録）。"
                "表示中の月の登録していない入力は失われます、よろしいですか"));
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
