// The month working set: clearing the schedule screen and loading a month.
#include "app/FrmDorivan.h"

#include "app/amount_field.h"
#include "app/month_edit.h"
#include "app/work_table_model.h"

#include <QDate>

void FrmDorivan::Clear入金予定表()
{
    for (AmountField* field : {num繰越額, num予定額月計, num入金額月計, num累計})
        field->setEmpty();
    Dt年月->setMonth(QDate::currentDate());
    AddComb入金先名();
    datInp->refresh();
}

void FrmDorivan::Read入金予定()
{
    datInp->refresh();
}
