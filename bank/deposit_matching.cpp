#include "bank/deposit_matching.h"

#include "bank/kana_key.h"

#include <QHash>

#include <algorithm>

namespace bank {

namespace {

// Below this a name that only begins like another says little (イ, サトウ).
constexpr qsizetype kShortestPrefix = 4;
// Names are compared by spelling only from this length on, one or two characters apart.
constexpr qsizetype kShortestSimilar = 6;
constexpr int kMostEdits = 2;
// A payer with more open rows around one date than this is searched for sets among the nearest only.
constexpr std::size_t kMostRowsForSets = 60;

// Levenshtein distance, given up once it passes `limit`.
int editDistance(const QString& a, const QString& b, int limit)
{
    if (std::abs(a.size() - b.size()) > limit)
        return limit + 1;
    std::vector<int> previous(b.size() + 1), current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        int best = current[0];
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
            best = std::min(best, current[j]);
        }
        if (best > limit)
            return limit + 1;
        std::swap(previous, current);
    }
    return previous[b.size()];
}

struct PayerIndex
{
    struct Keys
    {
        QStringList keys; // of the reading and of the name
        QString legalForm;
    };
    std::vector<Keys> payers;
    QHash<QString, std::vector<int>> equal;
    QHash<QString, std::vector<int>> learned;

    explicit PayerIndex(const std::vector<MatchPayer>& list)
    {
        payers.resize(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            // The reading is what the bank spells; a name typed in kana serves as well.
            for (const QString& source : {list[i].フリガナ, list[i].入金先名}) {
                const FoldedName folded = foldName(source);
                if (folded.key.isEmpty() || payers[i].keys.contains(folded.key))
                    continue;
                payers[i].keys << folded.key;
                if (payers[i].legalForm.isEmpty())
                    payers[i].legalForm = folded.legalForm;
                equal[folded.key].push_back(int(i));
            }
            for (const QString& learnedKey : list[i].learnedKeys)
                if (const QString key = matchKey(learnedKey); !key.isEmpty())
                    learned[key].push_back(int(i));
        }
    }

    struct Found
    {
        NameMatch how = NameMatch::None;
        std::vector<int> payers;
    };

    Found find(const FoldedName& name) const
    {
        if (name.key.isEmpty())
            return {};
        if (const auto it = learned.find(name.key); it != learned.end())
            return {NameMatch::Learned, unique(*it)};
        if (const auto it = equal.find(name.key); it != equal.end()) {
            std::vector<int> found = unique(*it);
            // Two payers whose names fold alike may still differ in their legal form (ｶ) against ﾕ)).
            if (found.size() > 1 && !name.legalForm.isEmpty()) {
                std::vector<int> sameForm;
                for (int p : found)
                    if (payers[p].legalForm == name.legalForm)
                        sameForm.push_back(p);
                if (!sameForm.empty())
                    found = sameForm;
            }
            return {NameMatch::Equal, found};
        }
        Found prefix{NameMatch::Prefix, {}};
        Found similar{NameMatch::Similar, {}};
        for (std::size_t p = 0; p < payers.size(); ++p) {
            for (const QString& key : payers[p].keys) {
                const bool begins = std::min(key.size(), name.key.size()) >= kShortestPrefix &&
                                    (key.startsWith(name.key) || name.key.startsWith(key));
                if (begins) {
                    prefix.payers.push_back(int(p));
                    break;
                }
                if (prefix.payers.empty() && key.size() >= kShortestSimilar &&
                    name.key.size() >= kShortestSimilar &&
                    editDistance(key, name.key, kMostEdits) <= kMostEdits) {
                    similar.payers.push_back(int(p));
                    break;
                }
            }
        }
        if (!prefix.payers.empty())
            return prefix;
        if (!similar.payers.empty())
            return similar;
        return {};
    }

    static std::vector<int> unique(std::vector<int> list)
    {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        return list;
    }
};

