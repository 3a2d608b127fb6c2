#include "legacy/legacy_data.h"

#include "common/dates.h"
#include "legacy/import_error.h"
#include "legacy/jet_stream.h"
#include "legacy/legacy_balances.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace legacy {

namespace {

const QDate kJetEpoch(1899, 12, 30);
constexpr int kShownProblems = 12;

const QString k入金予定表 = QStringLiteral("入金予定表");
const QString k入金先マスタ = QStringLiteral("入金先マスタ");
const QString k自社情報 = QStringLiteral("自社情報");
const QString kClHint = QStringLiteral("ClHint");

enum class Want { Date, Integer, Amount, Text, YesNo };

struct Need
{
    QString name;
    Want want;
};

// Every problem found in one file, told together so that the user can fix them in one go.
class Problems
{
public:
    explicit Problems(const QString& file) : m_file(file) {}
    void add(const QString& problem) { m_list << problem; }
    bool any() const { return !m_list.isEmpty(); }
    void throwIfAny() const
    {
        if (m_list.isEmpty())
            return;
        QString message =
            QStringLiteral("ファイル「%1」は次の理由で取り込めません。データは変更していません。")
                .arg(QDir::toNativeSeparators(QFileInfo(m_file).absoluteFilePath()));
        for (const QString& problem : m_list.mid(0, kShownProblems))
            message += QStringLiteral("\n・") + problem;
        if (m_list.size() > kShownProblems)
            message += QStringLiteral("\n・ほか %1 件").arg(m_list.size() - kShownProblems);
        throw ImportError(message);
    }

private:
    QString m_file;
    QStringList m_list;
};

bool accepts(Want want, int type)
{
    switch (want) {
    case Want::Date:
        return type == kJetDateTime;
    case Want::Integer:
    case Want::Amount:
        return type == kJetByte || type == kJetInt || type == kJetLong || type == kJetMoney ||
               type == kJetFloat || type == kJetDouble || type == kJetNumeric;
    case Want::YesNo:
        return type == kJetBool || type == kJetByte || type == kJetInt || type == kJetLong;
    case Want::Text:
        return type != kJetBinary && type != kJetOle && type != 0x12;
    }
    return false;
}

// The columns a table must have, each found by name without regard to case; -1 where missing.
std::vector<int> findColumns(const JetTable& table, const std::vector<Need>& needs, Problems& problems)
{
    std::vector<int> found;
    for (const Need& need : needs) {
        const int index = table.columnIndex(need.name);
        if (index < 0)
            problems.add(QStringLiteral("表「%1」に列「%2」がありません。").arg(table.name, need.name));
        else if (!accepts(need.want, table.columns[std::size_t(index)].type))
            problems.add(QStringLiteral("表「%1」の列「%2」は、取り込めない種類のデータです。")
                             .arg(table.name, need.name));
        found.push_back(index);
    }
    return found;
}

void checkWhole(const JetTable& table, Problems& problems)
{
    if (std::int64_t(table.rows.size()) != table.declaredRows)
        problems.add(QStringLiteral("表「%1」は %2 行あるはずですが、%3 行しか読み取れません。ファイルが"
                                    "壊れているか、途中で切れています。")
                         .arg(table.name)
                         .arg(table.declaredRows)
                         .arg(table.rows.size()));
}

// An exact decimal ("-123.4567") in ten-thousandths; more places are rounded half away from zero.
std::optional<std::int64_t> decimalTenThousandths(const QByteArray& text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative || (!text.isEmpty() && text[0] == '+'))
        ++i;
    __int128 value = 0;
    int places = -1;
    bool digits = false;
    bool roundUp = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && places < 0) {
            places = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        if (places >= 4) {
            if (places == 4)
                roundUp = c >= '5';
            ++places;
            continue;
        }
        value = value * 10 + (c - '0');
        if (places >= 0)
            ++places;
        if (value > (__int128(1) << 80))
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    for (int p = std::max(places, 0); p < 4; ++p)
        value *= 10;
    if (roundUp)
        ++value;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int64_t>::max() || value < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return std::int64_t(value);
}

std::optional<std::int64_t> amountOf(const QByteArray& text, int type)
{
    if (type == kJetMoney) {
        bool ok = false;
        const qlonglong raw = text.toLongLong(&ok);
        return ok ? std::optional<std::int64_t>(raw) : std::nullopt;
    }
    if (type == kJetDouble || type == kJetFloat) {
        bool ok = false;
        const double yen = text.toDouble(&ok);
        const double scaled = yen * double(Money::kScale);
        // 2^63 is exactly representable; anything from there on does not fit.
        if (!ok || !std::isfinite(scaled) || std::fabs(scaled) >= 9223372036854775808.0)
            return std::nullopt;
        return std::llround(scaled);
    }
    return decimalTenThousandths(text);
}

