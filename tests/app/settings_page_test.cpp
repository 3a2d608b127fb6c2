#include "app/FrmDorivan.h"
#include "app/dialogs/color_chooser.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/month_edit.h"
#include "report/report_data.h"
#include "settings/colors.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/raw_connection.h"
#include "support/seed.h"
#include "support/temp_data.h"

#include <SQLiteCpp/Database.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kRed = 0x0000FF;
constexpr std::int64_t kGreen = 0x00FF00;

// What the settings page shows.
struct Shown
{
    QString era;
    bool ticked = false;
    QString number;
    QColor swatch;
    friend bool operator==(const Shown&, const Shown&) = default;
};

void PrintTo(const Shown& s, std::ostream* os)
{
    *os << s.era.toStdString() << " / " << s.ticked << " / " << s.number.toStdString() << " / "
        << s.swatch.name().toStdString();
}

Shown shown(const FrmDorivan& w)
{
    return {control<QComboBox>(w, "cmb年号")->currentText(),
            control<QCheckBox>(w, "Chk入金先自動登録")->isChecked(),
            control<AmountField>(w, "num白紙罫線色")->text(),
            control<ClickableLabel>(w, "Pic罫線色")
                ->palette()
                .color(control<ClickableLabel>(w, "Pic罫線色")->backgroundRole())};
}

Shown page(const char16_t* era, bool ticked, std::int64_t number, std::int64_t swatch)
{
    return {QString::fromUtf16(era), ticked, QString::number(number), colorFromRgbValue(swatch)};
}

// The stored settings rows, each as era / registration / colour.
struct StoredSettings
{
    Value era, autoRegister, lineColor;
    friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

std::vector<StoredSettings> storedSettings(Database& db)
{
    std::vector<StoredSettings> rows;
    RowSet set = db.openRowSet("select * from 自社情報");
    for (set.moveFirst(); !set.atEnd(); set.moveNext())
        rows.push_back({set.get("年号"), set.get("入金先自動登録"), set.get("LineColor1")});
    return rows;
}

void storeSettings(const TempDataFolder& folder, const Value& era, const Value& autoRegister,
                   const Value& color)
{
    auto db = folder.open();
    db->execute("insert into 自社情報 (年号, 入金先自動登録, LineColor1) values (?, ?, ?)",
                {era, autoRegister, color});
}

void showSettings(FrmDorivan& w)
{
    control<QTabWidget>(w, "SSTab1")->setCurrentIndex(2);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeNumber(FrmDorivan& w, const QString& text)
{
    control<AmountField>(w, "num白紙罫線色")->selectAll();
    QTest::keyClick(control<AmountField>(w, "num白紙罫線色"), Qt::Key_Backspace);
    QTest::keyClicks(control<AmountField>(w, "num白紙罫線色"), text);
}

// Answers the colour chooser for the lifetime of the object and records how it was called.
struct ScopedColorAnswer
{
    std::int64_t answer;
    int calls = 0;
    QWidget* owner = nullptr;
    std::int64_t initial = -2;
    ScriptedPrompts& prompts;
    ScopedColorAnswer(FrmDorivan& window, std::int64_t a) : answer(a), prompts(scriptedPromptsOf(window))
    {
        prompts.colorChooser = [this](QWidget* o, std::int64_t i) {
            ++calls;
            owner = o;
            initial = i;
            return answer;
        };
    }
    ~ScopedColorAnswer() { prompts.colorChooser = nullptr; }
};

} // namespace

TEST(SettingsPage, ReadRulesReachThePageAndTheRunTimeValues)
{
    TempDataFolder folder;
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    ScopedDialogAnswers answers(w);
    showSettings(w);
    // No row: Western years, registration on, black lines.
    EXPECT_EQ(shown(w), page(u"西暦", true, 0, 0));
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("西暦"));
    EXPECT_TRUE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), 0);

    w.db().execute("insert into 自社情報 (年号) values (null)");
    click(control<QPushButton>(w, "cmd設定読込"));
    EXPECT_EQ(shown(w), page(u"西暦", false, 0, 0));
    EXPECT_FALSE(w.settingsPage().autoRegistration());

    w.db().execute("update 自社情報 set 年号 = ?, 入金先自動登録 = ?, LineColor1 = ?",
                   {Value("和暦"), Value(true), Value(kRed)});
    click(control<QPushButton>(w, "cmd設定読込"));
    EXPECT_EQ(shown(w), page(u"和暦", true, kRed, kRed));
    EXPECT_EQ(control<ClickableLabel>(w, "Pic罫線色")
                  ->palette()
                  .color(control<ClickableLabel>(w, "Pic罫線色")->backgroundRole()),
              QColor(255, 0, 0));
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_TRUE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);

    // An era outside the list is shown as stored; stray bits above a colour do not reach the printout.
    w.db().execute("update 自社情報 set 年号 = ?, LineColor1 = ?",
                   {Value("平成"), Value(0x1000000 + kGreen)});
    click(control<QPushButton>(w, "cmd設定読込"));
    EXPECT_EQ(control<QComboBox>(w, "cmb年号")->currentText(), QStringLiteral("平成"));
    EXPECT_EQ(control<QComboBox>(w, "cmb年号")->count(), 2);
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("平成"));
    EXPECT_EQ(control<AmountField>(w, "num白紙罫線色")->text(), QString::number(0x1000000 + kGreen));
    EXPECT_EQ(w.settingsPage().lineColour(), kGreen);

    // The era is chosen from the list only: neither keys nor the input method type into it.
    QTest::keyClicks(control<QComboBox>(w, "cmb年号"), QStringLiteral("abc"));
    for (QWidget* target : {static_cast<QWidget*>(control<QComboBox>(w, "cmb年号")),
                            static_cast<QWidget*>(control<QComboBox>(w, "cmb年号")->lineEdit())}) {
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("昭和"));
        QApplication::sendEvent(target, &commit);
    }
    EXPECT_EQ(control<QComboBox>(w, "cmb年号")->currentText(), QStringLiteral("平成"));
    QTest::keyClick(control<QComboBox>(w, "cmb年号"), Qt::Key_Down);
    EXPECT_EQ(control<QComboBox>(w, "cmb年号")->currentText(), QStringLiteral("西暦"));
    EXPECT_EQ(answers.count(), 0);
}

