#include "app/FrmDorivan.h"
#include "app/build_info.h"
#include "app/dialogs/hint_window.h"
#include "hints/builtin_hints.h"
#include "hints/hint_store.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace {

const QString kCaption = QStringLiteral("入金予定表 Ver " DORIVAN_VERSION);

struct HintRow
{
    QString formName;
    QString ctlName;
    QString formTitle;
    std::optional<QString> contents;
};

std::vector<HintRow> hintRows(Database& db)
{
    std::vector<HintRow> result;
    RowSet rows = db.openRowSet("select * from ClHint");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext()) {
        const Value contents = rows.get(QStringLiteral("Contents"));
        result.push_back({rows.get(QStringLiteral("FormName")).toText(),
                          rows.get(QStringLiteral("CtlName")).toText(),
                          rows.get(QStringLiteral("FormTitle")).toText(),
                          contents.isNull() ? std::nullopt : std::optional(contents.toText())});
    }
    return result;
}

// Keys for plain letters; Japanese arrives committed by the input method, as it does for the user.
void typeInto(QWidget* widget, const QString& text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(widget, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

// Whether the input method would send its text to the widget at all.
bool takesInputMethod(QWidget* widget)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(widget, &query);
    return query.value(Qt::ImEnabled).toBool();
}

void click(QPushButton* button)
{
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

// The colour the user sees on the edit toggle, sampled left of its caption.
QRgb shownColour(QPushButton* button)
{
    const QImage image = button->grab().toImage();
    return image.pixel(6, image.height() / 2) & 0xFFFFFF;
}

QRgb qtRgbOf(std::int64_t rgbValue)
{
    return qRgb(int(rgbValue & 0xFF), int((rgbValue >> 8) & 0xFF), int((rgbValue >> 16) & 0xFF)) & 0xFFFFFF;
}

class HintWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { start(); }

    void start()
    {
        window = std::make_unique<FrmDorivan>(folder.path(), std::make_shared<ScriptedPrompts>());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Presses the hint button on its own page and returns the open hint window.
    Hint* pressHint(QPushButton* button, int page)
    {
        control<QTabWidget>(*window, "SSTab1")->setCurrentIndex(page);
        QTest::mouseClick(button, Qt::LeftButton);
        auto* hint = qobject_cast<Hint*>(window->hintWindow());
        if (hint) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(hint));
        }
        return hint;
    }
    Hint* openSchedule() { return pressHint(control<QPushButton>(*window, "cmdHint"), 0); }

    void type(Hint* hint, const QString& text)
    {
        if (!hint->isEditMode())
            click(hint->cmd編集);
        // The user writes their own text in place of the built-in help.
        if (hint->txtContents->toPlainText() == builtInHint(hint))
            click(hint->cmdクリア);
        typeInto(hint->txtContents, text);
    }
    static QString builtInHint(Hint* hint)
    {
        return hints::builtInHint(hint->lblFormName->text(), hint->lblCtlName->text());
    }

    // Closing deletes the window later; let that happen so the next press loads a new one.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TempDataFolder folder;
    std::unique_ptr<FrmDorivan> window;
};

