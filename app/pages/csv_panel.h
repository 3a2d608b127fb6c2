#pragma once

#include <QGroupBox>

class CsvDialog;
class UserPrompts;
class QString;
namespace csv {
struct ExportResult;
}
class FrmDorivan;
class QPushButton;

// The settings page's frame "データの書き出し・取り込み": cmdCSV出力 writes stored rows to a CSV file,
// cmdCSV取込 stores the rows of a CSV file and then reloads the displayed month. Both dialogs stay with
// the frame, so that they keep the last choices and tests can reach them.
class CsvExchangePanel : public QGroupBox
{
    Q_OBJECT
public:
    CsvExchangePanel(FrmDorivan& window, QWidget* parent);

    CsvDialog* exportDialog() const { return m_exportDialog; }
    CsvDialog* importDialog() const { return m_importDialog; }

    // The two buttons' work.
    void exportCsv();
    void importCsv();

signals:
    // An import stored rows: what is read from them must follow.
    void rowsImported();

private:
    FrmDorivan& m_window;
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_importButton = nullptr;
    CsvDialog* m_exportDialog = nullptr;
    CsvDialog* m_importDialog = nullptr;
};

// Writes an export's bytes to the file, whole or not at all, and tells the user how many rows went
// into it or why nothing could be written.
bool saveExportedCsv(UserPrompts& prompts, const QString& path, const csv::ExportResult& result);
