// The main window's controls and their places on the three pages.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/button_shortcuts.h"
#include "app/clickable_label.h"
#include "app/csv_panel.h"
#include "app/grid_delegate.h"
#include "app/month_edit.h"
#include "app/support_address.h"
#include "app/work_table_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setMinimumWidth(72);
    b->setAutoDefault(false);
    return b;
}

QPushButton* hintButton(const QString& name, QWidget* parent)
{
    auto* b = button(name, QStringLiteral("ヒント"), parent);
    b->setToolTip(QStringLiteral("このページのヒント"));
    return b;
}

QFrame* panel(const QString& name, QWidget* parent)
{
    auto* frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), name);
}

} // namespace

void FrmDorivan::buildLayout()
{
    datInp = named(new WorkTableModel(this), QStringLiteral("datInp"));
    dat入金先名 = named(new WorkTableModel(this), QStringLiteral("dat入金先名"));
    dat入金先マスタ = named(new WorkTableModel(this), QStringLiteral("dat入金先マスタ"));

    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));
    SSTab1->addTab(buildScheduleTab(), QStringLiteral("     入 金 予 定     "));
    SSTab1->addTab(buildPayerTab(), QStringLiteral("入金先保守"));
    SSTab1->addTab(buildSettingsTab(), QStringLiteral("設定・情報"));
    SSTab1->addTab(buildOverduePage(), QStringLiteral("未入金一覧"));
    SSTab1->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(SSTab1);
    resize(960, 660);
    addWindowShortcuts(*this);
}

QWidget* FrmDorivan::buildScheduleTab()
{
    auto* page = new QWidget;
    imContainer3D1 = panel(QStringLiteral("imContainer3D1"), page);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(imContainer3D1);

    // The month and its neighbours above the grid.
    lbl年月 = label(QStringLiteral("lbl年月"), QStringLiteral("年月"), imContainer3D1);
    Dt年月 = named(new MonthEdit(imContainer3D1), QStringLiteral("Dt年月"));
    lbl年月->setBuddy(Dt年月);
    cmdMonBef = named(new QPushButton(QStringLiteral("◀"), imContainer3D1), QStringLiteral("cmdMonBef"));
    cmdMonBef->setToolTip(QStringLiteral("前の月"));
    cmdMonNext = named(new QPushButton(QStringLiteral("▶"), imContainer3D1), QStringLiteral("cmdMonNext"));
    cmdMonNext->setToolTip(QStringLiteral("次の月"));
    for (QPushButton* b : {cmdMonBef, cmdMonNext}) {
        b->setFixedWidth(32);
        b->setAutoDefault(false);
    }
    auto* monthRow = new QHBoxLayout;
    monthRow->addWidget(lbl年月);
    monthRow->addWidget(Dt年月);
    monthRow->addWidget(cmdMonBef);
    monthRow->addWidget(cmdMonNext);
    // Shown only while the month has edits that are not saved (frm_schedule.cpp).
    lbl未登録 = label(QStringLiteral("lbl未登録"), QStringLiteral("未登録"), imContainer3D1);
    monthRow->addWidget(lbl未登録);
    monthRow->addStretch();

    GridInp = named(new BoundGrid(imContainer3D1), QStringLiteral("GridInp"));
    GridInp->gridDelegate()->setObjectName(QStringLiteral("DD入金先名"));

    // Totals beside the grid, with the progress bar below them.
    num繰越額 = named(new AmountField(imContainer3D1), QStringLiteral("num繰越額"));
    num予定額月計 = named(new AmountField(imContainer3D1), QStringLiteral("num予定額月計"));
    num入金額月計 = named(new AmountField(imContainer3D1), QStringLiteral("num入金額月計"));
    num累計 = named(new AmountField(imContainer3D1), QStringLiteral("num累計"));
    lbl繰越額 = label(QStringLiteral("lbl繰越額"), QStringLiteral("繰越額"), imContainer3D1);
    lbl予定額月計 = label(QStringLiteral("lbl予定額月計"), QStringLiteral("予定額月計"), imContainer3D1);
    lbl入金額月計 = label(QStringLiteral("lbl入金額月計"), QStringLiteral("入金額月計"), imContainer3D1);
    lbl累計 = label(QStringLiteral("lbl累計"), QStringLiteral("予定額累計"), imContainer3D1);
    auto* totals = new QFormLayout;
    totals->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const std::pair<QLabel*, AmountField*> rows[] = {{lbl繰越額, num繰越額},
                                                     {lbl予定額月計, num予定額月計},
                                                     {lbl入金額月計, num入金額月計},
                                                     {lbl累計, num累計}};
    for (const auto& [caption, field] : rows) {
        // The usual width, or wider when the font needs it for the largest amount.
        field->setFixedWidth(std::max(130, field->widthFor(AmountField::kWidestAmount)));
        caption->setBuddy(field);
        totals->addRow(caption, field);
    }
    Pbar = named(new QProgressBar(imContainer3D1), QStringLiteral("Pbar"));
    Pbar->setRange(0, 100);
    Pbar->setValue(0);
    Pbar->setVisible(false);
    // The bar comes and goes with every load and save: its place is kept, so that showing it neither
    // lays the page out again nor repaints the grid beside it.
    QSizePolicy barPolicy = Pbar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    Pbar->setSizePolicy(barPolicy);
    // What is past due, across all months; a click opens the open-receipts page.
    lbl未入金お知らせ = named(new ClickableLabel(imContainer3D1), QStringLiteral("lbl未入金お知らせ"));
    lbl未入金お知らせ->setCursor(Qt::PointingHandCursor);
    lbl未入金お知らせ->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    auto* side = new QVBoxLayout;
    side->addLayout(totals);
    side->addWidget(Pbar);
    side->addWidget(lbl未入金お知らせ);
    side->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(GridInp);
    middle->addSpacing(12);
    middle->addLayout(side);
    middle->addStretch();

    imContainer3D6 = panel(QStringLiteral("imContainer3D6"), imContainer3D1);
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), imContainer3D6);
    cmd登録 = button(QStringLiteral("cmd登録"), QStringLiteral("登録"), imContainer3D6);
    cmd行挿入 = button(QStringLiteral("cmd行挿入"), QStringLiteral("行挿入"), imContainer3D6);
    cmd行削除 = button(QStringLiteral("cmd行削除"), QStringLiteral("行削除"), imContainer3D6);
    Cmd印刷 = button(QStringLiteral("Cmd印刷"), QStringLiteral("印刷"), imContainer3D6);
    cmd履歴クリア = button(QStringLiteral("cmd履歴クリア"), QStringLiteral("クリア"), imContainer3D6);
    cmd履歴閉じる = button(QStringLiteral("cmd履歴閉じる"), QStringLiteral("閉じる"), imContainer3D6);
    cmdHint = hintButton(QStringLiteral("cmdHint"), imContainer3D6);
    auto* buttons = new QHBoxLayout(imContainer3D6);
    for (QPushButton* b : {cmd読込, cmd登録, cmd行挿入, cmd行削除, Cmd印刷, cmd履歴クリア, cmd履歴閉じる})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHint);

    auto* layout = new QVBoxLayout(imContainer3D1);
    layout->addLayout(monthRow);
    layout->addLayout(middle, 1);
    layout->addWidget(imContainer3D6);
    return page;
}

