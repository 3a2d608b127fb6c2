#include "schedule/overdue.h"

#include "schedule/balances.h"
#include "schedule/row_content.h"
#include "storage/database.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace schedule {

namespace {

// The open rows in SQL, the same rule as hasOpenAmount: a payer, and less received than planned with a
// missing amount as 0. Only dates up to the bound are read, so the walk runs along the (日付, 行番号)
// index and stops at the date.
const char* const kOpenRowsUpTo =
    "select 日付, 行番号, 入金先名, 予定額, 入金額 from 入金予定表 where 日付 <= ?"
    " and 入金先名 <> '' and ifnull(入金額, 0) < ifnull(予定額, 0)"
    " order by 日付, 行番号";
const char* const kOpenAmountsBefore = "select 予定額, 入金額 from 入金予定表 where 日付 < ?"
                                       " and 入金先名 <> '' and ifnull(入金額, 0) < ifnull(予定額, 0)";

// The rows of a select, read for the page. It walks thousands of rows on every refresh, so the columns
// are read straight from the engine in their stored forms (ISO date text, whole ten-thousandths),
// falling back to the general conversions only for a value stored some other way.
class Walk
{
public:
    Walk(Database& db, const std::string& sql, const Params& params) : m_rows(db, sql, params) {}

    bool next() { return m_rows.next(); }
    std::string_view text(int column) { return m_rows.text(column); }
    int number(int column) { return int(m_rows.integer(column)); }
    Money amount(int column) { return m_rows.amount(column); }
    // A date column. Rows come in date order, so most rows repeat the date of the row before.
    std::optional<QDate> date(int column)
    {
        const std::string_view stored = text(column);
        if (stored != m_lastText) {
            m_lastText.assign(stored);
            m_lastDate = parseStoredDate(stored);
        }
        return m_lastDate;
    }

private:
    static std::optional<QDate> parseStoredDate(std::string_view t)
    {
        auto digits = [&](std::size_t from, std::size_t count) {
            int n = 0;
            for (std::size_t i = from; i < from + count; ++i) {
                if (t[i] < '0' || t[i] > '9')
                    return -1;
                n = n * 10 + (t[i] - '0');
            }
            return n;
        };
        if (t.size() >= 10 && (t[4] == '-' || t[4] == '/') && t[7] == t[4]) {
            const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
            if (date.isValid())
                return date;
        }
        return Value(QString::fromUtf8(t.data(), qsizetype(t.size()))).toDate();
    }

    RowWalk m_rows;
    std::string m_lastText;
    std::optional<QDate> m_lastDate;
};

// The same few hundred payers come back thousands of times: each name is made once and shared.
class NameCache
{
public:
    QString operator()(std::string_view utf8)
    {
        auto found = m_names.find(utf8);
        if (found == m_names.end())
            found = m_names.emplace(std::string(utf8), QString::fromUtf8(utf8.data(), qsizetype(utf8.size())))
                        .first;
        return found->second;
    }

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_names;
};

QDate firstOfMonth(const QDate& day)
{
    return QDate(day.year(), day.month(), 1);
}

} // namespace

bool hasOpenAmount(const std::optional<QString>& payer, const std::optional<Money>& planned,
                   const std::optional<Money>& received)
{
    if (!hasPayer(payer))
        return false;
    return received.value_or(Money()) < planned.value_or(Money());
}

bool isOverdue(const std::optional<QDate>& date, const std::optional<QString>& payer,
               const std::optional<Money>& planned, const std::optional<Money>& received, const QDate& today)
{
    return date && date->isValid() && *date < today && hasOpenAmount(payer, planned, received);
}

std::vector<OpenRow> readOpenRows(Database& db, const QDate& upTo)
{
    std::vector<OpenRow> rows;
    if (!upTo.isValid())
        return rows;
    Walk walk(db, kOpenRowsUpTo, {Value(upTo)});
    NameCache names;
    while (walk.next()) {
        const std::optional<QDate> date = walk.date(0);
        // A date the store cannot read belongs to no month and no age; it is left out rather than
        // guessed.
        if (!date)
            continue;
        rows.push_back({*date, walk.number(1), names(walk.text(2)), walk.amount(3), walk.amount(4)});
    }
    return rows;
}

