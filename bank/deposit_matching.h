#pragma once

#include "bank/deposit.h"
#include "common/money.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// 入金消込: which open planned row each deposit of a bank file pays. A pure function of what the caller
// read: the deposits, the payers with their readings and learned names, the open rows around the
// deposits' dates and the keys of deposits applied before. Nothing is stored here; the caller shows the
// judgements, lets the user decide, writes the amounts and learns the names the user confirmed.
namespace bank {

struct MatchPayer
{
    QString 入金先名;
    QString フリガナ;        // katakana reading, as the payer master holds it
    QStringList learnedKeys; // match keys (matchKey) of bank names the user confirmed for this payer
};

struct PlannedRow
{
    qint64 rowId = 0; // the caller's handle of the row, handed back in the judgements
    QDate 日付;
    QString 入金先名; // as MatchPayer::入金先名: rows belong to payers by the exact name
    Money 予定額;
    Money 入金額;

    Money 未入金額() const { return 予定額 - 入金額; }
};

struct MatchSettings
{
    // What a payer may have deducted as the transfer fee.
    std::vector<Money> fees = {Money::fromYen(110), Money::fromYen(220), Money::fromYen(330),
                               Money::fromYen(440), Money::fromYen(550), Money::fromYen(660),
                               Money::fromYen(770), Money::fromYen(880)};
    int windowDays = 60; // rows dated this many days before or after the deposit are considered
};

enum class Judgement {
    一致,   // the rows to pay are settled (the user may still look)
    候補,   // the user chooses among `candidates`
    不明,   // no payer's name matches
    消込済, // applied before: nothing to do
};

enum class NameMatch {
    None,
    Learned, // a name the user confirmed for the payer before
    Equal,   // the folded names are equal
    Prefix,  // one folded name begins with the other (a cut-off name, a branch office's account)
    Similar, // one or two characters apart
};

// The judgement as the review and the command line name it.
QString judgementName(Judgement judgement);

struct DepositJudgement
{
    Judgement judgement = Judgement::不明;
    QString key; // depositKey() of the deposit
    NameMatch nameMatch = NameMatch::None;
    QStringList payers; // the payers whose names match, best first
    // 一致: the rows the deposit pays, each in full, by date.
    std::vector<qint64> rows;
    Money fee; // 一致: the transfer fee the payer deducted (zero when none)
    // 候補: the rows worth showing, the most likely first; a row already paid by an earlier deposit of
    // the same run may be among them (a payment made twice), never in `rows`.
    std::vector<qint64> candidates;
    QString reason; // 候補 and 不明: why, for the user (Japanese)
};

// One judgement per deposit, in the order of `deposits`. A deposit is 一致 when exactly one payer's
// name matches by equality or a learned name and either an open row of that payer dated within the
// window has an open amount equal to the deposit, or to the deposit plus one of the fees (of several,
// the row dated nearest the deposit, the earlier on a tie), or else exactly one set of two or three of
// its open rows adds up so. A row an earlier deposit of the run paid is not offered again as 一致.
// Loosely matching names, several payers, several sets, a partial or unfitting amount give 候補.
std::vector<DepositJudgement> matchDeposits(const std::vector<Deposit>& deposits,
                                            const std::vector<MatchPayer>& payers,
                                            const std::vector<PlannedRow>& openRows,
                                            const MatchSettings& settings, const QSet<QString>& appliedKeys);

} // namespace bank