TEST(SettingsPage, SaveAsksAddsOneRowTheFirstTimeAndEditsItAfterwards)
{
    TempDataFolder folder;
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    QTest::keyClick(control<QComboBox>(w, "cmb年号"), Qt::Key_Down);
    QTest::keyClick(control<QCheckBox>(w, "Chk入金先自動登録"), Qt::Key_Space);
    typeNumber(w, QStringLiteral("65280"));
    {
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定登録"));
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message, QStringLiteral("設定 を登録します。よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultYes);
    }
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", false, kGreen}}));
    // The save reloads, so the new values are in effect at once.
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_FALSE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), kGreen);
    EXPECT_EQ(shown(w), page(u"和暦", false, kGreen, kGreen));

    QTest::keyClick(control<QCheckBox>(w, "Chk入金先自動登録"), Qt::Key_Space);
    typeNumber(w, QStringLiteral("255"));
    {
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定登録"));
    }
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", true, kRed}}));
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);

    // A number that is no colour, or no number at all, is refused with a message and nothing stored.
    for (const QString& bad : {QStringLiteral("99999999"), QString()}) {
        typeNumber(w, bad);
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定登録"));
        ASSERT_EQ(answers.count(), 2);
        EXPECT_EQ(answers.last().style, DialogStyle::Notice);
        EXPECT_TRUE(answers.last().message.contains(QStringLiteral("16777215")));
        EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", true, kRed}}));
        EXPECT_EQ(shown(w), page(u"和暦", true, kRed, kRed));
    }
    // Letters never reach the field.
    typeNumber(w, QStringLiteral("12ab"));
    EXPECT_EQ(control<AmountField>(w, "num白紙罫線色")->text(), QStringLiteral("12"));
}

