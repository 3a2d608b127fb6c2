#include "bank/zengin_file.h"

#include "bank/zengin_record.h"

#include <algorithm>

namespace bank {

namespace {

// What one header's group has read so far, for its trailer's checks.
struct Group
{
    Deposit account; // the account's fields, the rest empty
    bool passedOver = false;
    int data = 0;
    int cancelled = 0;
    Money all;
    Money cancelledSum;
    int credits = 0;
    Money creditSum;
    int debits = 0;
    Money debitSum;
    Money balanceBefore;
};

QString yen(Money amount)
{
    return formatAmount(amount).isEmpty() ? QStringLiteral("0") : formatAmount(amount);
}

class ZenginReader
{
public:
    ZenginReader(const QDate& today, ZenginFile& file) : m_file(file), m_r(today, file.warnings) {}

    void read(const std::vector<QByteArrayView>& records)
    {
        enum class State { BeforeHeader, InGroup, AfterEnd } state = State::BeforeHeader;
        for (std::size_t i = 0; i < records.size(); ++i) {
            m_r.at(int(i) + 1, records[i]);
            if (state == State::AfterEnd)
                m_r.fail(QStringLiteral("エンド・レコードの後にレコードがあります。"));
            switch (m_r.kind()) {
            case '1':
                if (state == State::InGroup)
                    m_r.fail(QStringLiteral(
                        "前の口座のトレーラ・レコードがないまま、次のヘッダーが始まっています。"));
                readHeader();
                state = State::InGroup;
                break;
            case '2':
                if (state != State::InGroup)
                    m_r.fail(QStringLiteral("ヘッダー・レコードのないデータ・レコードです。"));
                m_format == DepositSource::振込入金通知 ? readTransfer() : readStatementEntry();
                break;
            case '8':
                if (state != State::InGroup)
                    m_r.fail(QStringLiteral("ヘッダー・レコードのないトレーラ・レコードです。"));
                m_format == DepositSource::振込入金通知 ? checkTransferTrailer() : checkStatementTrailer();
                ++m_groups;
                state = State::BeforeHeader;
                break;
            case '9':
                if (state == State::InGroup)
                    m_r.fail(QStringLiteral("トレーラ・レコードがないまま、エンド・レコードが来ています。"));
                if (m_groups == 0)
                    m_r.fail(QStringLiteral("ヘッダー・レコードが一つもありません。"));
                checkEnd(int(records.size()));
                state = State::AfterEnd;
                break;
            default:
                m_r.fail(QStringLiteral("データ区分「%1」は 1・2・8・9 のどれでもありません。")
                             .arg(QString::fromLatin1(m_r.field(1, 1))));
            }
        }
        if (state != State::AfterEnd)
            throw BankFileError(
                QStringLiteral("ファイルの終わりにエンド・レコード（データ区分 9）がありません。"
                               "途中で切れたファイルかもしれません。"));
        m_file.format = m_format;
    }

private:
    void readHeader()
    {
        const QString type = m_r.digits(2, 2, u"種別コード");
        const std::optional<DepositSource> format =
            type == QLatin1String("01")   ? std::optional(DepositSource::振込入金通知)
            : type == QLatin1String("03") ? std::optional(DepositSource::入出金取引明細)
                                          : std::nullopt;
        if (!format)
            m_r.fail(QStringLiteral(
                         "種別コード「%1」は 01（振込入金通知）でも 03（入出金取引明細）でもありません。")
                         .arg(QString::fromLatin1(m_r.field(2, 2))));
        if (m_groups > 0 && *format != m_format)
            m_r.fail(QStringLiteral("種別コードが最初のヘッダーと違います。"));
        m_format = *format;
        if (m_r.byte(4) == '1')
            m_r.fail(QStringLiteral(
                "コード区分が 1（EBCDIC）です。JIS（コード区分 0）のファイルを出力し直してください。"));
        if (m_r.byte(4) != '0')
            m_r.fail(
                QStringLiteral("コード区分「%1」が 0（JIS）ではありません。").arg(QLatin1Char(m_r.byte(4))));
        m_r.setCreated(QDate());
        m_r.setCreated(m_r.date(5, u"作成日"));
        m_r.date(11, u"勘定日（自）");
        m_r.date(17, u"勘定日（至）");

        m_group = Group();
        Deposit& account = m_group.account;
        account.source = m_format;
        account.銀行コード = m_r.digits(23, 4, u"銀行コード");
        account.銀行名 = m_r.text(27, 15, u"銀行名");
        account.支店コード = m_r.digits(42, 3, u"支店コード");
        account.支店名 = m_r.text(45, 15, u"支店名");
        if (m_format == DepositSource::振込入金通知) {
            account.預金種目 = int(m_r.number(60, 1, u"預金種目", true).value_or(0));
            account.口座番号 = m_r.digits(61, 7, u"口座番号");
            return;
        }
        account.預金種目 = int(m_r.number(63, 1, u"預金種目", true).value_or(0));
        account.口座番号 = m_r.digits(64, 10, u"口座番号");
        m_group.balanceBefore = m_r.optionalAmount(116, 14, u"取引前残高").value_or(Money());
        if (m_r.byte(114) == '2')
            m_group.balanceBefore = Money() - m_group.balanceBefore;
        // 通知・定期・積立定期 write their entries in a layout of their own, which holds no transfers.
        if (account.預金種目 != 1 && account.預金種目 != 2 && account.預金種目 != 4) {
            m_group.passedOver = true;
            m_r.warn(QStringLiteral(
                         "預金種目 %1 の口座 %2 の明細は読み飛ばしました（普通・当座・貯蓄のみ読みます）。")
                         .arg(account.預金種目)
                         .arg(account.口座番号));
        }
    }

