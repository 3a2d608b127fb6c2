#pragma once

#include "bank/deposit.h"
#include "csv/csv_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// The records of a 全銀 fixed-length file and the reading of their fields, every failure named after
// the record ("3 件目のレコード（データ）: …").
namespace bank {

inline constexpr qsizetype kRecordBytes = 200;

// A 和暦 YYMMDD: the 令和 reading (from 2019-05-01) or the 平成 one (1989-01-08 to 2019-04-30), whichever
// is valid and nearer `near`. "000000" and blanks are no date (an invalid QDate); nullopt when the text
// is no date of either era.
std::optional<QDate> decodeEraDate(QByteArrayView yymmdd, const QDate& near);

bool isDigits(QByteArrayView bytes);

// "3 件目のレコード（データ）", the kind from the record's データ区分.
QString recordName(int number, char kind);
// Throws BankFileError: the record's name, then the reason.
[[noreturn]] void refuseRecord(int number, char kind, const QString& reason);

// The file's records, each of 200 bytes (or BankFileError naming the first that is not).
std::vector<QByteArrayView> splitRecords(const QByteArray& bytes);

// Field access on the record at hand by the 1-based positions of the layout tables.
class RecordReader
{
public:
    RecordReader(const QDate& today, QStringList& warnings);

    void at(int number, QByteArrayView record);
    int number() const { return m_number; }
    char kind() const { return m_record[0]; }
    char byte(int pos) const { return m_record[pos - 1]; }
    QByteArrayView field(int pos, int len) const { return m_record.sliced(pos - 1, len); }

    [[noreturn]] void fail(const QString& reason) const;
    void warn(const QString& reason);

    // An N field; blank only when `optional` (nullopt then).
    std::optional<qint64> number(int pos, int len, QStringView name, bool optional = false) const;
    Money amount(int pos, int len, QStringView name) const;
    std::optional<Money> optionalAmount(int pos, int len, QStringView name) const;
    // A code kept as its digits (bank, branch, account, reference); blank gives empty text.
    QString digits(int pos, int len, QStringView name) const;
    // A C field, decoded, without its trailing blanks.
    QString text(int pos, int len, QStringView name);
    // A 和暦 date; an invalid QDate when the field holds no date.
    QDate date(int pos, QStringView name);
    // Later dates of the file are read in the era nearest its creation date.
    void setCreated(const QDate& created);

private:
    QDate m_reference;
    QDate m_created;
    QStringList& m_warnings;
    csv::Converter m_cp932;
    int m_number = 0;
    QByteArrayView m_record;
};

} // namespace bank