TEST(SettingsPage, SaveAnsweredNoPutsTheStoredSettingsBackOnThePage)
{
    TempDataFolder folder;
    storeSettings(folder, "和暦", true, kRed);
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    QTest::keyClick(control<QComboBox>(w, "cmb年号"), Qt::Key_Up);
    QTest::keyClick(control<QCheckBox>(w, "Chk入金先自動登録"), Qt::Key_Space);
    typeNumber(w, QStringLiteral("0"));
    ASSERT_EQ(shown(w).era, QStringLiteral("西暦"));

    ScopedDialogAnswers answers(w, {false});
    click(control<QPushButton>(w, "cmd設定登録"));
    EXPECT_EQ(answers.questionCount(), 1);
    EXPECT_EQ(shown(w), page(u"和暦", true, kRed, kRed));
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", true, kRed}}));
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
}

TEST(SettingsPage, ResetAsksThenDefaultsAStoredRowCreatesNoneAndClearsThePage)
{
    TempDataFolder folder;
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    const Shown cleared = page(u"西暦", false, 1, 1);
    {
        ScopedDialogAnswers answers(w, {false});
        click(control<QPushButton>(w, "cmd設定削除"));
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message, QStringLiteral("設定 を削除します。よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultNo);
        EXPECT_EQ(shown(w), page(u"西暦", true, 0, 0));
    }
    {
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定削除"));
        EXPECT_TRUE(storedSettings(w.db()).empty());
        EXPECT_EQ(shown(w), cleared);
    }

    w.db().execute("insert into 自社情報 (年号, 入金先自動登録, LineColor1) values (?, ?, ?)",
                   {Value("和暦"), Value(false), Value(kRed)});
    click(control<QPushButton>(w, "cmd設定読込"));
    {
        ScopedDialogAnswers answers(w, {false});
        click(control<QPushButton>(w, "cmd設定削除"));
        EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", false, kRed}}));
    }
    ScopedDialogAnswers answers(w, {true});
    click(control<QPushButton>(w, "cmd設定削除"));
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"西暦", true, 0}}));
    EXPECT_EQ(shown(w), cleared);
    // What is in effect stays as last read.
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_FALSE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);
}

TEST(SettingsPage, ClearShowsTheBlankPageAndChangesNothingStoredOrInEffect)
{
    TempDataFolder folder;
    storeSettings(folder, "和暦", true, kRed);
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    ScopedDialogAnswers answers(w);
    click(control<QPushButton>(w, "cmd設定クリア"));
    EXPECT_EQ(shown(w), page(u"西暦", false, 1, 1));
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"和暦", true, kRed}}));
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_TRUE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);
    EXPECT_EQ(answers.count(), 0);
}

