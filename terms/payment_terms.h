#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>

#include <optional>

// A payer's terms of payment as the payer master keeps them, and the text form of each field as the
// payer page and the CSV show it. Every field may be empty; terms with every field empty mean the payer
// has none.
namespace terms {

// A day of the month in terms: 1 to 28, which every month has, or the month's last day (末).
struct TermDay
{
    static constexpr int kMonthEnd = 0;
    int day = kMonthEnd;

    static constexpr TermDay monthEnd() { return TermDay{kMonthEnd}; }
    bool isMonthEnd() const { return day == kMonthEnd; }
    // The day in the given month; 末, or a day the month lacks, is the month's last day.
    QDate in(int year, int month) const;
    friend bool operator==(TermDay, TermDay) = default;
};

// A calendar month, the unit of the fixed-amount plans.
struct YearMonth
{
    int year = 0;
    int month = 0; // 1-12

    static YearMonth of(const QDate& date) { return {date.year(), date.month()}; }
    // Months counted from year 0, so that ranges and distances are plain integers.
    int index() const { return year * 12 + month - 1; }
    static YearMonth fromIndex(int index) { return {index / 12, index % 12 + 1}; }
    YearMonth plusMonths(int count) const { return fromIndex(index() + count); }
    QDate firstDay() const { return QDate(year, month, 1); }
    friend bool operator==(YearMonth, YearMonth) = default;
    friend auto operator<=>(YearMonth a, YearMonth b) { return a.index() <=> b.index(); }
};

// What the due date does when it falls on a day the banks are closed.
enum class HolidayShift {
    Before, // 前: the previous bank business day
    After,  // 後: the next bank business day
    Keep,   // なし: the date as it is
};

// 支払月 runs from 0 (当月) to this many months after the closing.
inline constexpr int kMaxPaymentMonths = 6;

struct PaymentTerms
{
    std::optional<TermDay> 締め日;
    std::optional<int> 支払月;
    std::optional<TermDay> 支払日;
    // Empty counts as なし: a date nobody asked to move stays where the terms put it.
    std::optional<HolidayShift> 休日;
    std::optional<Money> 定額;
    std::optional<YearMonth> 定額開始;
    std::optional<YearMonth> 定額終了;

    bool isEmpty() const;
    // 締め日, 支払月 and 支払日 are set: invoices get a due date.
    bool hasDueDateRule() const { return 締め日 && 支払月 && 支払日; }
    HolidayShift holidayShift() const { return 休日.value_or(HolidayShift::Keep); }
    // The fixed amount applies in the month: 定額 is set and the month lies within 定額開始..定額終了,
    // an empty bound being open.
    bool fixedAmountInForce(YearMonth month) const;
    friend bool operator==(const PaymentTerms&, const PaymentTerms&) = default;
};

// The result of reading one field: the value (empty for an empty text) or the reason it was refused.
template <typename T> struct FieldParse
{
    std::optional<T> value;
    QString error; // empty when the text was accepted

    bool ok() const { return error.isEmpty(); }
};

// Readers of the field texts. Blanks around the text are ignored and full-width digits count as ASCII,
// as a Japanese keyboard types them; an empty text is an empty field.
FieldParse<TermDay> parse締め日(const QString& text);     // 末, 1-28
FieldParse<int> parse支払月(const QString& text);         // 0-6
FieldParse<TermDay> parse支払日(const QString& text);     // 末, 1-28
FieldParse<HolidayShift> parse休日(const QString& text);  // 前, 後, なし
FieldParse<Money> parse定額(const QString& text);         // an amount as the amount fields take it
FieldParse<YearMonth> parse定額開始(const QString& text); // yyyy/mm (yyyy/m and yyyy-mm accepted)
FieldParse<YearMonth> parse定額終了(const QString& text);

// The text forms the readers accept back; an empty field gives an empty text. The amount has its own
// forms (formatAmount on the page, plainAmountText in the CSV).
QString formatTermDay(const std::optional<TermDay>& day); // 末, 1-28
QString format支払月(const std::optional<int>& months);   // 0-6
QString format休日(const std::optional<HolidayShift>& shift);
QString formatYearMonth(const std::optional<YearMonth>& month); // yyyy/mm

// Checks the terms as a whole; the first fault found as a message for the user, or an empty text when
// the terms can be stored. Applies to values however they were made, so it repeats the ranges of the
// field readers.
QString validateTerms(const PaymentTerms& terms);

} // namespace terms
