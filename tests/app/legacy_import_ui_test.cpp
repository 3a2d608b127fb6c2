#include "app/FrmDorivan.h"
#include "app/cli/folder_lock.h"
#include "app/cli/legacy_command.h"
#include "app/dialogs/dialog_prompts.h"
#include "app/grid/work_table_model.h"
#include "app/pages/legacy_import_ui.h"
#include "app/pages/schedule_page.h"
#include "app/widgets/clickable_label.h"
#include "legacy/legacy_test_files.h"
#include "storage/database.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the message boxes that come up, in turn, with the queued buttons, and keeps their texts.
class BoxAnswers
{
public:
    explicit BoxAnswers(std::vector<QMessageBox::StandardButton> buttons) : m_buttons(std::move(buttons))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            // A box answered is hidden at once, so each one is seen once.
            if (!box || !box->isVisible())
                return;
            texts.push_back(box->text());
            defaults.push_back(box->standardButton(box->defaultButton()));
            if (m_next < m_buttons.size())
                box->button(m_buttons[m_next++])->click();
            else
                box->reject();
        });
        m_poll.start();
    }
    std::vector<QString> texts;
    std::vector<QMessageBox::StandardButton> defaults;

private:
    std::vector<QMessageBox::StandardButton> m_buttons;
    std::size_t m_next = 0;
    QTimer m_poll;
};

int count(Database& db, const char* table)
{
    return int(db.readTotal(std::string("select count(*) as total from ") + table).toInt64().value_or(-1));
}

class LegacyImportWindow : public ::testing::Test
{
protected:
    void SetUp() override { useBuiltReader(); }
    QTemporaryDir m_dir;
};

struct ProgramRun
{
    int code = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QStringList& arguments)
{
    QProcess program;
    program.start(QStringLiteral(DORIVAN_EXECUTABLE), arguments);
    program.waitForFinished(60000);
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

TEST_F(LegacyImportWindow, TheSettingsButtonWarnsImportsReloadsTheWindowAndShowsWhatArrived)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedStoredRows(*db, {{QDate::currentDate(), 1, QStringLiteral("既存"), yen(5), yen(0), yen(5)}});
    }
    const QString source = QDir(m_dir.path()).filePath(QStringLiteral("old"));
    copyFiles(legacyData(QStringLiteral("small")), source);
    // The folder is chosen by the script; the boxes are the real ones.
    auto prompts = std::make_shared<ScriptedPrompts>();
    prompts->folderChooser = [&source](QWidget*, const QString&) { return source; };
    prompts->passThrough = dialogPrompts();
    FrmDorivan window(folder.path(), prompts);

    {
        // No to the warning: nothing is touched.
        const QMap<QString, QByteArray> before = snapshot(folder.path());
        BoxAnswers answers({QMessageBox::No});
        control<QPushButton>(window, "cmd旧データ取込")->click();
        ASSERT_EQ(answers.texts.size(), 1u);
        EXPECT_TRUE(answers.texts[0].contains(QStringLiteral("置き換えられます")));
        EXPECT_EQ(answers.defaults[0], QMessageBox::No);
        EXPECT_EQ(count(window.db(), "入金予定表"), 1);
        EXPECT_EQ(snapshot(folder.path()), before);
    }

    BoxAnswers answers({QMessageBox::Yes, QMessageBox::Ok});
    control<QPushButton>(window, "cmd旧データ取込")->click();
    ASSERT_EQ(answers.texts.size(), 2u);
    EXPECT_TRUE(
        answers.texts[1].startsWith(QStringLiteral("555 行、入金先 12 件、ヒント 3 件を取り込みました。")))
        << answers.texts[1].toStdString();
    EXPECT_TRUE(answers.texts[1].contains(QStringLiteral("backup"))) << answers.texts[1].toStdString();
    ASSERT_TRUE(window.isLoaded());
    EXPECT_EQ(count(window.db(), "入金予定表"), 555);
    // The window shows the imported data: the era of the imported settings, the payers in the list.
    EXPECT_EQ(window.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_EQ(control<WorkTableModel>(window, "dat入金先名")->rowCount(), 12);
    EXPECT_FALSE(control<QProgressBar>(window, "Pbar旧データ取込")->isVisible());
    // It opens on the latest month the import holds, which ends long before today's empty month.
    const std::optional<QDate> last = window.db().readFirst("select max(日付) from 入金予定表").toDate();
    ASSERT_TRUE(last);
    EXPECT_LT(*last, QDate::currentDate().addDays(-QDate::currentDate().day()));
    EXPECT_EQ(window.schedulePage().workMonth().toString(u"yyyyMM"), last->toString(u"yyyyMM"));
    EXPECT_TRUE(window.schedulePage().monthHoldsRows());
}

