#include "app/cli/terms_command.h"

#include "app/cli/command_line.h"
#include "app/cli/folder_lock.h"
#include "app/cli/task_output.h"
#include "common/dates.h"
#include "payers/payer_csv.h"
#include "schedule/balances.h"
#include "storage/backup.h"
#include "storage/data_files.h"
#include "storage/database.h"
#include "terms/terms_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <memory>

namespace {

using task_output::kDone;
using task_output::kFailed;
using task_output::kInUse;
using task_output::say;
using task_output::shownPath;

const QString kNothingChanged = QStringLiteral("何も変更していません。");

// A refusal of the input, said on standard error with exit code 1.
struct Refusal
{
    QString message;
};

terms::YearMonth monthOf(const QString& option, const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})-([0-9]{2})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    const terms::YearMonth month{match.captured(1).toInt(), match.captured(2).toInt()};
    if (!match.hasMatch() || month.month < 1 || month.month > 12)
        throw Refusal{QStringLiteral("%1 の月「%2」は YYYY-MM の形で指定してください。").arg(option, text)};
    return month;
}

std::optional<csv::CsvEncoding> encodingOf(const QString& name, bool automatic)
{
    const QString n = name.trimmed().toLower();
    if (n.isEmpty() || (automatic && n == QStringLiteral("auto")))
        return std::nullopt;
    if (n == QStringLiteral("utf-8") || n == QStringLiteral("utf8"))
        return csv::CsvEncoding::Utf8;
    if (n == QStringLiteral("cp932") || n == QStringLiteral("shift_jis") || n == QStringLiteral("sjis"))
        return csv::CsvEncoding::Cp932;
    throw Refusal{automatic
                      ? QStringLiteral("--encoding には auto、utf-8、cp932 のどれかを指定してください。")
                      : QStringLiteral("--encoding には utf-8 か cp932 を指定してください。")};
}

QByteArray readInput(const QString& file, QIODevice& standardInput)
{
    if (file == QStringLiteral("-"))
        return standardInput.readAll();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        throw Refusal{QStringLiteral("ファイル「%1」を読み込めません。（%2）%3")
                          .arg(shownPath(file), input.errorString(), kNothingChanged)};
    return input.readAll();
}

void writeOutput(const QString& file, const QByteArray& bytes, QIODevice& standardOutput)
{
    if (file == QStringLiteral("-")) {
        if (standardOutput.write(bytes) != bytes.size())
            throw Refusal{QStringLiteral("標準出力に書き込めません。")};
        return;
    }
    // Written whole or not at all: a half-written file must never pass for an export.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw Refusal{
            QStringLiteral("ファイル「%1」に書き込めません。（%2）").arg(shownPath(file), out.errorString())};
}

