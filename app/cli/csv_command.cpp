#include "app/cli/csv_command.h"

#include "app/cli/command_line.h"
#include "app/cli/folder_lock.h"
#include "app/cli/task_output.h"
#include "storage/data_files.h"

#include "app/cli/startup.h"
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "schedule/balances.h"
#include "settings/settings_record.h"
#include "storage/backup.h"
#include "storage/database.h"

#include <QCoreApplication>
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

using data_files::kPermanentName;

// The running program holds this lock on its data folder; a command that cannot take it leaves the
// folder alone. Only a lock whose process is gone counts as stale.
enum class FolderLock { Taken, InUse, Unavailable };
FolderLock lockFolder(const QString& folder, std::unique_ptr<QLockFile>& lock)
{
    lock = std::make_unique<QLockFile>(folderLockPath(folder));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return FolderLock::Taken;
    // A folder the user may only read cannot hold a lock file; the store reports what it cannot write.
    return lock->error() == QLockFile::LockFailedError ? FolderLock::InUse : FolderLock::Unavailable;
}

QString inUseMessage(const QString& folder)
{
    return QStringLiteral("データフォルダ「%1」は、起動中の入金予定表が使用しています。"
                          "入金予定表を終了してから、もう一度実行してください。")
        .arg(shownPath(folder));
}

// YYYY-MM as a month's first day; invalid for anything else.
QDate monthOf(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})-([0-9]{2})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    return match.hasMatch() ? QDate(match.captured(1).toInt(), match.captured(2).toInt(), 1) : QDate();
}

// The encoding named on the command line; `automatic` tells whether "auto" (and no name) is allowed.
bool encodingOf(const QString& name, bool automatic, std::optional<csv::CsvEncoding>* encoding)
{
    const QString n = name.trimmed().toLower();
    if (n.isEmpty() || n == QStringLiteral("auto")) {
        // Nothing named: the default of each command, UTF-8 for an export and detection for an import.
        *encoding = std::nullopt;
        return automatic || n.isEmpty();
    }
    if (n == QStringLiteral("utf-8") || n == QStringLiteral("utf8")) {
        *encoding = csv::CsvEncoding::Utf8;
        return true;
    }
    if (n == QStringLiteral("cp932") || n == QStringLiteral("shift_jis") || n == QStringLiteral("sjis")) {
        *encoding = csv::CsvEncoding::Cp932;
        return true;
    }
    return false;
}

const QString kNothingChanged = QStringLiteral("取り込めませんでした。何も変更していません。\n");
const QString kUnforeseen = QStringLiteral("予期しない誤りのため、処理を完了できませんでした。");

QString backupFolder(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("backup"));
}

// Files of an older format are brought forward by the open, after a copy into the backup folder, as
// the window's start does; the user hears of it on standard error.
std::unique_ptr<Database> toldOfUpgrade(std::unique_ptr<Database> db, QIODevice& err)
{
    if (const QString notice = db->takeUpgradeNotice(); !notice.isEmpty())
        say(err, notice);
    return db;
}

// The data folder of an import, opened (and on a first import created) as the program opens it.
std::unique_ptr<Database> openForImport(const QString& folder, QIODevice& err)
{
    return toldOfUpgrade(
        Database::open(data_files::permanentPath(folder), data_files::workPath(folder), backupFolder(folder)),
        err);
}

// The data folder of an export: it reads only the permanent file, so the work file is left alone and
// one held in memory stands in for it.
std::unique_ptr<Database> openForExport(const QString& folder, QIODevice& err)
{
    return toldOfUpgrade(
        Database::open(data_files::permanentPath(folder), QStringLiteral(":memory:"), backupFolder(folder)),
        err);
}

