// The dialog of an invoice's planned receipt.
#include "app/dialogs/invoice_dialog.h"

#include "app/dialogs/failure_report.h"
#include "app/widgets/date_edit.h"
#include "app/widgets/page_controls.h"
#include "common/dates.h"
#include "terms/terms_store.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace page_controls;

InvoiceDialog::InvoiceDialog(Database& db, const Clock& clock, QWidget* parent) : QDialog(parent), m_db(db)
{
    setObjectName(QStringLiteral("frm請求登録"));
    setWindowTitle(QStringLiteral("請求登録"));
    cbo請求入金先 = named(new QComboBox(this), QStringLiteral("cbo請求入金先"));
    // The payers whose terms give a due date: another has nothing to compute from. A failed read leaves
    // the list empty, and the label says why.
    try {
        for (const terms::PayerTerms& payer : terms::readPayerTerms(db))
            if (payer.terms.hasDueDateRule())
                cbo請求入金先->addItem(payer.name);
    } catch (const std::exception& e) {
        cbo請求入金先->clear();
        m_readFailure = failureMessage(e, kStepNotCompleted);
    }
    txt請求日 = named(new DateEdit(todayBy(clock), this), QStringLiteral("txt請求日"));
    txt請求額 = named(new QLineEdit(this), QStringLiteral("txt請求額"));
    txt請求額->setAlignment(Qt::AlignRight);
    lbl支払期日 = label(QStringLiteral("lbl支払期日"), QString(), this);
    cmd請求追加 = button(QStringLiteral("cmd請求追加"), QStringLiteral("追加"), this);
    cmd請求取消 = button(QStringLiteral("cmd請求取消"), QStringLiteral("キャンセル"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("入金先"), cbo請求入金先);
    form->addRow(QStringLiteral("請求日"), txt請求日);
    form->addRow(QStringLiteral("請求額"), txt請求額);
    form->addRow(QStringLiteral("支払期日"), lbl支払期日);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd請求追加);
    buttons->addWidget(cmd請求取消);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(cbo請求入金先, &QComboBox::currentTextChanged, this, [this] { showDueDate(); });
    connect(txt請求日, &QDateEdit::dateChanged, this, [this] { showDueDate(); });
    connect(txt請求額, &QLineEdit::textChanged, this, [this] { showDueDate(); });
    connect(cmd請求追加, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd請求取消, &QPushButton::clicked, this, &QDialog::reject);
    showDueDate();
}

void InvoiceDialog::showDueDate()
{
    m_entry = Entry{cbo請求入金先->currentText(), txt請求日->date(), {}, {}};
    QString problem;
    if (!m_readFailure.isEmpty()) {
        problem = m_readFailure;
    } else if (m_entry.payer.isEmpty()) {
        problem = QStringLiteral("締め日・支払月・支払日のある入金先がありません。");
    } else {
        try {
            m_entry.dueDate = terms::dueDateFor(m_db, m_entry.payer, m_entry.invoiceDate);
        } catch (const terms::TermsInputError& e) {
            problem = e.userMessage();
        } catch (const StorageError& e) {
            problem = e.userMessage();
        }
    }
    lbl支払期日->setText(problem.isEmpty() ? toSlashDate(m_entry.dueDate) : problem);
    const ParsedAmount amount = parseAmount(txt請求額->text());
    if (amount.status == AmountParse::Ok)
        m_entry.amount = amount.amount;
    cmd請求追加->setEnabled(problem.isEmpty() && amount.status == AmountParse::Ok);
}
