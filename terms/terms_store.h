#pragma once

#include "common/money.h"
#include "storage/database.h"
#include "terms/bank_calendar.h"
#include "terms/payment_terms.h"
#include "terms/recurring_rows.h"

#include <QDate>
#include <QSet>
#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

class RowSet;

// The terms as the data file keeps them: the terms columns of 入金先マスタ, the company bank's closing
// days 銀行休業日 and the record of made plans 定額予定記録, and the rows the terms add to 入金予定表.
// Every operation that writes is one transaction; a failure throws (StorageError, TermsInputError,
// schedule::AmountOutOfRange) with nothing stored.
namespace terms {

// Input that cannot be stored or computed (a payer without terms, a month range, a full month), worded
// for the user; nothing was stored.
class TermsInputError : public std::runtime_error
{
public:
    explicit TermsInputError(const QString& message);
    const QString& userMessage() const { return m_userMessage; }

private:
    QString m_userMessage;
};

// The stored form of a term day: 1-28, and 99 for 末.
inline constexpr int kStoredMonthEnd = 99;
Value storedTermDay(const std::optional<TermDay>& day);
std::optional<TermDay> termDayOfStored(const Value& value);

// The terms columns of 入金先マスタ in this order, for statements, and the values of terms in the same
// order, ready to bind.
inline constexpr const char* kTermsColumns = "締め日, 支払月, 支払日, 休日, 定額, 定額開始, 定額終了";
Params storedTermsValues(const PaymentTerms& terms);
// The terms of the row a set stands on (any set holding the terms columns by name). A stored value
// out of its range reads as not set, as the payer page would have refused it.
PaymentTerms termsOfStoredRow(const RowSet& row);

// Every payer of the master with its terms, in name order.
std::vector<PayerTerms> readPayerTerms(Database& db);
// The terms of one payer; nothing when the master has no such name.
std::optional<PaymentTerms> readTermsOf(Database& db, const QString& payer);

// The company bank's closing days in date order, and the calendar they make with the rules.
std::vector<QDate> readClosingDays(Database& db);
BankCalendar readBankCalendar(Database& db);
// Adds a closing day (one already listed adds nothing); a date outside 1900-2099 is refused.
void addClosingDay(Database& db, const QDate& day);
void removeClosingDay(Database& db, const QDate& day);

// The due date of an invoice of that date to the payer, by its terms and the bank calendar of the
// file. Refused when the payer is unknown or has no due-date terms.
QDate dueDateFor(Database& db, const QString& payer, const QDate& invoiceDate);

// The recurring rows of the months from..to that are not made yet, in date order. A range reaching
// outside 1900-2099, or ending before it starts, is refused.
QSet<PlanKey> readMadePlans(Database& db);
std::vector<PlannedRow> planReceipts(Database& db, YearMonth from, YearMonth to);

// Stores the rows in their months, records each row's plan key, and recomputes the balances from the
// earliest row's date: one transaction. A key already recorded is passed over. Returns the rows
// stored. A month that would pass the grid's 200 rows is refused, naming it.
int storePlannedRows(Database& db, const std::vector<PlannedRow>& rows);

// Stores one planned row in its month, after the month's rows, and recomputes the balances from its
// date: one transaction. Returns the row's 行番号.
int storeReceiptRow(Database& db, const QDate& date, const QString& payer, Money amount);

} // namespace terms