// What a task created in the data folder, taken back unless the task keeps it: a failed import leaves
// the folder as it found it, with no new data files, backup copies or folders.
class FolderChanges
{
public:
    explicit FolderChanges(const QString& folder)
        : m_backups(QDir(folder).filePath(QStringLiteral("backup"))),
          m_backupsExisted(QFileInfo::exists(m_backups))
    {
        // The outermost folder that is not there yet goes again with everything in it.
        for (QString missing = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
             !QFileInfo::exists(missing); missing = QFileInfo(missing).path()) {
            m_createdRoot = missing;
            if (QDir(missing).isRoot())
                break;
        }
        for (const QString& path : {data_files::permanentPath(folder), data_files::workPath(folder)})
            if (!QFileInfo::exists(path))
                m_newFiles << path << path + QStringLiteral("-journal");
        if (m_backupsExisted)
            m_oldCopies = QDir(m_backups).entryList(QDir::Files);
    }
    FolderChanges(const FolderChanges&) = delete;
    FolderChanges& operator=(const FolderChanges&) = delete;
    ~FolderChanges()
    {
        if (m_kept)
            return;
        if (!m_createdRoot.isEmpty()) {
            QDir(m_createdRoot).removeRecursively();
            return;
        }
        for (const QString& path : std::as_const(m_newFiles))
            QFile::remove(path);
        if (!m_backupsExisted) {
            QDir(m_backups).removeRecursively();
        } else if (!m_newFiles.isEmpty()) {
            // A copy of a data file this task created holds nothing of the user's.
            for (const QString& name : QDir(m_backups).entryList(QDir::Files))
                if (!m_oldCopies.contains(name))
                    QFile::remove(QDir(m_backups).filePath(name));
        }
    }
    void keep() { m_kept = true; }

private:
    QString m_createdRoot;
    QString m_backups;
    bool m_backupsExisted;
    QStringList m_newFiles;
    QStringList m_oldCopies;
    bool m_kept = false;
};

} // namespace

int runExportCsvCommand(const CsvCommandOptions& options, QIODevice& standardOutput, QIODevice& standardError)
{
    std::optional<csv::CsvEncoding> encoding;
    if (!encodingOf(options.encoding, false, &encoding)) {
        say(standardError, QStringLiteral("--encoding には utf-8 か cp932 を指定してください。"));
        return kFailed;
    }
    csv::ExportRange range;
    for (const auto& [text, month] :
         {std::pair{options.from, &range.fromMonth}, {options.to, &range.toMonth}}) {
        if (text.isEmpty())
            continue;
        *month = monthOf(text);
        if (!month->isValid()) {
            say(standardError, QStringLiteral("月「%1」は YYYY-MM の形で指定してください。").arg(text));
            return kFailed;
        }
    }
    if (range.fromMonth.isValid() && range.toMonth.isValid() && range.fromMonth > range.toMonth) {
        say(standardError, QStringLiteral("--from の月が --to の月より後になっています。"));
        return kFailed;
    }

    const QString folder = options.dataFolder;
    // An export reads what is there; it never creates a data folder or a data file of its own. A file
    // of 0 bytes holds no data (the open would set it up as new).
    if (QFileInfo(data_files::permanentPath(folder)).size() == 0) {
        say(standardError, QStringLiteral("データフォルダ「%1」にデータ（%2）がありません。")
                               .arg(shownPath(folder), kPermanentName));
        return kFailed;
    }
    std::unique_ptr<QLockFile> lock;
    if (lockFolder(folder, lock) == FolderLock::InUse) {
        say(standardError, inUseMessage(folder));
        return kInUse;
    }

    csv::ExportResult result;
    try {
        const std::unique_ptr<Database> db = openForExport(folder, standardError);
        result = csv::exportSchedule(*db, range, encoding.value_or(csv::CsvEncoding::Utf8));
    } catch (const StorageError& e) {
        say(standardError, e.userMessage());
        return kFailed;
    } catch (const std::exception&) {
        say(standardError, kUnforeseen);
        return kFailed;
    }
    if (!result.ok()) {
        say(standardError, result.error);
        return kFailed;
    }

    if (options.file == QStringLiteral("-")) {
        if (standardOutput.write(result.bytes) != result.bytes.size()) {
            say(standardError, QStringLiteral("標準出力に書き込めません。"));
            return kFailed;
        }
        return kDone;
    }
    // Written whole or not at all: a half-written file must never pass for an export.
    QSaveFile file(options.file);
    if (!file.open(QIODevice::WriteOnly) || file.write(result.bytes) != result.bytes.size() ||
        !file.commit()) {
        say(standardError, QStringLiteral("ファイル「%1」に書き込めません。（%2）")
                               .arg(shownPath(options.file), file.errorString()));
        return kFailed;
    }
    return kDone;
}

