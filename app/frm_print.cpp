// The print button of the schedule page.
#include "app/FrmDorivan.h"
#include "app/amount_field.h"
#include "app/month_edit.h"
#include "app/user_prompts.h"

#include <QPushButton>

namespace {

// An empty field prints blank, as a 0 does.
Money shown(const AmountField* field)
{
    return field->amount().value_or(Money{});
}

} // namespace

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

    prompts().previewMonthlyReport(this, db(), m_workMonth, eraValue(), figures, lineColour());
}
