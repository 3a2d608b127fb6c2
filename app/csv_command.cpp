#include "app/csv_command.h"

#include "app/startup.h"
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "schedule/balances.h"
#include "settings/settings_record.h"
#include "storage/backup.h"
#include "storage/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstring>
#include <memory>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kInUse = 2;

const QString kPermanentFile = QStringLiteral("Dorivan.mdb");
const QString kWorkFile = QStringLiteral("DorivanWork.mdb");

void say(QIODevice& err, const QString& message)
{
    err.write(message.toUtf8());
    if (!message.endsWith(QLatin1Char('\n')))
        err.write("\n");
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The running program holds this lock on its data folder; a command that cannot take it leaves the
// folder alone. Only a lock whose process is gone counts as stale.
enum class FolderLock { Taken, InUse, Unavailable };
FolderLock lockFolder(const QString& folder, std::unique_ptr<QLockFile>& lock)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    lock = std::make_unique<QLockFile>(QDir(canonical).filePath(QStringLiteral(".dorivan.lock")));
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
    // An export reads what is there; it never creates a data folder of its own.
    if (!QFileInfo::exists(QDir(folder).filePath(kPermanentFile))) {
        say(standardError, QStringLiteral("データフォルダ「%1」にデータ（%2）がありません。")
                               .arg(shownPath(folder), kPermanentFile));
        return kFailed;
    }
    std::unique_ptr<QLockFile> lock;
    if (lockFolder(folder, lock) == FolderLock::InUse) {
        say(standardError, inUseMessage(folder));
        return kInUse;
    }

    csv::ExportResult result;
    try {
        const std::unique_ptr<Database> db =
            Database::open(QDir(folder).filePath(kPermanentFile), QDir(folder).filePath(kWorkFile));
        result = csv::exportSchedule(*db, range, encoding.value_or(csv::CsvEncoding::Utf8));
    } catch (const StorageError& e) {
        say(standardError, e.userMessage());
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
    // Like the first start of the program, an import into a new folder creates it.
    if (!QDir().mkpath(folder)) {
        say(standardError, QStringLiteral("データフォルダ「%1」を作成できません。").arg(shownPath(folder)));
        return kFailed;
    }
    std::unique_ptr<QLockFile> lock;
    if (lockFolder(folder, lock) == FolderLock::InUse) {
        say(standardError, inUseMessage(folder));
        return kInUse;
    }

    QByteArray bytes;
    if (options.file == QStringLiteral("-")) {
        bytes = standardInput.readAll();
    } else {
        QFile file(options.file);
        if (!file.open(QIODevice::ReadOnly)) {
            say(standardError, QStringLiteral("取り込めませんでした。何も変更していません。\n"
                                              "ファイル「%1」を読み込めません。（%2）")
                                   .arg(shownPath(options.file), file.errorString()));
            return kFailed;
        }
        bytes = file.readAll();
    }

    try {
        const std::unique_ptr<Database> db =
            Database::open(QDir(folder).filePath(kPermanentFile), QDir(folder).filePath(kWorkFile));
        // The day's copy is taken as the window takes it; one that fails is told and the work goes on.
        db->setBackupFolder(QDir(folder).filePath(QStringLiteral("backup")));
        db->backups().setFailureHandler([&](const QString& message) { say(standardError, message); });
        const bool registerPayers = settings::Read設定(*db).autoRegister;
        const csv::PreparedImport prepared = csv::prepareImport(*db, bytes, encoding, registerPayers);
        if (!prepared.problems.isEmpty()) {
            say(standardError,
                QStringLiteral("取り込めませんでした。何も変更していません。\n") + prepared.problems.text());
            return kFailed;
        }
        const csv::ImportSummary summary = csv::applyImport(*db, prepared.plan);
        say(standardError, csv::summaryText(summary));
    } catch (const schedule::AmountOutOfRange& e) {
        say(standardError, e.userMessage());
        return kFailed;
    } catch (const StorageError& e) {
        say(standardError, e.userMessage());
        return kFailed;
    }
    return kDone;
}

namespace {

bool asksForCsv(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--export-csv", "--import-csv"}) {
            const std::size_t length = std::strlen(option);
            if (std::strncmp(argv[i], option, length) == 0 &&
                (argv[i][length] == '\0' || argv[i][length] == '='))
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<int> runCsvCommandLine(int argc, char** argv)
{
    if (!asksForCsv(argc, argv))
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QFile out;
    QFile err;
    QFile in;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    in.open(stdin, QIODevice::ReadOnly);

    QCommandLineParser parser;
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("データフォルダ"),
                                     QStringLiteral("DIR"));
    const QCommandLineOption exportCsv(QStringLiteral("export-csv"), QStringLiteral("CSVの書き出し"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption importCsv(QStringLiteral("import-csv"), QStringLiteral("CSVの取り込み"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("最初の月"),
                                  QStringLiteral("YYYY-MM"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("最後の月"), QStringLiteral("YYYY-MM"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), QStringLiteral("文字コード"),
                                      QStringLiteral("ENCODING"));
    const QCommandLineOption instance(QStringLiteral("instance-name"), QStringLiteral("二重起動防止の名前"),
                                      QStringLiteral("NAME"));
    parser.addOptions({dataDir, exportCsv, importCsv, from, to, encoding, instance});
    // A mistyped option must not quietly export or import something else than was asked for.
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        say(err,
            QStringLiteral("コマンドラインが正しくありません。%1\n"
                           "使い方: dorivan --data-dir DIR --export-csv FILE [--from YYYY-MM] [--to YYYY-MM]"
                           " [--encoding utf-8|cp932]\n"
                           "        dorivan --data-dir DIR --import-csv FILE [--encoding auto|utf-8|cp932]")
                .arg(parser.errorText()));
        return kFailed;
    }
    if (parser.isSet(exportCsv) == parser.isSet(importCsv)) {
        say(err, QStringLiteral("--export-csv と --import-csv は一度にどちらか一つだけ指定してください。"));
        return kFailed;
    }

    CsvCommandOptions options;
    options.dataFolder = parser.isSet(dataDir) ? QDir::fromNativeSeparators(parser.value(dataDir))
                                               : defaultDataFolder(QCoreApplication::applicationDirPath());
    if (!options.dataFolder.endsWith(QLatin1Char('/')))
        options.dataFolder += QLatin1Char('/');
    options.file = parser.value(parser.isSet(exportCsv) ? exportCsv : importCsv);
    options.from = parser.value(from);
    options.to = parser.value(to);
    options.encoding = parser.value(encoding);
    const int code = parser.isSet(exportCsv) ? runExportCsvCommand(options, out, err)
                                             : runImportCsvCommand(options, in, err);
    out.flush();
    err.flush();
    return code;
}
