#include "csv/csv_import.h"

#include "common/dates.h"
#include "common/money.h"
#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include <QBuffer>
#include <QHash>
#include <QSet>

#include <deque>
#include <map>

namespace csv {

namespace {

// One stored row of a month, as the plan needs it.
struct MonthRow
{
    std::int64_t rowId = 0;
    int rowNumber = 0;
    std::optional<Money> planned;
    std::optional<Money> received;
};

QString keyOf(const QDate& date, const QString& payer)
{
    return date.toString(Qt::ISODate) + QChar(u'\0') + payer;
}

// Steps a select and hands each row to `take`, leaving the statement idle afterwards.
template <typename Take>
void eachRow(Database& db, const std::string& select, const Params& params, Take&& take)
{
    RowWalk rows(db, select, params);
    while (rows.next())
        take(rows);
}

// Nothing counts as 0, on either side: an empty field or a 0 against a stored NULL or 0 changes nothing,
// so that reading an export back never turns one into the other (the export writes a NULL as an empty
// field), nor does a 0 typed where the screen shows a blank.
bool agrees(const std::optional<Money>& field, const std::optional<Money>& stored)
{
    return field.value_or(Money()) == stored.value_or(Money());
}

std::optional<Money> storedAfter(const std::optional<Money>& field, const std::optional<Money>& stored)
{
    return agrees(field, stored) ? stored : field;
}

// The lines of one month of the file, kept up to the most a month can hold.
struct MonthLines
{
    std::vector<CsvLine> lines;
    int beyond = 0;      // lines past the month's limit, only counted
    int firstBeyond = 0; // the line of the first of them
};

void planMonth(Database& db, const QDate& month, const MonthLines& file, ImportPlan& plan,
               ProblemList& problems)
{
    if (file.beyond > 0) {
        problems.add(file.firstBeyond,
                     QStringLiteral("%1年%2月の行がファイルだけで %3 行を超えます（%4 行）。")
                         .arg(month.year())
                         .arg(month.month(), 2, 10, QLatin1Char('0'))
                         .arg(schedule::kWorkRowCount)
                         .arg(file.lines.size() + std::size_t(file.beyond)));
        return;
    }
    std::vector<MonthRow> stored;
    QHash<QString, std::deque<std::size_t>> byDayAndPayer;
    int highest = 0;
    eachRow(db,
            "select rowid, 日付, 行番号, 入金先名, 予定額, 入金額 from 入金予定表"
            " where 日付 >= ? and 日付 < ? order by 日付, 行番号",
            {Value(month), Value(month.addMonths(1))}, [&](RowWalk& row) {
                MonthRow r;
                r.rowId = row.integer(0);
                r.rowNumber = int(row.value(2).toInt64().value_or(0));
                r.planned = row.value(4).toMoney();
                r.received = row.value(5).toMoney();
                highest = std::max(highest, r.rowNumber);
                // A row without a payer (nothing or empty text) meets a line with an empty name.
                if (const std::optional<QDate> date = row.value(1).toDate())
                    byDayAndPayer[keyOf(*date, row.value(3).toText())].push_back(stored.size());
                stored.push_back(r);
            });

    std::vector<const CsvLine*> added;
    const CsvLine* firstTooMany = nullptr;
    for (const CsvLine& line : file.lines) {
        auto match = byDayAndPayer.find(keyOf(line.date, line.payer));
        if (match != byDayAndPayer.end() && !match->empty()) {
            const MonthRow& row = stored[match->front()];
            match->pop_front();
            if (agrees(line.planned, row.planned) && agrees(line.received, row.received))
                ++plan.unchanged;
            else
                plan.updates.push_back({row.rowId, storedAfter(line.planned, row.planned),
                                        storedAfter(line.received, row.received), line.date, line.payer,
                                        row.planned, row.received});
            continue;
        }
        added.push_back(&line);
        if (!firstTooMany && stored.size() + added.size() > std::size_t(schedule::kWorkRowCount))
            firstTooMany = &line;
    }
    if (firstTooMany) {
        problems.add(firstTooMany->line,
                     QStringLiteral("%1年%2月の行が %3 行を超えます（登録済み %4 行に %5 行を追加）。")
                         .arg(month.year())
                         .arg(month.month(), 2, 10, QLatin1Char('0'))
                         .arg(schedule::kWorkRowCount)
                         .arg(stored.size())
                         .arg(added.size()));
        return;
    }

    // New rows follow the highest 行番号 of the month. When that would pass the grid's 200 rows (numbers
    // freed by deleted rows), the month's rows are first numbered 1, 2, ... in their order, as the next
    // save of the month would number them anyway.
    int next = highest + 1;
    if (highest + int(added.size()) > schedule::kWorkRowCount) {
        for (std::size_t i = 0; i < stored.size(); ++i) {
            if (stored[i].rowNumber != int(i) + 1)
                plan.renumbered.push_back({stored[i].rowId, int(i) + 1});
        }
        next = int(stored.size()) + 1;
    }
    for (const CsvLine* line : added)
        plan.inserts.push_back(
            {line->date, next++, line->payer, line->planned, line->received, line->balance});
}

QStringList unregisteredPayers(Database& db, const std::map<QDate, MonthLines>& months)
{
    QSet<QString> known;
    eachRow(db, "select 入金先名 from 入金先マスタ", {},
            [&](RowWalk& row) { known.insert(row.value(0).toText()); });
    QStringList names;
    for (const auto& [month, file] : months) {
        for (const CsvLine& line : file.lines) {
            // A row without a payer names nobody to register.
            if (line.payer.trimmed().isEmpty() || known.contains(line.payer))
                continue;
            known.insert(line.payer);
            names << line.payer;
        }
    }
    return names;
}

} // namespace

PreparedImport prepareImport(Database& db, QIODevice& source, std::optional<CsvEncoding> encoding,
                             bool registerPayers)
{
    std::map<QDate, MonthLines> months;
    CsvReadResult read = readScheduleCsv(source, encoding, [&](CsvLine&& line) {
        MonthLines& month = months[QDate(line.date.year(), line.date.month(), 1)];
        if (month.lines.size() < std::size_t(schedule::kWorkRowCount)) {
            month.lines.push_back(std::move(line));
        } else if (month.beyond++ == 0) {
            month.firstBeyond = line.line;
        }
    });
    PreparedImport prepared;
    prepared.encoding = read.encoding;
    prepared.lines = read.lines;
    prepared.problems = std::move(read.problems);

    // The months are checked even when some lines are bad, so that one list holds every problem.
    ImportPlan& plan = prepared.plan;
    if (!months.empty())
        plan.firstMonth = months.begin()->first;
    for (const auto& [month, lines] : months)
        planMonth(db, month, lines, plan, prepared.problems);
    if (registerPayers)
        plan.newPayers = unregisteredPayers(db, months);
    return prepared;
}

PreparedImport prepareImport(Database& db, const QByteArray& bytes, std::optional<CsvEncoding> encoding,
                             bool registerPayers)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return prepareImport(db, buffer, encoding, registerPayers);
}

