#pragma once

#include "common/clock.h"

#include <QDate>
#include <QGroupBox>

#include <functional>
#include <memory>

class CsvDialog;
class Database;
class QPushButton;
class UserPrompts;

// The settings page's frame "データの書き出し・取り込み": cmdCSV出力 writes stored rows to a CSV file,
// cmdCSV取込 stores the rows of a CSV file and then reloads the displayed month. Both dialogs stay with
// the frame, so that they keep the last choices and tests can reach them.
class CsvExchangePanel : public QGroupBox
{
    Q_OBJECT
public:
    // What the frame needs from the window: the open database, the prompts and the clock; the settings
    // in effect; and the few operations of the schedule page that an import goes through.
    struct Source
    {
        std::function<Database*()> database;
        std::shared_ptr<UserPrompts> prompts;
        Clock clock;
        std::function<QString()> eraValue;
        std::function<bool()> autoRegistration;
        // The month the schedule page shows, which an export may be limited to.
        std::function<QDate()> displayedMonth;
        // Settles unsaved edits of that month; false when the user kept them (キャンセル).
        std::function<bool()> confirmLeavingMonth;
        // Reads the payer list again and shows the latest month that holds rows after an import.
        std::function<void()> refreshPayerList;
        std::function<void()> showLatestMonth;
    };

    CsvExchangePanel(Source source, QWidget* parent);

    CsvDialog* exportDialog() const { return m_exportDialog; }
    CsvDialog* importDialog() const { return m_importDialog; }

    // The two buttons' work.
    void exportCsv();
    void importCsv();

signals:
    // An import stored rows: what is read from them must follow.
    void rowsImported();

private:
    UserPrompts& prompts() const { return *m_source.prompts; }
    Database& db() const { return *m_source.database(); }

    Source m_source;
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_importButton = nullptr;
    CsvDialog* m_exportDialog = nullptr;
    CsvDialog* m_importDialog = nullptr;
};