TEST_F(HintWindowTest, WithNoStoredHintTheFieldOpensWithTheHelpAndSavingStoresTheEmptyTextAfterYesOnly)
{
    ScopedDialogAnswers answers(*window, {false, true});
    Hint* hint = openSchedule();
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->objectName(), QStringLiteral("Hint"));
    EXPECT_EQ(hint->windowTitle(), QStringLiteral("ヒント        "));
    EXPECT_TRUE(hint->isWindow());
    EXPECT_TRUE(window->isEnabled()) << "the hint window is modeless";
    EXPECT_EQ(hint->lblFormTitle->text(), kCaption);
    EXPECT_EQ(hint->lblFormName->text(), QStringLiteral("FrmDorivan"));
    EXPECT_EQ(hint->lblCtlName->text(), QStringLiteral("cmdHint"));
    EXPECT_EQ(hint->txtContents->toPlainText(), builtInHint(hint));
    click(hint->cmdクリア);
    EXPECT_TRUE(hint->txtContents->toPlainText().isEmpty());
    const std::pair<const char16_t*, const char16_t*> buttons[] = {{u"cmd編集", u"編集"},
                                                                   {u"cmd登録", u"登録"},
                                                                   {u"cmd削除", u"削除"},
                                                                   {u"cmdクリア", u"クリア"},
                                                                   {u"cmd閉じる", u"閉じる"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = hint->findChild<QPushButton*>(QString::fromUtf16(name));
        ASSERT_TRUE(button) << QString::fromUtf16(name).toStdString();
        EXPECT_EQ(button->text(), QString::fromUtf16(caption));
    }
    EXPECT_EQ(hint->findChild<QPlainTextEdit*>(QStringLiteral("txtContents")), hint->txtContents);
    for (const char16_t* label : {u"lblFormTitle", u"lblFormName", u"lblCtlName"})
        EXPECT_TRUE(hint->findChild<QLabel*>(QString::fromUtf16(label)));

    // No: nothing stored, no notice.
    click(hint->cmd登録);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("登録の確認"));
    EXPECT_EQ(answers.last().message, QStringLiteral("ヒント を登録します。よろしいですか"));
    EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultYes);
    EXPECT_TRUE(hintRows(window->db()).empty());

    // Yes: the empty field is stored as an empty text, then the notice.
    click(hint->cmd登録);
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.last().message, QStringLiteral("ヒント を登録しました。"));
    EXPECT_FALSE(answers.last().isQuestion());
    const auto rows = hintRows(window->db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].formName, QStringLiteral("FrmDorivan"));
    EXPECT_EQ(rows[0].ctlName, QStringLiteral("cmdHint"));
    EXPECT_EQ(rows[0].formTitle, kCaption);
    EXPECT_EQ(rows[0].contents, QString(""));

    // An empty text is no text of the user's own: the next opening shows the help again.
    click(hint->cmd閉じる);
    settle();
    hint = openSchedule();
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->txtContents->toPlainText(), builtInHint(hint));
}

TEST_F(HintWindowTest, EachPageHasItsOwnBuiltInHelpUntilTheUserStoresATextOfTheirOwn)
{
    ScopedDialogAnswers answers(*window, {}, true);
    const std::tuple<QPushButton*, int, std::vector<const char16_t*>> pages[] = {
        {control<QPushButton>(*window, "cmdHint"),
         0,
         {u"入金予定", u"登録", u"行挿入", u"行削除", u"印刷", u"Ctrl+S", u"PageDown", u"F1"}},
        {control<QPushButton>(*window, "cmdHint1"), 1, {u"入金先", u"読込", u"全件削除", u"行削除", u"F1"}},
        {control<QPushButton>(*window, "cmdHint2"), 2, {u"年号", u"罫線", u"実行", u"Enter", u"F1"}},
    };
    QStringList texts;
    for (const auto& [button, page, words] : pages) {
        Hint* hint = pressHint(button, page);
        ASSERT_TRUE(hint);
        const QString text = hint->txtContents->toPlainText();
        for (const char16_t* word : words)
            EXPECT_TRUE(text.contains(QString::fromUtf16(word))) << QString::fromUtf16(word).toStdString();
        EXPECT_FALSE(texts.contains(text)) << "every page its own";
        texts << text;
        EXPECT_FALSE(hint->isEditMode());
        click(hint->cmd閉じる);
        settle();
    }
    EXPECT_TRUE(hintRows(window->db()).empty()) << "showing the help stores nothing";

    // The user's text replaces the help of that page only.
    Hint* hint = pressHint(control<QPushButton>(*window, "cmdHint1"), 1);
    type(hint, QStringLiteral("得意先は五十音順"));
    click(hint->cmd登録);
    click(hint->cmd閉じる);
    settle();
    EXPECT_EQ(pressHint(control<QPushButton>(*window, "cmdHint1"), 1)->txtContents->toPlainText(),
              QStringLiteral("得意先は五十音順"));
    click(window->hintWindow()->findChild<QPushButton*>(QStringLiteral("cmd閉じる")));
    settle();
    EXPECT_EQ(pressHint(control<QPushButton>(*window, "cmdHint2"), 2)->txtContents->toPlainText(), texts[2]);
}

