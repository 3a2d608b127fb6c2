#include "terms/due_dates.h"

namespace terms {

QDate closingDate(const QDate& invoiceDate, TermDay 締め日)
{
    const QDate sameMonth = 締め日.in(invoiceDate.year(), invoiceDate.month());
    if (sameMonth >= invoiceDate)
        return sameMonth;
    const QDate next = invoiceDate.addMonths(1);
    return 締め日.in(next.year(), next.month());
}

std::optional<QDate> dueDate(const QDate& invoiceDate, const PaymentTerms& terms,
                             const BankCalendar& calendar)
{
    if (!invoiceDate.isValid() || !terms.hasDueDateRule())
        return std::nullopt;
    const YearMonth paidIn = YearMonth::of(closingDate(invoiceDate, *terms.締め日)).plusMonths(*terms.支払月);
    return calendar.shifted(terms.支払日->in(paidIn.year, paidIn.month), terms.holidayShift());
}

} // namespace terms
