#pragma once

#include "bank/bank_csv.h"
#include "bank/deposit.h"
#include "bank/deposit_matching.h"
#include "common/money.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class Database;

// 入金消込 against the store: what matchDeposits needs read from the data file, the user's decisions
// written back in one transaction, the names the user taught, the fees and the CSV mappings.
namespace bank {

// Everything matchDeposits needs for one set of deposits.
struct MatchInput
{
    std::vector<MatchPayer> payers;
    std::vector<PlannedRow> openRows; // rowId is the row's rowid in 入金予定表
    MatchSettings settings;
    QSet<QString> appliedKeys;
    // Date, amount and folded name of the deposits applied in those dates (lookalikeKey).
    QSet<QString> appliedLookalikes;
};

// What a deposit shares with the same transfer read from the other fixed-length format: a 01 notice
// and a 03 statement number the transfer differently, so its depositKey differs between them.
QString lookalikeKey(const QDate& date, Money amount, const QString& name);

// The payers with their readings and learned names, the open rows dated within the window of the
// deposits' dates, the keys applied in those dates and the fee amounts.
MatchInput loadMatchInput(Database& db, const std::vector<Deposit>& deposits);

// Reads and judges in one step, as the window and the command line both do. A 一致 whose date, amount and
// folded name are those of a deposit applied before under another key is left to the user (候補): it is
// most likely the same transfer read again from the other format, which must not pay a second row.
struct MatchRun
{
    std::vector<Deposit> deposits;
    MatchInput input;
    std::vector<DepositJudgement> judgements;

    // The open row of the run with this rowid, or nothing.
    const PlannedRow* row(qint64 rowId) const;

private:
    mutable QHash<qint64, std::size_t> rowAt; // filled on the first look-up
};
MatchRun matchStoredDeposits(Database& db, std::vector<Deposit> deposits);

// What the user settled for one deposit.
struct DepositChoice
{
    Deposit deposit;
    QString payer; // the payer the money came from; for rows, the rows' own payer
    // The rows it pays. One row is paid in full when the deposit (with a fee) covers its open amount,
    // otherwise the deposit is added to its 入金額 (a partial payment); two or more are each paid in full.
    std::vector<qint64> rows;
    // No row fits: a row of `payer` dated the deposit's date, planned and received the amount, is added.
    bool newRow = false;
    // The user named the payer by hand: the bank's spelling is learned for it.
    bool learnName = false;
};

struct ApplyResult
{
    int deposits = 0;     // recorded as applied
    int rowsChanged = 0;  // rows whose 入金額 was set
    int rowsAdded = 0;    // new rows
    int namesLearned = 0; // bank names learned
};

// Stores the choices in one transaction: the rows' 入金額, the new rows, the balances from the earliest
// changed date, the deposits as applied (a deposit applied before is passed over) and the learned names.
// A row that is gone or already paid in full is refused with a StorageError naming it, and nothing changes.
ApplyResult applyDeposits(Database& db, const std::vector<DepositChoice>& choices,
                          const MatchSettings& settings, const QDateTime& now);

// The choices of the 一致 judgements of a run, as the command line applies them unseen.
std::vector<DepositChoice> settledChoices(const MatchRun& run);

// 入金先照合名: the bank names learned for each payer.
struct LearnedName
{
    QString 入金先名;
    QString 照合キー;
    QString 振込依頼人名; // as the bank wrote it
};
std::vector<LearnedName> readLearnedNames(Database& db);
// Learns `bankName` for `payer` alone: a bank name belongs to one payer, so it leaves any other.
// False for a name that folds to nothing or one the payer has already learned.
bool learnName(Database& db, const QString& payer, const QString& bankName);
void deleteLearnedName(Database& db, const QString& payer, const QString& key);

// 振込手数料, in ascending order.
std::vector<Money> readFees(Database& db);
// A fee must be more than 0 and less than 10,000 yen; a fee already there is not added twice.
void addFee(Database& db, Money fee);
void deleteFee(Database& db, Money fee);

// 銀行CSV様式: the mapping chosen for a layout of bank CSV.
std::optional<BankCsvMapping> readCsvMapping(Database& db, const QString& layoutKey);
void saveCsvMapping(Database& db, const QString& layoutKey, const BankCsvMapping& mapping);

// Whether the bytes are a 全銀協 fixed-length file (JIS or EBCDIC, which its reader refuses by name)
// rather than a CSV: the first record is a header, data区分 1 and 種別コード 01 or 03.
bool isZenginFile(const QByteArray& bytes);

} // namespace bank