TEST(SettingsPage, DeleteAllEmptiesTheThreeTablesKeepsHintsAndShowsTheEmptiedMonth)
{
    TempDataFolder folder;
    storeSettings(folder, "和暦", false, kRed);
    {
        auto db = folder.open();
        seedPayers(*db, {QStringLiteral("東京商事"), QStringLiteral("大阪物産")});
        seedStoredRows(*db,
                       {{QDate::currentDate(), 1, QStringLiteral("東京商事"), yen(1000), yen(0), yen(1000)}});
        db->execute("insert into ClHint (FormName, CtlName, Contents) values (?, ?, ?)",
                    {Value("FrmDorivan"), Value("cmdHint"), Value("月を選んでから入力")});
    }
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    w.db().execute("insert into InpWork (行番号, 元行番号, 入金先名) values (1, 1, ?)", {Value("画面の行")});
    control<WorkTableModel>(w, "datInp")->refresh();
    w.payerPage().readPayers();
    const auto screen = [&w] {
        QStringList cells{control<MonthEdit>(w, "Dt年月")->text()};
        for (WorkTableModel* model :
             {control<WorkTableModel>(w, "datInp"), control<WorkTableModel>(w, "dat入金先マスタ")})
            for (int r = 0; r < model->rowCount(); ++r)
                for (int c = 0; c < model->columnCount(); ++c)
                    cells << model->displayText(r, c);
        return cells;
    };
    const QStringList before = screen();
    const auto counts = [&w] {
        return QList<int>{countRows(w.db(), "入金先マスタ"), countRows(w.db(), "入金予定表"),
                          countRows(w.db(), "自社情報"), countRows(w.db(), "ClHint")};
    };
    {
        ScopedDialogAnswers answers(w, {false});
        click(control<QPushButton>(w, "cmd一括削除7"));
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.last().message, QStringLiteral("すべてのデータを削除します。よろしいですか"));
        EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultNo);
        EXPECT_EQ(counts(), QList<int>({2, 1, 1, 1}));
    }
    {
        // A store that refuses one of the three deletes keeps all three tables and says so.
        rawConnection(w.db()).exec("CREATE TEMP TRIGGER keep BEFORE DELETE ON main.入金予定表"
                                   " BEGIN SELECT RAISE(ABORT, 'kept'); END");
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd一括削除7"));
        ASSERT_EQ(answers.count(), 2);
        EXPECT_EQ(answers.last().style, DialogStyle::Notice);
        EXPECT_EQ(counts(), QList<int>({2, 1, 1, 1}));
        rawConnection(w.db()).exec("DROP TRIGGER temp.keep");
    }
    ScopedDialogAnswers answers(w, {true});
    click(control<QPushButton>(w, "cmd一括削除7"));
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(counts(), QList<int>({0, 0, 0, 1}));
    // The delete-all is preceded by a fresh copy that still holds what it deleted.
    const QDir backups(folder.path() + QStringLiteral("backup"));
    const QStringList copies =
        backups.entryList({QStringLiteral("Dorivan-*-*.mdb")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(copies.isEmpty());
    SQLite::Database copy(backups.filePath(copies.last()).toStdString(), SQLite::OPEN_READONLY);
    EXPECT_EQ(copy.execAndGet("SELECT count(*) FROM 入金予定表").getInt(), 1);
    // The month on screen is read again: it shows what is stored now, nothing. The payer page's
    // editing copy stays as it was, and the drop-down follows the emptied master.
    const QStringList after = screen();
    EXPECT_EQ(after.front(), before.front());
    const int payerColumn = control<WorkTableModel>(w, "datInp")->columnIndex(QStringLiteral("入金先名"));
    for (int row = 0; row < control<WorkTableModel>(w, "datInp")->dataRowCount(); ++row)
        EXPECT_TRUE(control<WorkTableModel>(w, "datInp")->value(row, payerColumn).isNull()) << row;
    EXPECT_EQ(control<WorkTableModel>(w, "dat入金先名")->dataRowCount(), 0);
    EXPECT_EQ(w.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_FALSE(w.settingsPage().autoRegistration());
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);
}

TEST(SettingsPage, TheSwatchClickShowsAChosenColourAndStoresNothing)
{
    TempDataFolder folder;
    storeSettings(folder, "西暦", true, kRed);
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    const Shown before = shown(w);
    {
        ScopedColorAnswer cancel(w, -1);
        QTest::mouseClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::LeftButton);
        ASSERT_EQ(cancel.calls, 1);
        EXPECT_EQ(cancel.owner, &w);
        EXPECT_EQ(cancel.initial, rgbValueFromColor(w.palette().color(w.foregroundRole())));
        EXPECT_EQ(shown(w), before);
    }
    ScopedColorAnswer choose(w, 0x336699);
    QTest::mouseClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::LeftButton);
    EXPECT_EQ(shown(w), page(u"西暦", true, 0x336699, 0x336699));
    EXPECT_EQ(control<ClickableLabel>(w, "Pic罫線色")
                  ->palette()
                  .color(control<ClickableLabel>(w, "Pic罫線色")->backgroundRole()),
              QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"西暦", true, kRed}}));
    EXPECT_EQ(w.settingsPage().lineColour(), kRed);

    ScopedDialogAnswers answers(w, {true});
    click(control<QPushButton>(w, "cmd設定登録"));
    EXPECT_EQ(storedSettings(w.db()), (std::vector<StoredSettings>{{"西暦", true, 0x336699}}));
    EXPECT_EQ(w.settingsPage().lineColour(), 0x336699);
}

