#pragma once

#include "common/message_table.h"
#include "report/overdue_report.h"
#include "report/report_data.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <memory>

class Database;
class QWidget;

// What the user answered. A notice is only acknowledged (Ok); Cancel comes only from a question that
// offers it.
enum class Answer { Yes, No, Cancel, Ok };

// The buttons of a question. The standard message table's questions leave the captions to Qt's
// translation; the schedule page's own questions caption them はい / いいえ (and キャンセル) themselves.
enum class PromptButtons {
    Standard,
    YesNoInJapanese,
    YesNoCancelInJapanese, // Escape answers Cancel
};

// Everything the window asks of the user through a dialog of its own making: questions and notices,
// the colour chooser and the print previews. The window receives one and hands it to what it opens
// (the hint window, the CSV panel, the open-receipts page); dialogPrompts() (app/dialogs/dialog_prompts.h)
// gives the real, modal dialogs. A test gives a scripted one instead, so that no dialog waits for a user who
// is not there. A file to open or to write, as the file dialog asks for it.
struct FileRequest
{
    bool save = false; // a file to write (it may not exist yet) rather than one to read
    QString caption;
    QString suggested;     // the folder or file the dialog starts from
    QString filter;        // e.g. "CSVファイル (*.csv);;すべてのファイル (*)"
    QString defaultSuffix; // added to a name typed without one (saving only)
};

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // A question or notice in a modal box over `parent`; the style says the icon and the default.
    virtual Answer ask(QWidget* parent, const DialogSpec& dialog, PromptButtons buttons) = 0;
    // The colour dialog, starting from the initial colour (red in the lowest byte). The chosen colour
    // in the same layout, or -1 when the user cancels.
    virtual std::int64_t chooseColor(QWidget* owner, std::int64_t initialColor) = 0;
    // The file the user chooses with Qt's own file dialog (the same on every desktop); empty when the
    // user cancels.
    virtual QString chooseFile(QWidget* parent, const FileRequest& request) = 0;
    // The folder the user chooses with the folder dialog; empty when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& caption) = 0;
    // The print preview of the month as the screen shows it (app/dialogs/report_preview.h).
    virtual void previewMonthlyReport(QWidget* parent, Database& db, const QDate& month,
                                      const QString& eraValue, const report::ScreenFigures& figures,
                                      std::int64_t lineColor) = 0;
    // The print preview of the open-receipts list.
    virtual void previewOverdueReport(QWidget* parent, const report::OverdueReportData& data,
                                      std::int64_t lineColor) = 0;
};