class Matcher
{
public:
    Matcher(const std::vector<MatchPayer>& payers, const std::vector<PlannedRow>& rows,
            const MatchSettings& settings)
        : m_payers(payers), m_index(payers), m_rows(rows), m_settings(settings), m_taken(rows.size(), false)
    {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].予定額 > rows[i].入金額)
                m_rowsOf[rows[i].入金先名].push_back(int(i));
        m_targets.push_back(Money());
        m_targets.insert(m_targets.end(), settings.fees.begin(), settings.fees.end());
    }

    DepositJudgement judge(const Deposit& deposit)
    {
        DepositJudgement result;
        const PayerIndex::Found found = m_index.find(foldName(deposit.振込依頼人名));
        result.nameMatch = found.how;
        for (int p : found.payers)
            result.payers << m_payers[p].入金先名;
        if (found.payers.empty()) {
            result.judgement = Judgement::不明;
            result.reason = QStringLiteral("名前の合う入金先がありません。");
            return result;
        }

        const std::vector<int> near = rowsNear(deposit, found.payers);
        std::vector<int> open;
        for (int r : near)
            if (!m_taken[r])
                open.push_back(r);
        const std::vector<int> single = singleFits(deposit, open);
        const std::vector<Set> sets = single.empty() ? setsAddingUp(deposit, open) : std::vector<Set>();

        const bool sure = (found.how == NameMatch::Learned || found.how == NameMatch::Equal) &&
                          found.payers.size() == 1 && deposit.取引区分 != QLatin1String("19");
        if (sure && !single.empty()) {
            const int row = single.front();
            result.judgement = Judgement::一致;
            result.rows = {m_rows[row].rowId};
            result.fee = m_rows[row].未入金額() - deposit.金額;
            m_taken[row] = true;
            return result;
        }
        if (sure && sets.size() == 1) {
            result.judgement = Judgement::一致;
            for (int r : sets.front().rows) {
                result.rows.push_back(m_rows[r].rowId);
                m_taken[r] = true;
            }
            result.fee = sets.front().fee;
            return result;
        }

        result.judgement = Judgement::候補;
        result.reason = whyUndecided(deposit, found, near, open, sets);
        // What fits first, then the rest by nearness.
        std::vector<int> shown = single;
        for (const Set& set : sets)
            shown.insert(shown.end(), set.rows.begin(), set.rows.end());
        for (int r : near)
            shown.push_back(r);
        for (int r : shown) {
            const qint64 id = m_rows[r].rowId;
            if (std::find(result.candidates.begin(), result.candidates.end(), id) == result.candidates.end())
                result.candidates.push_back(id);
        }
        return result;
    }