TEST(SettingsPage, ASavedEraShowsInTheMonthFieldAndTheReportAtOnceAndAfterARestart)
{
    TempDataFolder folder;
    {
        FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
        showSettings(w);
        control<MonthEdit>(w, "Dt年月")->setMonth(QDate(2026, 12, 1));
        const QString monthBefore = control<MonthEdit>(w, "Dt年月")->text();
        ASSERT_EQ(monthBefore, QStringLiteral("2026年12月"));
        QTest::keyClick(control<QComboBox>(w, "cmb年号"), Qt::Key_Down);
        {
            // Not saved: nothing changes.
            ScopedDialogAnswers answers(w, {false});
            click(control<QPushButton>(w, "cmd設定登録"));
            EXPECT_EQ(control<MonthEdit>(w, "Dt年月")->text(), monthBefore);
        }
        QTest::keyClick(control<QComboBox>(w, "cmb年号"), Qt::Key_Down);
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定登録"));
        EXPECT_EQ(control<MonthEdit>(w, "Dt年月")->text(), QStringLiteral("令和 08年12月"));
        EXPECT_EQ(control<MonthEdit>(w, "Dt年月")->month(), QDate(2026, 12, 1))
            << "the same month, only drawn anew";
        // The field is wide enough for the longer form.
        control<QTabWidget>(w, "SSTab1")->setCurrentIndex(0);
        QCoreApplication::processEvents();
        EXPECT_GT(control<MonthEdit>(w, "Dt年月")->findChild<QLineEdit*>()->width(),
                  control<MonthEdit>(w, "Dt年月")
                      ->fontMetrics()
                      .horizontalAdvance(QStringLiteral("令和 08年12月")));

        std::optional<QString> printedEra;
        scriptedPromptsOf(w).monthlyReportPreview = [&](QWidget*, Database&, const QDate&, const QString& era,
                                                        const report::ScreenFigures&,
                                                        std::int64_t) { printedEra = era; };
        control<QPushButton>(w, "Cmd印刷")->click();
        EXPECT_EQ(printedEra, QStringLiteral("和暦"));
        EXPECT_EQ(report::reportMonthTitle(QDate(2026, 12, 1), *printedEra), QStringLiteral("令和 08年12月"));
        EXPECT_EQ(answers.questionCount(), 1);
    }
    FrmDorivan again(folder.path(), std::make_shared<ScriptedPrompts>());
    EXPECT_EQ(again.settingsPage().eraValue(), QStringLiteral("和暦"));
    EXPECT_EQ(control<QComboBox>(again, "cmb年号")->currentText(), QStringLiteral("和暦"));
    control<MonthEdit>(again, "Dt年月")->setMonth(QDate(2026, 12, 1));
    EXPECT_EQ(control<MonthEdit>(again, "Dt年月")->text(), QStringLiteral("令和 08年12月"));
}

