// What is still to be received, as the main window shows it: overdue rows marked in the month grid, the
// notice under the month totals and the open-receipts page (app/overdue_page.cpp).
#include "app/FrmDorivan.h"

#include "app/bound_grid.h"
#include "app/clickable_label.h"
#include "app/failure_report.h"
#include "app/month_edit.h"
#include "app/overdue_page.h"
#include "app/schedule_columns.h"
#include "app/standard_message.h"
#include "app/work_table_model.h"
#include "schedule/balances.h"
#include "schedule/overdue.h"
#include "storage/database.h"

#include <QBrush>
#include <QTabWidget>

using namespace schedule_columns;

namespace {

// A soft red under black text: marked at a glance, still easy to read.
const QBrush kOverdueBackground(QColor(0xff, 0xd6, 0xd6));

std::optional<QString> payerOf(const Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toText();
}

} // namespace

QWidget* FrmDorivan::buildOverduePage()
{
    OverduePage::Source source;
    source.database = [this] { return m_db.get(); };
    source.eraValue = [this] { return eraValue(); };
    source.lineColor = [this] { return std::int64_t(lineColour()); };
    source.prompts = m_prompts;
    Page未入金 = new OverduePage(std::move(source));
    return Page未入金;
}

void FrmDorivan::connectOverdue()
{
    // The grid's working values decide, unsaved edits included; every write repaints the row.
    datInp->setRowBackground([](const WorkTableModel& model, int row) -> QVariant {
        if (schedule::isOverdue(model.value(row, k日付).toDate(), payerOf(model.value(row, k入金先名)),
                                model.value(row, k予定額).toMoney(), model.value(row, k入金額).toMoney(),
                                QDate::currentDate()))
            return kOverdueBackground;
        return {};
    });
    connect(lbl未入金お知らせ, &ClickableLabel::clicked, this,
            [this] { SSTab1->setCurrentWidget(Page未入金); });
    connect(Page未入金, &OverduePage::storedRowRequested, this,
            [this](const QDate& date, int rowNumber) { showStoredRow(date, rowNumber); });
}

void FrmDorivan::Refresh未入金()
{
    if (!isLoaded() || !Page未入金->refresh())
        return;
    // The page read everything up to its date; when that reaches yesterday the notice needs no read
    // of its own.
    std::optional<schedule::OpenTotals> pastDue = Page未入金->pastDue();
    if (!pastDue) {
        if (!runReportingFailure(
                prompts(), [&] { pastDue = schedule::readPastDue(db(), QDate::currentDate()); },
                kStepNotCompleted))
            return;
    }
    lbl未入金お知らせ->setText(pastDue->件数 == 0 ? QString()
                                                  : QStringLiteral("期日を過ぎた未入金 %1 件 合計 %2 円")
                                                        .arg(pastDue->件数)
                                                        .arg(formatAmount(pastDue->合計)));
}

void FrmDorivan::showStoredRow(const QDate& date, int rowNumber)
{
    // The month loads as any month does: unsaved edits of the displayed one are asked about first, and
    // Cancel stays on this page with them.
    if (!confirmLeavingMonth())
        return;
    Dt年月->setMonth(date);
    Read入金予定();
    SSTab1->setCurrentIndex(0);
    if (m_workMonth.year() != date.year() || m_workMonth.month() != date.month())
        return;
    for (int row = 0; row < datInp->dataRowCount(); ++row) {
        if (datInp->value(row, k日付).toDate() == date &&
            datInp->value(row, k元行番号).toInt64() == rowNumber) {
            const QModelIndex day = datInp->index(row, k表示日付);
            GridInp->setCurrentIndex(day);
            GridInp->scrollTo(day);
            break;
        }
    }
    GridInp->takeFocus();
}
