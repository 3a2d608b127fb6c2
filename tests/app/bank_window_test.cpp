#include "schedule_window.h"

#include "app/dialogs/bank_match_dialog.h"
#include "bank/bank_csv.h"
#include "bank/bank_samples.h"
#include "bank/matching_store.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/seed.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace {

const QDate kJune(2025, 6, 1);
enum { kTick = 0, kPayerBox = 5, kRowBox = 6 };

// Acts on each modal dialog of the window by its object name as it opens; the action closes it.
class DialogActions
{
public:
    explicit DialogActions(std::map<QString, std::function<void(QDialog&)>> actions)
        : m_actions(std::move(actions))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            ++m_seen[dialog->objectName()];
            const auto action = m_actions.find(dialog->objectName());
            if (action == m_actions.end()) {
                ADD_FAILURE() << "unexpected dialog " << dialog->objectName().toStdString();
                dialog->reject();
                return;
            }
            action->second(*dialog);
        });
        m_timer.start(10);
    }
    int seen(const char* name) const
    {
        const auto it = m_seen.find(QString::fromUtf8(name));
        return it == m_seen.end() ? 0 : it->second;
    }

private:
    std::map<QString, std::function<void(QDialog&)>> m_actions;
    std::map<QString, int> m_seen;
    QTimer m_timer;
};

void chooseFile(FrmDorivan& window, const char* sample)
{
    scriptedPromptsOf(window).fileChooser = [file = bank_samples::pathOf(QString::fromLatin1(sample))](
                                                QWidget*, const FileRequest&) { return file; };
}

void clickMatch(FrmDorivan& window)
{
    control<QPushButton>(window, "cmd入金消込")->click();
}

} // namespace

TEST(BankWindow, TheReviewStoresTheTickedDepositsAfterSettlingTheMonthsEdits)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
    }
    auto window = openWindow(folder);
    showMonth(*window, kJune);
    putWorkRow(*window, 9, 15, QStringLiteral("手入力"), 500);
    ASSERT_TRUE(window->schedulePage().hasUnsavedEdits());
    chooseFile(*window, "furikomi_01_crlf.txt");

    // Ticked as judged, 不明 given to a payer on a new row; the edits of June are kept, and so nothing is
    // stored.
    int shownRows = 0;
    Qt::CheckState firstTick = Qt::Unchecked, candidateTick = Qt::Checked;
    const auto review = [&](QDialog& dialog) {
        auto* grid = control<QTableWidget>(dialog, "Grid消込");
        shownRows = grid->rowCount();
        firstTick = grid->item(0, kTick)->checkState();
        candidateTick = grid->item(6, kTick)->checkState();
        auto* payer = qobject_cast<QComboBox*>(grid->cellWidget(7, kPayerBox));
        payer->setCurrentText(QStringLiteral("佐藤 花子"));
        auto* row = qobject_cast<QComboBox*>(grid->cellWidget(7, kRowBox));
        row->setCurrentIndex(row->findText(BankMatchDialog::kNewRow));
        // Choosing ticks the deposit.
        emit row->activated(row->currentIndex());
        control<QPushButton>(dialog, "cmd消込登録")->click();
    };
    {
        DialogActions actions({{QStringLiteral("dlg入金消込"), review}});
        ScopedDialogAnswers answers(*window);
        answers.queueCancel();
        clickMatch(*window);
        EXPECT_EQ(answers.last().title, QStringLiteral("未登録の変更"));
    }
    EXPECT_EQ(shownRows, 8);
    EXPECT_EQ(firstTick, Qt::Checked);
    EXPECT_EQ(candidateTick, Qt::Unchecked);
    EXPECT_TRUE(window->schedulePage().hasUnsavedEdits());
    EXPECT_EQ(countRows(window->db(), QStringLiteral("消込済入金")), 0);

    // Again, leaving the edits: the month is read again with the amounts, and the open list follows.
    {
        DialogActions actions({{QStringLiteral("dlg入金消込"), review}});
        ScopedDialogAnswers answers(*window);
        answers.queue(false);
        clickMatch(*window);
        EXPECT_EQ(answers.last().message,
                  QStringLiteral("入金 7 件を消し込みました（入金額を変更した行 7、追加した行 1）。"
                                 "振込依頼人名 1 件を入金先に覚えました。"));
    }
    EXPECT_FALSE(window->schedulePage().hasUnsavedEdits());
    EXPECT_EQ(countRows(window->db(), QStringLiteral("消込済入金")), 7);
    EXPECT_EQ(workCell(*window, 1, "入金額").toMoney(), yen(110000));
    EXPECT_EQ(bank::readLearnedNames(window->db()).size(), 1u);
    // The same file once more: every deposit is known, and nothing is ticked to store.
    {
        int ticked = -1;
        DialogActions actions({{QStringLiteral("dlg入金消込"), [&](QDialog& dialog) {
                                    auto* grid = control<QTableWidget>(dialog, "Grid消込");
                                    ticked = 0;
                                    for (int r = 0; r < grid->rowCount(); ++r)
                                        ticked += grid->item(r, kTick)->checkState() == Qt::Checked;
                                    dialog.reject();
                                }}});
        ScopedDialogAnswers answers(*window);
        clickMatch(*window);
        EXPECT_EQ(ticked, 0);
        EXPECT_EQ(answers.count(), 0);
    }
}