QWidget* FrmDorivan::buildPayerTab()
{
    auto* page = new QWidget;
    imContainer3D3 = panel(QStringLiteral("imContainer3D3"), page);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(imContainer3D3);

    Grid入金先マスタ = named(new BoundGrid(imContainer3D3), QStringLiteral("Grid入金先マスタ"));

    imContainer3D4 = panel(QStringLiteral("imContainer3D4"), imContainer3D3);
    cmd支払先削除 = button(QStringLiteral("cmd支払先削除"), QStringLiteral("全件削除"), imContainer3D4);
    cmd支払先クリア = button(QStringLiteral("cmd支払先クリア"), QStringLiteral("クリア"), imContainer3D4);
    cmd支払先登録 = button(QStringLiteral("cmd支払先登録"), QStringLiteral("登録"), imContainer3D4);
    cmd支払先行削除 = button(QStringLiteral("cmd支払先行削除"), QStringLiteral("行削除"), imContainer3D4);
    cmd支払先読込 = button(QStringLiteral("cmd支払先読込"), QStringLiteral("読込"), imContainer3D4);
    cmdHint1 = hintButton(QStringLiteral("cmdHint1"), imContainer3D4);
    auto* buttons = new QHBoxLayout(imContainer3D4);
    for (QPushButton* b : {cmd支払先読込, cmd支払先登録, cmd支払先行削除, cmd支払先削除, cmd支払先クリア})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHint1);

    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(Grid入金先マスタ);
    gridRow->addStretch();
    auto* layout = new QVBoxLayout(imContainer3D3);
    layout->addLayout(gridRow, 1);
    layout->addWidget(imContainer3D4);
    return page;
}