TEST(SettingsPage, DeleteAllWhoseSafetyCopyFailsAsksAgainWithTheReasonAndNoDeletesNothing)
{
    TempDataFolder folder;
    {
        auto db = folder.open();
        seedPayers(*db, {QStringLiteral("東京商事")});
        seedStoredRows(*db,
                       {{QDate::currentDate(), 1, QStringLiteral("東京商事"), yen(1000), yen(0), yen(1000)}});
    }
    // A file where the backup folder should be: no copy can be written. The day's copy before the
    // first write fails as well and is told in a notice of its own, at start.
    QFile blocker(folder.path() + QStringLiteral("backup"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    ScopedDialogAnswers answers(w);
    showSettings(w);
    QCoreApplication::processEvents();
    ASSERT_EQ(answers.questionCount(), 0);
    const auto counts = [&w] {
        return QList<int>{countRows(w.db(), "入金先マスタ"), countRows(w.db(), "入金予定表")};
    };

    const int shownBefore = answers.count();
    answers.queue(true);
    answers.queue(false);
    click(control<QPushButton>(w, "cmd一括削除7"));
    QCoreApplication::processEvents();
    ASSERT_EQ(answers.count(), shownBefore + 2) << "no other notice about the copy";
    const DialogSpec& again = answers.last();
    EXPECT_TRUE(again.message.startsWith(QStringLiteral("バックアップを作成できませんでした。")));
    EXPECT_TRUE(again.message.endsWith(QStringLiteral("それでも削除しますか？")));
    EXPECT_TRUE(again.message.contains(QStringLiteral("フォルダーを作成できません"))) << "the reason";
    EXPECT_EQ(again.style, DialogStyle::AskDefaultNo);
    EXPECT_EQ(counts(), QList<int>({1, 1}));

    answers.queue(true);
    answers.queue(true);
    click(control<QPushButton>(w, "cmd一括削除7"));
    EXPECT_EQ(answers.questionCount(), 4);
    EXPECT_EQ(counts(), QList<int>({0, 0}));
}

TEST(SettingsPage, TheSwatchAndTheNumberAlwaysShowTheSameColour)
{
    TempDataFolder folder;
    storeSettings(folder, "西暦", true, kRed);
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    const auto swatch = [&w] {
        return control<ClickableLabel>(w, "Pic罫線色")
            ->palette()
            .color(control<ClickableLabel>(w, "Pic罫線色")->backgroundRole());
    };
    EXPECT_EQ(swatch(), QColor(255, 0, 0));

    // Typed: the swatch follows at once, and the colour saved is the one shown.
    typeNumber(w, QStringLiteral("16711680"));
    EXPECT_EQ(swatch(), QColor(0, 0, 255));
    {
        ScopedDialogAnswers answers(w, {true});
        click(control<QPushButton>(w, "cmd設定登録"));
    }
    EXPECT_EQ(w.settingsPage().lineColour(), 0xFF0000);
    EXPECT_EQ(swatch(), QColor(0, 0, 255));

    // Chosen: the number follows.
    {
        ScopedColorAnswer choose(w, kGreen);
        QTest::mouseClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::LeftButton);
    }
    EXPECT_EQ(control<AmountField>(w, "num白紙罫線色")->text(), QString::number(kGreen));
    EXPECT_EQ(swatch(), QColor(0, 255, 0));
    typeNumber(w, QStringLiteral("255"));
    EXPECT_EQ(swatch(), QColor(255, 0, 0)) << "typed after choosing";

    // Cleared: the number 1 and its colour. Emptied: no colour at all.
    click(control<QPushButton>(w, "cmd設定クリア"));
    EXPECT_EQ(swatch(), colorFromRgbValue(1));
    typeNumber(w, QString());
    EXPECT_FALSE(control<ClickableLabel>(w, "Pic罫線色")->autoFillBackground());
    typeNumber(w, QStringLiteral("0"));
    EXPECT_TRUE(control<ClickableLabel>(w, "Pic罫線色")->autoFillBackground());
    EXPECT_EQ(swatch(), QColor(0, 0, 0));
}

TEST(SettingsPage, TheSwatchOpensTheChooserOnOneClickAndFromTheKeyboard)
{
    TempDataFolder folder;
    FrmDorivan w(folder.path(), std::make_shared<ScriptedPrompts>());
    showSettings(w);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ScopedColorAnswer choose(w, kRed);

    // Tab reaches the swatch from the tick box; Enter opens the chooser.
    control<QCheckBox>(w, "Chk入金先自動登録")->setFocus();
    QTest::keyClick(control<QCheckBox>(w, "Chk入金先自動登録"), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), control<ClickableLabel>(w, "Pic罫線色"));
    QTest::keyClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::Key_Return);
    EXPECT_EQ(choose.calls, 1);
    EXPECT_EQ(control<AmountField>(w, "num白紙罫線色")->text(), QString::number(kRed));
    QTest::keyClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(choose.calls, 2);

    // One click opens it, whether the swatch held the focus or the click brings it there.
    QTest::mouseClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::LeftButton);
    EXPECT_EQ(choose.calls, 3);
    control<AmountField>(w, "num白紙罫線色")->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(control<ClickableLabel>(w, "Pic罫線色"), Qt::LeftButton);
    EXPECT_EQ(choose.calls, 4);
    // The number stays beside the swatch as the value the page stores.
    EXPECT_EQ(control<AmountField>(w, "num白紙罫線色")->text(), QString::number(kRed));
}