TEST(BankWindow, ACsvLayoutIsMappedOnceAndABadFileIsToldByItsRecord)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
    }
    auto window = openWindow(folder);
    chooseFile(*window, "generic_bank_statement.csv");
    int judged = 0;
    std::vector<int> amountColumns;
    DialogActions actions({{QStringLiteral("dlg銀行CSV様式"),
                            [&](QDialog& dialog) {
                                amountColumns.push_back(
                                    control<QComboBox>(dialog, "cmb金額列")->currentIndex());
                                control<QPushButton>(dialog, "cmd様式OK")->click();
                            }},
                           {QStringLiteral("dlg入金消込"), [&](QDialog& dialog) {
                                judged = control<QTableWidget>(dialog, "Grid消込")->rowCount();
                                dialog.reject();
                            }}});
    ScopedDialogAnswers answers(*window);
    clickMatch(*window);
    clickMatch(*window);
    // Asked once; the header's words gave the guess (日付, 摘要 and 入金金額).
    EXPECT_EQ(amountColumns, std::vector<int>{3});
    EXPECT_EQ(actions.seen("dlg入金消込"), 2);
    EXPECT_GT(judged, 0);
    EXPECT_EQ(countRows(window->db(), QStringLiteral("銀行CSV様式")), 1);

    // A file that is no statement: its line is named, and no mapping is kept for its layout.
    chooseFile(*window, "../legacy/README.md");
    clickMatch(*window);
    EXPECT_EQ(actions.seen("dlg銀行CSV様式"), 2);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers.last().message.contains(QStringLiteral("行目")))
        << answers.last().message.toStdString();
    EXPECT_TRUE(answers.last().message.endsWith(QStringLiteral("何も変更していません。")));
    EXPECT_EQ(countRows(window->db(), QStringLiteral("銀行CSV様式")), 1);
}

TEST(BankWindow, FeesAndLearnedNamesAreStoredAtOnce)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {QStringLiteral("山田商事")});
        bank::learnName(*db, QStringLiteral("山田商事"), QStringLiteral("ｶ)ﾔﾏﾀﾞ"));
    }
    auto window = openWindow(folder);
    auto* tabs = control<QTabWidget>(*window, "SSTab1");
    tabs->setCurrentWidget(&window->settingsPage());
    auto* fees = control<QListWidget>(*window, "lst振込手数料");
    EXPECT_EQ(fees->count(), 8);
    auto* fee = control<AmountField>(*window, "txt振込手数料");
    {
        ScopedDialogAnswers answers(*window);
        fee->setText(QStringLiteral("165"));
        control<QPushButton>(*window, "cmd手数料追加")->click();
        fee->setText(QStringLiteral("12000"));
        control<QPushButton>(*window, "cmd手数料追加")->click();
        EXPECT_EQ(answers.count(), 1);
    }
    EXPECT_EQ(fees->count(), 9);
    EXPECT_EQ(fees->item(1)->text(), QStringLiteral("165"));
    fees->setCurrentRow(0);
    control<QPushButton>(*window, "cmd手数料削除")->click();
    EXPECT_EQ(bank::readFees(window->db()).front(), yen(165));

    tabs->setCurrentWidget(&window->payerPage());
    auto* names = control<QTableWidget>(*window, "lst照合名");
    ASSERT_EQ(names->rowCount(), 1);
    EXPECT_EQ(names->item(0, 1)->text(), QStringLiteral("ｶ)ﾔﾏﾀﾞ"));
    names->setCurrentCell(0, 0);
    for (const bool yes : {false, true}) {
        ScopedDialogAnswers answers(*window, {yes});
        control<QPushButton>(*window, "cmd照合名削除")->click();
        EXPECT_EQ(answers.questionCount(), 1);
    }
    EXPECT_EQ(names->rowCount(), 0);
    EXPECT_TRUE(bank::readLearnedNames(window->db()).empty());
}

TEST(BankWindow, ColumnsChosenWronglyAreChosenAgainFromTheReview)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        bank_samples::seedScenario(*db);
        // 残高 taken for the deposit amount the first time.
        bank::BankCsvMapping wrong;
        wrong.amountColumn = 4;
        bank::saveCsvMapping(*db, bank::bankCsvLayoutKey(bank_samples::bytesOf("generic_bank_statement.csv")),
                             wrong);
    }
    auto window = openWindow(folder);
    chooseFile(*window, "generic_bank_statement.csv");
    std::vector<int> settled;
    int shownAmountColumn = -1;
    DialogActions actions({{QStringLiteral("dlg入金消込"),
                            [&](QDialog& dialog) {
                                auto* grid = control<QTableWidget>(dialog, "Grid消込");
                                int ticked = 0;
                                for (int r = 0; r < grid->rowCount(); ++r)
                                    ticked += grid->item(r, kTick)->checkState() == Qt::Checked;
                                settled.push_back(ticked);
                                if (settled.size() == 1)
                                    control<QPushButton>(dialog, "cmd様式変更")->click();
                                else
                                    dialog.reject();
                            }},
                           {QStringLiteral("dlg銀行CSV様式"), [&](QDialog& dialog) {
                                auto* amount = control<QComboBox>(dialog, "cmb金額列");
                                shownAmountColumn = amount->currentIndex();
                                amount->setCurrentIndex(3);
                                control<QPushButton>(dialog, "cmd様式OK")->click();
                            }}});
    ScopedDialogAnswers answers(*window);
    clickMatch(*window);
    // Read with the balance as the amount nothing is settled; chosen again, the file is read anew.
    EXPECT_EQ(shownAmountColumn, 4);
    ASSERT_EQ(settled.size(), 2u);
    EXPECT_EQ(settled[0], 0);
    EXPECT_GT(settled[1], 0);
    EXPECT_EQ(window->db().readFirst("select 金額列 from 銀行CSV様式").toInt64(), 3);
}
