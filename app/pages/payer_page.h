#pragma once

#include "common/clock.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class BoundGrid;
class Database;
class QFrame;
class QPushButton;
class UserPrompts;
class WorkTableModel;

// The second page of the main window, 入金先保守: the payer master's editing copy w入金先マスタ in the
// grid Grid入金先マスタ (its source dat入金先マスタ) and the page's buttons. A failing operation tells
// the user and leaves the master as it was.
class PayerPage : public QWidget
{
    Q_OBJECT
public:
    // What the page needs from the window: the open database and the prompts.
    struct Source
    {
        std::function<Database*()> database;
        std::shared_ptr<UserPrompts> prompts;
        // The months 予定作成 offers start from today's.
        Clock clock;
        // Asked before plans are stored: the displayed month's unsaved edits are saved or given up.
        std::function<bool()> confirmLeavingMonth;
    };

    explicit PayerPage(Source source, QWidget* parent = nullptr);

    // Binds the grid to the work file (at load, and again after the files were replaced); releaseData
    // lets go of the file before it closes.
    void bindData();
    void releaseData();
    // The page was brought to the front: the first time, it shows the master, so that nobody takes an
    // empty page for an empty master. Later visits keep the page as the user left it: it may hold
    // unsaved edits.
    void pageOpened();

    // The buttons' work: read the master into the page, store the page, empty the page.
    void readPayers();
    // A payer renamed on the page is asked about: whether its stored rows take the new name too.
    void savePayers();
    // 予定作成: the dialog of the fixed monthly plans.
    void planReceipts();
    void clearPayers();
    // These two ask first and do nothing unless answered Yes.
    void deleteAllPayers();
    void deleteTickedPayers();

signals:
    // The stored master changed: the schedule's drop-down follows it.
    void payersChanged();
    // A save renamed a payer's stored rows and the displayed month's draft rows.
    void payerRowsRenamed();
    // Planned rows were stored.
    void rowsPlanned();
    void hintRequested(const QString& buttonName);

private:
    void buildLayout();
    void connectControls();
    UserPrompts& prompts() const { return *m_source.prompts; }
    Database& db() const { return *m_source.database(); }

    Source m_source;
    bool m_opened = false;

    QFrame* payerFrame = nullptr; // object name imContainer3D3
    BoundGrid* Grid入金先マスタ = nullptr;
    QFrame* payerButtons = nullptr; // object name imContainer3D4
    QPushButton* cmd支払先削除 = nullptr;
    QPushButton* cmd支払先クリア = nullptr;
    QPushButton* cmd支払先登録 = nullptr;
    QPushButton* cmd支払先行削除 = nullptr;
    QPushButton* cmd支払先読込 = nullptr;
    QPushButton* cmdHint1 = nullptr;
    QPushButton* cmd予定作成 = nullptr;
    WorkTableModel* dat入金先マスタ = nullptr;
};
