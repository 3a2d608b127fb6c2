#include "csv/csv_import.h"

#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

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
        take(rows.row());
}

void planMonth(Database& db, const QDate& month, const std::vector<const CsvLine*>& lines, ImportPlan& plan,
               ProblemList& problems)
{
    std::vector<MonthRow> stored;
    QHash<QString, std::deque<std::size_t>> byDayAndPayer;
    int highest = 0;
    eachRow(db,
            "select rowid, 日付, 行番号, 入金先名, 予定額, 入金額 from 入金予定表"
            " where 日付 >= ? and 日付 < ? order by 日付, 行番号",
            {Value(month), Value(month.addMonths(1))}, [&](SQLite::Statement& row) {
                MonthRow r;
                r.rowId = row.getColumn(0).getInt64();
                r.rowNumber = int(columnValue(row, 2).toInt64().value_or(0));
                r.planned = columnValue(row, 4).toMoney();
                r.received = columnValue(row, 5).toMoney();
                highest = std::max(highest, r.rowNumber);
                if (const std::optional<QDate> date = columnValue(row, 1).toDate())
                    byDayAndPayer[keyOf(*date, columnValue(row, 3).toText())].push_back(stored.size());
                stored.push_back(r);
            });

    std::vector<const CsvLine*> added;
    const CsvLine* firstTooMany = nullptr;
    for (const CsvLine* line : lines) {
        auto match = byDayAndPayer.find(keyOf(line->date, line->payer));
        if (match != byDayAndPayer.end() && !match->empty()) {
            const MonthRow& row = stored[match->front()];
            match->pop_front();
            if (row.planned == line->planned && row.received == line->received)
                ++plan.unchanged;
            else
                plan.updates.push_back({row.rowId, line->planned, line->received});
            continue;
        }
        added.push_back(line);
        if (!firstTooMany && stored.size() + added.size() > std::size_t(schedule::kWorkRowCount))
            firstTooMany = line;
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
        plan.inserts.push_back({line->date, next++, line->payer, line->planned, line->received});
}

QStringList unregisteredPayers(Database& db, const std::vector<CsvLine>& lines)
{
    QSet<QString> known;
    eachRow(db, "select 入金先名 from 入金先マスタ", {},
            [&](SQLite::Statement& row) { known.insert(columnValue(row, 0).toText()); });
    QStringList names;
    for (const CsvLine& line : lines) {
        if (!known.contains(line.payer)) {
            known.insert(line.payer);
            names << line.payer;
        }
    }
    return names;
}

} // namespace

PreparedImport prepareImport(Database& db, const QByteArray& bytes, std::optional<CsvEncoding> encoding,
                             bool registerPayers)
{
    CsvContent content = readScheduleCsv(bytes, encoding);
    PreparedImport prepared;
    prepared.encoding = content.encoding;
    prepared.lines = int(content.lines.size());
    prepared.problems = std::move(content.problems);

    // The months are checked even when some lines are bad, so that one list holds every problem.
    std::map<QDate, std::vector<const CsvLine*>> months;
    for (const CsvLine& line : content.lines)
        months[QDate(line.date.year(), line.date.month(), 1)].push_back(&line);
    ImportPlan& plan = prepared.plan;
    if (!months.empty())
        plan.firstMonth = months.begin()->first;
    for (const auto& [month, lines] : months)
        planMonth(db, month, lines, plan, prepared.problems);
    if (registerPayers)
        plan.newPayers = unregisteredPayers(db, content.lines);
    return prepared;
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
        // The balance is left to the pass below.
        db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                   " values (?, ?, ?, ?, ?, ?)",
                   {Value(i.date), Value(i.rowNumber), Value(i.payer), Value(i.planned), Value(i.received),
                    Value()});
    for (const QString& name : plan.newPayers)
        if (payers::Add入金先(db, name))
            ++summary.payersRegistered;
    schedule::Calc残高(db, plan.firstMonth);
    transaction.commit();
    summary.added = int(plan.inserts.size());
    summary.updated = int(plan.updates.size());
    return summary;
}

QString summaryText(const ImportSummary& summary)
{
    return QStringLiteral("追加 %1 行、更新 %2 行").arg(summary.added).arg(summary.updated);
}

} // namespace csv
