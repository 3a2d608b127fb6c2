#include "bench/history_generator.h"

#include "common/money.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// Bumped whenever the history a shape produces changes, so that cached folders of an older layout are
// not measured by mistake.
constexpr int kGeneratorVersion = 1;

struct Row
{
    int day = 0;
    QString payer;
    Money planned;
    Money received;
};

// One month of rows in stored order: by day, and within a day by the grid position it was saved from.
std::vector<Row> monthRows(std::mt19937& random, const QDate& month, int count, const QStringList& payers)
{
    std::vector<Row> rows;
    rows.reserve(std::size_t(count));
    std::uniform_int_distribution<int> dayOf(1, month.daysInMonth());
    std::uniform_int_distribution<int> payerOf(0, kPayersInUse - 1);
    std::uniform_int_distribution<int> hundreds(10, 10000); // 1,000 to 1,000,000 yen
    std::uniform_int_distribution<int> kind(0, 9);
    std::vector<std::vector<int>> payersOfDay(std::size_t(month.daysInMonth()) + 1);
    for (int i = 0; i < count; ++i) {
        Row row;
        // Month ends and the 10th, 20th and 25th are the usual settlement days: they collect several rows.
        const int roll = kind(random);
        static constexpr std::array<int, 4> settlement{10, 20, 25, 0};
        row.day = roll < 4 ? settlement[std::size_t(roll)] : dayOf(random);
        if (row.day == 0)
            row.day = month.daysInMonth();
        // A payer appears at most once a day: the save matches stored rows by date and payer.
        std::vector<int>& taken = payersOfDay[std::size_t(row.day)];
        int payer = payerOf(random);
        while (std::find(taken.begin(), taken.end(), payer) != taken.end())
            payer = (payer + 1) % kPayersInUse;
        taken.push_back(payer);
        row.payer = payers[payer];
        row.planned = Money::fromYen(std::int64_t(hundreds(random)) * 100);
        const int settled = kind(random);
        if (settled < 7)
            row.received = row.planned; // paid in full
        else if (settled < 9)
            row.received = Money(); // still open
        else
            row.received = Money::fromYen(std::int64_t(hundreds(random) / 2) * 100); // part or more
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.day < b.day; });
    return rows;
}

QString cacheName(const HistoryShape& shape)
{
    return QStringLiteral("history-v%1-%2-%3")
        .arg(kGeneratorVersion)
        .arg(shape.rows)
        .arg(layoutOf(shape).testMonth().toString(QStringLiteral("yyyyMM")));
}

} // namespace

HistoryLayout layoutOf(const HistoryShape& shape)
{
    HistoryLayout layout;
    layout.months = std::max(1, (shape.rows + kRowsPerMonth - 1) / kRowsPerMonth);
    layout.testIndex = std::min(kTestMonthIndex, (layout.months - 1) / 2);
    const QDate test = shape.testMonth.isValid() ? shape.testMonth : QDate::currentDate();
    layout.firstMonth = QDate(test.year(), test.month(), 1).addMonths(-layout.testIndex);
    return layout;
}

QStringList payerNames(int count)
{
    static const std::array<const char*, 20> family{"山田", "鈴木", "佐藤", "高橋", "田中", "伊藤", "渡辺",
                                                    "中村", "小林", "加藤", "吉田", "山本", "松本", "井上",
                                                    "木村", "林",   "斎藤", "清水", "山口", "森"};
    static const std::array<const char*, 15> trade{"商店", "工業", "建設",   "物産", "電機",
                                                   "運輸", "産業", "製作所", "食品", "不動産",
                                                   "印刷", "興業", "商事",   "設備", "薬局"};
    static const std::array<const char*, 3> form{"株式会社", "有限会社", "合同会社"};
    QStringList names;
    names.reserve(count);
    const int combinations = int(family.size() * trade.size());
    for (int i = 0; i < count; ++i) {
        QString name = QString::fromUtf8(form[std::size_t(i) % form.size()]) +
                       QString::fromUtf8(family[std::size_t(i % int(family.size()))]) +
                       QString::fromUtf8(trade[std::size_t(i / int(family.size()) % int(trade.size()))]);
        // Past the plain combinations, branch numbers keep every name distinct.
        if (i >= combinations)
            name += QStringLiteral(" 第%1支店").arg(i / combinations + 1);
        names << name;
    }
    return names;
}