    // The dates of an entry: the booking date, the value date standing in for a missing one.
    void readDates(Deposit& deposit, int bookedAt, int valueAt, QStringView valueName)
    {
        deposit.取引日 = m_r.date(bookedAt, u"勘定日");
        deposit.起算日 = m_r.date(valueAt, valueName);
        if (!deposit.取引日.isValid())
            deposit.取引日 = deposit.起算日;
        if (!deposit.起算日.isValid())
            deposit.起算日 = deposit.取引日;
        if (!deposit.取引日.isValid())
            m_r.fail(QStringLiteral("勘定日がありません。"));
    }

    static QString payerCode(const QString& digits)
    {
        return std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == QLatin1Char('0'); })
                   ? QString()
                   : digits;
    }

    void readTransfer()
    {
        Deposit deposit = m_group.account;
        deposit.record = m_r.number();
        deposit.照会番号 = m_r.digits(2, 6, u"照会番号");
        readDates(deposit, 8, 14, u"起算日");
        // The 12-digit variant keeps its amounts and EDI text in the second half, which is blank in the
        // ordinary layout.
        const bool wide = isDigits(m_r.field(129, 24));
        deposit.金額 = wide ? m_r.amount(129, 12, u"金額") : m_r.amount(20, 10, u"金額");
        m_r.number(30, 10, u"うち他店券金額", true);
        deposit.振込依頼人コード = payerCode(m_r.digits(40, 10, u"振込依頼人コード"));
        deposit.振込依頼人名 = m_r.text(50, 48, u"振込依頼人名");
        deposit.EDI情報 = m_r.text(wide ? 153 : 129, 20, u"EDI情報");
        const char cancel = m_r.byte(128);
        if (cancel != '0' && cancel != ' ' && cancel != '1')
            m_r.fail(QStringLiteral("取消区分「%1」が正しくありません（0 か 1）。").arg(QLatin1Char(cancel)));

        ++m_group.data;
        m_group.all += deposit.金額;
        if (cancel != '1') {
            m_file.deposits.push_back(std::move(deposit));
            return;
        }
        ++m_group.cancelled;
        m_group.cancelledSum += deposit.金額;
        // The bank takes back a transfer it notified before by a record of its own: the latest
        // notification of the same account, payer and amount that is still standing.
        const auto same = [&](const Deposit& d) {
            return d.口座番号 == deposit.口座番号 && d.支店コード == deposit.支店コード &&
                   d.銀行コード == deposit.銀行コード && d.金額 == deposit.金額 &&
                   d.振込依頼人名 == deposit.振込依頼人名;
        };
        const auto original = std::find_if(m_file.deposits.rbegin(), m_file.deposits.rend(), same);
        if (original != m_file.deposits.rend())
            m_file.deposits.erase(std::next(original).base());
        else
            m_file.cancellations.push_back(std::move(deposit));
    }

    void readStatementEntry()
    {
        ++m_group.data;
        if (m_group.passedOver)
            return;
        Deposit deposit = m_group.account;
        deposit.record = m_r.number();
        deposit.照会番号 = m_r.digits(2, 8, u"照会番号");
        readDates(deposit, 10, 16, u"預入・払出日");
        const char direction = m_r.byte(22);
        deposit.取引区分 = m_r.digits(23, 2, u"取引区分");
        deposit.金額 = m_r.amount(25, 12, u"取引金額");
        if (direction == '2') {
            ++m_group.debits;
            m_group.debitSum += deposit.金額;
            return;
        }
        if (direction != '1')
            m_r.fail(QStringLiteral("入払区分「%1」が正しくありません（1 入金、2 出金）。")
                         .arg(QLatin1Char(direction)));
        ++m_group.credits;
        m_group.creditSum += deposit.金額;
        deposit.振込依頼人コード = payerCode(m_r.digits(72, 10, u"振込依頼人コード"));
        deposit.振込依頼人名 = m_r.text(82, 48, u"振込依頼人名");
        deposit.EDI情報 = m_r.text(180, 20, u"EDI情報");
        m_file.deposits.push_back(std::move(deposit));
    }

