#pragma once

#include "common/clock.h"
#include "common/money.h"
#include "report/report_data.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AmountField;
class BoundGrid;
class ClickableLabel;
class Database;
class MonthEdit;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class UserPrompts;
class Value;
class WorkTableModel;
namespace schedule {
class MonthDraft;
struct CellChange;
struct OpenTotals;
} // namespace schedule

// The first page of the main window, 入金予定: the month field, the grid GridInp on the working set of
// one month (its source datInp, the payer drop-down dat入金先名), the month's totals, the notice of what
// is past due and the page's buttons. The page loads, edits and saves the month; what the other pages
// must follow it tells through its signals.
class SchedulePage : public QWidget
{
    Q_OBJECT
public:
    // What the page needs from the window: the open database (nothing once the window has unloaded),
    // the prompts every question goes through, and whether payers typed into the grid are registered.
    struct Source
    {
        std::function<Database*()> database;
        std::shared_ptr<UserPrompts> prompts;
        std::function<bool()> autoRegistration;
        // Today: the month a cleared screen starts from and the day rows become overdue after.
        Clock clock;
    };

    explicit SchedulePage(Source source, QWidget* parent = nullptr);
    ~SchedulePage() override;

    // Binds the grid and the drop-down to the work file and sets the grid's columns (at load, and
    // again after the files were replaced). releaseData lets go of the file before it closes.
    void bindData();
    void releaseData();
    // The column widths the user gave the grid, read from and kept in the file at `path` (at load, and
    // as the window lets go of the files). Only widths the user changed are written.
    void restoreColumnWidths(const QString& path);
    void keepColumnWidths(const QString& path);
    // Gives the month field the form of the era value in effect.
    void setEra(const QString& era);

    // The screen of today's month with an empty working set (cmd履歴クリア).
    void clearMonth();
    // Loads the month in the field into the working set and shows it (cmd読込).
    void loadMonth();
    // Loads the latest month that holds stored rows, or the month in the field while none is stored
    // (after an import, and at start-up when today's month is empty).
    void showLatestMonth();
    // Whether the working set holds a row with data.
    bool monthHoldsRows() const;
    // The guidance of a first start (what to do first), shown while no row is stored.
    void showFirstStartGuide();
    // At start-up: when an earlier run left typed work that was never saved, asks "入力の復元" and on はい
    // shows that month with it (true); いいえ discards it.
    bool offerRestore();
    // The save with its checks (month, rows without date, rows without payer); true when stored.
    bool saveMonth();
    // Before an action replaces the working set: asks about unsaved edits and saves when told to. True
    // when the action may go on.
    bool confirmLeavingMonth();
    // The user chose to leave the edits unsaved as the window closes: the next start does not offer
    // them back.
    void forgetEdits();
    // Loads the month of a stored row (after asking about unsaved edits), asks to be shown and puts the
    // cursor on the row's day.
    void showStoredRow(const QDate& date, int rowNumber);
    // At start-up: the cursor on the day of the first empty row, the grid holding the focus.
    void putStartCursor();
    // The drop-down of payers read again from the master.
    void refreshPayerList();
    // Registers a payer typed into the grid; an empty name registers nothing. The drop-down follows.
    void registerPayer(const QString& name);
    // The notice under the totals: what is past due across all months.
    void showPastDue(const schedule::OpenTotals& pastDue);
    // Paints the grid's overdue marks again by today's date (the day turned).
    void showOverdueMarks();
    // 請求登録: the invoice dialog; its planned row goes into the displayed month's draft when it falls
    // in that month, else it is stored in its month (schedule_page_invoice.cpp).
    void registerInvoice();
    // The payer page renamed stored and draft rows: the drop-down and the draft show the new name.
    void followRenamedPayers();