TEST_F(HintWindowTest, TheEditToggleSwitchesColourAndWhetherTheTextCanBeTyped)
{
    Hint* hint = openSchedule();
    ASSERT_TRUE(hint);
    ASSERT_TRUE(QTest::qWaitForWindowActive(hint));
    EXPECT_EQ(QApplication::focusWidget(), hint->txtContents);
    EXPECT_EQ(hint->editButtonColour(), 13488593);
    EXPECT_EQ(shownColour(hint->cmd編集), qtRgbOf(13488593));
    EXPECT_TRUE(hint->txtContents->isReadOnly());
    typeInto(hint->txtContents, QStringLiteral("abc"));
    typeInto(hint->txtContents, QStringLiteral("月"));
    EXPECT_FALSE(takesInputMethod(hint->txtContents));
    EXPECT_EQ(hint->txtContents->toPlainText(), builtInHint(hint));

    click(hint->cmdクリア);
    click(hint->cmd編集);
    EXPECT_TRUE(hint->isEditMode());
    EXPECT_EQ(hint->editButtonColour(), 8421631);
    EXPECT_EQ(shownColour(hint->cmd編集), qRgb(255, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(QApplication::focusWidget(), hint->txtContents);
    EXPECT_TRUE(takesInputMethod(hint->txtContents));
    typeInto(hint->txtContents, QStringLiteral("月を選ぶ"));
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("月を選ぶ"));

    click(hint->cmd編集);
    EXPECT_FALSE(hint->isEditMode());
    EXPECT_EQ(shownColour(hint->cmd編集), qRgb(209, 209, 205) & 0xFFFFFF);
    EXPECT_TRUE(hint->txtContents->isReadOnly());
    EXPECT_EQ(QApplication::focusWidget(), hint->txtContents);
    typeInto(hint->txtContents, QStringLiteral("追記"));
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("月を選ぶ"));
}

TEST_F(HintWindowTest, SavingTwiceKeepsOneRowWithTheLastTextAndTitle)
{
    ScopedDialogAnswers answers(*window, {}, true);
    Hint* hint = openSchedule();
    type(hint, QStringLiteral("一回目"));
    click(hint->cmd登録);
    click(hint->cmd閉じる);
    settle();

    // The title is the caption at the time of the save.
    window->setWindowTitle(QStringLiteral("入金予定表 Ver 1.03"));
    hint = openSchedule();
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("一回目"));
    type(hint, QString());
    QTest::keyClick(hint->txtContents, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(hint->txtContents, Qt::Key_Return);
    typeInto(hint->txtContents, QStringLiteral("二回目"));
    click(hint->cmd登録);
    EXPECT_EQ(answers.count(), 4);

    const auto rows = hintRows(window->db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].contents, QStringLiteral("一回目\n二回目"));
    EXPECT_EQ(rows[0].formTitle, QStringLiteral("入金予定表 Ver 1.03"));
}

TEST_F(HintWindowTest, DeleteAnsweredYesRemovesTheRowEmptiesTheFieldAndNotifiesEvenWithoutARow)
{
    hints::saveHint(window->db(), "FrmDorivan", "cmdHint", kCaption, "予定表");
    hints::saveHint(window->db(), "FrmDorivan", "cmdHint1", kCaption, "入金先");
    ScopedDialogAnswers answers(*window, {false, true, true});
    Hint* hint = openSchedule();
    ASSERT_EQ(hint->txtContents->toPlainText(), QStringLiteral("予定表"));

    click(hint->cmd削除);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.last().title, QStringLiteral("削除の確認"));
    EXPECT_EQ(answers.last().style, DialogStyle::AskDefaultNo);
    EXPECT_EQ(hintRows(window->db()).size(), 2u);
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("予定表"));

    click(hint->cmd削除);
    ASSERT_EQ(answers.count(), 3);
    EXPECT_EQ(answers.last().title, QStringLiteral("削除の完了"));
    EXPECT_TRUE(hint->txtContents->toPlainText().isEmpty());
    auto rows = hintRows(window->db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ctlName, QStringLiteral("cmdHint1")) << "another page's hint stays";

    click(hint->cmd削除);
    ASSERT_EQ(answers.count(), 5);
    EXPECT_EQ(answers.last().title, QStringLiteral("削除の完了"));
    EXPECT_EQ(hintRows(window->db()).size(), 1u);
}