int runImportCsvCommand(const CsvCommandOptions& options, QIODevice& standardInput, QIODevice& standardError)
{
    std::optional<csv::CsvEncoding> encoding;
    if (!encodingOf(options.encoding, true, &encoding)) {
        say(standardError, QStringLiteral("--encoding には auto、utf-8、cp932 のどれかを指定してください。"));
        return kFailed;
    }
    if (!options.from.isEmpty() || !options.to.isEmpty()) {
        say(standardError, QStringLiteral("--from と --to は書き出し（--export-csv）にだけ指定できます。"));
        return kFailed;
    }

    const QString folder = options.dataFolder;
    // Like the first start of the program, an import into a new folder creates it; one that fails takes
    // back whatever it created.
    FolderChanges changes(folder);
    if (!QDir().mkpath(folder)) {
        say(standardError, QStringLiteral("データフォルダ「%1」を作成できません。").arg(shownPath(folder)));
        return kFailed;
    }
    std::unique_ptr<QLockFile> lock;
    if (lockFolder(folder, lock) == FolderLock::InUse) {
        say(standardError, inUseMessage(folder));
        return kInUse;
    }

    QFile file;
    QIODevice* source = &standardInput;
    if (options.file != QStringLiteral("-")) {
        file.setFileName(options.file);
        if (!file.open(QIODevice::ReadOnly)) {
            say(standardError, kNothingChanged + QStringLiteral("ファイル「%1」を読み込めません。（%2）")
                                                     .arg(shownPath(options.file), file.errorString()));
            return kFailed;
        }
        source = &file;
    }

    try {
        // The day's copy is taken as the window takes it; one that fails is told and the work goes on.
        const std::unique_ptr<Database> db = openForImport(folder, standardError);
        db->backups().setFailureHandler([&](const QString& message) { say(standardError, message); });
        const bool registerPayers = settings::readSettingsRecord(*db).autoRegister;
        const csv::PreparedImport prepared = csv::prepareImport(*db, *source, encoding, registerPayers);
        if (!prepared.problems.isEmpty()) {
            say(standardError, kNothingChanged + prepared.problems.text());
            return kFailed;
        }
        const csv::ImportSummary summary = csv::applyImport(*db, prepared.plan);
        say(standardError, csv::summaryText(summary));
    } catch (const schedule::AmountOutOfRange& e) {
        say(standardError, kNothingChanged + e.userMessage());
        return kFailed;
    } catch (const StorageError& e) {
        say(standardError, kNothingChanged + e.userMessage());
        return kFailed;
    } catch (const std::bad_alloc&) {
        say(standardError, kNothingChanged + QStringLiteral("メモリが足りません。"));
        return kFailed;
    } catch (const std::exception&) {
        say(standardError, kNothingChanged + kUnforeseen);
        return kFailed;
    }
    changes.keep();
    return kDone;
}

int runCsvTask(const CommandLine& line, const QString& dataFolder)
{
    task_output::StandardStreams streams;
    const bool exporting = line.task == QStringLiteral("export-csv");
    CsvCommandOptions options;
    options.dataFolder = dataFolder;
    if (!options.dataFolder.endsWith(QLatin1Char('/')))
        options.dataFolder += QLatin1Char('/');
    options.file = line.value(line.task);
    options.from = line.value(QStringLiteral("from"));
    options.to = line.value(QStringLiteral("to"));
    options.encoding = line.value(QStringLiteral("encoding"));
    return exporting ? runExportCsvCommand(options, streams.out, streams.err)
                     : runImportCsvCommand(options, streams.in, streams.err);
}
