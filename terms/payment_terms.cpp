#include "terms/payment_terms.h"

#include "common/dates.h"
#include "common/full_width.h"

#include <QRegularExpression>

namespace terms {

namespace {

constexpr int kLastTermDay = 28;

QString folded(const QString& text)
{
    return foldFullWidth(text).trimmed();
}

bool isTermDayInRange(TermDay day)
{
    return day.isMonthEnd() || (day.day >= 1 && day.day <= kLastTermDay);
}

bool isKeptMonth(YearMonth month)
{
    return month.month >= 1 && month.month <= 12 && month.year >= kFirstKeptDate.year() &&
           month.year <= kLastKeptDate.year();
}

// Days in a month compare with 末 after every numbered day.
int dayOrder(TermDay day)
{
    return day.isMonthEnd() ? 99 : day.day;
}

FieldParse<TermDay> parseTermDay(const QString& text, const QString& refusal)
{
    const QString value = folded(text);
    if (value.isEmpty())
        return {};
    if (value == QStringLiteral("末"))
        return {TermDay::monthEnd(), {}};
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,2}$"));
    if (digits.match(value).hasMatch()) {
        const int day = value.toInt();
        if (day >= 1 && day <= kLastTermDay)
            return {TermDay{day}, {}};
    }
    return {std::nullopt, refusal};
}

FieldParse<YearMonth> parseYearMonth(const QString& text, const QString& field)
{
    const QString value = folded(text);
    if (value.isEmpty())
        return {};
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})[/-]([0-9]{1,2})$"));
    const auto match = form.match(value);
    if (match.hasMatch()) {
        const YearMonth month{match.captured(1).toInt(), match.captured(2).toInt()};
        if (isKeptMonth(month))
            return {month, {}};
    }
    return {std::nullopt,
            field + QStringLiteral("は 1900/01〜2099/12 の年月を yyyy/mm の形（例 2025/04）で入力"
                                   "してください。")};
}

const QString k締め日Refusal = QStringLiteral("締め日は 1〜28 または「末」で入力してください。");
const QString k支払日Refusal = QStringLiteral("支払日は 1〜28 または「末」で入力してください。");
const QString k支払月Refusal =
    QStringLiteral("支払月は 0（当月）〜6 の月数で入力してください（1 は翌月、2 は翌々月）。");
const QString k定額Refusal = QStringLiteral("定額は 0 より大きい金額で入力してください。");

} // namespace

QDate TermDay::in(int year, int month) const
{
    const QDate first(year, month, 1);
    if (isMonthEnd() || day > first.daysInMonth())
        return QDate(year, month, first.daysInMonth());
    return QDate(year, month, day);
}

bool PaymentTerms::isEmpty() const
{
    return *this == PaymentTerms{};
}

bool PaymentTerms::fixedAmountInForce(YearMonth month) const
{
    return 定額 && (!定額開始 || *定額開始 <= month) && (!定額終了 || month <= *定額終了);
}

FieldParse<TermDay> parse締め日(const QString& text)
{
    return parseTermDay(text, k締め日Refusal);
}

FieldParse<TermDay> parse支払日(const QString& text)
{
    return parseTermDay(text, k支払日Refusal);
}

FieldParse<int> parse支払月(const QString& text)
{
    const QString value = folded(text);
    if (value.isEmpty())
        return {};
    // The words say the same as the counts and are what people write on an invoice.
    if (value == QStringLiteral("当月"))
        return {0, {}};
    if (value == QStringLiteral("翌月"))
        return {1, {}};
    if (value == QStringLiteral("翌々月"))
        return {2, {}};
    static const QRegularExpression digit(QStringLiteral("^[0-9]$"));
    if (digit.match(value).hasMatch() && value.toInt() <= kMaxPaymentMonths)
        return {value.toInt(), {}};
    return {std::nullopt, k支払月Refusal};
}

FieldParse<HolidayShift> parse休日(const QString& text)
{
    const QString value = folded(text);
    if (value.isEmpty())
        return {};
    if (value == QStringLiteral("前"))
        return {HolidayShift::Before, {}};
    if (value == QStringLiteral("後"))
        return {HolidayShift::After, {}};
    if (value == QStringLiteral("なし"))
        return {HolidayShift::Keep, {}};
    return {std::nullopt,
            QStringLiteral("休日は「前」（前の営業日）、「後」（次の営業日）、「なし」のいずれかで"
                           "入力してください。")};
}