TEST_F(LegacyImportWindow, TheSettingsButtonSettlesUnsavedEditsFirstAndTheNoticeFollowsTheImport)
{
    TempDataFolder folder;
    const QDate today = QDate::currentDate();
    {
        auto db = folder.open();
        seedStoredRows(*db, {{today.addMonths(-1), 1, QStringLiteral("既存"), yen(1000), yen(0), yen(1000)},
                             {today, 1, QStringLiteral("既存"), yen(5), yen(5), yen(1000)}});
    }
    const QString bad = QDir(m_dir.path()).filePath(QStringLiteral("bad"));
    copyFiles(legacyData(QStringLiteral("bad_values")), bad);
    const QString good = QDir(m_dir.path()).filePath(QStringLiteral("good"));
    copyFiles(legacyData(QStringLiteral("small")), good);
    QString source = bad;
    auto prompts = std::make_shared<ScriptedPrompts>();
    prompts->folderChooser = [&source](QWidget*, const QString&) { return source; };
    FrmDorivan window(folder.path(), prompts);
    auto* grid = control<WorkTableModel>(window, "datInp");
    const int planned = grid->columnIndex(QStringLiteral("予定額"));
    const QString unsaved = QStringLiteral("未登録の変更");
    const QString noticeBefore = control<ClickableLabel>(window, "lbl未入金お知らせ")->text();
    EXPECT_EQ(noticeBefore, QStringLiteral("期日を過ぎた未入金 1 件 合計 1,000 円"));

    // キャンセル: nothing is imported and the edit stays on the screen.
    ASSERT_TRUE(grid->setData(grid->index(0, planned), 7));
    {
        ScopedDialogAnswers answers(*prompts);
        answers.queueCancel();
        control<QPushButton>(window, "cmd旧データ取込")->click();
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().title, unsaved);
        EXPECT_TRUE(window.schedulePage().hasUnsavedEdits());
    }
    // はい saves the edit before an import that then fails: the edit is kept in the store.
    {
        ScopedDialogAnswers answers(*prompts, {true, true});
        control<QPushButton>(window, "cmd旧データ取込")->click();
        ASSERT_EQ(answers.count(), 3);
        EXPECT_EQ(answers.shown()[0].title, unsaved);
        EXPECT_TRUE(answers.last().message.contains(QStringLiteral("行番号 201")))
            << answers.last().message.toStdString();
        EXPECT_EQ(readStoredRows(window.db()).at(1).予定額, yen(7));
    }
    // いいえ goes on without the edit; the window then shows the imported rows' figures, as a window
    // opened afresh on them does.
    ASSERT_TRUE(grid->setData(grid->index(0, planned), 9));
    source = good;
    ScopedDialogAnswers answers(*prompts, {false, true});
    control<QPushButton>(window, "cmd旧データ取込")->click();
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.shown()[0].title, unsaved);
    ASSERT_EQ(count(window.db(), "入金予定表"), 555);
    FrmDorivan afresh(folder.path(), std::make_shared<ScriptedPrompts>());
    const QString noticeAfter = control<ClickableLabel>(window, "lbl未入金お知らせ")->text();
    EXPECT_NE(noticeAfter, noticeBefore);
    EXPECT_EQ(noticeAfter, control<ClickableLabel>(afresh, "lbl未入金お知らせ")->text());
    EXPECT_EQ(control<QWidget>(window.overduePage(), "num未入金合計")->property("text"),
              control<QWidget>(afresh.overduePage(), "num未入金合計")->property("text"));
}