TEST_F(HintWindowTest, ClearingAndClosingChangesNothingStoredAndDropsTheTextWithoutAQuestion)
{
    hints::saveHint(window->db(), "FrmDorivan", "cmdHint", kCaption, "保存済み");
    ScopedDialogAnswers answers(*window);
    Hint* hint = openSchedule();
    click(hint->cmdクリア);
    EXPECT_TRUE(hint->txtContents->toPlainText().isEmpty());
    click(hint->cmd閉じる);
    EXPECT_FALSE(hint->isVisible());
    settle();
    EXPECT_FALSE(window->hintWindow());

    hint = openSchedule();
    ASSERT_TRUE(hint);
    type(hint, QStringLiteral("書きかけ"));
    click(hint->cmd閉じる);
    settle();
    EXPECT_EQ(answers.count(), 0);
    const auto rows = hintRows(window->db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].contents, QStringLiteral("保存済み"));
    EXPECT_EQ(openSchedule()->txtContents->toPlainText(), QStringLiteral("保存済み"));
}

TEST_F(HintWindowTest, AnOpenWindowKeepsItsKeyWhenAnotherPagesButtonIsPressed)
{
    ScopedDialogAnswers answers(*window, {}, true);
    Hint* hint = openSchedule();
    type(hint, QStringLiteral("予定表のヒント"));

    EXPECT_EQ(pressHint(control<QPushButton>(*window, "cmdHint1"), 1), hint);
    EXPECT_EQ(hint->lblCtlName->text(), QStringLiteral("cmdHint"));
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("予定表のヒント"));
    EXPECT_TRUE(hint->isEditMode());
    click(hint->cmd登録);

    const auto rows = hintRows(window->db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ctlName, QStringLiteral("cmdHint"));
    EXPECT_EQ(rows[0].contents, QStringLiteral("予定表のヒント"));
}

TEST_F(HintWindowTest, ReopeningAfterCloseStartsInReadModeWithTheNewKey)
{
    hints::saveHint(window->db(), "FrmDorivan", "cmdHint2", kCaption, "色の選び方");
    Hint* hint = openSchedule();
    click(hint->cmd編集);
    ASSERT_TRUE(hint->isEditMode());
    click(hint->cmd閉じる);
    settle();

    hint = pressHint(control<QPushButton>(*window, "cmdHint2"), 2);
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->lblCtlName->text(), QStringLiteral("cmdHint2"));
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("色の選び方"));
    EXPECT_FALSE(hint->isEditMode());
    EXPECT_TRUE(hint->txtContents->isReadOnly());
    EXPECT_EQ(shownColour(hint->cmd編集), qtRgbOf(13488593));
}

TEST_F(HintWindowTest, TheHintSurvivesARestartOnTheSameDataFolder)
{
    {
        ScopedDialogAnswers answers(*window, {}, true);
        Hint* hint = pressHint(control<QPushButton>(*window, "cmdHint1"), 1);
        type(hint, QStringLiteral("支払先は自動で登録されます"));
        click(hint->cmd登録);
        window->close();
    }
    window.reset();
    start();
    Hint* hint = pressHint(control<QPushButton>(*window, "cmdHint1"), 1);
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("支払先は自動で登録されます"));
}