FieldParse<Money> parse定額(const QString& text)
{
    const ParsedAmount parsed = parseAmount(text);
    switch (parsed.status) {
    case AmountParse::Empty:
        return {};
    case AmountParse::Ok:
        if (parsed.amount > Money())
            return {parsed.amount, {}};
        return {std::nullopt, k定額Refusal};
    case AmountParse::OutOfRange:
        return {std::nullopt, QStringLiteral("定額が大きすぎます。")};
    case AmountParse::NotNumber:
        break;
    }
    return {std::nullopt, k定額Refusal};
}

FieldParse<YearMonth> parse定額開始(const QString& text)
{
    return parseYearMonth(text, QStringLiteral("定額開始"));
}

FieldParse<YearMonth> parse定額終了(const QString& text)
{
    return parseYearMonth(text, QStringLiteral("定額終了"));
}

QString formatTermDay(const std::optional<TermDay>& day)
{
    if (!day)
        return {};
    return day->isMonthEnd() ? QStringLiteral("末") : QString::number(day->day);
}

QString format支払月(const std::optional<int>& months)
{
    return months ? QString::number(*months) : QString();
}

QString format休日(const std::optional<HolidayShift>& shift)
{
    if (!shift)
        return {};
    switch (*shift) {
    case HolidayShift::Before:
        return QStringLiteral("前");
    case HolidayShift::After:
        return QStringLiteral("後");
    case HolidayShift::Keep:
        break;
    }
    return QStringLiteral("なし");
}

QString formatYearMonth(const std::optional<YearMonth>& month)
{
    if (!month)
        return {};
    return QStringLiteral("%1/%2")
        .arg(month->year, 4, 10, QLatin1Char('0'))
        .arg(month->month, 2, 10, QLatin1Char('0'));
}

QString validateTerms(const PaymentTerms& terms)
{
    if (terms.締め日 && !isTermDayInRange(*terms.締め日))
        return k締め日Refusal;
    if (terms.支払日 && !isTermDayInRange(*terms.支払日))
        return k支払日Refusal;
    if (terms.支払月 && (*terms.支払月 < 0 || *terms.支払月 > kMaxPaymentMonths))
        return k支払月Refusal;
    if (terms.定額 && *terms.定額 <= Money())
        return k定額Refusal;
    for (const auto& [month, field] : {std::pair{terms.定額開始, QStringLiteral("定額開始")},
                                       std::pair{terms.定額終了, QStringLiteral("定額終了")}}) {
        if (month && !isKeptMonth(*month))
            return field + QStringLiteral("は 1900/01〜2099/12 の年月で入力してください。");
    }

    // A due date needs all three of closing day, months and paying day; one without the others is a
    // half-typed rule that would silently give no date.
    if (!terms.締め日 && (terms.支払日 || terms.支払月))
        return terms.支払日 ? QStringLiteral("支払日を入力するときは締め日も入力してください。")
                            : QStringLiteral("支払月を入力するときは締め日も入力してください。");
    if (terms.締め日 && !terms.支払月)
        return QStringLiteral("締め日を入力するときは支払月も入力してください（当月払いは 0）。");
    if (terms.締め日 && !terms.支払日)
        return QStringLiteral("締め日を入力するときは支払日も入力してください。");
    // Paid in the closing's own month, a paying day before the closing day would fall before the
    // invoices it pays were even closed.
    if (terms.hasDueDateRule() && *terms.支払月 == 0 && dayOrder(*terms.支払日) < dayOrder(*terms.締め日))
        return QStringLiteral(
            "当月払い（支払月 0）のときは、支払日を締め日と同じ日かそれより後にしてください。");

    if (!terms.定額 && (terms.定額開始 || terms.定額終了))
        return QStringLiteral("定額開始・定額終了は定額を入力したときだけ入力できます。");
    if (terms.定額開始 && terms.定額終了 && *terms.定額終了 < *terms.定額開始)
        return QStringLiteral("定額開始が定額終了より後になっています。");
    return {};
}

} // namespace terms
