#include "app/dialogs/failure_report.h"

#include "app/dialogs/standard_message.h"
#include "bank/deposit.h"
#include "common/money.h"
#include "payers/payer_master.h"
#include "schedule/balances.h"
#include "settings/settings_record.h"
#include "storage/database.h"
#include "terms/terms_store.h"

const QString kStepNotCompleted = QStringLiteral("処理を完了できませんでした。データは変更されていません。");

QString failureMessage(const std::exception& failure, const QString& unforeseen)
{
    if (const auto* storage = dynamic_cast<const StorageError*>(&failure))
        return storage->userMessage();
    if (const auto* input = dynamic_cast<const settings::SettingsInputError*>(&failure))
        return input->userMessage();
    // A bank file is read whole before anything is stored, so its refusal has changed nothing.
    if (const auto* bankFile = dynamic_cast<const bank::BankFileError*>(&failure))
        return bankFile->userMessage() + QStringLiteral("何も変更していません。");
    if (const auto* payerRow = dynamic_cast<const payers::PayerRowRefused*>(&failure))
        return payerRow->userMessage();
    if (const auto* terms = dynamic_cast<const terms::TermsInputError*>(&failure))
        return terms->userMessage();
    // A sum that left the range of Money is the same event as a total the schedule refused.
    if (dynamic_cast<const MoneyOverflow*>(&failure))
        return schedule::AmountOutOfRange().userMessage();
    return unforeseen;
}

bool runReportingFailure(UserPrompts& prompts, const std::function<void()>& step, const QString& unforeseen)
{
    QString message;
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        message = failureMessage(e, unforeseen);
    }
    // Told outside the handler: the box runs an event loop, which must not see a live exception.
    showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), message);
    return false;
}
