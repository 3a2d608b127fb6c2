#include "terms/terms_store.h"

#include "common/dates.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/rowset.h"
#include "storage/transaction.h"
#include "terms/due_dates.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace terms {

namespace {

QString storedMonth(YearMonth month)
{
    return QStringLiteral("%1-%2")
        .arg(month.year, 4, 10, QLatin1Char('0'))
        .arg(month.month, 2, 10, QLatin1Char('0'));
}

Params monthBounds(YearMonth month)
{
    return {Value(month.firstDay()), Value(month.plusMonths(1).firstDay().addDays(-1))};
}

bool isKeptMonth(YearMonth month)
{
    return month.month >= 1 && month.month <= 12 && month.firstDay() >= kFirstKeptDate &&
           month.firstDay() <= kLastKeptDate;
}

// The rows of a month and the 行番号 the next row takes. Numbers past the grid's 200 are closed up
// first (a month the hidden-rows rule of the save left numbered beyond it), so that a new row shows.
struct MonthRows
{
    int count = 0;
    int next = 1;
};
MonthRows monthRows(Database& db, YearMonth month)
{
    const Params bounds = monthBounds(month);
    MonthRows rows;
    rows.count = int(db.readFirst("select count(*) from 入金予定表 where 日付 >= ? and 日付 <= ?", bounds)
                         .toInt64()
                         .value_or(0));
    rows.next = int(db.readFirst("select max(行番号) from 入金予定表 where 日付 >= ? and 日付 <= ?", bounds)
                        .toInt64()
                        .value_or(0)) +
                1;
    if (rows.next > schedule::kWorkRowCount && rows.count < schedule::kWorkRowCount) {
        RowSet ids = db.openRowSet(
            "select rowid from 入金予定表 where 日付 >= ? and 日付 <= ? order by 日付, 行番号", bounds);
        int number = 0;
        for (ids.moveFirst(); !ids.atEnd(); ids.moveNext())
            db.execute("update 入金予定表 set 行番号 = ? where rowid = ?",
                       {Value(++number), ids.get("rowid")});
        rows.next = number + 1;
    }
    return rows;
}

QString fullMonthMessage(YearMonth month)
{
    return QStringLiteral("%1年%2月は %3 行を超えるため、入金予定を追加できません。")
        .arg(month.year)
        .arg(month.month)
        .arg(schedule::kWorkRowCount);
}

void insertRow(Database& db, const QDate& date, int rowNumber, const QString& payer, Money amount)
{
    // No received amount yet, as an imported line without one; the balance pass that follows writes it.
    db.execute(
        "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) values (?, ?, ?, ?, ?, ?)",
        {Value(date), Value(rowNumber), Value(payer), Value(amount), Value(), Value()});
}

} // namespace

TermsInputError::TermsInputError(const QString& message)
    : std::runtime_error(message.toStdString()), m_userMessage(message)
{
}

Value storedTermDay(const std::optional<TermDay>& day)
{
    if (!day)
        return Value();
    return Value(day->isMonthEnd() ? kStoredMonthEnd : day->day);
}

std::optional<TermDay> termDayOfStored(const Value& value)
{
    const std::optional<std::int64_t> day = value.toInt64();
    if (!day)
        return std::nullopt;
    if (*day == kStoredMonthEnd)
        return TermDay::monthEnd();
    if (*day >= 1 && *day <= 28)
        return TermDay{int(*day)};
    return std::nullopt;
}

Params storedTermsValues(const PaymentTerms& terms)
{
    return {storedTermDay(terms.締め日),
            Value(terms.支払月),
            storedTermDay(terms.支払日),
            terms.休日 ? Value(format休日(terms.休日)) : Value(),
            Value(terms.定額),
            terms.定額開始 ? Value(storedMonth(*terms.定額開始)) : Value(),
            terms.定額終了 ? Value(storedMonth(*terms.定額終了)) : Value()};
}

PaymentTerms termsOfStoredRow(const RowSet& row)
{
    PaymentTerms terms;
    terms.締め日 = termDayOfStored(row.get(QStringLiteral("締め日")));
    if (const auto months = row.get(QStringLiteral("支払月")).toInt64();
        months && *months >= 0 && *months <= kMaxPaymentMonths)
        terms.支払月 = int(*months);
    terms.支払日 = termDayOfStored(row.get(QStringLiteral("支払日")));
    terms.休日 = parse休日(row.get(QStringLiteral("休日")).toText()).value;
    terms.定額 = row.get(QStringLiteral("定額")).toMoney();
    terms.定額開始 = parse定額開始(row.get(QStringLiteral("定額開始")).toText()).value;
    terms.定額終了 = parse定額終了(row.get(QStringLiteral("定額終了")).toText()).value;
    return terms;
}

std::vector<PayerTerms> readPayerTerms(Database& db)
{
    std::vector<PayerTerms> payers;
    RowSet rows = db.openRowSet(std::string("select 入金先名, ") + kTermsColumns +
                                " from 入金先マスタ where 入金先名 is not null order by 入金先名");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext())
        payers.push_back({rows.get(QStringLiteral("入金先名")).toText(), termsOfStoredRow(rows)});
    return payers;
}

std::optional<PaymentTerms> readTermsOf(Database& db, const QString& payer)
{
    RowSet rows = db.openRowSet(std::string("select ") + kTermsColumns +
                                    " from 入金先マスタ where 入金先名 = ? order by rowid limit 1",
                                {Value(payer)});
    if (rows.isEmpty())
        return std::nullopt;
    rows.moveFirst();
    return termsOfStoredRow(rows);
}

std::vector<QDate> readClosingDays(Database& db)
{
    std::vector<QDate> days;
    RowSet rows = db.openRowSet("select 日付 from 銀行休業日 order by 日付");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext())
        if (const std::optional<QDate> day = rows.get(QStringLiteral("日付")).toDate())
            days.push_back(*day);
    return days;
}

