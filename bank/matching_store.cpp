#include "bank/matching_store.h"

#include "bank/kana_key.h"
#include "common/dates.h"
#include "schedule/balances.h"
#include "schedule/working_set.h"
#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

#include <QHash>

#include <algorithm>

namespace bank {

namespace {

const char* const kOpenRowsBetween =
    "select rowid, 日付, 入金先名, 予定額, 入金額 from 入金予定表 where 日付 >= ? and 日付 <= ?"
    " and 入金先名 <> '' and ifnull(入金額, 0) < ifnull(予定額, 0) order by 日付, 行番号";

// The day a stored ISO date names; the rows are in date order, so most repeat the one before.
class DateReader
{
public:
    QDate read(std::string_view text)
    {
        if (text != m_text) {
            m_text.assign(text);
            m_date = QDate::fromString(QString::fromUtf8(text.data(), qsizetype(text.size())), Qt::ISODate);
        }
        return m_date;
    }

private:
    std::string m_text;
    QDate m_date;
};

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

[[noreturn]] void refuse(const QString& message)
{
    throw StorageError(StorageError::Kind::Generic, message);
}

struct StoredRowState
{
    QDate 日付;
    QString 入金先名;
    Money 予定額;
    Money 入金額;
};

StoredRowState readRow(Database& db, qint64 rowId)
{
    RowSet row = db.openRowSet("select 日付, 入金先名, 予定額, 入金額 from 入金予定表 where rowid = ?",
                               {Value(rowId)});
    if (row.isEmpty())
        refuse(QStringLiteral("消し込む予定が見つかりません。ほかの操作で変更されたかもしれません。"
                              "読み込み直してください。何も登録していません。"));
    return {row.get(QStringLiteral("日付")).toDate().value_or(QDate()),
            row.get(QStringLiteral("入金先名")).toText(),
            row.get(QStringLiteral("予定額")).toMoney().value_or(Money()),
            row.get(QStringLiteral("入金額")).toMoney().value_or(Money())};
}

bool coversWithFee(Money open, Money deposit, const MatchSettings& settings)
{
    if (open == deposit)
        return true;
    return std::any_of(settings.fees.begin(), settings.fees.end(),
                       [&](Money fee) { return open == deposit + fee; });
}

// A new row goes after the others of its date; the month's rows are then numbered 1.. in date order,
// as a save of the month numbers them.
void addRow(Database& db, const QDate& date, const QString& payer, Money amount)
{
    const QDate first(date.year(), date.month(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    // The grid shows a month's first 200 rows; a row past them could be neither seen nor saved, and
    // numbered by date it would push a row the user sees out of sight.
    const qint64 count = db.readFirst("select count(*) from 入金予定表 where 日付 >= ? and 日付 <= ?",
                                      {Value(first), Value(last)})
                             .toInt64()
                             .value_or(0);
    if (count >= schedule::kWorkRowCount)
        refuse(QStringLiteral("%1年%2月は %3 行あるため、入金の行を追加できません。何も登録していません。")
                   .arg(date.year())
                   .arg(date.month())
                   .arg(schedule::kWorkRowCount));
    const qint64 after = db.readFirst("select max(行番号) from 入金予定表 where 日付 >= ? and 日付 <= ?",
                                      {Value(first), Value(last)})
                             .toInt64()
                             .value_or(0);
    db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額) values (?, ?, ?, ?, ?)",
               {Value(date), Value(after + 1), Value(payer), Value(amount), Value(amount)});
    RowSet ids =
        db.openRowSet("select rowid from 入金予定表 where 日付 >= ? and 日付 <= ? order by 日付, 行番号",
                      {Value(first), Value(last)});
    int number = 0;
    for (ids.moveFirst(); !ids.atEnd(); ids.moveNext())
        db.execute("update 入金予定表 set 行番号 = ? where rowid = ?",
                   {Value(++number), ids.get(QStringLiteral("rowid"))});
}

} // namespace

MatchInput loadMatchInput(Database& db, const std::vector<Deposit>& deposits)
{
    MatchInput input;
    input.settings.fees = readFees(db);

    QHash<QString, std::size_t> payerAt;
    {
        RowWalk payers(db, "select 入金先名, フリガナ from 入金先マスタ where 入金先名 <> '' order by rowid");
        while (payers.next()) {
            const QString name = fromView(payers.text(0));
            if (payerAt.contains(name))
                continue;
            payerAt.insert(name, input.payers.size());
            input.payers.push_back({name, fromView(payers.text(1)), {}});
        }
    }
    {
        RowWalk learned(db, "select 入金先名, 照合キー from 入金先照合名");
        while (learned.next())
            if (const auto it = payerAt.constFind(fromView(learned.text(0))); it != payerAt.constEnd())
                input.payers[*it].learnedKeys << fromView(learned.text(1));
    }

    QDate first, last;
    for (const Deposit& deposit : deposits) {
        if (!deposit.取引日.isValid())
            continue;
        if (!first.isValid() || deposit.取引日 < first)
            first = deposit.取引日;
        if (!last.isValid() || deposit.取引日 > last)
            last = deposit.取引日;
    }
    if (!first.isValid())
        return input;

    const int window = input.settings.windowDays;
    RowWalk rows(db, kOpenRowsBetween, {Value(first.addDays(-window)), Value(last.addDays(window))});
    DateReader dates;
    while (rows.next()) {
        PlannedRow row;
        row.rowId = rows.integer(0);
        row.日付 = dates.read(rows.text(1));
        row.入金先名 = fromView(rows.text(2));
        row.予定額 = rows.amount(3);
        row.入金額 = rows.amount(4);
        input.openRows.push_back(std::move(row));
    }

    RowWalk applied(
        db, "select 入金キー, 取引日, 金額, 振込依頼人名 from 消込済入金 where 取引日 >= ? and 取引日 <= ?",
        {Value(first), Value(last)});
    DateReader appliedDates;
    while (applied.next()) {
        input.appliedKeys.insert(fromView(applied.text(0)));
        input.appliedLookalikes.insert(
            lookalikeKey(appliedDates.read(applied.text(1)), applied.amount(2), fromView(applied.text(3))));
    }
    return input;
}

QString lookalikeKey(const QDate& date, Money amount, const QString& name)
{
    return date.toString(Qt::ISODate) + QChar(0x1F) + QString::number(amount.raw()) + QChar(0x1F) +
           matchKey(name);
}

const PlannedRow* MatchRun::row(qint64 rowId) const
{
    if (std::size_t(rowAt.size()) != input.openRows.size()) {
        rowAt.clear();
        for (std::size_t i = 0; i < input.openRows.size(); ++i)
            rowAt.insert(input.openRows[i].rowId, i);
    }
    const auto it = rowAt.constFind(rowId);
    return it == rowAt.constEnd() ? nullptr : &input.openRows[*it];
}

MatchRun matchStoredDeposits(Database& db, std::vector<Deposit> deposits)
{
    MatchRun run;
    run.deposits = std::move(deposits);
    run.input = loadMatchInput(db, run.deposits);
    run.judgements = matchDeposits(run.deposits, run.input.payers, run.input.openRows, run.input.settings,
                                   run.input.appliedKeys);
    for (std::size_t i = 0; i < run.deposits.size(); ++i) {
        DepositJudgement& judgement = run.judgements[i];
        const Deposit& deposit = run.deposits[i];
        if (judgement.judgement != Judgement::一致 ||
            !run.input.appliedLookalikes.contains(
                lookalikeKey(deposit.取引日, deposit.金額, deposit.振込依頼人名)))
            continue;
        judgement.judgement = Judgement::候補;
        judgement.candidates = judgement.rows;
        judgement.rows.clear();
        judgement.fee = Money();
        judgement.reason = QStringLiteral(
            "同じ日・同じ金額・同じ名前の入金が消込済みです。別の形式のファイルで読んだ同じ入金"
            "かもしれません。");
    }
    return run;
}

std::vector<DepositChoice> settledChoices(const MatchRun& run)
{
    std::vector<DepositChoice> choices;
    for (std::size_t i = 0; i < run.judgements.size(); ++i) {
        const DepositJudgement& judgement = run.judgements[i];
        if (judgement.judgement != Judgement::一致)
            continue;
        DepositChoice choice;
        choice.deposit = run.deposits[i];
        choice.payer = judgement.payers.value(0);
        choice.rows = judgement.rows;
        choices.push_back(std::move(choice));
    }
    return choices;
}

ApplyResult applyDeposits(Database& db, const std::vector<DepositChoice>& choices,
                          const MatchSettings& settings, const QDateTime& now)
{
    ApplyResult result;
    Transaction transaction(db);
    QDate earliest;
    const auto changedOn = [&](const QDate& date) {
        if (date.isValid() && (!earliest.isValid() || date < earliest))
            earliest = date;
    };
    for (const DepositChoice& choice : choices) {
        const QString key = depositKey(choice.deposit);
        if (db.readFirst("select 1 from 消込済入金 where 入金キー = ?", {Value(key)}).toInt64())
            continue;
        QString payer = choice.payer;
        for (qint64 rowId : choice.rows) {
            const StoredRowState row = readRow(db, rowId);
            // Read afresh: a row two deposits of the run paid in parts is open until the second.
            if (row.入金額 >= row.予定額)
                refuse(QStringLiteral("%1 の %2 の予定は、すでに入金済みです。読み込み直してください。"
                                      "何も登録していません。")
                           .arg(toSlashDate(row.日付), row.入金先名));
            Money received = row.予定額;
            if (choice.rows.size() == 1 &&
                !coversWithFee(row.予定額 - row.入金額, choice.deposit.金額, settings))
                received = row.入金額 + choice.deposit.金額;
            db.execute("update 入金予定表 set 入金額 = ? where rowid = ?", {Value(received), Value(rowId)});
            changedOn(row.日付);
            payer = row.入金先名;
            ++result.rowsChanged;
        }
        if (choice.rows.empty() && choice.newRow) {
            if (payer.isEmpty())
                refuse(QStringLiteral("%1 の入金（%2）の入金先を選んでください。何も登録していません。")
                           .arg(toSlashDate(choice.deposit.取引日), choice.deposit.振込依頼人名));
            addRow(db, choice.deposit.取引日, payer, choice.deposit.金額);
            changedOn(choice.deposit.取引日);
            ++result.rowsAdded;
        }
        if (choice.rows.empty() && !choice.newRow)
            continue; // nothing decided for this deposit: it stays open for the next reading
        if (choice.learnName && !payer.isEmpty() && learnName(db, payer, choice.deposit.振込依頼人名))
            ++result.namesLearned;
        db.execute("insert into 消込済入金 (入金キー, 取引日, 振込依頼人名, 金額, 入金先名, 消込日時)"
                   " values (?, ?, ?, ?, ?, ?)",
                   {Value(key), Value(choice.deposit.取引日), Value(choice.deposit.振込依頼人名),
                    Value(choice.deposit.金額), Value(payer), Value(now.toString(Qt::ISODate))});
        ++result.deposits;
    }
    if (earliest.isValid())
        schedule::recomputeBalances(db, earliest);
    transaction.commit();
    return result;
}

std::vector<LearnedName> readLearnedNames(Database& db)
{
    std::vector<LearnedName> names;
    RowWalk walk(db, "select 入金先名, 照合キー, 振込依頼人名 from 入金先照合名 order by 入金先名, 照合キー");
    while (walk.next())
        names.push_back({fromView(walk.text(0)), fromView(walk.text(1)), fromView(walk.text(2))});
    return names;
}

bool learnName(Database& db, const QString& payer, const QString& bankName)
{
    const QString key = matchKey(bankName);
    if (key.isEmpty())
        return false;
    if (db.readFirst("select 1 from 入金先照合名 where 入金先名 = ? and 照合キー = ?",
                     {Value(payer), Value(key)})
            .toInt64())
        return false;
    Transaction transaction(db);
    db.execute("delete from 入金先照合名 where 照合キー = ? and 入金先名 <> ?", {Value(key), Value(payer)});
    db.execute("insert or replace into 入金先照合名 (入金先名, 照合キー, 振込依頼人名) values (?, ?, ?)",
               {Value(payer), Value(key), Value(bankName.trimmed())});
    transaction.commit();
    return true;
}

void deleteLearnedName(Database& db, const QString& payer, const QString& key)
{
    Transaction transaction(db);
    db.execute("delete from 入金先照合名 where 入金先名 = ? and 照合キー = ?", {Value(payer), Value(key)});
    transaction.commit();
}

std::vector<Money> readFees(Database& db)
{
    std::vector<Money> fees;
    RowWalk walk(db, "select 金額 from 振込手数料 order by 金額");
    while (walk.next())
        fees.push_back(walk.amount(0));
    return fees;
}

void addFee(Database& db, Money fee)
{
    if (fee <= Money() || fee >= Money::fromYen(10000))
        refuse(QStringLiteral("振込手数料は 1 円以上 10,000 円未満で入力してください。"));
    Transaction transaction(db);
    db.execute("insert or ignore into 振込手数料 (金額) values (?)", {Value(fee)});
    transaction.commit();
}

void deleteFee(Database& db, Money fee)
{
    Transaction transaction(db);
    db.execute("delete from 振込手数料 where 金額 = ?", {Value(fee)});
    transaction.commit();
}

std::optional<BankCsvMapping> readCsvMapping(Database& db, const QString& layoutKey)
{
    RowSet row = db.openRowSet("select 日付列, 名前列, 金額列, 見出し, 文字コード, 口座 from 銀行CSV様式"
                               " where 様式キー = ?",
                               {Value(layoutKey)});
    if (row.isEmpty())
        return std::nullopt;
    BankCsvMapping mapping;
    mapping.dateColumn = int(row.get(QStringLiteral("日付列")).toInt64().value_or(0));
    mapping.nameColumn = int(row.get(QStringLiteral("名前列")).toInt64().value_or(1));
    mapping.amountColumn = int(row.get(QStringLiteral("金額列")).toInt64().value_or(2));
    mapping.hasHeader = row.get(QStringLiteral("見出し")).toBool();
    const QString encoding = row.get(QStringLiteral("文字コード")).toText();
    if (encoding == QLatin1String("utf-8"))
        mapping.encoding = csv::CsvEncoding::Utf8;
    else if (encoding == QLatin1String("cp932"))
        mapping.encoding = csv::CsvEncoding::Cp932;
    mapping.account = row.get(QStringLiteral("口座")).toText();
    return mapping;
}

void saveCsvMapping(Database& db, const QString& layoutKey, const BankCsvMapping& mapping)
{
    QString encoding;
    if (mapping.encoding)
        encoding =
            *mapping.encoding == csv::CsvEncoding::Utf8 ? QStringLiteral("utf-8") : QStringLiteral("cp932");
    Transaction transaction(db);
    db.execute(
        "insert or replace into 銀行CSV様式 (様式キー, 日付列, 名前列, 金額列, 見出し, 文字コード, 口座)"
        " values (?, ?, ?, ?, ?, ?, ?)",
        {Value(layoutKey), Value(mapping.dateColumn), Value(mapping.nameColumn), Value(mapping.amountColumn),
         Value(mapping.hasHeader), encoding.isEmpty() ? Value() : Value(encoding),
         mapping.account.isEmpty() ? Value() : Value(mapping.account)});
    transaction.commit();
}

bool isZenginFile(const QByteArray& bytes)
{
    if (bytes.size() < 3)
        return false;
    const auto at = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    const bool jis = at(0) == '1' && at(1) == '0' && (at(2) == '1' || at(2) == '3');
    const bool ebcdic = at(0) == 0xF1 && at(1) == 0xF0 && (at(2) == 0xF1 || at(2) == 0xF3);
    return jis || ebcdic;
}

} // namespace bank
