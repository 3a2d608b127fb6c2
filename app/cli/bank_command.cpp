#include "app/cli/bank_command.h"

#include "app/cli/command_line.h"
#include "app/cli/folder_lock.h"
#include "app/cli/task_output.h"
#include "bank/matching_store.h"
#include "bank/zengin_file.h"
#include "common/dates.h"
#include "csv/csv_format.h"
#include "schedule/balances.h"
#include "storage/backup.h"
#include "storage/data_files.h"
#include "storage/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <memory>

namespace {

using task_output::kDone;
using task_output::kFailed;
using task_output::kInUse;
using task_output::say;
using task_output::shownPath;

const QString kNothingChanged = QStringLiteral("何も変更していません。");

// The deposits of the file, read as its kind says. A CSV goes by the mapping its layout was given in the
// window; the command line cannot ask for one.
std::vector<bank::Deposit> readDeposits(Database& db, const QByteArray& bytes, const QString& encoding,
                                        const QDate& today)
{
    if (bank::isZenginFile(bytes))
        return bank::readZenginFile(bytes, today).deposits;
    const QString layout = bank::bankCsvLayoutKey(bytes);
    std::optional<bank::BankCsvMapping> mapping = bank::readCsvMapping(db, layout);
    if (!mapping)
        throw bank::BankFileError(
            QStringLiteral("この形の CSV は、まだ列の指定がありません。画面の「入金消込」で一度"
                           "読み込み、日付・名前・金額の列を指定してください。"));
    if (encoding == QStringLiteral("utf-8"))
        mapping->encoding = csv::CsvEncoding::Utf8;
    else if (encoding == QStringLiteral("cp932"))
        mapping->encoding = csv::CsvEncoding::Cp932;
    return bank::readBankCsv(bytes, *mapping);
}

// The lines of the run, header first, as the schedule CSV writes dates and amounts.
QString resultLines(const bank::MatchRun& run)
{
    const QString end = QStringLiteral("\r\n");
    QString text = QStringLiteral("取引日,振込依頼人名,金額,判定,入金先名,予定日,予定額,入金額,手数料") + end;
    for (std::size_t i = 0; i < run.deposits.size(); ++i) {
        const bank::Deposit& deposit = run.deposits[i];
        const bank::DepositJudgement& judgement = run.judgements[i];
        const auto line = [&](const QString& payer, const bank::PlannedRow* row, const QString& received,
                              const QString& fee) {
            QString out;
            csv::appendField(out, toSlashDate(deposit.取引日));
            for (const QString& field :
                 {deposit.振込依頼人名, plainAmountText(deposit.金額),
                  bank::judgementName(judgement.judgement), payer, row ? toSlashDate(row->日付) : QString(),
                  row ? plainAmountText(row->予定額) : QString(), received, fee}) {
                out += QLatin1Char(',');
                csv::appendField(out, field);
            }
            text += out + end;
        };
        if (judgement.judgement == bank::Judgement::一致) {
            // The fee is the deposit's: it is told once, on its first row.
            bool first = true;
            for (qint64 id : judgement.rows) {
                const bank::PlannedRow* row = run.row(id);
                line(row ? row->入金先名 : judgement.payers.value(0), row,
                     row ? plainAmountText(row->予定額) : QString(),
                     first && !judgement.fee.isZero() ? plainAmountText(judgement.fee) : QString());
                first = false;
            }
        } else if (judgement.judgement == bank::Judgement::候補) {
            // The most likely row, for the reader to look at; nothing is applied.
            const bank::PlannedRow* row =
                judgement.candidates.empty() ? nullptr : run.row(judgement.candidates.front());
            line(row ? row->入金先名 : judgement.payers.value(0), row, {}, {});
        } else {
            line({}, nullptr, {}, {});
        }
    }
    return text;
}

} // namespace

int runMatchBankCommand(const BankCommandOptions& options, const QDateTime& now, QIODevice& standardOutput,
                        QIODevice& standardError)
{
    const QDate today = now.date();
    const QString encoding = options.encoding.trimmed().toLower();
    if (!encoding.isEmpty() && encoding != QStringLiteral("auto") && encoding != QStringLiteral("utf-8") &&
        encoding != QStringLiteral("cp932")) {
        say(standardError, QStringLiteral("--encoding には auto、utf-8、cp932 のどれかを指定してください。"));
        return kFailed;
    }
    const QString folder = options.dataFolder;
    // The deposits are matched against what is stored: a folder without data has nothing to match.
    if (QFileInfo(data_files::permanentPath(folder)).size() == 0) {
        say(standardError, QStringLiteral("データフォルダ「%1」にデータ（%2）がありません。")
                               .arg(shownPath(folder), data_files::kPermanentName));
        return kFailed;
    }
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly)) {
        say(standardError, QStringLiteral("ファイル「%1」を読み込めません。（%2）")
                               .arg(shownPath(options.file), file.errorString()));
        return kFailed;
    }
    const QByteArray bytes = file.readAll();
    QLockFile lock(folderLockPath(folder));
    if (!tryLockDataFolder(lock) && lock.error() == QLockFile::LockFailedError) {
        say(standardError, folderInUseMessage(folder));
        return kInUse;
    }

    try {
        const std::unique_ptr<Database> db =
            Database::open(data_files::permanentPath(folder), data_files::workPath(folder),
                           QDir(folder).filePath(QStringLiteral("backup")));
        if (const QString notice = db->takeUpgradeNotice(); !notice.isEmpty())
            say(standardError, notice);
        db->backups().setFailureHandler([&](const QString& message) { say(standardError, message); });
        const bank::MatchRun run = bank::matchStoredDeposits(*db, readDeposits(*db, bytes, encoding, today));
        bank::ApplyResult applied;
        if (!options.dryRun)
            applied = bank::applyDeposits(*db, bank::settledChoices(run), run.input.settings, now);
        const QByteArray lines = resultLines(run).toUtf8();
        if (standardOutput.write(lines) != lines.size()) {
            say(standardError, QStringLiteral("標準出力に書き込めません。"));
            return kFailed;
        }
        if (!options.dryRun)
            say(standardError, QStringLiteral("入金 %1 件を消し込み、%2 行の入金額を変更しました。")
                                   .arg(applied.deposits)
                                   .arg(applied.rowsChanged));
    } catch (const bank::BankFileError& e) {
        say(standardError, e.userMessage() + kNothingChanged);
        return kFailed;
    } catch (const schedule::AmountOutOfRange& e) {
        say(standardError, e.userMessage() + kNothingChanged);
        return kFailed;
    } catch (const MoneyOverflow&) {
        say(standardError, schedule::AmountOutOfRange().userMessage() + kNothingChanged);
        return kFailed;
    } catch (const StorageError& e) {
        say(standardError, e.userMessage());
        return kFailed;
    } catch (const std::exception&) {
        say(standardError,
            QStringLiteral("予期しない誤りのため、処理を完了できませんでした。") + kNothingChanged);
        return kFailed;
    }
    return kDone;
}

int runBankTask(const CommandLine& line, const QString& dataFolder)
{
    task_output::StandardStreams streams;
    BankCommandOptions options;
    options.dataFolder = dataFolder.endsWith(QLatin1Char('/')) ? dataFolder : dataFolder + QLatin1Char('/');
    options.file = line.value(QStringLiteral("match-bank"));
    options.dryRun = line.isSet(QStringLiteral("dry-run"));
    options.encoding = line.value(QStringLiteral("encoding"));
    return runMatchBankCommand(options, QDateTime::currentDateTime(), streams.out, streams.err);
}
