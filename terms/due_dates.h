#pragma once

#include "terms/bank_calendar.h"
#include "terms/payment_terms.h"

#include <QDate>

#include <optional>

// When a payer pays an invoice: the invoice is closed on the first closing day on or after its date,
// and paid on the paying day of the month 支払月 months after the closing's month, moved off a day the
// banks are closed as 休日 says.
namespace terms {

// The first 締め日 on or after the invoice date (末: the month's last day).
QDate closingDate(const QDate& invoiceDate, TermDay 締め日);

// The due date of an invoice of that date; nullopt when the terms give none (締め日, 支払月 or 支払日
// missing) or the date is not valid. Terms are taken as validateTerms accepts them.
std::optional<QDate> dueDate(const QDate& invoiceDate, const PaymentTerms& terms,
                             const BankCalendar& calendar);

} // namespace terms
