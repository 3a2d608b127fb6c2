#pragma once

#include "common/money.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AmountField;
class BoundGrid;
class ClickableLabel;
class Database;
class MonthEdit;
class OverduePage;
class WorkTableModel;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class UserPrompts;

// The caption of the main window and of the information label, with this build's version.
extern const QString kWindowCaption;

// The main window. Its constructor is the window load: it opens both database files of the data folder
// (a StorageError naming the file leaves the constructor), reads the settings, lays the window out and
// shows the current month. Closing it releases the database.
//
// The window's procedures are grouped by what they work on; each group lives in its own source file.
class FrmDorivan : public QWidget
{
    Q_OBJECT
public:
    // The window with the real dialogs (dialogPrompts()).
    explicit FrmDorivan(const QString& dataFolder, QWidget* parent = nullptr);
    // The window asking the user through `prompts`, which it shares with what it opens.
    FrmDorivan(const QString& dataFolder, std::shared_ptr<UserPrompts> prompts, QWidget* parent = nullptr);
    ~FrmDorivan() override;

    // ---- Shell: load, layout, unload (FrmDorivan.cpp, frm_layout.cpp, frm_init.cpp) ----
    void FormInit();
    // Brings the window to the front (a second start of the program asks for this).
    void bringToFront();
    // The window's title without the mark of unsaved edits.
    QString plainTitle() const;
    const QString& dataFolder() const { return m_dataFolder; }
    const QString& permanentPath() const { return m_permanentPath; }
    const QString& workPath() const { return m_workPath; }
    // The open database (both files); only valid between load and unload.
    Database& db() const { return *m_db; }
    bool isLoaded() const { return m_db != nullptr; }
    // What every question, notice, colour choice and print preview of the window goes through.
    UserPrompts& prompts() const { return *m_prompts; }

    // ---- Run-time settings values, set by Read設定 ----
    const QString& eraValue() const { return m年号; }
    bool autoRegistration() const { return m入金先自動登録; }
    int lineColour() const { return m罫線色; }

    // ---- Month working set (frm_schedule.cpp) ----
    // False when the working set could not be cleared (the user has been told).
    bool ClearInpWork();
    void Clear入金予定表();
    void Read入金予定();
    // cmdMonBef / cmdMonNext: the month `count` months away, then load it (after asking about unsaved
    // edits).
    void moveMonth(int count);
    // The month the working set holds: what saves and balance passes work on. Invalid when nothing was
    // loaded or cleared yet.
    const QDate& workMonth() const { return m_workMonth; }
    // Whether the displayed month has edits that are not saved; shown beside the month and in the title.
    bool hasUnsavedEdits() const { return m_unsaved; }
    // Before an action replaces the working set: asks about unsaved edits and saves when told to. True
    // when the action may go on.
    bool confirmLeavingMonth();
    // ---- Schedule grid editing (frm_schedule_edit.cpp) ----
    void Calc入金予定額();
    void Calc入金額();
    void Calc行残高();
    void gridInpFocusGuard();
    void gridInpCellCommitted(int column);
    void gridInpCellRefused(int column, const QString& text);
    void gridInpPayerCheck();
    void gridInpKeyPressed(int* key);
    void gridInpCursorMoved();
    // At start-up: the cursor on the day of the first empty row, the grid holding the focus.
    void gridInpStartCursor();
    // ---- Saving, row insertion and deletion (frm_schedule_rows.cpp) ----
    void cmd登録Click();
    // The save with its checks (month, rows without date, rows without payer); true when stored.
    bool Entry入金予定表();
    void cmd行挿入Click();
    void InsertLine();
    void cmd行削除Click();
    void LineDelete();

private:
    void connectSchedule();
    // The carry-forward the passes start from: the figure on the screen, kept exact while it still
    // shows the loaded amount.
    std::optional<Money> carryOnScreen() const;
    // The grid row holding the working row numbered `rowNumber`, or -1.
    int gridRowOf(int rowNumber) const;
    // Re-reads the working set after a statement changed it, keeping the cursor where it was or
    // putting it on the day of the first row.
    void refreshWorkGrid(bool toFirstRow = false);
    void setUnsaved(bool unsaved);
    // A month typed into the month field.
    void monthTyped();
    // Puts the cursor on a cell of the working row numbered `rowNumber` and gives the grid the focus.
    void goToWorkCell(int rowNumber, int column);

