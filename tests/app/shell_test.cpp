#include "app/FrmDorivan.h"
#include "app/build_info.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "app/widgets/amount_field.h"
#include "app/widgets/clickable_label.h"
#include "app/widgets/month_edit.h"
#include "app/widgets/twips.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "support/controls.h"
#include "support/dialog_answers.h"
#include "support/temp_data.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

int rowCountOf(Database& db, const char* table)
{
    const Value total = db.readTotal(std::string("select count(*) as total from ") + table);
    return int(total.toInt64().value_or(-1));
}

} // namespace

TEST(ShellStart, FirstStartCreatesBothFilesAndASecondStartKeepsTheirRows)
{
    TempDataFolder folder;
    {
        FrmDorivan window(folder.path());
        EXPECT_TRUE(QFile::exists(folder.permanentPath()));
        EXPECT_TRUE(QFile::exists(folder.workPath()));
        EXPECT_EQ(window.objectName(), QStringLiteral("FrmDorivan"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("入金予定表 Ver " DORIVAN_VERSION));
        EXPECT_EQ(control<QLabel>(window, "lblInfo")->text(), window.windowTitle());
        EXPECT_EQ(window.permanentPath(), folder.permanentPath());
        EXPECT_EQ(window.workPath(), folder.workPath());
        // The first start has nothing stored: no settings row, no payer, no hint.
        EXPECT_EQ(rowCountOf(window.db(), "自社情報"), 0);
        EXPECT_EQ(rowCountOf(window.db(), "入金先マスタ"), 0);
        EXPECT_EQ(rowCountOf(window.db(), "ClHint"), 0);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(control<MonthEdit>(window, "Dt年月")->hasValue());
        EXPECT_EQ(control<MonthEdit>(window, "Dt年月")->month().month(), QDate::currentDate().month());
        window.close();
        EXPECT_FALSE(window.isLoaded());
    }
    {
        auto db = folder.open();
        db->execute(
            "insert into ClHint (FormName, CtlName, FormTitle, Contents) values (?, ?, ?, ?)",
            {Value("FrmDorivan"), Value("cmdHint"), Value("入金予定表"), Value("月を選んでから入力")});
    }
    FrmDorivan again(folder.path());
    RowSet hints = again.db().openRowSet("select * from ClHint");
    ASSERT_FALSE(hints.isEmpty());
    EXPECT_EQ(hints.get(QStringLiteral("Contents")).toText(), QStringLiteral("月を選んでから入力"));
}

TEST(ShellStart, ACorruptFileStopsTheLoadNamingTheFileAndIsLeftAsItWas)
{
    for (const QString& name : {QStringLiteral("Dorivan.mdb"), QStringLiteral("DorivanWork.mdb")}) {
        TempDataFolder folder;
        const QByteArray garbage = randomBytes(4096);
        {
            QFile file(folder.path() + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        try {
            FrmDorivan window(folder.path());
            ADD_FAILURE() << "the load went on with a corrupt " << name.toStdString();
        } catch (const StorageError& error) {
            EXPECT_TRUE(error.userMessage().contains(name)) << error.userMessage().toStdString();
        }
        QFile file(folder.path() + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), garbage) << name.toStdString();
        // The failed start leaves no file of its own behind.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
}

TEST(ShellStart, EmptyFilesLeftByAStartThatWasCutShortAreSetUp)
{
    TempDataFolder folder;
    for (const QString& path : {folder.permanentPath(), folder.workPath()}) {
        QFile empty(path);
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    FrmDorivan window(folder.path());
    EXPECT_EQ(rowCountOf(window.db(), "入金予定表"), 0);
    EXPECT_EQ(rowCountOf(window.db(), "ClHint"), 0);
}

TEST(ShellLayout, EveryControlIsThereUnderItsNameWithItsCaption)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path());

    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("     入 金 予 定     "));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("入金先保守"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("設定・情報"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("未入金一覧"));

    const std::pair<const char16_t*, const char16_t*> buttons[] = {
        {u"cmd読込", u"読込"},         {u"cmd登録", u"登録"},           {u"cmd行挿入", u"行挿入"},
        {u"cmd行削除", u"行削除"},     {u"Cmd印刷", u"印刷"},           {u"cmd履歴クリア", u"クリア"},
        {u"cmd履歴閉じる", u"閉じる"}, {u"cmd支払先削除", u"全件削除"}, {u"cmd支払先クリア", u"クリア"},
        {u"cmd支払先登録", u"登録"},   {u"cmd支払先行削除", u"行削除"}, {u"cmd支払先読込", u"読込"},
        {u"cmd設定削除", u"削除"},     {u"cmd設定クリア", u"クリア"},   {u"cmd設定登録", u"登録"},
        {u"cmd設定読込", u"読込"},     {u"cmd一括削除7", u"実行"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = window.findChild<QPushButton*>(QString::fromUtf16(name));
        ASSERT_TRUE(b) << QString::fromUtf16(name).toStdString();
        EXPECT_EQ(b->text(), QString::fromUtf16(caption));
    }
    for (const char16_t* name : {u"cmdMonBef", u"cmdMonNext", u"cmdHint", u"cmdHint1", u"cmdHint2"})
        EXPECT_TRUE(window.findChild<QPushButton*>(QString::fromUtf16(name)));
    for (const char16_t* name : {u"imContainer3D1", u"imContainer3D2", u"imContainer3D3", u"imContainer3D4",
                                 u"imContainer3D5", u"imContainer3D6", u"imContainer3D7", u"ImFrame3D1"})
        EXPECT_TRUE(window.findChild<QWidget*>(QString::fromUtf16(name)));
    for (const char16_t* name :
         {u"num繰越額", u"num予定額月計", u"num入金額月計", u"num累計", u"num白紙罫線色"})
        EXPECT_TRUE(window.findChild<QLineEdit*>(QString::fromUtf16(name)));
    EXPECT_TRUE(window.findChild<QDateEdit*>(QStringLiteral("Dt年月")));
    EXPECT_TRUE(window.findChild<QTableView*>(QStringLiteral("GridInp")));
    EXPECT_TRUE(window.findChild<QTableView*>(QStringLiteral("Grid入金先マスタ")));
    EXPECT_TRUE(window.findChild<QComboBox*>(QStringLiteral("cmb年号")));
    EXPECT_TRUE(window.findChild<QCheckBox*>(QStringLiteral("Chk入金先自動登録")));
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("Image2")));
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("lblInfo")));
    EXPECT_FALSE(control<QProgressBar>(window, "Pbar")->isVisibleTo(&window));

    QStringList labels;
    for (const QLabel* l : window.findChildren<QLabel*>())
        labels << l->text();
    for (const char16_t* text : {u"年月", u"繰越額", u"予定額月計", u"入金額月計", u"予定額累計", u"年   号",
                                 u"印刷時の罫線の色", u"すべてのデータを削除し初期状態に戻す"})
        EXPECT_TRUE(labels.contains(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(control<QCheckBox>(window, "Chk入金先自動登録")->text(), QStringLiteral("入金先の自動登録"));
    EXPECT_EQ(control<QLabel>(window, "lblSupport")->text(),
              QStringLiteral("質問は下のバナーをクリックしてモルベクスフリー掲示板へ"));
    EXPECT_EQ(control<ClickableLabel>(window, "Pic罫線色")->toolTip(),
              QStringLiteral("ここをクリックして色を指定"));
}

TEST(ShellLayout, TheGridsAndTheMonthFieldAreSetUpByTheEraInEffect)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path());
    window.db().execute("insert into InpWork (行番号, 元行番号) values (1, 1)");
    for (const QString& era : {QStringLiteral("西暦"), QStringLiteral("和暦")}) {
        SCOPED_TRACE(era.toStdString());
        storeSettings(window, [&](settings::SettingsRecord& record) { record.era = era; });
        control<MonthEdit>(window, "Dt年月")->setMonth(QDate(2024, 5, 14));
        const bool western = era == QStringLiteral("西暦");
        EXPECT_EQ(control<MonthEdit>(window, "Dt年月")->text(),
                  western ? QStringLiteral("2024年05月") : QStringLiteral("令和 06年05月"));
        // The usual width, wider only when the font needs it.
        EXPECT_GE(control<MonthEdit>(window, "Dt年月")->width(),
                  twipsToPixels(western ? 1560 : 1860, control<MonthEdit>(window, "Dt年月")));

        BoundGrid* grid = control<BoundGrid>(window, "GridInp");
        const QAbstractItemModel* model = grid->model();
        ASSERT_EQ(model->columnCount(), 8);
        const bool hidden[] = {true, true, false, true, false, false, false, false};
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(grid->isColumnHidden(c), hidden[c]) << c;
        const char16_t* captions[] = {u"日付", u"入金先名", u"予定額", u"入金額", u"総　額"};
        const int shown[] = {2, 4, 5, 6, 7};
        const double widths[] = {600, 4140.284, 1395.213, 1365.165, 1319.811};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(model->headerData(shown[i], Qt::Horizontal).toString(),
                      QString::fromUtf16(captions[i]));
            // The amount columns are widened for the largest amount when the font needs it.
            if (i < 2)
                EXPECT_EQ(grid->columnWidth(shown[i]), twipsToPixels(widths[i], grid));
            else
                EXPECT_GE(grid->columnWidth(shown[i]), twipsToPixels(widths[i], grid));
        }
        ASSERT_GT(model->rowCount(), 0);
        const auto alignment = [&](int c) {
            return model->data(model->index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>();
        };
        EXPECT_EQ(alignment(2), Qt::Alignment(Qt::AlignCenter));
        for (int c : {5, 6, 7})
            EXPECT_TRUE(alignment(c) & Qt::AlignRight) << c;
        EXPECT_EQ(grid->dropDownColumn(), 4);
        EXPECT_EQ(grid->dropDownList(), control<WorkTableModel>(window, "dat入金先名"));

        BoundGrid* payers = control<BoundGrid>(window, "Grid入金先マスタ");
        const QAbstractItemModel* payerModel = payers->model();
        ASSERT_GE(payerModel->columnCount(), 2);
        EXPECT_EQ(payerModel->headerData(0, Qt::Horizontal).toString(), QString());
        EXPECT_EQ(payerModel->headerData(1, Qt::Horizontal).toString(), QStringLiteral("入　金　先　名"));
        EXPECT_EQ(payers->columnWidth(0), twipsToPixels(380, payers));
        EXPECT_EQ(payers->columnWidth(1), twipsToPixels(5490, payers));
        EXPECT_EQ(control<WorkTableModel>(window, "dat入金先マスタ")->columnAlignment(0),
                  Qt::Alignment(Qt::AlignCenter));

        ASSERT_EQ(control<QComboBox>(window, "cmb年号")->count(), 2);
        EXPECT_EQ(control<QComboBox>(window, "cmb年号")->itemText(0), QStringLiteral("西暦"));
        EXPECT_EQ(control<QComboBox>(window, "cmb年号")->itemText(1), QStringLiteral("和暦"));
        EXPECT_EQ(control<QComboBox>(window, "cmb年号")->currentText(), era);
    }
    // A value outside the list is still shown, and the user cannot type one.
    storeSettings(window, [](settings::SettingsRecord& record) { record.era = QStringLiteral("平成"); });
    EXPECT_EQ(control<QComboBox>(window, "cmb年号")->count(), 2);
    EXPECT_EQ(control<QComboBox>(window, "cmb年号")->currentText(), QStringLiteral("平成"));
    QTest::keyClicks(control<QComboBox>(window, "cmb年号"), QStringLiteral("abc"));
    EXPECT_EQ(control<QComboBox>(window, "cmb年号")->currentText(), QStringLiteral("平成"));
}

TEST(ShellClose, TheCloseButtonClosesTheHintWindowAndTheMainWindow)
{
    TempDataFolder folder;
    FrmDorivan window(folder.path());
    window.show();
    control<QPushButton>(window, "cmdHint")->click();
    QPointer<QWidget> hint = window.hintWindow();
    ASSERT_TRUE(hint);
    ASSERT_TRUE(hint->isVisible());
    QTest::mouseClick(control<QPushButton>(window, "cmd履歴閉じる"), Qt::LeftButton);
    EXPECT_TRUE(!hint || !hint->isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isLoaded());

    // The close box takes the hint window along as well.
    FrmDorivan second(folder.path());
    second.show();
    control<QPushButton>(second, "cmdHint2")->click();
    QPointer<QWidget> otherHint = second.hintWindow();
    ASSERT_TRUE(otherHint);
    second.close();
    EXPECT_TRUE(!otherHint || !otherHint->isVisible());
    EXPECT_FALSE(second.isLoaded());
}
