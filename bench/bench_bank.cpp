// 入金消込 on a month's bank file: reading a 振込入金通知 of 2,000 transfers alone, and reading it and
// matching every transfer against 500 payers and their open rows (5,000, of which 3,000 lie within the
// 60 days around the transfers), with the keys of last month's 2,000 applied deposits: first on rows
// given in memory, then through the store of each generated history, where the load of the payers (the
// month's 500 with their readings beside the history's master of 5,000 names), of the open rows dated
// around the transfers (the history's own among them) and of the applied keys is part of the time;
// beside it, the floor: the same reads as bare SQLite walks.
#include "bench/bench_programs.h"
#include "bench/bench_support.h"

#include "bank/deposit_matching.h"
#include "bank/matching_store.h"
#include "bank/zengin_file.h"
#include "csv/csv_format.h"
#include "storage/transaction.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <benchmark/benchmark.h>

#include <cstring>

namespace bench {

namespace {

constexpr int kDeposits = 2000;
constexpr int kPayers = 500;
constexpr int kRowsPerPayer = 10;
const QDate kMonthMiddle(2025, 6, 15);

struct Syllable
{
    const char16_t* bank; // half-width, as the bank writes it
    const char16_t* reading;
};
constexpr Syllable kSyllables[] = {
    {u"ｱ", u"ア"},  {u"ｶ", u"カ"},  {u"ｻ", u"サ"},  {u"ﾀ", u"タ"}, {u"ﾅ", u"ナ"},  {u"ﾊ", u"ハ"},
    {u"ﾏ", u"マ"},  {u"ﾔ", u"ヤ"},  {u"ﾗ", u"ラ"},  {u"ﾜ", u"ワ"}, {u"ｶﾞ", u"ガ"}, {u"ｻﾞ", u"ザ"},
    {u"ﾀﾞ", u"ダ"}, {u"ﾊﾞ", u"バ"}, {u"ﾊﾟ", u"パ"}, {u"ｷ", u"キ"}, {u"ｼ", u"シ"},  {u"ﾁ", u"チ"},
    {u"ﾆ", u"ニ"},  {u"ﾋ", u"ヒ"},  {u"ﾐ", u"ミ"},  {u"ﾘ", u"リ"}, {u"ｷﾞ", u"ギ"}, {u"ｼﾞ", u"ジ"},
    {u"ｸ", u"ク"},  {u"ｽ", u"ス"},  {u"ﾂ", u"ツ"},  {u"ﾇ", u"ヌ"}, {u"ﾌ", u"フ"},  {u"ﾑ", u"ム"},
    {u"ﾕ", u"ユ"},  {u"ﾙ", u"ル"},  {u"ｹ", u"ケ"},  {u"ｾ", u"セ"}, {u"ﾃ", u"テ"},  {u"ﾈ", u"ネ"},
    {u"ﾒ", u"メ"},  {u"ﾚ", u"レ"},  {u"ｺ", u"コ"},  {u"ｿ", u"ソ"},
};
constexpr int kSyllableCount = int(std::size(kSyllables));

struct Month
{
    std::vector<bank::MatchPayer> payers;
    std::vector<QString> bankNames; // per payer
    std::vector<bank::PlannedRow> rows;
    QByteArray file;
    QSet<QString> applied;
};

QString eraDate(const QDate& date)
{
    return QStringLiteral("%1%2%3")
        .arg(date.year() - 2018, 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QByteArray padded(csv::Converter& cp932, const QString& text, int bytes)
{
    QByteArray field = *cp932.encode(text);
    field.truncate(bytes);
    return field.leftJustified(bytes, ' ');
}

QByteArray number(qint64 value, int digits)
{
    return QByteArray::number(value).rightJustified(digits, '0');
}

Month generateMonth()
{
    Month month;
    csv::Converter cp932(csv::CsvEncoding::Cp932);
    for (int p = 0; p < kPayers; ++p) {
        const Syllable& a = kSyllables[p % kSyllableCount];
        const Syllable& b = kSyllables[(p / kSyllableCount + 3) % kSyllableCount];
        const Syllable& c = kSyllables[(p * 7 + 5) % kSyllableCount];
        const QString reading = QString::fromUtf16(a.reading) + QString::fromUtf16(b.reading) +
                                QString::fromUtf16(c.reading) + QStringLiteral("ショウジ");
        QString bankName = QString::fromUtf16(a.bank) + QString::fromUtf16(b.bank) +
                           QString::fromUtf16(c.bank) + QStringLiteral("ｼﾖｳｼﾞ");
        bankName = p % 3 == 0   ? QStringLiteral("ｶ)") + bankName
                   : p % 3 == 1 ? bankName + QStringLiteral("(ﾕ")
                                : bankName;
        month.payers.push_back({QStringLiteral("入金先%1").arg(p), reading, {}});
        month.bankNames.push_back(bankName);
        for (int k = 0; k < kRowsPerPayer; ++k)
            month.rows.push_back({qint64(p) * kRowsPerPayer + k + 1, kMonthMiddle.addDays(-90 + 20 * k),
                                  month.payers.back().入金先名, Money::fromYen(10000 * (1 + (p + k) % 50)),
                                  Money()});
    }

    QByteArray file;
    const auto record = [&](QByteArray r) { file += r.leftJustified(200, ' ') + "\r\n"; };
    record("1010" + eraDate(QDate(2025, 7, 1)).toLatin1() + eraDate(QDate(2025, 6, 1)).toLatin1() +
           eraDate(QDate(2025, 6, 30)).toLatin1() + "9999" + padded(cp932, QStringLiteral("ｻﾝﾌﾟﾙｷﾞﾝｺｳ"), 15) +
           "001" + padded(cp932, QStringLiteral("ﾎﾝﾃﾝ"), 15) + "1" + "1234567" +
           padded(cp932, QStringLiteral("ｶ)ｻﾝﾌﾟﾙ"), 40));
    Money total;
    for (int d = 0; d < kDeposits; ++d) {
        const int p = d % kPayers;
        const bank::PlannedRow& row = month.rows[std::size_t(p * kRowsPerPayer + 3 + (d / kPayers) % 4)];
        Money amount = row.予定額;
        QString name = month.bankNames[std::size_t(p)];
        switch (d % 20) {
        case 15:
        case 16:
            amount -= Money::fromYen(660); // the fee deducted
            break;
        case 17:
            amount += month.rows[std::size_t(p * kRowsPerPayer + 3 + (d / kPayers + 1) % 4)]
                          .予定額; // two rows at once
            break;
        case 18:
            amount = Money::fromRaw(amount.raw() / 2); // a part
            break;
        case 19:
            name = QStringLiteral("ﾃｽﾄ ﾀﾛｳ%1").arg(d); // nobody's
            break;
        }
        total += amount;
        const QDate date = kMonthMiddle.addDays(d % 30 - 15);
        record("2" + number(d + 1, 6) + eraDate(date).toLatin1() + eraDate(date).toLatin1() +
               number(amount.raw() / Money::kScale, 10) + number(0, 10) + number(0, 10) +
               padded(cp932, name, 48) + padded(cp932, QStringLiteral("ﾐﾗｲ"), 15) +
               padded(cp932, QStringLiteral("ﾎﾝﾃﾝ"), 15) + "0");
    }
    record("8" + number(kDeposits, 6) + number(total.raw() / Money::kScale, 12) + number(0, 6) +
           number(0, 12));
    record("9");
    month.file = file;

    // Last month's deposits, applied before.
    for (int d = 0; d < kDeposits; ++d) {
        bank::Deposit earlier;
        earlier.銀行コード = QStringLiteral("9999");
        earlier.口座番号 = QStringLiteral("1234567");
        earlier.照会番号 = QString::number(d + 1);
        earlier.取引日 = kMonthMiddle.addDays(-30 + d % 30 - 15);
        earlier.金額 = Money::fromYen(10000);
        earlier.振込依頼人名 = month.bankNames[std::size_t(d % kPayers)];
        month.applied.insert(bank::depositKey(earlier));
    }
    return month;
}

const Month& month()
{
    static const Month generated = generateMonth();
    return generated;
}

void BM_ReadTransferFile(benchmark::State& state)
{
    const Month& m = month();
    std::size_t deposits = 0;
    for (auto _ : state) {
        const bank::ZenginFile file = bank::readZenginFile(m.file, QDate(2025, 7, 2));
        deposits = file.deposits.size();
        benchmark::DoNotOptimize(file.deposits.data());
    }
    state.counters["deposits"] = double(deposits);
    state.counters["file_kB"] = double(m.file.size()) / 1024.0;
}

void BM_ReadAndMatchTransferFile(benchmark::State& state)
{
    const Month& m = month();
    std::map<bank::Judgement, int> counts;
    for (auto _ : state) {
        const bank::ZenginFile file = bank::readZenginFile(m.file, QDate(2025, 7, 2));
        const std::vector<bank::DepositJudgement> judged =
            bank::matchDeposits(file.deposits, m.payers, m.rows, bank::MatchSettings(), m.applied);
        counts.clear();
        for (const bank::DepositJudgement& j : judged)
            ++counts[j.judgement];
    }
    state.counters["一致"] = counts[bank::Judgement::一致];
    state.counters["候補"] = counts[bank::Judgement::候補];
    state.counters["不明"] = counts[bank::Judgement::不明];
    state.counters["open_rows"] = double(m.rows.size());
}

// The month's payers, open rows and last month's applied deposits added to a copy of a history.
void addMonth(Database& db, const Month& m)
{
    Transaction transaction(db);
    for (const bank::MatchPayer& payer : m.payers)
        db.execute("insert into 入金先マスタ (入金先名, フリガナ) values (?, ?)",
                   {Value(payer.入金先名), Value(payer.フリガナ)});
    int number = 1000;
    for (const bank::PlannedRow& row : m.rows)
        db.execute(
            "insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額) values (?, ?, ?, ?, ?)",
            {Value(row.日付), Value(++number), Value(row.入金先名), Value(row.予定額), Value(row.入金額)});
    for (const QString& key : m.applied)
        db.execute("insert into 消込済入金 (入金キー, 取引日) values (?, ?)",
                   {Value(key), Value(kMonthMiddle.addDays(-30))});
    transaction.commit();
}

void BM_ReadAndMatchThroughStore(benchmark::State& state)
{
    const Month& m = month();
    WorkingFolder folder(historyFolder(int(state.range(0))));
    addMonth(folder.db(), m);
    std::map<bank::Judgement, int> counts;
    std::size_t loaded = 0;
    for (auto _ : state) {
        const bank::MatchRun run =
            bank::matchStoredDeposits(folder.db(), bank::readZenginFile(m.file, QDate(2025, 7, 2)).deposits);
        loaded = run.input.openRows.size();
        counts.clear();
        for (const bank::DepositJudgement& j : run.judgements)
            ++counts[j.judgement];
    }
    state.counters["一致"] = counts[bank::Judgement::一致];
    state.counters["候補"] = counts[bank::Judgement::候補];
    state.counters["不明"] = counts[bank::Judgement::不明];
    state.counters["open_rows"] = double(loaded);
}

// The floor of the store's part: the same payers, open rows and applied keys stepped through with bare
// SQLite, each column read in its stored form and nothing converted.
void BM_Floor_BankLoad(benchmark::State& state)
{
    const Month& m = month();
    WorkingFolder folder(historyFolder(int(state.range(0))));
    addMonth(folder.db(), m);
    folder.close();
    SQLite::Database plain(folder.permanentPath().toStdString(), SQLite::OPEN_READONLY);
    const std::string from = kMonthMiddle.addDays(-15 - 60).toString(Qt::ISODate).toStdString();
    const std::string to = kMonthMiddle.addDays(14 + 60).toString(Qt::ISODate).toStdString();
    const std::string firstDay = kMonthMiddle.addDays(-15).toString(Qt::ISODate).toStdString();
    const std::string lastDay = kMonthMiddle.addDays(14).toString(Qt::ISODate).toStdString();
    std::int64_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        std::int64_t sum = 0;
        SQLite::Statement payers(plain, "select 入金先名, フリガナ from 入金先マスタ");
        while (payers.executeStep())
            sum += std::int64_t(std::strlen(payers.getColumn(0).getText()));
        SQLite::Statement learned(plain, "select 入金先名, 照合キー from 入金先照合名");
        while (learned.executeStep())
            ++sum;
        SQLite::Statement open(plain, "select rowid, 日付, 入金先名, 予定額, 入金額 from 入金予定表"
                                      " where 日付 >= ? and 日付 <= ? and 入金先名 <> ''"
                                      " and ifnull(入金額, 0) < ifnull(予定額, 0) order by 日付, 行番号");
        open.bind(1, from);
        open.bind(2, to);
        while (open.executeStep()) {
            sum += open.getColumn(0).getInt64() + open.getColumn(3).getInt64() + open.getColumn(4).getInt64();
            ++rows;
        }
        SQLite::Statement applied(plain, "select 入金キー from 消込済入金 where 取引日 >= ? and 取引日 <= ?");
        applied.bind(1, firstDay);
        applied.bind(2, lastDay);
        while (applied.executeStep())
            ++sum;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["open_rows"] = double(rows);
}

} // namespace

void registerBankBenchmarks()
{
    benchmark::RegisterBenchmark("Bank/ReadTransferFile", BM_ReadTransferFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Bank/ReadAndMatchTransferFile", BM_ReadAndMatchTransferFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    registerPerSize("Bank/ReadAndMatchThroughStore", BM_ReadAndMatchThroughStore);
    registerPerSize("Floor/BankLoad", BM_Floor_BankLoad);
}

} // namespace bench
