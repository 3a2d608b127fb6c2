// The bank files over arbitrary bytes: a file from outside is read whole or refused with a reason for the
// user (BankFileError), never anything else, and every name it yields folds to a key that folding again
// leaves as it is.
#include "bank/bank_csv.h"
#include "bank/kana_key.h"
#include "bank/zengin_file.h"

#include <QByteArray>
#include <QDate>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text)
{
    std::fprintf(stderr, "%s\n  value: %s\n", what, text.toUtf8().constData());
    std::abort();
}

void checkDeposits(const std::vector<bank::Deposit>& deposits)
{
    for (const bank::Deposit& deposit : deposits) {
        if (deposit.金額 <= Money())
            fail("a deposit that credits nothing", deposit.振込依頼人名);
        if (!deposit.取引日.isValid())
            fail("a deposit without a valid date", deposit.振込依頼人名);
        const QString key = bank::matchKey(deposit.振込依頼人名);
        if (bank::matchKey(key) != key)
            fail("a folded name that folds again differently", deposit.振込依頼人名);
        bank::depositKey(deposit);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        checkDeposits(bank::readZenginFile(bytes, QDate(2026, 12, 9)).deposits);
    } catch (const bank::BankFileError& refusal) {
        if (refusal.userMessage().isEmpty())
            fail("a refusal without a reason", QString::fromLatin1(bytes.toHex()));
    }
    bank::bankCsvLayoutKey(bytes);
    for (const bool header : {true, false}) {
        bank::BankCsvMapping mapping;
        mapping.hasHeader = header;
        try {
            checkDeposits(bank::readBankCsv(bytes, mapping));
        } catch (const bank::BankFileError& refusal) {
            if (refusal.userMessage().isEmpty())
                fail("a refusal without a reason", QString::fromLatin1(bytes.toHex()));
        }
    }
    return 0;
}
