// The schedule page's part in the payment terms: an invoice's planned receipt (請求登録), and the
// displayed month following a payer renamed on the payer page.
#include "app/pages/schedule_page.h"

#include "app/dialogs/failure_report.h"
#include "app/dialogs/invoice_dialog.h"
#include "app/dialogs/standard_message.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "schedule/day_entry.h"
#include "schedule/draft.h"
#include "schedule/row_content.h"
#include "terms/terms_store.h"

namespace {

void tell(UserPrompts& prompts, const QString& message)
{
    showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
}

QString monthText(const QDate& date)
{
    return QStringLiteral("%1年%2月").arg(date.year()).arg(date.month());
}

} // namespace

void SchedulePage::registerInvoice()
{
    if (!m_source.database())
        return;
    InvoiceDialog dialog(db(), m_source.clock, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const InvoiceDialog::Entry& entry = dialog.entry();
    const QString due = QStringLiteral("%1/%2/%3")
                            .arg(entry.dueDate.year())
                            .arg(entry.dueDate.month(), 2, 10, QLatin1Char('0'))
                            .arg(entry.dueDate.day(), 2, 10, QLatin1Char('0'));
    // The displayed month takes the row into its draft, where the user sees it and saves it with the
    // rest; storing it behind the draft would have the draft's save set it aside.
    if (m_workMonth.isValid() && entry.dueDate.year() == m_workMonth.year() &&
        entry.dueDate.month() == m_workMonth.month()) {
        if (addRowToDraft(entry.dueDate, entry.payer, entry.amount))
            tell(prompts(), QStringLiteral("支払期日 %1 の入金予定を表示中の月に追加しました。"
                                           "登録すると保存されます。")
                                .arg(due));
        return;
    }
    // A row stored before the displayed month moves its carry-forward and so every balance the draft
    // shows: the draft's edits are settled first, as leaving the month does, and the month is read again.
    const bool beforeShown = m_workMonth.isValid() && QDate(entry.dueDate.year(), entry.dueDate.month(), 1) <
                                                          QDate(m_workMonth.year(), m_workMonth.month(), 1);
    if (beforeShown && !confirmLeavingMonth())
        return;
    int rowNumber = 0;
    if (!runReportingFailure(
            prompts(),
            [&] { rowNumber = terms::storeReceiptRow(db(), entry.dueDate, entry.payer, entry.amount); },
            kStepNotCompleted))
        return;
    tell(prompts(), QStringLiteral("支払期日 %1 の入金予定を %2 の %3 行目に保存しました。")
                        .arg(due, monthText(entry.dueDate))
                        .arg(rowNumber));
    if (beforeShown)
        loadMonth();
    emit storedRowsChanged();
}

bool SchedulePage::addRowToDraft(const QDate& date, const QString& payer, Money amount)
{
    const std::vector<schedule::WorkRow>& rows = m_draft->rows();
    std::size_t free = rows.size();
    while (free > 0 && !schedule::holdsData(rows[free - 1]))
        --free;
    if (free >= rows.size()) {
        tell(prompts(), QStringLiteral("表示中の月に空いている行がないため、入金予定を追加できません。"));
        return false;
    }
    const schedule::DayEntry day = schedule::completeDay(m_workMonth, QString::number(date.day()));
    const bool changed = changeCells({{free, schedule::k表示日付, Value(day.cellText)},
                                      {free, schedule::k日付, Value(date)},
                                      {free, schedule::k入金先名, Value(payer)},
                                      {free, schedule::k予定額, Value(amount)}},
                                     QStringLiteral("請求登録"));
    if (changed)
        GridInp->setCurrentIndex(datInp->index(int(free), schedule::k入金先名));
    return changed;
}

void SchedulePage::followRenamedPayers()
{
    refreshPayerList();
    if (!m_workMonth.isValid())
        return;
    // The rename wrote the work file's rows; the draft takes them over as it takes over a restored
    // draft. Its history starts again: an undo must not bring a name back that no longer exists.
    runReportingFailure(
        prompts(), [this] { m_draft->restore(db()); }, kStepNotCompleted);
    showDraft();
}