    std::optional<Money> m繰越額; // the carry-forward as loaded, before rounding for the screen
    QDate m_workMonth;            // the month the working set holds
    bool m_unsaved = false;       // the working set has edits the store does not have

public:
    // ---- Payer master (frm_payers.cpp) ----
    // The page's editing copy w入金先マスタ is shown by Grid入金先マスタ. A failing operation tells the
    // user and leaves the master as it was.
    void Read入金先();
    void Entry入金先マスタ();
    void Clear入金先マスタ();
    // These two ask first and do nothing unless answered Yes.
    void Delete入金先マスタ();
    void LineDelete入金先マスタ();
    void AddComb入金先名();
    // Registers a payer typed into the schedule grid; an empty name registers nothing.
    void Add入金先(const QString& name);

private:
    void connectPayers();

public:
    // ---- Settings (frm_settings.cpp) ----
    // The only place the three run-time values are set.
    void Read設定();
    // Asks, then stores the page; the run-time values stay until the next Read設定.
    void Entry設定();
    // The page only: nothing stored or in effect changes.
    void Clear設定();
    // Asks, then puts a stored row back to the defaults (creating none) and clears the page.
    void Delete設定();
    // Empties the payer master, the schedule and the settings record (the question is the button's).
    void AllDelete();
    // The swatch's double click: a chosen colour goes to the page only.
    void Choose罫線色();

private:
    void connectSettings();
    // Gives the month field the form of the era value in effect.
    void applyEraToMonthField();

public:
    // ---- Controls: tab 0, the month schedule ----
    QTabWidget* SSTab1 = nullptr;
    QFrame* imContainer3D1 = nullptr;
    QLabel* lbl年月 = nullptr;
    MonthEdit* Dt年月 = nullptr;
    QLabel* lbl未登録 = nullptr;
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
    QFrame* imContainer3D6 = nullptr;
    QPushButton* cmd読込 = nullptr;
    QPushButton* cmd登録 = nullptr;
    QPushButton* cmd行挿入 = nullptr;
    QPushButton* cmd行削除 = nullptr;
    QPushButton* Cmd印刷 = nullptr;
    QPushButton* cmd履歴クリア = nullptr;
    QPushButton* cmd履歴閉じる = nullptr;
    QPushButton* cmdHint = nullptr;

    // ---- Controls: tab 1, payer maintenance ----
    QFrame* imContainer3D3 = nullptr;
    BoundGrid* Grid入金先マスタ = nullptr;
    QFrame* imContainer3D4 = nullptr;
    QPushButton* cmd支払先削除 = nullptr;
    QPushButton* cmd支払先クリア = nullptr;
    QPushButton* cmd支払先登録 = nullptr;
    QPushButton* cmd支払先行削除 = nullptr;
    QPushButton* cmd支払先読込 = nullptr;
    QPushButton* cmdHint1 = nullptr;

    // ---- Controls: tab 2, settings and information ----
    QFrame* imContainer3D2 = nullptr;
    QFrame* imContainer3D5 = nullptr;
    QLabel* lbl年号 = nullptr;
    QComboBox* cmb年号 = nullptr;
    QCheckBox* Chk入金先自動登録 = nullptr;
    QLabel* lbl罫線色 = nullptr;
    ClickableLabel* Pic罫線色 = nullptr;
    AmountField* num白紙罫線色 = nullptr;
    QFrame* imContainer3D7 = nullptr;
    QPushButton* cmd設定削除 = nullptr;
    QPushButton* cmd設定クリア = nullptr;
    QPushButton* cmd設定登録 = nullptr;
    QPushButton* cmd設定読込 = nullptr;
    QPushButton* cmdHint2 = nullptr;
    QFrame* ImFrame3D1 = nullptr;
    QPushButton* cmd一括削除7 = nullptr;
    QLabel* lbl一括削除 = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lblSupport = nullptr;
    ClickableLabel* Image2 = nullptr;

    // ---- Data sources of the grids (tables of the work file) ----
    WorkTableModel* datInp = nullptr;
    WorkTableModel* dat入金先名 = nullptr;
    WorkTableModel* dat入金先マスタ = nullptr;

    // The hint window, while it is open.
    QPointer<QWidget> m_hintWindow;

    // ---- Hints (frm_hints.cpp; the window is app/hint_window.cpp) ----
    void connectHints();
    // A hint button press: hands the key over and opens the hint window, or brings an open one to the
    // front (its key stays that of the button that opened it).
    void showHint(const QString& ctlName);
    // The hand-over values of the last hint button pressed.
    QString hintFormName;
    QString hintCtlName;
    QString hintFormTitle;

    // ---- Import of older data files (legacy_import_ui.cpp) ----
    QFrame* ImFrame旧データ取込 = nullptr;
    QPushButton* cmd旧データ取込 = nullptr;
    QLabel* lbl旧データ取込 = nullptr;
    QProgressBar* Pbar旧データ取込 = nullptr;
    // Chooses a folder holding an Access Dorivan.mdb, warns when the data folder holds stored rows,
    // imports, reloads the window and shows what was imported.
    void cmd旧データ取込Click();

    // ---- Printing (frm_print.cpp) ----
    void connectPrinting();
    // Prints the displayed month as the screen shows it.
    void Cmd印刷_Click();

    // ---- Open receipts (frm_overdue.cpp; the page is app/overdue_page.cpp) ----
    // Re-reads the open-receipts page and the notice after the stored rows changed.
    void Refresh未入金();
    // Shows the schedule page with the stored row's month loaded and its day cell current.
    void showStoredRow(const QDate& date, int rowNumber);
    OverduePage* Page未入金 = nullptr;
    ClickableLabel* lbl未入金お知らせ = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QWidget* buildLegacyImportPanel(QWidget* parent);
    // Opens both files of the data folder (the constructor, and again after an import).
    void openData();
    QWidget* buildScheduleTab();
    QWidget* buildPayerTab();
    QWidget* buildSettingsTab();
    QWidget* buildOverduePage();
    void connectOverdue();
    void connectShell();
    void Unload();
    void showStorageFailure(const QString& message);

    std::shared_ptr<UserPrompts> m_prompts;
    QString m_dataFolder;
    QString m_permanentPath;
    QString m_workPath;
    std::unique_ptr<Database> m_db;

    QString m年号;
    bool m入金先自動登録 = false;
    int m罫線色 = 0;
};
