// The settings page and the run-time values read from the settings record.
#include "app/FrmDorivan.h"

void FrmDorivan::Read設定()
{
    m年号 = QStringLiteral("西暦");
    m入金先自動登録 = true;
    m罫線色 = 0;
}
