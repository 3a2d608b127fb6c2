#pragma once

#include "report/report_data.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>

class Database;
class QWidget;

// What the print button does once it has read the screen: previewMonthlyReport (app/report_preview.h)
// unless a test put something else here to look at what would be printed without a modal preview.
using MonthlyReportPreview =
    std::function<void(QWidget* parent, Database& db, const QDate& month, const QString& eraValue,
                       const report::ScreenFigures& figures, std::int64_t lineColor)>;
// An empty function restores the real preview.
void setMonthlyReportPreview(MonthlyReportPreview preview);