TEST_F(LegacyImportWindow, AnAccessFileAtStartIsOfferedYesImportsNoEndsAndAFailureEndsWithTheReason)
{
    const QString data = QDir(m_dir.path()).filePath(QStringLiteral("data"));
    copyFiles(legacyData(QStringLiteral("small")), data);
    const QMap<QString, QByteArray> before = snapshot(data);
    {
        BoxAnswers answers({QMessageBox::No});
        EXPECT_EQ(offerLegacyImportAtStart(data), std::optional<int>(0));
        ASSERT_EQ(answers.texts.size(), 1u);
        EXPECT_EQ(answers.defaults[0], QMessageBox::Yes);
        EXPECT_EQ(snapshot(data), before);
    }
    {
        BoxAnswers answers({QMessageBox::Yes, QMessageBox::Ok});
        EXPECT_EQ(offerLegacyImportAtStart(data), std::nullopt);
        ASSERT_EQ(answers.texts.size(), 2u);
        EXPECT_TRUE(answers.texts[1].contains(QStringLiteral("Dorivan.mdb.jet-")));
        FrmDorivan window(data);
        EXPECT_EQ(count(window.db(), "入金予定表"), 555);
    }
    // Now the folder holds files of ours: nothing is offered.
    EXPECT_EQ(offerLegacyImportAtStart(data), std::nullopt);

    const QString bad = QDir(m_dir.path()).filePath(QStringLiteral("bad"));
    copyFiles(legacyData(QStringLiteral("bad_values")), bad);
    const QMap<QString, QByteArray> badBefore = snapshot(bad);
    BoxAnswers answers({QMessageBox::Yes, QMessageBox::Ok});
    EXPECT_EQ(offerLegacyImportAtStart(bad), std::optional<int>(1));
    ASSERT_EQ(answers.texts.size(), 2u);
    EXPECT_TRUE(answers.texts[1].contains(QStringLiteral("行番号 201"))) << answers.texts[1].toStdString();
    EXPECT_EQ(snapshot(bad), badBefore);
}

TEST_F(LegacyImportWindow, TheCommandLineImportsRefusesStoredRowsAndARunningCopyAndSaysWhy)
{
    const QString data = QDir(m_dir.path()).filePath(QStringLiteral("data"));
    const QString source = legacyData(QStringLiteral("small"));
    const QStringList import{QStringLiteral("--data-dir"), data, QStringLiteral("--import-legacy"), source};

    ProgramRun run = runProgram(import);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("555 行、入金先 12 件、ヒント 3 件を取り込みました\n"));

    run = runProgram(import);
    EXPECT_EQ(run.code, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--replace"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    {
        QLockFile runningCopy(folderLockPath(data));
        ASSERT_TRUE(runningCopy.tryLock(0));
        run = runProgram(import + QStringList{QStringLiteral("--replace")});
        EXPECT_EQ(run.code, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("実行中"))) << run.err.toStdString();
    }
    run = runProgram(import + QStringList{QStringLiteral("--replace")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();

    const QString bad = QDir(m_dir.path()).filePath(QStringLiteral("bad"));
    copyFiles(legacyData(QStringLiteral("missing_columns")), bad);
    run = runProgram({QStringLiteral("--data-dir"), bad, QStringLiteral("--import-legacy"), bad});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("列「入金額」がありません"))) << run.err.toStdString();
}