BankCalendar readBankCalendar(Database& db)
{
    const std::vector<QDate> days = readClosingDays(db);
    return BankCalendar(QSet<QDate>(days.begin(), days.end()));
}

void addClosingDay(Database& db, const QDate& day)
{
    if (!day.isValid() || day < kFirstKeptDate || day > kLastKeptDate)
        throw TermsInputError(
            QStringLiteral("休業日は 1900/01/01 から 2099/12/31 までの日付で入力してください。"));
    Transaction transaction(db);
    db.execute("insert or ignore into 銀行休業日 (日付) values (?)", {Value(day)});
    transaction.commit();
}

void removeClosingDay(Database& db, const QDate& day)
{
    Transaction transaction(db);
    db.execute("delete from 銀行休業日 where 日付 = ?", {Value(day)});
    transaction.commit();
}

QDate dueDateFor(Database& db, const QString& payer, const QDate& invoiceDate)
{
    const std::optional<PaymentTerms> terms = readTermsOf(db, payer);
    if (!terms)
        throw TermsInputError(QStringLiteral("入金先「%1」は入金先マスタにありません。").arg(payer));
    if (!terms->hasDueDateRule())
        throw TermsInputError(
            QStringLiteral("入金先「%1」には締め日・支払月・支払日が入力されていません。").arg(payer));
    const std::optional<QDate> due = dueDate(invoiceDate, *terms, readBankCalendar(db));
    if (!due || *due < kFirstKeptDate || *due > kLastKeptDate)
        throw TermsInputError(QStringLiteral("請求日 %1 からは支払期日を求められません。")
                                  .arg(invoiceDate.isValid() ? toSlashDate(invoiceDate) : QString()));
    return *due;
}

QSet<PlanKey> readMadePlans(Database& db)
{
    QSet<PlanKey> made;
    RowSet rows = db.openRowSet("select 入金先名, 年月 from 定額予定記録");
    for (rows.moveFirst(); !rows.atEnd(); rows.moveNext())
        if (const auto month = parse定額開始(rows.get(QStringLiteral("年月")).toText()).value)
            made.insert({rows.get(QStringLiteral("入金先名")).toText(), *month});
    return made;
}

std::vector<PlannedRow> planReceipts(Database& db, YearMonth from, YearMonth to)
{
    if (!isKeptMonth(from) || !isKeptMonth(to))
        throw TermsInputError(QStringLiteral("予定を作る月は 1900/01 から 2099/12 までで指定してください。"));
    if (to < from)
        throw TermsInputError(QStringLiteral("予定を作る期間の始めの月が終わりの月より後になっています。"));
    std::vector<PlannedRow> rows =
        recurringRows(readPayerTerms(db), from, to, readMadePlans(db), readBankCalendar(db));
    // A row moved before the 1st of 1900 or after 2099 cannot be stored; neither can be planned.
    std::erase_if(
        rows, [](const PlannedRow& row) { return row.date < kFirstKeptDate || row.date > kLastKeptDate; });
    return rows;
}

int storePlannedRows(Database& db, const std::vector<PlannedRow>& rows)
{
    if (rows.empty())
        return 0;
    return schedule::guardRange([&] {
        Transaction transaction(db);
        const QSet<PlanKey> made = readMadePlans(db);
        std::vector<const PlannedRow*> toStore;
        QSet<PlanKey> taken;
        for (const PlannedRow& row : rows) {
            if (made.contains(row.key()) || taken.contains(row.key()))
                continue;
            taken.insert(row.key());
            toStore.push_back(&row);
        }
        // Rows go into the month of their date, which a shift to an earlier business day may have moved.
        std::map<int, std::vector<const PlannedRow*>> byMonth;
        for (const PlannedRow* row : toStore)
            byMonth[YearMonth::of(row->date).index()].push_back(row);
        QDate earliest;
        for (auto& [index, monthRowsToAdd] : byMonth) {
            const YearMonth month = YearMonth::fromIndex(index);
            MonthRows stored = monthRows(db, month);
            if (stored.count + int(monthRowsToAdd.size()) > schedule::kWorkRowCount)
                throw TermsInputError(fullMonthMessage(month));
            std::stable_sort(monthRowsToAdd.begin(), monthRowsToAdd.end(),
                             [](const PlannedRow* a, const PlannedRow* b) { return a->date < b->date; });
            for (const PlannedRow* row : monthRowsToAdd) {
                insertRow(db, row->date, stored.next++, row->payer, row->amount);
                db.execute("insert into 定額予定記録 (入金先名, 年月) values (?, ?)",
                           {Value(row->payer), Value(storedMonth(row->month))});
                if (!earliest.isValid() || row->date < earliest)
                    earliest = row->date;
            }
        }
        if (earliest.isValid())
            schedule::recomputeBalances(db, earliest);
        transaction.commit();
        return int(toStore.size());
    });
}

int storeReceiptRow(Database& db, const QDate& date, const QString& payer, Money amount)
{
    if (!date.isValid() || date < kFirstKeptDate || date > kLastKeptDate)
        throw TermsInputError(outsideKeptDatesMessage(date.isValid() ? toSlashDate(date) : QString()));
    return schedule::guardRange([&] {
        Transaction transaction(db);
        const YearMonth month = YearMonth::of(date);
        MonthRows stored = monthRows(db, month);
        if (stored.count >= schedule::kWorkRowCount)
            throw TermsInputError(fullMonthMessage(month));
        insertRow(db, date, stored.next, payer, amount);
        schedule::recomputeBalances(db, date);
        transaction.commit();
        return stored.next;
    });
}

} // namespace terms
