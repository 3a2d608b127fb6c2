// The payer master page and the payer drop-down of the schedule grid.
#include "app/FrmDorivan.h"

#include "app/work_table_model.h"
#include "storage/database.h"

void FrmDorivan::Clear入金先マスタ()
{
    db().execute("delete * from w入金先マスタ");
    dat入金先マスタ->refresh();
}

void FrmDorivan::AddComb入金先名()
{
    db().execute("delete * from w入金先名");
    db().execute("insert into w入金先名 select 入金先名 from 入金先マスタ in ? order by 入金先名;",
                 {Value(m_permanentPath)});
    dat入金先名->refresh();
}
