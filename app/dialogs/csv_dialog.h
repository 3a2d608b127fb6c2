#pragma once

#include "common/clock.h"
#include "csv/csv_export.h"

#include <QDate>
#include <QDialog>
#include <QString>

#include <optional>

class UserPrompts;
class MonthEdit;
class QComboBox;
class QRadioButton;

// The small dialog before a CSV export or import: the months to write (export of the schedule only) and
// the encoding. A list export (the open-receipts page's) writes what its page shows: no months to choose.
// Its OK button asks for the file (through the prompts: Qt's own file dialog, the same on every desktop) and
// closes the dialog accepted once one is chosen; cancelling the file dialog closes it rejected.
class CsvDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Export, Import, ListExport };
    enum class Range { All, Months, DisplayedMonth };
    // Messages about the dialog's fields and the file dialog go through `prompts`; the months offered
    // at first run from January to this month by `clock`.
    CsvDialog(Mode mode, UserPrompts& prompts, Clock clock, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    // The month the schedule page shows; an invalid date offers no "displayed month" choice.
    void setDisplayedMonth(const QDate& month);
    // One of the two month formats (common/dates.h), as the schedule page shows months.
    void setMonthFormat(const QString& format);
    // The file name a list export starts from, in the home folder.
    void setListFileName(const QString& name) { m_listFileName = name; }

    Range range() const;
    void setRange(Range range);
    // The months of the export as chosen.
    csv::ExportRange exportRange() const;
    void setMonths(const QDate& from, const QDate& to);
    // Nothing for automatic detection (import only).
    std::optional<csv::CsvEncoding> encoding() const;
    void setEncoding(std::optional<csv::CsvEncoding> encoding);
    // The file chosen by the last accepted run.
    const QString& fileName() const { return m_fileName; }

    void accept() override;

private:
    void updateMonthFields();
    QString suggestedName() const;

    Mode m_mode;
    UserPrompts& m_prompts;
    QDate m_displayedMonth;
    QString m_fileName;
    QString m_listFileName;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_months = nullptr;
    QRadioButton* m_displayed = nullptr;
    MonthEdit* m_from = nullptr;
    MonthEdit* m_to = nullptr;
    QComboBox* m_encoding = nullptr;
};

// Writes an export's bytes to the file, whole or not at all, and tells the user how many rows went
// into it or why nothing could be written.
bool saveExportedCsv(UserPrompts& prompts, const QString& path, const csv::ExportResult& result);