ImportSummary applyImport(Database& db, const ImportPlan& plan)
{
    ImportSummary summary;
    if (!plan.changesAnything())
        return summary;
    Transaction transaction(db);
    for (const ImportPlan::Renumber& r : plan.renumbered)
        db.execute("update 入金予定表 set 行番号 = ? where rowid = ?", {Value(r.rowNumber), Value(r.rowId)});
    for (const ImportPlan::Update& u : plan.updates)
        db.execute("update 入金予定表 set 予定額 = ?, 入金額 = ? where rowid = ?",
                   {Value(u.planned), Value(u.received), Value(u.rowId)});
    for (const ImportPlan::Insert& i : plan.inserts)
        // The pass below writes every balance up to the first row without a payer, where it stops as
        // it does for rows typed on screen. What lies beyond keeps the balance the file gives it, as
        // the data it was exported from had it.
        db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                   " values (?, ?, ?, ?, ?, ?)",
                   {Value(i.date), Value(i.rowNumber), i.payer.isEmpty() ? Value() : Value(i.payer),
                    Value(i.planned), Value(i.received), Value(i.balance)});
    for (const QString& name : plan.newPayers)
        if (payers::addPayer(db, name))
            ++summary.payersRegistered;
    schedule::recomputeBalances(db, plan.firstMonth);
    transaction.commit();
    summary.added = int(plan.inserts.size());
    summary.updated = int(plan.updates.size());
    return summary;
}

QString summaryText(const ImportSummary& summary)
{
    return QStringLiteral("追加 %1 行、更新 %2 行").arg(summary.added).arg(summary.updated);
}

namespace {

// No amount counts as 0, here as everywhere the amounts are compared.
QString amountText(const std::optional<Money>& amount)
{
    const QString text = formatAmount(amount.value_or(Money()));
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QString changeText(const std::optional<Money>& was, const std::optional<Money>& now)
{
    const QString before = amountText(was);
    const QString after = amountText(now);
    return before == after ? after : before + QStringLiteral(" → ") + after;
}

QString rowHead(const QString& kind, const QDate& date, const QString& payer)
{
    return QStringLiteral("%1　%2　%3")
        .arg(kind, toSlashDate(date), payer.isEmpty() ? QStringLiteral("（入金先なし）") : payer);
}

} // namespace

QString describeChanges(const ImportPlan& plan)
{
    QStringList lines;
    for (const ImportPlan::Update& u : plan.updates)
        lines << rowHead(QStringLiteral("更新"), u.date, u.payer) +
                     QStringLiteral("　予定額 %1　入金額 %2")
                         .arg(changeText(u.wasPlanned, u.planned), changeText(u.wasReceived, u.received));
    for (const ImportPlan::Insert& i : plan.inserts)
        lines << rowHead(QStringLiteral("追加"), i.date, i.payer) +
                     QStringLiteral("　予定額 %1　入金額 %2")
                         .arg(amountText(i.planned), amountText(i.received));
    for (const QString& name : plan.newPayers)
        lines << QStringLiteral("入金先マスタに登録　%1").arg(name);
    return lines.join(QLatin1Char('\n'));
}

} // namespace csv
