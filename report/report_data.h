#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>

#include <vector>

class Database;

namespace report {

// One detail line of the printout: a working row that has a payer.
struct ReportRow
{
    QString day;    // 表示日付, the two-digit day as typed (may be empty)
    QString payer;  // 入金先名
    Money planned;  // 予定額
    Money received; // 入金額
    Money balance;  // 残高

    friend bool operator==(const ReportRow&, const ReportRow&) = default;
};

// The four totals as the schedule screen shows them at the click; printed as they are, saved or not.
struct ScreenFigures
{
    Money carryForward;   // num繰越額
    Money plannedTotal;   // num予定額月計
    Money receivedTotal;  // num入金額月計
    Money cumulative;     // num累計
    bool unsaved = false; // the screen holds edits not stored yet

    friend bool operator==(const ScreenFigures&, const ScreenFigures&) = default;
};

struct ReportData
{
    QString monthTitle; // "yyyy年mm月", or "ggg ee年mm月" for the era value "和暦"
    ScreenFigures figures;
    std::vector<ReportRow> rows; // in working-set order
    QString footnote;            // printed at the foot of every page when not empty
};

// The foot of a printout made while the month had edits not stored yet.
extern const QString kUnsavedFootnote;

// Rebuilds InpWork印刷 from the working rows that have a payer (in one transaction) and reads it back
// with the month title and the screen figures. Throws StorageError when the work file fails.
ReportData prepareReport(Database& db, const QDate& month, const QString& eraValue,
                         const ScreenFigures& figures);

// The month title of the printout for the era value of the settings.
QString reportMonthTitle(const QDate& month, const QString& eraValue);

} // namespace report
