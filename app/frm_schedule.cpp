// The month working set: clearing the schedule screen, loading a month, moving between months, and the
// wiring of the schedule tab.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/bound_grid.h"
#include "app/delayed_progress.h"
#include "app/month_edit.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "common/dates.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/database.h"

#include <QDate>
#include <QProgressBar>
#include <QPushButton>

namespace {
const QString kMoreThan200Rows =
    QStringLiteral("この月の入金予定は200行を超えています。201行目以降は表示されません。");
const QString kNoMonth = QStringLiteral("年月を指定してください。");
} // namespace

void FrmDorivan::connectSchedule()
{
    connect(cmdMonBef, &QPushButton::clicked, this, [this] { moveMonth(-1); });
    connect(cmdMonNext, &QPushButton::clicked, this, [this] { moveMonth(1); });
    connect(cmd読込, &QPushButton::clicked, this, [this] { Read入金予定(); });
    connect(cmd履歴クリア, &QPushButton::clicked, this, [this] { Clear入金予定表(); });
    connect(Dt年月, &MonthEdit::monthChanged, this, [this] { Read入金予定(); });
    connect(cmd登録, &QPushButton::clicked, this, [this] { cmd登録Click(); });
    connect(cmd行挿入, &QPushButton::clicked, this, [this] { cmd行挿入Click(); });
    connect(cmd行削除, &QPushButton::clicked, this, [this] { cmd行削除Click(); });

    connect(GridInp, &BoundGrid::focusReceived, this, [this] { gridInpFocusGuard(); });
    connect(GridInp, &BoundGrid::cellCommitted, this, [this](int column) { gridInpCellCommitted(column); });
    // The warning waits until the refused editor has closed: a box opened while it still has the focus
    // would make it commit, and be refused, a second time.
    connect(
        GridInp, &BoundGrid::cellRefused, this,
        [this](int column, const QString& text) { gridInpCellRefused(column, text); }, Qt::QueuedConnection);
    connect(GridInp, &BoundGrid::payerEditFinished, this, [this] { gridInpPayerCheck(); });
    connect(GridInp, &BoundGrid::keyPressed, this, [this](int* key) { gridInpKeyPressed(key); });
    connect(GridInp, &BoundGrid::cellCursorMoved, this, [this] { gridInpCursorMoved(); });
}

bool FrmDorivan::runScheduleStep(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const schedule::AmountOutOfRange& e) {
        showScheduleFailure(e.userMessage());
    } catch (const MoneyOverflow&) {
        showScheduleFailure(schedule::AmountOutOfRange().userMessage());
    } catch (const StorageError& e) {
        showScheduleFailure(e.userMessage());
    } catch (const std::exception&) {
        showScheduleFailure(QStringLiteral("処理を完了できませんでした。データは変更されていません。"));
    }
    return false;
}

void FrmDorivan::showScheduleFailure(const QString& message)
{
    ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
}

std::optional<Money> FrmDorivan::carryOnScreen() const
{
    // The field shows whole yen; a carry with a fraction is taken exactly as loaded unless the user
    // has typed another figure over it.
    if (m繰越額 && num繰越額->text() == formatAmount(*m繰越額))
        return m繰越額;
    return num繰越額->amount();
}

int FrmDorivan::gridRowOf(int rowNumber) const
{
    for (int row = 0; row < datInp->dataRowCount(); ++row)
        if (datInp->value(row, 0).toInt64() == rowNumber)
            return row;
    return -1;
}

void FrmDorivan::refreshWorkGrid(bool toFirstRow)
{
    int row = GridInp->currentIndex().row();
    int column = GridInp->currentIndex().column();
    datInp->refresh();
    if (toFirstRow || row < 0 || column < 0) {
        // A new working set starts at the day of its first row, ready for typing.
        row = 0;
        column = datInp->columnIndex(QStringLiteral("表示日付"));
    }
    const int rows = datInp->dataRowCount();
    if (column >= 0 && rows > 0)
        GridInp->setCurrentIndex(datInp->index(std::min(row, rows - 1), column));
}

void FrmDorivan::ClearInpWork()
{
    runScheduleStep([this] { schedule::ClearInpWork(db()); });
}

void FrmDorivan::Read入金予定()
{
    if (!Dt年月->hasValue())
        return;
    std::optional<schedule::MonthLoad> load;
    bool loaded = false;
    {
        DelayedProgress progress(Pbar);
        loaded = runScheduleStep([&] {
            load = schedule::Read入金予定(db(), Dt年月->month(), [&](int percent) { progress(percent); });
        });
    }
    if (!loaded || !load) {
        // The working set still holds the month before; the field must not claim another one, or
        // days typed next would be dated in a month the grid does not show.
        if (!loaded && m_workMonth.isValid())
            Dt年月->setMonth(m_workMonth);
        return;
    }
    m_workMonth = Dt年月->month();
    refreshWorkGrid(true);
    num予定額月計->setAmount(load->予定額月計);
    num入金額月計->setAmount(load->入金額月計);
    m繰越額 = load->繰越額;
    num繰越額->setAmount(load->繰越額);
    num累計->setAmount(load->累計);
    if (load->truncated)
        ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"), kMoreThan200Rows);
}

void FrmDorivan::Clear入金予定表()
{
    for (AmountField* field : {num繰越額, num入金額月計, num予定額月計, num累計})
        field->setEmpty();
    m繰越額.reset();
    Dt年月->setMonth(QDate::currentDate());
    m_workMonth = Dt年月->month();
    ClearInpWork();
    runScheduleStep([this] { AddComb入金先名(); });
    refreshWorkGrid(true);
}

void FrmDorivan::moveMonth(int count)
{
    if (!Dt年月->hasValue())
        return;
    const QString moved = AddToDate(toSlashDate(Dt年月->month()), QStringLiteral("m"), count);
    const std::optional<QDate> month = parseDateText(moved);
    if (!month)
        return;
    Dt年月->setMonth(*month);
    Read入金予定();
}

void FrmDorivan::gridInpFocusGuard()
{
    if (Dt年月->hasValue())
        return;
    // The focus goes first: when the box closes, the window gives it back to the month field rather
    // than to the grid, which would ask again.
    Dt年月->setFocus(Qt::OtherFocusReason);
    ShowStandardMessage(QStringLiteral("その他"), QStringLiteral("メッセージ"), kNoMonth);
}
