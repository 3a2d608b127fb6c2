#pragma once

#include <QByteArray>
#include <QDialog>
#include <QStringList>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
namespace bank {
struct BankCsvMapping;
}

// The columns of a bank's CSV, chosen once per layout: the first lines of the file as a sample
// (Grid様式見本), which column holds the date, the name and the deposit amount, whether the first line is a
// header, the encoding and a name for the account. The caller keeps the mapping under the layout's key.
class BankCsvDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BankCsvDialog(const QByteArray& bytes, QWidget* parent = nullptr);

    bank::BankCsvMapping mapping() const;
    // Shows a mapping chosen before, for the user to correct.
    void showMapping(const bank::BankCsvMapping& mapping);

private:
    std::vector<QStringList> m_lines; // the first records, decoded for the sample
    QLabel* m_intro = nullptr;
    QTableWidget* Grid様式見本 = nullptr;
    QComboBox* cmb日付列 = nullptr;
    QComboBox* cmb名前列 = nullptr;
    QComboBox* cmb金額列 = nullptr;
    QCheckBox* chk見出し = nullptr;
    QComboBox* cmb文字コード = nullptr;
    QLineEdit* txt口座 = nullptr;
    QPushButton* cmd様式OK = nullptr;
    QPushButton* cmd様式取消 = nullptr;
};
