#pragma once

#include "common/clock.h"
#include "terms/recurring_rows.h"

#include <QDialog>

#include <vector>

class Database;
class MonthEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class UserPrompts;

// 予定作成: the months to plan, the rows the fixed monthly amounts would make in them (each with a
// tick, all ticked to start with) and the button that stores the ticked ones. Nothing is stored before
// 登録; a row left unticked is not recorded as made, so a later run offers it again.
class PlanDialog : public QDialog
{
    Q_OBJECT
public:
    PlanDialog(Database& db, UserPrompts& prompts, const Clock& clock, QWidget* parent = nullptr);

    // Lists the rows of the months in the fields (cmd予定表示).
    void listRows();
    // Stores the ticked rows in one transaction with the balance pass, says how many, and closes the
    // dialog; a failure is told and the dialog stays. The number stored, or nothing when it failed.
    void storeTicked();
    int storedRows() const { return m_stored; }

private:
    Database& m_db;
    UserPrompts& m_prompts;
    std::vector<terms::PlannedRow> m_rows;
    int m_stored = 0;

    MonthEdit* dtp予定開始 = nullptr;
    MonthEdit* dtp予定終了 = nullptr;
    QPushButton* cmd予定表示 = nullptr;
    QTableWidget* Grid予定作成 = nullptr;
    QLabel* lbl予定件数 = nullptr;
    QPushButton* cmd予定登録 = nullptr;
    QPushButton* cmd予定取消 = nullptr;
};