private:
    struct Set
    {
        std::vector<int> rows;
        Money fee;
    };

    qint64 distance(int row, const Deposit& deposit) const
    {
        return std::abs(m_rows[row].日付.daysTo(deposit.取引日));
    }

    // The open rows of the payers within the window, the nearest first (the earlier on a tie).
    std::vector<int> rowsNear(const Deposit& deposit, const std::vector<int>& payers) const
    {
        std::vector<int> rows;
        for (int p : payers) {
            const auto it = m_rowsOf.find(m_payers[p].入金先名);
            if (it == m_rowsOf.end())
                continue;
            for (int r : *it)
                if (distance(r, deposit) <= m_settings.windowDays)
                    rows.push_back(r);
        }
        std::sort(rows.begin(), rows.end(), [&](int a, int b) {
            return std::tuple(distance(a, deposit), m_rows[a].日付, m_rows[a].rowId) <
                   std::tuple(distance(b, deposit), m_rows[b].日付, m_rows[b].rowId);
        });
        return rows;
    }

    // Whether `open` is the deposit, or the deposit and a fee; the fee goes to *fee.
    bool fits(Money open, const Deposit& deposit, Money* fee = nullptr) const
    {
        for (Money target : m_targets) {
            if (open == deposit.金額 + target) {
                if (fee)
                    *fee = target;
                return true;
            }
        }
        return false;
    }

    // `open` is nearest first, so the first fit is the one to take.
    std::vector<int> singleFits(const Deposit& deposit, const std::vector<int>& open) const
    {
        std::vector<int> found;
        for (int r : open)
            if (fits(m_rows[r].未入金額(), deposit))
                found.push_back(r);
        return found;
    }

    // The sets of two or three rows whose open amounts add up to the deposit, with or without a fee;
    // the search ends at the second, which already makes the choice the user's.
    std::vector<Set> setsAddingUp(const Deposit& deposit, std::vector<int> open) const
    {
        if (open.size() > kMostRowsForSets)
            open.resize(kMostRowsForSets);
        std::vector<Set> sets;
        const std::size_t n = open.size();
        std::vector<Money> amounts(n);
        for (std::size_t i = 0; i < n; ++i)
            amounts[i] = m_rows[open[i]].未入金額();
        QHash<qint64, std::vector<std::size_t>> byAmount;
        for (std::size_t i = 0; i < n; ++i)
            byAmount[amounts[i].raw()].push_back(i);
        const auto add = [&](std::vector<std::size_t> members, Money fee) {
            Set set{{}, fee};
            for (std::size_t m : members)
                set.rows.push_back(open[m]);
            std::sort(set.rows.begin(), set.rows.end(), [&](int a, int b) {
                return std::pair(m_rows[a].日付, m_rows[a].rowId) <
                       std::pair(m_rows[b].日付, m_rows[b].rowId);
            });
            sets.push_back(std::move(set));
            return sets.size() >= 2;
        };
        for (Money fee : m_targets) {
            const Money target = deposit.金額 + fee;
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t j = i + 1; j < n; ++j) {
                    const Money pair = amounts[i] + amounts[j];
                    if (pair == target && add({i, j}, fee))
                        return sets;
                    if (pair >= target)
                        continue;
                    const auto third = byAmount.constFind((target - pair).raw());
                    if (third == byAmount.constEnd())
                        continue;
                    for (std::size_t k : *third)
                        if (k > j && add({i, j, k}, fee))
                            return sets;
                }
            }
        }
        return sets;
    }

    QString whyUndecided(const Deposit& deposit, const PayerIndex::Found& found, const std::vector<int>& near,
                         const std::vector<int>& open, const std::vector<Set>& sets) const
    {
        if (found.payers.size() > 1)
            return QStringLiteral("名前の合う入金先が %1 件あります。").arg(found.payers.size());
        if (found.how == NameMatch::Prefix || found.how == NameMatch::Similar)
            return QStringLiteral("名前が似ているだけです。入金先を確かめてください。");
        if (deposit.取引区分 == QLatin1String("19"))
            return QStringLiteral("訂正の取引です。");
        if (near.empty())
            return QStringLiteral("前後 %1 日に未入金の予定がありません。").arg(m_settings.windowDays);
        if (open.empty())
            return QStringLiteral("合う予定は、この読み込みの別の入金で消し込まれています。");
        if (sets.size() > 1)
            return QStringLiteral("合計が入金額になる予定の組み合わせが複数あります。");
        const bool partial =
            std::any_of(open.begin(), open.end(), [&](int r) { return m_rows[r].未入金額() > deposit.金額; });
        return partial ? QStringLiteral("予定額に足りません。一部入金かもしれません。")
                       : QStringLiteral("入金額に合う予定がありません。");
    }

    const std::vector<MatchPayer>& m_payers;
    PayerIndex m_index;
    const std::vector<PlannedRow>& m_rows;
    const MatchSettings& m_settings;
    std::vector<bool> m_taken;
    QHash<QString, std::vector<int>> m_rowsOf;
    std::vector<Money> m_targets; // no fee, then each fee
};

} // namespace

std::vector<DepositJudgement> matchDeposits(const std::vector<Deposit>& deposits,
                                            const std::vector<MatchPayer>& payers,
                                            const std::vector<PlannedRow>& openRows,
                                            const MatchSettings& settings, const QSet<QString>& appliedKeys)
{
    Matcher matcher(payers, openRows, settings);
    std::vector<DepositJudgement> judgements;
    judgements.reserve(deposits.size());
    QSet<QString> seen;
    for (const Deposit& deposit : deposits) {
        const QString key = depositKey(deposit);
        // The same deposit twice in one run (two overlapping files read together) is applied once.
        if (appliedKeys.contains(key) || seen.contains(key)) {
            DepositJudgement done;
            done.judgement = Judgement::消込済;
            done.key = key;
            judgements.push_back(std::move(done));
            continue;
        }
        seen.insert(key);
        DepositJudgement judgement = matcher.judge(deposit);
        judgement.key = key;
        judgements.push_back(std::move(judgement));
    }
    return judgements;
}

QString judgementName(Judgement judgement)
{
    switch (judgement) {
    case Judgement::一致:
        return QStringLiteral("一致");
    case Judgement::候補:
        return QStringLiteral("候補");
    case Judgement::不明:
        return QStringLiteral("不明");
    case Judgement::消込済:
        break;
    }
    return QStringLiteral("消込済");
}

} // namespace bank
