#pragma once

#include "bank/deposit.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>

#include <vector>

// The 全銀協 fixed-length files banks hand out for the credits of an account: 振込入金通知 (種別コード 01)
// and 入出金取引明細 (種別コード 03). Records of 200 bytes in JIS X 0201 (read as CP932), back to back or
// each followed by CR LF; groups of header, data and trailer, one per account (or per day), then one end
// record.
namespace bank {

struct ZenginFile
{
    DepositSource format = DepositSource::振込入金通知;
    // The credits in file order: in a 03 file only 入払区分 1, in a 01 file without the transfers that
    // a cancel record of the same file took back.
    std::vector<Deposit> deposits;
    // Cancel records (01, 取消区分 1) whose transfer is not in this file: it came in an earlier one, so
    // the caller may have applied it already.
    std::vector<Deposit> cancellations;
    // What reads but deserves a look: a 03 balance that does not add up, a group of a time deposit
    // passed over, a date far from the file's creation date.
    QStringList warnings;
};

// Reads a whole file. `today` decides the era of the creation date (see decodeEraDate in zengin_record.h).
// Throws BankFileError naming the record ("3 件目のレコード（データ）: …") for an EBCDIC file, a record that
// is not 200 bytes, records out of order, a field that does not read, or a trailer or end record whose counts
// or sums disagree with the records; then nothing of the file is returned.
ZenginFile readZenginFile(const QByteArray& bytes, const QDate& today);

} // namespace bank
