#pragma once

#include "app/FrmDorivan.h"
#include "app/grid/bound_grid.h"
#include "app/grid/work_table_model.h"
#include "storage/value.h"
#include "support/dialog_answers.h"
#include "support/temp_data.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>
#include <optional>

// Columns of the schedule grid.
enum ScheduleColumn { kRowNo, kOrigin, kDay, kDate, kPayer, kPlanned, kReceived, kBalance };

// The main window on a data folder, shown and active so that keys reach the focused widget.
std::unique_ptr<FrmDorivan> openWindow(const TempDataFolder& folder);

// Puts the month into the month field and loads it, as the load button does.
void showMonth(FrmDorivan& window, const QDate& month);

// Puts the grid's cursor on a cell (0-based grid row) and gives the grid the focus.
void putCursor(FrmDorivan& window, int row, int column);

// Keys as the keyboard delivers them: each goes to whatever widget has the focus at that moment.
void typeKeys(const QString& text);
void pressKey(Qt::Key key);
// Text accepted from the input method (a converted Japanese name), to the focused widget.
void commitImeText(const QString& text);

// A cell of the working row numbered `rowNumber`, read from InpWork.
Value workCell(FrmDorivan& window, int rowNumber, const char* column);
// A cell as the grid shows it (0-based grid row).
QString shownText(FrmDorivan& window, int row, int column);

// Writes a working row through the grid's source (the draft), for rows a test needs but does not type.
void putWorkRow(FrmDorivan& window, int rowNumber, std::optional<int> day,
                const std::optional<QString>& payer, std::int64_t planned, std::int64_t received = 0);

QByteArray fileBytes(const QString& path);

// Writes a picture of the window for the README, at most 1000 pixels wide.
bool saveScreenshot(QWidget& window, const QString& path);
