#pragma once

#include <QGroupBox>

#include <functional>
#include <memory>

class Database;
class QPushButton;
class QTableWidget;
class UserPrompts;

// The bank names 入金消込 learned for the payers (lst照合名), deletable one at a time (cmd照合名削除) after
// a question: a deletion is stored at once, and the list then shows what is stored.
class LearnedNamesPanel : public QGroupBox
{
    Q_OBJECT
public:
    LearnedNamesPanel(std::function<Database*()> database, std::shared_ptr<UserPrompts> prompts,
                      QWidget* parent = nullptr);

    // Reads the list from the store; a failure is told and the list stays as it was.
    void refresh();
    // Asks, then deletes the name of the selected line.
    void deleteSelectedName();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<Database*()> m_database;
    std::shared_ptr<UserPrompts> m_prompts;
    QTableWidget* lst照合名 = nullptr;
    QPushButton* cmd照合名削除 = nullptr;
};
