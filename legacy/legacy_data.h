#pragma once

#include "common/money.h"
#include "storage/value.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace legacy {

struct JetDump;

// One row of 入金予定表 as the import takes it over.
struct LegacyRow
{
    QDate 日付;
    int 行番号 = 0;
    std::optional<QString> 入金先名;
    std::optional<Money> 予定額;
    std::optional<Money> 入金額;
    std::optional<Money> 残高;
};

// A month whose rows the schedule screen cannot all show (it has 200 lines).
struct CrowdedMonth
{
    QDate month; // its first day
    int rows = 0;
};

// Everything an import carries into the program's files, checked.
struct LegacyData
{
    std::vector<LegacyRow> rows; // in the order the file keeps them
    std::vector<std::optional<QString>> payers;
    std::vector<std::vector<Value>> settings; // 年号, 入金先自動登録 (0/1), LineColor1
    std::vector<std::vector<Value>> hints;    // FormName, CtlName, FormTitle, Contents
    bool hintsRead = false;                   // whether a work file was read at all
    int changedBalances = 0;                  // balances that the balance rule put right
    std::vector<CrowdedMonth> crowdedMonths;
};

inline constexpr int kMaxLineNo = 200;

// Takes over 入金予定表, 入金先マスタ and 自社情報 of a dump of the permanent file. Checks that every
// table and column is there, that every table was read whole, that every date lies in 1900 to 2099,
// every amount fits the currency range and every 行番号 lies in 1 to 200; then checks the balances
// against the balance rule from the first row and, where any disagrees, recomputes them all.
// Throws ImportError listing the problems (naming the file, the table, the column and the row).
LegacyData takePermanentTables(const JetDump& dump, const QString& file);

// Takes over ClHint of a dump of the work file into `data` (texts whole). Throws ImportError.
void takeHintTable(const JetDump& dump, const QString& file, LegacyData& data);

// The tables each file must have, for the reader.
QStringList permanentSourceTables();
QStringList workSourceTables();

} // namespace legacy
