#pragma once

#include "common/clock.h"
#include "report/overdue_report.h"
#include "schedule/overdue.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AmountField;
class CsvDialog;
class Database;
class OpenRowsModel;
class OutlookChart;
class PayerTotalsModel;
class QComboBox;
class DateEdit;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class UserPrompts;

// Page未入金, the fourth page of the main window: every stored row with an open amount up to a date
// (Grid未入金), the same by payer (Grid入金先別), their count and sum, and the twelve-month outlook
// (Chart見通し). It reads only stored rows; the window tells it when they changed. Until the user
// chooses a date of their own the date is today, which the page follows past midnight by itself.
class OverduePage : public QWidget
{
    Q_OBJECT
public:
    // Where the page reads from: the open database (nothing once the window has unloaded), the era
    // value and the ruled-line colour of the settings in effect; and the window's prompts, through
    // which it tells failures and shows the print preview; the clock whose date is today (the
    // system's when none is given).
    struct Source
    {
        std::function<Database*()> database;
        std::function<QString()> eraValue;
        std::function<std::int64_t()> lineColor;
        std::shared_ptr<UserPrompts> prompts;
        Clock clock;
        // 入金消込 is about to change stored rows of these dates: false stops it (the displayed month's
        // unsaved edits are settled here, as leaving the month settles them).
        std::function<bool(const std::vector<QDate>&)> confirmChangingDates;
    };
    inline static const QString kAllPayers = QStringLiteral("（すべて）");

    explicit OverduePage(Source source, QWidget* parent = nullptr);

    // Re-reads the list, the payer filter and the outlook for the date in the field, or for today while
    // the user has not chosen a date. False when the store could not be read: the message has been
    // shown and the page shows what it showed before.
    bool refresh();
    // Today by the page's clock: the day the notice of what is past due counts from.
    QDate today() const;
    // What the last refresh found dated before today, when its date reached at least yesterday (the
    // notice on the schedule page reads it instead of walking the rows again).
    const std::optional<schedule::OpenTotals>& pastDue() const { return m_pastDue; }
    // The date the page lists up to: the field's, or the last valid one while the field has none.
    QDate date() const { return m_date; }
    // The payer the list shows; empty for all.
    const QString& payerFilter() const { return m_payer; }
    // cmd未入金印刷: the list as shown, through the print preview.
    void print();
    // cmd未入金CSV: the list as shown, with the page's columns, to a CSV file of the schedule's form.
    void exportCsv();
    // cmd入金消込: the bank's file matched to the open rows, reviewed and stored.
    void matchBankFile();
    // The dialog of the CSV export, which keeps the last encoding chosen.
    CsvDialog* csvDialog() const { return m_csvDialog; }

signals:
    // A line of Grid未入金 was opened (double click or Enter): the stored row of that date and 行番号.
    void storedRowRequested(const QDate& date, int rowNumber);
    // Midnight passed and the page has been read again for the new day.
    void dayTurned();
    // 入金消込 stored the 入金額 of rows of these dates (and rows it added).
    void depositsApplied(const std::vector<QDate>& dates);
    void hintRequested(const QString& buttonName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The page's controls, found by their object names from outside.
    DateEdit* Dt基準日 = nullptr;
    QComboBox* cmb入金先絞込 = nullptr;
    QTableView* Grid未入金 = nullptr;
    QTableView* Grid入金先別 = nullptr;
    AmountField* num未入金件数 = nullptr;
    AmountField* num未入金合計 = nullptr;
    QPushButton* cmd未入金印刷 = nullptr;
    QPushButton* cmd未入金CSV = nullptr;
    QPushButton* cmd入金消込 = nullptr;
    QPushButton* cmdHint3 = nullptr;
    OutlookChart* Chart見通し = nullptr;
    OpenRowsModel* openRows = nullptr;
    PayerTotalsModel* payerTotals = nullptr;

    void buildLayout();
    void fitPayerTotals();
    void dateEdited();
    QDateTime now() const;
    // Arms the timer for the next midnight by the page's clock.
    void watchMidnight();
    void midnightPassed();
    void payerChosen();
    // The payer chosen in the box, which the list follows once it has been read.
    QString chosenPayer() const;
    void showPayers(const QStringList& payers, const QString& chosen);

    Source m_source;
    QDate m_date;
    bool m_ownDate = false; // the user chose the date; otherwise it is today at every refresh
    QDate m_readOn;         // today when the page was last read
    QTimer* m_midnight = nullptr;
    QString m_payer;      // the payer the list shows
    QStringList m_payers; // the box's entries after "（すべて）"
    QString m_format;     // the month format the dates are shown in
    std::optional<schedule::OpenTotals> m_pastDue;
    QHBoxLayout* m_buttons = nullptr;
    CsvDialog* m_csvDialog = nullptr;
    bool m_refreshing = false;
};
