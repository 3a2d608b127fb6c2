#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>

#include <stdexcept>
#include <vector>

// A credit to one of our accounts as the bank reports it, whichever file it came from: the unit that
// 入金消込 matches against the open rows of the schedule.
namespace bank {

enum class DepositSource {
    振込入金通知,   // 全銀 fixed-length, 種別コード 01
    入出金取引明細, // 全銀 fixed-length, 種別コード 03 (入払区分 1 only)
    Csv,            // a bank's own CSV statement, read through a column mapping
};

struct Deposit
{
    DepositSource source = DepositSource::振込入金通知;
    int record = 0; // record (fixed-length files) or line (CSV) of the file, 1-based, for messages

    // Our account the money came into; empty in a CSV unless its mapping names the account.
    QString 銀行コード;
    QString 銀行名;
    QString 支店コード;
    QString 支店名;
    int 預金種目 = 0; // 1 普通, 2 当座, 4 貯蓄; 0 unknown
    QString 口座番号;

    QString 照会番号; // the bank's reference of the entry; empty in a CSV
    QDate 取引日;     // 勘定日, the booking date
    QDate 起算日;     // value date (01 起算日, 03 預入・払出日); normally 取引日
    Money 金額;
    QString 振込依頼人名;     // as decoded, trailing blanks removed
    QString 振込依頼人コード; // empty when the bank passed zeros
    QString EDI情報;
    QString 取引区分; // 03 only: "11" 振込, "19" 訂正, …
    // Identical (account, 照会番号, date, amount, name) deposits earlier in the same file, plus one: two
    // equal transfers on one day in a CSV, which has no reference number, stay two deposits.
    int occurrence = 1;
};

// What is known of a deposit that was applied before: bank, account, 照会番号, date, amount and name.
// Leading zeros of account and reference are not part of it, so the 7-digit account of a 01 file and
// the 10-digit one of a 03 file give the same text. Reading the same file again gives the same keys.
QString depositKey(const Deposit& deposit);
// Sets `occurrence` of the deposits of one file.
void numberOccurrences(std::vector<Deposit>& deposits);

// Why a bank file is refused, worded for the user; nothing of the file is used.
class BankFileError : public std::runtime_error
{
public:
    explicit BankFileError(const QString& userMessage)
        : std::runtime_error(userMessage.toStdString()), m_userMessage(userMessage)
    {
    }
    const QString& userMessage() const { return m_userMessage; }

private:
    QString m_userMessage;
};

} // namespace bank