    // The month the working set holds: what saves and balance passes work on. Invalid when nothing was
    // loaded or cleared yet.
    const QDate& workMonth() const { return m_workMonth; }
    // Whether the displayed month has edits that are not saved.
    bool hasUnsavedEdits() const { return m_unsaved; }
    // The draft of the displayed month, which owns its working rows.
    const schedule::MonthDraft& draft() const { return *m_draft; }
    // The totals as the screen shows them, saved or not (an empty field counts as 0).
    report::ScreenFigures shownFigures() const;

signals:
    // The displayed month gained or lost edits the store does not have.
    void unsavedChanged(bool unsaved);
    // A save changed the stored rows.
    void storedRowsChanged();
    // The page wants to be the one shown (a stored row was asked for from elsewhere).
    void pageWanted();
    // The buttons whose work is the window's.
    void printRequested();
    void closeRequested();
    void hintRequested(const QString& buttonName);
    // The past-due notice was clicked.
    void pastDueClicked();

private:
    void buildLayout();
    void connectControls();
    UserPrompts& prompts() const { return *m_source.prompts; }
    Database& db() const { return *m_source.database(); }
    void setUnsaved(bool unsaved);
    // False when the working set could not be cleared (the user has been told).
    bool clearWorkingSet();
    // cmdMonBef / cmdMonNext: the month `count` months away, then load it (after asking about unsaved
    // edits).
    void moveMonth(int count);
    // A month typed into the month field.
    void monthTyped();
    // The carry-forward the passes start from: the figure on the screen, kept exact while it still
    // shows the loaded amount.
    std::optional<Money> carryOnScreen() const;
    // The grid row holding the working row numbered `rowNumber`, or -1.
    int gridRowOf(int rowNumber) const;
    // Re-reads the working set after a statement changed it, keeping the cursor where it was or
    // putting it on the day of the first row.
    void refreshWorkGrid(bool toFirstRow = false);
    // After a load, a save or a row operation: the grid takes the focus back, on the row worked on
    // when there was one, else on the day of the first empty row.
    void returnToGrid(std::optional<int> workedOn = std::nullopt);
    // Puts the cursor on a cell of the working row numbered `rowNumber` and gives the grid the focus.
    void goToWorkCell(int rowNumber, int column);

    // Grid editing (schedule_page_edit.cpp).
    // Every cell the grid writes comes here and goes to the draft, completed as typing completes it.
    bool writeCell(int row, int column, const Value& value);
    // Hands edits to the draft as one step; false when it refused them (the user has been told).
    bool changeCells(const std::vector<schedule::CellChange>& changes, const QString& label);
    // The grid, the totals, the unsaved mark and the undo buttons as the draft stands; `rows` are the
    // grid rows to repaint, all of them when empty.
    void showDraft(const std::vector<std::size_t>& rows = {});
    void guardFocusWithoutMonth();
    void cellCommitted(int column);
    void cellRefused(int column, const QString& text);
    void payerEdited();
    void keyPressed(int* key);
    void cursorMoved();

    // Adds a planned row after the last row holding data as one step of the draft; false when there is
    // no room or the draft refused it (the user has been told).
    bool addRowToDraft(const QDate& date, const QString& payer, Money amount);

    // Saving and rows (schedule_page_rows.cpp).
    void saveClicked();
    void insertRow();
    void deleteRowClicked();
    void deleteRow();
    void undoEdit();
    void redoEdit();
    void walkHistory(bool (schedule::MonthDraft::*step)(Database&));

    // The clipboard and the fill (schedule_page_clipboard.cpp).
    void copyCells();
    void pasteCells();
    void fillDown();
    void clearSelection();

    Source m_source;
    std::unique_ptr<schedule::MonthDraft> m_draft;
    // A day the grid's writer refused, for the message once the editor has closed.
    std::optional<QString> m_refusedDay;
    std::optional<Money> m繰越額; // the carry-forward as loaded, before rounding for the screen
    QDate m_workMonth;            // the month the working set holds
    bool m_unsaved = false;       // the working set has edits the store does not have
    bool m_widthsChanged = false; // the user dragged a column of the grid to a new width

    QFrame* monthFrame = nullptr; // object name imContainer3D1
    QLabel* lbl年月 = nullptr;
    MonthEdit* Dt年月 = nullptr;
    QLabel* lbl未登録 = nullptr;
    QLabel* lbl初回案内 = nullptr;
    QPushButton* cmdMonBef = nullptr;
    QPushButton* cmdMonNext = nullptr;
    BoundGrid* GridInp = nullptr;
    QLabel* lbl繰越額 = nullptr;
    AmountField* num繰越額 = nullptr;
    QLabel* lbl予定額月計 = nullptr;
    AmountField* num予定額月計 = nullptr;
    QLabel* lbl入金額月計 = nullptr;
    AmountField* num入金額月計 = nullptr;
    QLabel* lbl累計 = nullptr;
    AmountField* num累計 = nullptr;
    QProgressBar* Pbar = nullptr;
    ClickableLabel* lbl未入金お知らせ = nullptr;
    QFrame* scheduleButtons = nullptr; // object name imContainer3D6
    QPushButton* cmd読込 = nullptr;
    QPushButton* cmd登録 = nullptr;
    QPushButton* cmd行挿入 = nullptr;
    QPushButton* cmd行削除 = nullptr;
    QPushButton* Cmd印刷 = nullptr;
    QPushButton* cmd履歴クリア = nullptr;
    QPushButton* cmd履歴閉じる = nullptr;
    QPushButton* cmdHint = nullptr;
    QPushButton* cmd元に戻す = nullptr;
    QPushButton* cmdやり直し = nullptr;
    QPushButton* cmd請求登録 = nullptr;
    WorkTableModel* datInp = nullptr;
    WorkTableModel* dat入金先名 = nullptr;
};