QString cellText(const JetField& field)
{
    return field ? QString::fromUtf8(*field) : QStringLiteral("(空)");
}

// Reads the columns of one row by what the program wants of them. A value that does not fit is
// told as a problem of that row; `bad` is then set.
class RowReader
{
public:
    RowReader(const JetTable& table, const std::vector<int>& columns, Problems& problems)
        : m_table(table), m_columns(columns), m_problems(problems)
    {
    }
    void start(std::size_t row)
    {
        m_row = row;
        bad = false;
    }
    const JetField& field(std::size_t need) const
    {
        return m_table.rows[m_row][std::size_t(m_columns[need])];
    }
    int type(std::size_t need) const { return m_table.columns[std::size_t(m_columns[need])].type; }
    QString columnName(std::size_t need) const { return m_table.columns[std::size_t(m_columns[need])].name; }
    void problem(const QString& what)
    {
        bad = true;
        m_problems.add(QStringLiteral("表「%1」の %2 行目: %3").arg(m_table.name).arg(m_row + 1).arg(what));
    }

    std::optional<QDate> date(std::size_t need)
    {
        const JetField& f = field(need);
        if (!f) {
            problem(QStringLiteral("%1 がありません。").arg(columnName(need)));
            return std::nullopt;
        }
        const qsizetype colon = f->indexOf(':');
        bool ok = colon > 0;
        const qlonglong days = ok ? f->left(colon).toLongLong(&ok) : 0;
        const QDate day = ok ? kJetEpoch.addDays(days) : QDate();
        if (!isKeptDate(day)) {
            problem(QStringLiteral("%1 %2 は 1900年から2099年までの範囲にありません。")
                        .arg(columnName(need), day.isValid() ? toSlashDate(day) : cellText(f)));
            return std::nullopt;
        }
        return day;
    }
    std::optional<Money> amount(std::size_t need)
    {
        const JetField& f = field(need);
        if (!f)
            return std::nullopt;
        const std::optional<std::int64_t> raw = amountOf(*f, type(need));
        if (!raw) {
            problem(QStringLiteral("%1 %2 は扱える金額の範囲を超えています。")
                        .arg(columnName(need), cellText(f)));
            return std::nullopt;
        }
        return Money::fromRaw(*raw);
    }
    std::optional<std::int64_t> integer(std::size_t need)
    {
        const JetField& f = field(need);
        if (!f)
            return std::nullopt;
        const int t = type(need);
        if (t == kJetByte || t == kJetInt || t == kJetLong || t == kJetBool) {
            bool ok = false;
            const qlonglong n = f->toLongLong(&ok);
            if (ok)
                return n;
        } else if (const std::optional<std::int64_t> raw = amountOf(*f, t);
                   raw && *raw % Money::kScale == 0) {
            return *raw / Money::kScale;
        }
        problem(QStringLiteral("%1 %2 は整数ではありません。").arg(columnName(need), cellText(f)));
        return std::nullopt;
    }
    Value text(std::size_t need)
    {
        const JetField& f = field(need);
        return f ? Value(QString::fromUtf8(*f)) : Value();
    }
    Value yesNo(std::size_t need)
    {
        const JetField& f = field(need);
        if (!f)
            return Value();
        // Access keeps yes as -1; the program stores 1.
        return Value(f->toLongLong() != 0);
    }

    bool bad = false;

private:
    const JetTable& m_table;
    const std::vector<int>& m_columns;
    Problems& m_problems;
    std::size_t m_row = 0;
};

bool allFound(const std::vector<int>& columns)
{
    return std::all_of(columns.begin(), columns.end(), [](int c) { return c >= 0; });
}

