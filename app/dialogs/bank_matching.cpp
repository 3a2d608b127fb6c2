#include "app/dialogs/bank_matching.h"

#include "app/dialogs/bank_csv_dialog.h"
#include "app/dialogs/bank_match_dialog.h"
#include "app/dialogs/failure_report.h"
#include "app/dialogs/standard_message.h"
#include "app/dialogs/user_prompts.h"
#include "bank/matching_store.h"
#include "bank/zengin_file.h"
#include "storage/database.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

void tell(UserPrompts& prompts, const QString& text)
{
    showStandardMessage(prompts, QStringLiteral("その他"), QStringLiteral("メッセージ"), text);
}

bool runTelling(UserPrompts& prompts, const std::function<void()>& step)
{
    return runReportingFailure(prompts, step, kStepNotCompleted);
}

// Stores what the review confirmed, after the question about the displayed month's edits.
std::vector<QDate> applyReviewed(const BankMatchDialog& review, Database& db, UserPrompts& prompts,
                                 const QDateTime& now,
                                 const std::function<bool(const std::vector<QDate>&)>& confirmChangingDates)
{
    const std::vector<bank::DepositChoice> choices = review.choices();
    if (choices.empty())
        return {};

    std::vector<QDate> dates;
    for (const bank::DepositChoice& choice : choices) {
        for (qint64 id : choice.rows)
            if (const bank::PlannedRow* row = review.run().row(id))
                dates.push_back(row->日付);
        if (choice.newRow)
            dates.push_back(choice.deposit.取引日);
    }
    if (!confirmChangingDates(dates))
        return {};
    bank::ApplyResult result;
    if (!runTelling(prompts,
                    [&] { result = bank::applyDeposits(db, choices, review.run().input.settings, now); }))
        return {};
    QString summary = QStringLiteral("入金 %1 件を消し込みました（入金額を変更した行 %2、追加した行 %3）。")
                          .arg(result.deposits)
                          .arg(result.rowsChanged)
                          .arg(result.rowsAdded);
    if (result.namesLearned > 0)
        summary += QStringLiteral("振込依頼人名 %1 件を入金先に覚えました。").arg(result.namesLearned);
    tell(prompts, summary);
    return dates;
}

} // namespace

std::vector<QDate> matchBankFile(QWidget* parent, Database& db, UserPrompts& prompts, const QDateTime& now,
                                 const std::function<bool(const std::vector<QDate>&)>& confirmChangingDates)
{
    FileRequest request;
    request.caption = QStringLiteral("銀行のファイル");
    request.filter = QStringLiteral("銀行のファイル (*.txt *.dat *.csv);;すべてのファイル (*)");
    const QString path = prompts.chooseFile(parent, request);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tell(prompts, QStringLiteral("ファイル「%1」を読み込めません。（%2）")
                          .arg(QFileInfo(path).fileName(), file.errorString()));
        return {};
    }
    const QByteArray bytes = file.readAll();
    const bool zengin = bank::isZenginFile(bytes);
    const QString layout = zengin ? QString() : bank::bankCsvLayoutKey(bytes);
    std::optional<bank::BankCsvMapping> mapping;
    if (!zengin && !runTelling(prompts, [&] { mapping = bank::readCsvMapping(db, layout); }))
        return {};
    // A CSV's columns are chosen when its layout is new, and again whenever the user asks from the review.
    bool chooseColumns = !zengin && !mapping;
    for (;;) {
        if (chooseColumns) {
            BankCsvDialog columns(bytes, parent);
            if (mapping)
                columns.showMapping(*mapping);
            if (columns.exec() != QDialog::Accepted)
                return {};
            mapping = columns.mapping();
        }
        std::vector<bank::Deposit> deposits;
        if (!runTelling(prompts, [&] {
                if (zengin) {
                    deposits = bank::readZenginFile(bytes, now.date()).deposits;
                    return;
                }
                deposits = bank::readBankCsv(bytes, *mapping);
                // The mapping is kept only once it has read the file.
                if (chooseColumns)
                    bank::saveCsvMapping(db, layout, *mapping);
            }))
            return {};
        if (deposits.empty()) {
            tell(prompts, QStringLiteral("このファイルに入金はありません。"));
            return {};
        }

        bank::MatchRun run;
        QStringList payers;
        if (!runTelling(prompts, [&] {
                run = bank::matchStoredDeposits(db, std::move(deposits));
                for (const bank::MatchPayer& payer : run.input.payers)
                    payers << payer.入金先名;
            }))
            return {};
        BankMatchDialog review(std::move(run), payers, parent);
        if (!zengin)
            review.offerColumnChange();
        const int answer = review.exec();
        if (answer == BankMatchDialog::kChangeColumns) {
            chooseColumns = true;
            continue;
        }
        if (answer != QDialog::Accepted)
            return {};
        return applyReviewed(review, db, prompts, now, confirmChangingDates);
    }
}