QWidget* FrmDorivan::buildSettingsTab()
{
    auto* page = new QWidget;
    imContainer3D2 = panel(QStringLiteral("imContainer3D2"), page);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(imContainer3D2);

    imContainer3D5 = panel(QStringLiteral("imContainer3D5"), imContainer3D2);
    lbl年号 = label(QStringLiteral("lbl年号"), QStringLiteral("年   号"), imContainer3D5);
    cmb年号 = named(new QComboBox(imContainer3D5), QStringLiteral("cmb年号"));
    // Editable only so that a stored value outside the list can still be shown; the user picks.
    cmb年号->setEditable(true);
    cmb年号->setInsertPolicy(QComboBox::NoInsert);
    cmb年号->lineEdit()->setReadOnly(true);
    cmb年号->setFixedWidth(110);
    lbl年号->setBuddy(cmb年号);
    Chk入金先自動登録 = named(new QCheckBox(QStringLiteral("入金先の自動登録"), imContainer3D5),
                              QStringLiteral("Chk入金先自動登録"));
    lbl罫線色 = label(QStringLiteral("lbl罫線色"), QStringLiteral("印刷時の罫線の色"), imContainer3D5);
    Pic罫線色 = named(new ClickableLabel(imContainer3D5), QStringLiteral("Pic罫線色"));
    Pic罫線色->setToolTip(QStringLiteral("ここをダブルクリックして色を指定"));
    Pic罫線色->setFixedSize(48, 24);
    Pic罫線色->setFrameShape(QFrame::Box);
    Pic罫線色->setAutoFillBackground(true);
    num白紙罫線色 = named(new AmountField(imContainer3D5), QStringLiteral("num白紙罫線色"));
    num白紙罫線色->setFixedWidth(110);
    // The colour number is a plain whole number, not an amount: digits only, up to 16777215.
    num白紙罫線色->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), num白紙罫線色));
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(Pic罫線色);
    colourRow->addWidget(num白紙罫線色);
    colourRow->addStretch();
    auto* settings = new QFormLayout(imContainer3D5);
    settings->addRow(lbl年号, cmb年号);
    settings->addRow(QString(), Chk入金先自動登録);
    settings->addRow(lbl罫線色, colourRow);

    imContainer3D7 = panel(QStringLiteral("imContainer3D7"), imContainer3D2);
    cmd設定削除 = button(QStringLiteral("cmd設定削除"), QStringLiteral("削除"), imContainer3D7);
    cmd設定クリア = button(QStringLiteral("cmd設定クリア"), QStringLiteral("クリア"), imContainer3D7);
    cmd設定登録 = button(QStringLiteral("cmd設定登録"), QStringLiteral("登録"), imContainer3D7);
    cmd設定読込 = button(QStringLiteral("cmd設定読込"), QStringLiteral("読込"), imContainer3D7);
    cmdHint2 = hintButton(QStringLiteral("cmdHint2"), imContainer3D7);
    auto* buttons = new QHBoxLayout(imContainer3D7);
    for (QPushButton* b : {cmd設定読込, cmd設定登録, cmd設定削除, cmd設定クリア})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHint2);

    ImFrame3D1 = panel(QStringLiteral("ImFrame3D1"), imContainer3D2);
    cmd一括削除7 = button(QStringLiteral("cmd一括削除7"), QStringLiteral("実行"), ImFrame3D1);
    lbl一括削除 = label(QStringLiteral("lbl一括削除"), QStringLiteral("すべてのデータを削除し初期状態に戻す"),
                        ImFrame3D1);
    auto* reset = new QHBoxLayout(ImFrame3D1);
    reset->addWidget(cmd一括削除7);
    reset->addWidget(lbl一括削除);
    reset->addStretch();

    lblInfo = label(QStringLiteral("lblInfo"), kWindowCaption, imContainer3D2);
    lblSupport = label(QStringLiteral("lblSupport"), QString(), imContainer3D2);
    Image2 = named(new ClickableLabel(imContainer3D2), QStringLiteral("Image2"));
    Image2->setText(QStringLiteral("モルベクス フリー掲示板"));
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setFixedSize(300, 48);
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->setToolTip(
        bannerAddress(QCoreApplication::applicationDirPath()).toDisplayString(QUrl::PreferLocalFile));
    Image2->setStyleSheet(QStringLiteral("QLabel { background: #1f4e79; color: white; font-weight: bold; "
                                         "border: 1px solid #0f2e49; }"));

    auto* layout = new QVBoxLayout(imContainer3D2);
    layout->addWidget(imContainer3D5);
    layout->addWidget(imContainer3D7);
    layout->addWidget(ImFrame3D1);
    layout->addWidget(new CsvExchangePanel(*this, imContainer3D2));
    layout->addWidget(buildLegacyImportPanel(imContainer3D2));
    layout->addStretch();
    layout->addWidget(lblInfo);
    layout->addWidget(lblSupport);
    layout->addWidget(Image2);
    return page;
}
