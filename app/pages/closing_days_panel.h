#pragma once

#include "common/clock.h"

#include <QWidget>

#include <functional>
#include <memory>

class Database;
class DateEdit;
class QListWidget;
class QPushButton;
class UserPrompts;

// The company bank's own closing days (銀行休業日) on the settings page: days the bank is closed beyond
// the weekends, the national holidays and the banks' year-end days, which due dates and plans move off
// as they move off those. Each add and delete is stored at once.
class ClosingDaysPanel : public QWidget
{
    Q_OBJECT
public:
    struct Source
    {
        std::function<Database*()> database;
        std::shared_ptr<UserPrompts> prompts;
        Clock clock; // today: where the date field starts
    };
    explicit ClosingDaysPanel(Source source, QWidget* parent = nullptr);

    // Reads the stored days into the list.
    void refresh();
    // The buttons' work: the day in the field added, the selected day removed.
    void addDay();
    void removeDay();

protected:
    // The list is read whenever the page is shown: another window may not change it, but the data
    // files may have been replaced since.
    void showEvent(QShowEvent* event) override;

private:
    Source m_source;
    QListWidget* lst銀行休業日 = nullptr;
    DateEdit* txt銀行休業日 = nullptr;
    QPushButton* cmd休業日追加 = nullptr;
    QPushButton* cmd休業日削除 = nullptr;
};
