#pragma once

#include "report/overdue_report.h"
#include "report/report_data.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>

class Database;
class UserPrompts;
class QPrinter;
class QWidget;

// Failures are told through `prompts`; the preview itself is always the real dialog, which the real
// prompts (app/dialogs/dialog_prompts.h) show.

// The modal print preview every printout goes through, on the printouts' A4 page; from it the user prints
// or saves a PDF. `paint` draws on each printer the preview hands over; it tells the user itself when it
// cannot. A failure to set the preview up is told with `failure`.
void showPrintPreview(UserPrompts& prompts, QWidget* parent, const QString& title, const QString& failure,
                      const std::function<void(QPrinter&)>& paint);

// The open-receipts list in that preview. Never throws.
void showOverdueReportPreview(UserPrompts& prompts, QWidget* parent, const report::OverdueReportData& data,
                              std::int64_t lineColor);

// Shows the printout in a modal print preview, from which the user prints it or saves it as a PDF.
// lineColor is the print line colour of the settings (red in the lowest byte). Never throws: a failure
// is told to the user.
void showReportPreview(UserPrompts& prompts, QWidget* parent, const report::ReportData& data,
                       std::int64_t lineColor);

// What the preview does with every printer it is handed: draws the report on it, or tells the user that
// it could not and returns false.
bool paintReportOrTell(UserPrompts& prompts, QPrinter& printer, const report::ReportData& data,
                       std::int64_t lineColor);

// The print button's work once the screen values are read: rebuilds the rows to print from the working
// set and shows the preview. A failure is told to the user and ends only the printing.
void previewMonthlyReport(UserPrompts& prompts, QWidget* parent, Database& db, const QDate& month,
                          const QString& eraValue, const report::ScreenFigures& figures,
                          std::int64_t lineColor);
