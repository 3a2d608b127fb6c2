// The print button of the schedule page.
#include "app/frm_print.h"

#include "app/FrmDorivan.h"
#include "app/amount_field.h"
#include "app/month_edit.h"
#include "app/report_preview.h"

#include <QPushButton>

#include <utility>

namespace {

MonthlyReportPreview& installedPreview()
{
    static MonthlyReportPreview preview;
    return preview;
}

// An empty field prints blank, as a 0 does.
Money shown(const AmountField* field)
{
    return field->amount().value_or(Money{});
}

} // namespace

void setMonthlyReportPreview(MonthlyReportPreview preview)
{
    installedPreview() = std::move(preview);
}

void FrmDorivan::connectPrinting()
{
    connect(Cmd印刷, &QPushButton::clicked, this, &FrmDorivan::Cmd印刷_Click);
}

void FrmDorivan::Cmd印刷_Click()
{
    // The figures as they stand on the screen, saved or not.
    report::ScreenFigures figures;
    figures.carryForward = shown(num繰越額);
    figures.receivedTotal = shown(num入金額月計);
    figures.plannedTotal = shown(num予定額月計);
    figures.cumulative = shown(num累計);

    // A copy, so that a test's preview may replace itself while it runs.
    const MonthlyReportPreview preview = installedPreview();
    if (preview)
        preview(this, db(), m_workMonth, eraValue(), figures, lineColour());
    else
        previewMonthlyReport(this, db(), m_workMonth, eraValue(), figures, lineColour());
}