std::vector<OpenRow> rowsOfPayer(const std::vector<OpenRow>& rows, const QString& payer)
{
    if (payer.isEmpty())
        return rows;
    std::vector<OpenRow> chosen;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(chosen),
                 [&](const OpenRow& row) { return row.入金先名 == payer; });
    return chosen;
}

QStringList payersOf(const std::vector<OpenRow>& rows)
{
    QStringList names;
    QSet<QString> seen;
    for (const OpenRow& row : rows) {
        if (!seen.contains(row.入金先名)) {
            seen.insert(row.入金先名);
            names << row.入金先名;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

OpenTotals totalsOf(const std::vector<OpenRow>& rows)
{
    OpenTotals totals;
    for (const OpenRow& row : rows) {
        ++totals.件数;
        totals.合計 += row.未入金額();
    }
    return totals;
}

std::vector<PayerOpen> totalsByPayer(const std::vector<OpenRow>& rows)
{
    std::vector<PayerOpen> payers;
    QHash<QString, std::size_t> index;
    for (const OpenRow& row : rows) {
        auto found = index.constFind(row.入金先名);
        if (found == index.constEnd()) {
            found = index.insert(row.入金先名, payers.size());
            payers.push_back({row.入金先名, 0, Money(), row.日付});
        }
        PayerOpen& payer = payers[*found];
        ++payer.件数;
        payer.未入金額 += row.未入金額();
        payer.最古の日付 = std::min(payer.最古の日付, row.日付);
    }
    std::sort(payers.begin(), payers.end(), [](const PayerOpen& a, const PayerOpen& b) {
        if (a.未入金額 != b.未入金額)
            return a.未入金額 > b.未入金額;
        return a.入金先名 < b.入金先名;
    });
    return payers;
}

OpenTotals readPastDue(Database& db, const QDate& today)
{
    OpenTotals totals;
    if (!today.isValid())
        return totals;
    return guardRange([&] {
        Walk walk(db, kOpenAmountsBefore, {Value(today)});
        while (walk.next()) {
            ++totals.件数;
            totals.合計 += walk.amount(0) - walk.amount(1);
        }
        return totals;
    });
}

OpenTotals pastDueOf(const std::vector<OpenRow>& rows, const QDate& today)
{
    return guardRange([&] {
        OpenTotals totals;
        // The rows are in date order: the past-due ones are the front of the list.
        for (auto row = rows.begin(); row != rows.end() && row->日付 < today; ++row) {
            ++totals.件数;
            totals.合計 += row->未入金額();
        }
        return totals;
    });
}

std::vector<MonthOutlook> readOutlook(Database& db, const QDate& around)
{
    constexpr int kMonths = kOutlookMonthsBefore + 1 + kOutlookMonthsAfter;
    if (!around.isValid())
        return {};
    const QDate first = firstOfMonth(around).addMonths(-kOutlookMonthsBefore);
    const QDate end = first.addMonths(kMonths);

    return guardRange([&] {
        std::vector<MonthOutlook> months(kMonths);
        std::array<std::optional<Money>, kMonths> lastBalance;
        for (int i = 0; i < kMonths; ++i)
            months[std::size_t(i)].month = first.addMonths(i);
        {
            Walk walk(db,
                      "select 日付, 予定額, 入金額, 残高 from 入金予定表 where 日付 >= ? and 日付 < ?"
                      " order by 日付, 行番号",
                      {Value(first), Value(end)});
            while (walk.next()) {
                const std::optional<QDate> date = walk.date(0);
                if (!date)
                    continue;
                const int i = (date->year() - first.year()) * 12 + date->month() - first.month();
                if (i < 0 || i >= kMonths)
                    continue;
                MonthOutlook& month = months[std::size_t(i)];
                month.予定額 += walk.amount(1);
                month.入金額 += walk.amount(2);
                lastBalance[std::size_t(i)] = walk.amount(3);
            }
        }
        // A month without rows ends where the month before it ended: the carry-forward it would show.
        Money balance = readCarryForward(db, first);
        for (int i = 0; i < kMonths; ++i) {
            if (lastBalance[std::size_t(i)])
                balance = *lastBalance[std::size_t(i)];
            months[std::size_t(i)].月末残高 = balance;
        }
        return months;
    });
}

} // namespace schedule
