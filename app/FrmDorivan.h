#pragma once

#include "common/clock.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class Database;
class OverduePage;
class PayerPage;
class QCloseEvent;
class QTabWidget;
class SchedulePage;
class SettingsPage;
class UserPrompts;

// The caption of the main window and of the information label, with this build's version.
extern const QString kWindowCaption;

// The main window. Its constructor is the window load: it opens both database files of the data folder
// (a StorageError naming the file leaves the constructor), reads the settings, lays the window out and
// shows the current month. Closing it releases the database.
//
// The window holds the tab strip SSTab1 with its four pages (app/pages/), the open database they share,
// the prompts, the clock, the hint window and the printing of the month; it wires what one page does to
// what the others must follow.
class FrmDorivan : public QWidget
{
    Q_OBJECT
public:
    // The window with the real dialogs (dialogPrompts()).
    explicit FrmDorivan(const QString& dataFolder, QWidget* parent = nullptr);
    // The window asking the user through `prompts`, which it shares with what it opens, and reading the
    // date and time from `clock` wherever it needs them (today's month, what is past due, the day's
    // backup).
    FrmDorivan(const QString& dataFolder, std::shared_ptr<UserPrompts> prompts, QWidget* parent = nullptr,
               Clock clock = systemClock());
    ~FrmDorivan() override;

    // Brings the window to the front (a second start of the program asks for this).
    void bringToFront();
    const QString& dataFolder() const { return m_dataFolder; }
    const QString& permanentPath() const { return m_permanentPath; }
    const QString& workPath() const { return m_workPath; }
    // The open database (both files); only valid between load and unload.
    Database& db() const { return *m_db; }
    bool isLoaded() const { return m_db != nullptr; }
    // What every question, notice, colour choice and print preview of the window goes through.
    UserPrompts& prompts() const { return *m_prompts; }

    // The pages of the tab strip.
    SchedulePage& schedulePage() const { return *m_schedulePage; }
    PayerPage& payerPage() const { return *m_payerPage; }
    SettingsPage& settingsPage() const { return *m_settingsPage; }
    OverduePage& overduePage() const { return *m_overduePage; }
    // The hint window while it is open, else nothing.
    QWidget* hintWindow() const { return m_hintWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectPages();
    // Opens both files of the data folder (the constructor, and again after an import).
    void openData();
    // Binds the pages to the open files and shows the settings, today's month (or, when it holds no
    // rows, the latest month that does) and an empty payer page (the load, and again after an import).
    void loadPages();
    void Unload();
    // The title with the mark of unsaved edits of the month, or without.
    void markUnsaved(bool unsaved);
    QString plainTitle() const;
    // The one way the figures read from the stored rows (the past-due notice, the open-receipts page
    // and its chart) follow a change of them: every writer ends here, whichever way the rows came (a
    // save, a deletion, an import, or another program while the window was closed: the load).
    void storedDataChanged();
    // Whether a change on one of the dates reaches the month the schedule page holds: a row of it, or
    // the balances from an earlier date on, its carry-forward included.
    bool reachesShownMonth(const std::vector<QDate>& dates) const;
    // The past-due notice on the schedule page, from the open-receipts page's last read when it
    // reached yesterday.
    void showPastDueNotice();
    // A hint button press: hands the key over and opens the hint window, or brings an open one to the
    // front (its key stays that of the button that opened it).
    void showHint(const QString& ctlName, const QString& pageName);
    // Cmd印刷: prints the displayed month as the screen shows it.
    void printMonth();
    // The hint window and the grids let go of the files, and the database closes (before the files
    // are replaced under the window).
    void releaseData();

    std::shared_ptr<UserPrompts> m_prompts;
    Clock m_clock;
    QString m_dataFolder;
    QString m_permanentPath;
    QString m_workPath;
    std::unique_ptr<Database> m_db;

    QTabWidget* SSTab1 = nullptr;
    SchedulePage* m_schedulePage = nullptr;
    PayerPage* m_payerPage = nullptr;
    SettingsPage* m_settingsPage = nullptr;
    OverduePage* m_overduePage = nullptr;
    QPointer<QWidget> m_hintWindow;
};