// The plan as the schedule's file writes rows: yyyy/mm/dd, the name quoted where it must be, plain
// amounts, CRLF.
QByteArray planText(const std::vector<terms::PlannedRow>& rows)
{
    QString text = QStringLiteral("日付,入金先名,予定額\r\n");
    for (const terms::PlannedRow& row : rows) {
        text += toSlashDate(row.date) + QLatin1Char(',');
        csv::appendField(text, row.payer);
        text += QLatin1Char(',') + plainAmountText(row.amount) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

int runTask(const TermsCommandOptions& options, Database& db, QIODevice& in, QIODevice& out, QIODevice& err)
{
    if (options.task == QStringLiteral("export-payers")) {
        const payers::PayerCsvExport result =
            payers::exportPayers(db, encodingOf(options.encoding, false).value_or(csv::CsvEncoding::Utf8));
        if (!result.ok())
            throw Refusal{result.error};
        writeOutput(options.file, result.bytes, out);
        return kDone;
    }
    if (options.task == QStringLiteral("import-payers")) {
        const std::optional<csv::CsvEncoding> encoding = encodingOf(options.encoding, true);
        const payers::PayerCsvImport result = payers::importPayers(db, readInput(options.file, in), encoding);
        if (!result.problems.isEmpty())
            throw Refusal{
                QStringLiteral("取り込めませんでした。%1\n%2").arg(kNothingChanged, result.problems.text())};
        say(err, QStringLiteral("追加 %1 件、更新 %2 件、変更なし %3 件")
                     .arg(result.summary.added)
                     .arg(result.summary.updated)
                     .arg(result.summary.unchanged));
        return kDone;
    }
    if (options.task == QStringLiteral("due-date")) {
        const std::optional<QDate> invoice = parseSeparatedDate(options.date);
        static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        if (!invoice || !form.match(options.date.trimmed()).hasMatch())
            throw Refusal{
                QStringLiteral("請求日「%1」は YYYY-MM-DD の形で指定してください。").arg(options.date)};
        out.write((toSlashDate(terms::dueDateFor(db, options.payer, *invoice)) + QLatin1Char('\n')).toUtf8());
        return kDone;
    }
    // plan-receipts
    if (options.from.isEmpty() || options.to.isEmpty())
        throw Refusal{QStringLiteral("--plan-receipts には --from と --to の月を指定してください。")};
    const std::vector<terms::PlannedRow> rows = terms::planReceipts(
        db, monthOf(QStringLiteral("--from"), options.from), monthOf(QStringLiteral("--to"), options.to));
    if (!options.dryRun)
        terms::storePlannedRows(db, rows);
    out.write(planText(rows));
    return kDone;
}

} // namespace

bool isTermsTask(const QString& task)
{
    return task == QStringLiteral("export-payers") || task == QStringLiteral("import-payers") ||
           task == QStringLiteral("due-date") || task == QStringLiteral("plan-receipts");
}

int runTermsCommand(const TermsCommandOptions& options, QIODevice& standardInput, QIODevice& standardOutput,
                    QIODevice& standardError)
{
    const QString folder = options.dataFolder;
    // These tasks work on data that is there; none of them creates a data folder or file. A file of 0
    // bytes holds no data (the open would set it up as new).
    if (QFileInfo(data_files::permanentPath(folder)).size() == 0) {
        say(standardError, QStringLiteral("データフォルダ「%1」にデータ（%2）がありません。")
                               .arg(shownPath(folder), data_files::kPermanentName));
        return kFailed;
    }
    QLockFile lock(folderLockPath(folder));
    if (!tryLockDataFolder(lock) && lock.error() == QLockFile::LockFailedError) {
        say(standardError, folderInUseMessage(folder));
        return kInUse;
    }
    try {
        // The work file is not needed: the tasks read and write the permanent file only, so one in memory
        // stands in and the window's draft stays as it was.
        const std::unique_ptr<Database> db =
            Database::open(data_files::permanentPath(folder), QStringLiteral(":memory:"),
                           QDir(folder).filePath(QStringLiteral("backup")));
        if (const QString notice = db->takeUpgradeNotice(); !notice.isEmpty())
            say(standardError, notice);
        db->backups().setFailureHandler([&](const QString& message) { say(standardError, message); });
        return runTask(options, *db, standardInput, standardOutput, standardError);
    } catch (const Refusal& refusal) {
        say(standardError, refusal.message);
    } catch (const terms::TermsInputError& e) {
        say(standardError, e.userMessage());
    } catch (const schedule::AmountOutOfRange& e) {
        say(standardError, e.userMessage() + kNothingChanged);
    } catch (const StorageError& e) {
        say(standardError, e.userMessage());
    } catch (const std::exception&) {
        say(standardError,
            QStringLiteral("予期しない誤りのため、処理を完了できませんでした。") + kNothingChanged);
    }
    return kFailed;
}

int runTermsTask(const CommandLine& line, const QString& dataFolder)
{
    task_output::StandardStreams streams;
    TermsCommandOptions options;
    options.task = line.task;
    options.dataFolder = dataFolder.endsWith(QLatin1Char('/')) ? dataFolder : dataFolder + QLatin1Char('/');
    options.file = line.value(line.task);
    options.payer = line.value(QStringLiteral("due-date"));
    options.date = line.secondValue;
    options.encoding = line.value(QStringLiteral("encoding"));
    options.from = line.value(QStringLiteral("from"));
    options.to = line.value(QStringLiteral("to"));
    options.dryRun = line.isSet(QStringLiteral("dry-run"));
    return runTermsCommand(options, streams.in, streams.out, streams.err);
}
