#pragma once

#include "common/clock.h"
#include "common/money.h"

#include <QDate>
#include <QDialog>
#include <QString>

class Database;
class DateEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// 請求登録: a payer, the invoice's date and amount; shows the due date the payer's terms give, and is
// accepted only when there is one and the amount reads. Where the row goes is the caller's.
class InvoiceDialog : public QDialog
{
    Q_OBJECT
public:
    InvoiceDialog(Database& db, const Clock& clock, QWidget* parent = nullptr);

    struct Entry
    {
        QString payer;
        QDate invoiceDate;
        QDate dueDate;
        Money amount;
    };
    // What the user accepted (valid after exec() returned Accepted).
    const Entry& entry() const { return m_entry; }

private:
    // Works the due date out again after any field changed, and says why there is none.
    void showDueDate();

    Database& m_db;
    Entry m_entry;
    QString m_readFailure; // why the payers could not be read, shown in place of the due date

    QComboBox* cbo請求入金先 = nullptr;
    DateEdit* txt請求日 = nullptr;
    QLineEdit* txt請求額 = nullptr;
    QLabel* lbl支払期日 = nullptr;
    QPushButton* cmd請求追加 = nullptr;
    QPushButton* cmd請求取消 = nullptr;
};