void takeRows(const JetTable& table, Problems& problems, LegacyData& data)
{
    const std::vector<int> columns = findColumns(table,
                                                 {{QStringLiteral("日付"), Want::Date},
                                                  {QStringLiteral("行番号"), Want::Integer},
                                                  {QStringLiteral("入金先名"), Want::Text},
                                                  {QStringLiteral("予定額"), Want::Amount},
                                                  {QStringLiteral("入金額"), Want::Amount},
                                                  {QStringLiteral("残高"), Want::Amount}},
                                                 problems);
    checkWhole(table, problems);
    if (!allFound(columns) || problems.any())
        return;
    RowReader read(table, columns, problems);
    std::vector<bool> skip(table.rows.size(), false);
    data.rows.resize(table.rows.size());
    QMap<QDate, int> perMonth;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        read.start(i);
        LegacyRow& row = data.rows[i];
        row.日付 = read.date(0).value_or(QDate());
        const std::optional<std::int64_t> lineNo = read.integer(1);
        if (!lineNo)
            read.problem(QStringLiteral("行番号がありません。"));
        else if (*lineNo < 1 || *lineNo > kMaxLineNo)
            read.problem(QStringLiteral("行番号 %1 は 1 から 200 までの範囲にありません。").arg(*lineNo));
        else
            row.行番号 = int(*lineNo);
        if (const Value payer = read.text(2); !payer.isNull())
            row.入金先名 = payer.toText();
        row.予定額 = read.amount(3);
        row.入金額 = read.amount(4);
        row.残高 = read.amount(5);
        skip[i] = read.bad;
        if (row.日付.isValid())
            ++perMonth[QDate(row.日付.year(), row.日付.month(), 1)];
    }
    for (auto it = perMonth.cbegin(); it != perMonth.cend(); ++it) {
        if (it.value() > kMaxLineNo)
            data.crowdedMonths.push_back({it.key(), it.value()});
    }

    std::size_t overflowRow = 0;
    try {
        data.changedBalances = settleBalances(data.rows, skip, &overflowRow);
    } catch (const MoneyOverflow&) {
        read.start(overflowRow);
        read.problem(QStringLiteral("%1 の行で、残高が扱える金額の範囲を超えます。")
                         .arg(toSlashDate(data.rows[overflowRow].日付)));
    }
}

void takePayers(const JetTable& table, Problems& problems, LegacyData& data)
{
    const std::vector<int> columns = findColumns(table, {{QStringLiteral("入金先名"), Want::Text}}, problems);
    checkWhole(table, problems);
    if (!allFound(columns))
        return;
    RowReader read(table, columns, problems);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        read.start(i);
        const Value name = read.text(0);
        data.payers.push_back(name.isNull() ? std::nullopt : std::optional<QString>(name.toText()));
    }
}

void takeSettings(const JetTable& table, Problems& problems, LegacyData& data)
{
    const std::vector<int> columns = findColumns(table,
                                                 {{QStringLiteral("年号"), Want::Text},
                                                  {QStringLiteral("入金先自動登録"), Want::YesNo},
                                                  {QStringLiteral("LineColor1"), Want::Integer}},
                                                 problems);
    checkWhole(table, problems);
    if (!allFound(columns))
        return;
    RowReader read(table, columns, problems);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        read.start(i);
        const std::optional<std::int64_t> colour = read.integer(2);
        data.settings.push_back({read.text(0), read.yesNo(1), Value(colour)});
    }
}

void reportMissing(const JetDump& dump, Problems& problems)
{
    for (const QString& table : dump.missingTables)
        problems.add(QStringLiteral("表「%1」がありません。").arg(table));
}

} // namespace

QStringList permanentSourceTables()
{
    return {k入金予定表, k入金先マスタ, k自社情報};
}

QStringList workSourceTables()
{
    return {kClHint};
}

LegacyData takePermanentTables(const JetDump& dump, const QString& file)
{
    Problems problems(file);
    reportMissing(dump, problems);
    LegacyData data;
    if (const JetTable* t = dump.table(k入金予定表))
        takeRows(*t, problems, data);
    if (const JetTable* t = dump.table(k入金先マスタ))
        takePayers(*t, problems, data);
    if (const JetTable* t = dump.table(k自社情報))
        takeSettings(*t, problems, data);
    problems.throwIfAny();
    return data;
}

void takeHintTable(const JetDump& dump, const QString& file, LegacyData& data)
{
    Problems problems(file);
    reportMissing(dump, problems);
    if (const JetTable* table = dump.table(kClHint)) {
        const std::vector<int> columns = findColumns(*table,
                                                     {{QStringLiteral("FormName"), Want::Text},
                                                      {QStringLiteral("CtlName"), Want::Text},
                                                      {QStringLiteral("FormTitle"), Want::Text},
                                                      {QStringLiteral("Contents"), Want::Text}},
                                                     problems);
        checkWhole(*table, problems);
        if (allFound(columns)) {
            RowReader read(*table, columns, problems);
            for (std::size_t i = 0; i < table->rows.size(); ++i) {
                read.start(i);
                data.hints.push_back({read.text(0), read.text(1), read.text(2), read.text(3)});
            }
        }
    }
    problems.throwIfAny();
    data.hintsRead = true;
}

} // namespace legacy