    void checkTransferTrailer()
    {
        const qint64 count = *m_r.number(2, 6, u"振込合計件数");
        const Money sum = m_r.amount(8, 12, u"振込合計金額");
        const std::optional<qint64> cancelled = m_r.number(20, 6, u"取消合計件数", true);
        const std::optional<Money> cancelledSum = m_r.optionalAmount(26, 12, u"取消合計金額");
        // Whether the totals count the cancel records is read both ways by the banks.
        const bool withCancels = count == m_group.data && sum == m_group.all;
        const bool withoutCancels =
            count == m_group.data - m_group.cancelled && sum == m_group.all - m_group.cancelledSum;
        if (!withCancels && !withoutCancels)
            m_r.fail(QStringLiteral("振込合計が %1 件 %2 円ですが、データ・レコードは %3 件 %4 円です。")
                         .arg(count)
                         .arg(yen(sum))
                         .arg(m_group.data)
                         .arg(yen(m_group.all)));
        if ((cancelled && *cancelled != m_group.cancelled) ||
            (cancelledSum && *cancelledSum != m_group.cancelledSum))
            m_r.fail(
                QStringLiteral("取消合計が %1 件 %2 円ですが、取消のデータ・レコードは %3 件 %4 円です。")
                    .arg(cancelled.value_or(0))
                    .arg(yen(cancelledSum.value_or(Money())))
                    .arg(m_group.cancelled)
                    .arg(yen(m_group.cancelledSum)));
    }

    void checkStatementTrailer()
    {
        const std::optional<qint64> records = m_r.number(55, 7, u"データ・レコード件数", true);
        if (records && *records != m_group.data)
            m_r.fail(QStringLiteral("データ・レコード件数が %1 件ですが、データ・レコードは %2 件です。")
                         .arg(*records)
                         .arg(m_group.data));
        if (m_group.passedOver)
            return;
        const qint64 credits = *m_r.number(2, 6, u"入金件数");
        const Money creditSum = m_r.amount(8, 13, u"入金額合計");
        const qint64 debits = *m_r.number(21, 6, u"出金件数");
        const Money debitSum = m_r.amount(27, 13, u"出金額合計");
        if (credits != m_group.credits || creditSum != m_group.creditSum)
            m_r.fail(QStringLiteral("入金が %1 件 %2 円ですが、入金のデータ・レコードは %3 件 %4 円です。")
                         .arg(credits)
                         .arg(yen(creditSum))
                         .arg(m_group.credits)
                         .arg(yen(m_group.creditSum)));
        if (debits != m_group.debits || debitSum != m_group.debitSum)
            m_r.fail(QStringLiteral("出金が %1 件 %2 円ですが、出金のデータ・レコードは %3 件 %4 円です。")
                         .arg(debits)
                         .arg(yen(debitSum))
                         .arg(m_group.debits)
                         .arg(yen(m_group.debitSum)));
        if (const std::optional<Money> after = m_r.optionalAmount(41, 14, u"取引後残高")) {
            const Money signedAfter = m_r.byte(40) == '2' ? Money() - *after : *after;
            if (m_group.balanceBefore + creditSum - debitSum != signedAfter)
                m_r.warn(
                    QStringLiteral("取引前残高 %1 円に入出金を足し引きしても取引後残高 %2 円になりません。")
                        .arg(yen(m_group.balanceBefore), yen(signedAfter)));
        }
    }

    void checkEnd(int records)
    {
        // Only the 03 end record carries counts; whether the total counts the end record itself is
        // not settled, so both readings pass.
        if (m_format != DepositSource::入出金取引明細)
            return;
        const std::optional<qint64> total = m_r.number(2, 10, u"レコード総件数", true);
        if (total && *total != records && *total != records - 1)
            m_r.fail(QStringLiteral("レコード総件数が %1 件ですが、ファイルは %2 件です。")
                         .arg(*total)
                         .arg(records));
        const std::optional<qint64> accounts = m_r.number(12, 5, u"口座数", true);
        if (accounts && *accounts != m_groups)
            m_r.fail(QStringLiteral("口座数が %1 ですが、ファイルの口座は %2 です。")
                         .arg(*accounts)
                         .arg(m_groups));
    }

    ZenginFile& m_file;
    RecordReader m_r;
    DepositSource m_format = DepositSource::振込入金通知;
    Group m_group;
    int m_groups = 0;
};

} // namespace

ZenginFile readZenginFile(const QByteArray& bytes, const QDate& today)
{
    if (bytes.isEmpty())
        throw BankFileError(QStringLiteral("ファイルが空です。"));
    // An EBCDIC file begins with the EBCDIC digit 1 (0xF1) where a JIS file has the ASCII one.
    if (static_cast<unsigned char>(bytes[0]) == 0xF1)
        refuseRecord(
            1, '1',
            QStringLiteral("EBCDIC のファイルです。JIS（コード区分 0）のファイルを出力し直してください。"));
    const std::vector<QByteArrayView> records = splitRecords(bytes);
    ZenginFile file;
    ZenginReader(today, file).read(records);
    numberOccurrences(file.deposits);
    return file;
}

} // namespace bank