void generateHistory(Database& db, const HistoryShape& shape)
{
    const HistoryLayout layout = layoutOf(shape);
    const QStringList names = payerNames(std::max(kMasterNames, kPayersInUse));
    std::mt19937 random(shape.seed);

    Transaction transaction(db);
    db.execute("insert into 自社情報 (年号, 入金先自動登録, LineColor1) values (?, ?, ?)",
               {Value(QStringLiteral("西暦")), Value(true), Value(0)});
    for (const QString& name : names)
        db.execute("insert into 入金先マスタ (入金先名) values (?)", {Value(name)});

    Money balance;
    int left = shape.rows;
    for (int m = 0; m < layout.months && left > 0; ++m) {
        const QDate month = layout.firstMonth.addMonths(m);
        const int count = std::min(kRowsPerMonth, left);
        left -= count;
        int position = 1;
        for (const Row& row : monthRows(random, month, count, names)) {
            balance = balance + row.planned - row.received;
            db.execute("insert into 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高)"
                       " values (?, ?, ?, ?, ?, ?)",
                       {Value(QDate(month.year(), month.month(), row.day)), Value(position++),
                        Value(row.payer), Value(row.planned), Value(row.received), Value(balance)});
        }
    }
    transaction.commit();
}

QString cachedHistory(const QString& cacheRoot, const HistoryShape& shape)
{
    QDir root(cacheRoot);
    const QString name = cacheName(shape);
    const QString folder = root.filePath(name) + QLatin1Char('/');
    if (QFileInfo::exists(folder + QStringLiteral("Dorivan.mdb")))
        return folder;
    if (!root.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create the history cache " + cacheRoot.toStdString());

    const QString scratch =
        root.filePath(QStringLiteral(".%1-%2").arg(name).arg(QCoreApplication::applicationPid()));
    QDir(scratch).removeRecursively();
    if (!QDir().mkpath(scratch))
        throw std::runtime_error("cannot create " + scratch.toStdString());
    {
        auto db = Database::open(scratch + QStringLiteral("/Dorivan.mdb"),
                                 scratch + QStringLiteral("/DorivanWork.mdb"));
        generateHistory(*db, shape);
    }
    // Another run may have finished the same history meanwhile; either copy will do.
    if (!QDir().rename(scratch, root.filePath(name))) {
        QDir(scratch).removeRecursively();
        if (!QFileInfo::exists(folder + QStringLiteral("Dorivan.mdb")))
            throw std::runtime_error("cannot store the history in " + folder.toStdString());
    }
    return folder;
}

BalanceCheck checkBalanceRule(Database& db)
{
    BalanceCheck check;
    RowWalk rows(db,
                 "select 日付, 行番号, 入金先名, 予定額, 入金額, 残高 from 入金予定表 order by 日付,行番号");
    std::optional<Money> previous = Money();
    while (rows.next()) {
        const std::optional<Money> planned = rows.value(3).toMoney();
        const std::optional<Money> received = rows.value(4).toMoney();
        const std::optional<Money> balance = rows.value(5).toMoney();
        std::optional<Money> expected;
        if (previous && planned && received)
            expected = *previous + *planned - *received;
        if (!expected || expected != balance) {
            check.firstFault = check.rows;
            check.fault = QStringLiteral("%1 行番号 %2 %3: 残高 %4, 期待値 %5")
                              .arg(rows.value(0).toText(), rows.value(1).toText(), rows.value(2).toText(),
                                   rows.value(5).toText(),
                                   expected ? QString::number(expected->raw()) : QStringLiteral("なし"));
            break;
        }
        previous = balance;
        ++check.rows;
    }
    return check;
}

} // namespace bench