TEST_F(HintWindowTest, ClosingTheMainWindowClosesAnOpenHintWindow)
{
    QPointer<Hint> hint = openSchedule();
    ASSERT_TRUE(hint);
    click(control<QPushButton>(*window, "cmd履歴閉じる"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(!hint || !hint->isVisible());

    // The close box goes the same way.
    window.reset();
    start();
    hint = openSchedule();
    ASSERT_TRUE(hint);
    window->close();
    EXPECT_TRUE(!hint || !hint->isVisible());
}

TEST_F(HintWindowTest, AFailedSaveIsToldInsteadOfTheNoticeAndKeepsTheText)
{
    ScopedDialogAnswers answers(*window, {}, true);
    Hint* hint = openSchedule();
    type(hint, QStringLiteral("消えては困る"));
    window->db().execute("drop table ClHint");

    click(hint->cmd登録);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_NE(answers.last().title, QStringLiteral("登録完了"));
    EXPECT_FALSE(answers.last().message.isEmpty());
    click(hint->cmd削除);
    ASSERT_EQ(answers.count(), 4);
    EXPECT_NE(answers.last().title, QStringLiteral("削除の完了"));
    EXPECT_EQ(hint->txtContents->toPlainText(), QStringLiteral("消えては困る"));
}

TEST(HintWindowKey, AWindowWithoutAButtonNameReadsStoresAndDeletesNothing)
{
    TempDataFolder folder;
    auto db = folder.open();
    hints::saveHint(*db, "FrmDorivan", "cmdHint", kCaption, "予定表");
    Hint hint(*db, {QStringLiteral("FrmDorivan"), QString(), kCaption, QString()},
              std::make_shared<ScriptedPrompts>());
    EXPECT_TRUE(hint.txtContents->toPlainText().isEmpty());
    hint.txtContents->setPlainText(QStringLiteral("どこにも保存されない"));
    hint.saveHint();
    hint.deleteHint();
    EXPECT_EQ(hint.txtContents->toPlainText(), QStringLiteral("どこにも保存されない"));
    const auto rows = hintRows(*db);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].contents, QStringLiteral("予定表"));
}

} // namespace

TEST_F(HintWindowTest, TheWindowNamesThePageInWordsOnEveryPageIncludingTheOpenReceipts)
{
    const std::tuple<const char*, int, const char16_t*> pages[] = {{"cmdHint", 0, u"入金予定表"},
                                                                   {"cmdHint1", 1, u"入金先保守"},
                                                                   {"cmdHint2", 2, u"設定・情報"},
                                                                   {"cmdHint3", 3, u"未入金一覧"}};
    for (const auto& [button, page, name] : pages) {
        Hint* hint = pressHint(control<QPushButton>(*window, button), page);
        ASSERT_TRUE(hint) << button;
        EXPECT_EQ(hint->lblPageName->text(), QString::fromUtf16(name));
        EXPECT_TRUE(hint->lblPageName->isVisible());
        // The key stays where the store reads it, out of the user's sight.
        EXPECT_EQ(hint->lblFormName->text(), QStringLiteral("FrmDorivan"));
        EXPECT_EQ(hint->lblCtlName->text(), QString::fromUtf8(button));
        for (QLabel* key : {hint->lblFormName, hint->lblCtlName, hint->lblFormTitle})
            EXPECT_FALSE(key->isVisible()) << key->objectName().toStdString();
        EXPECT_FALSE(builtInHint(hint).isEmpty()) << button;
        EXPECT_EQ(hint->txtContents->toPlainText(), builtInHint(hint));
        hint->close();
        settle();
    }

    // F1 on the open-receipts page opens its hint, as on the other pages.
    control<QTabWidget>(*window, "SSTab1")->setCurrentIndex(3);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_F1);
    auto* hint = qobject_cast<Hint*>(window->hintWindow());
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->lblCtlName->text(), QStringLiteral("cmdHint3"));
    EXPECT_TRUE(hint->txtContents->toPlainText().startsWith(QStringLiteral("【未入金一覧】")));
}
