#include "app/cli/legacy_command.h"

#include "app/cli/command_line.h"
#include "app/cli/folder_lock.h"
#include "app/cli/startup.h"
#include "legacy/import_error.h"
#include "legacy/jet_reader.h"
#include "legacy/legacy_import.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRefused = 2;
constexpr int kFailed = 1;

} // namespace

int runImportLegacyCommand(const QString& dataDir, const QString& folder, bool replace, QTextStream& out,
                           QTextStream& err)
{
    if (!QDir().mkpath(dataDir)) {
        err << QStringLiteral("データ フォルダ「%1」を作成できません。")
                   .arg(QDir::toNativeSeparators(dataDir))
            << Qt::endl;
        return kFailed;
    }
    // A running copy keeps its files open: they are not replaced under it.
    QLockFile lock(folderLockPath(dataDir));
    if (!tryLockDataFolder(lock)) {
        if (lock.error() == QLockFile::LockFailedError) {
            err << folderInUseMessage(dataDir) << Qt::endl;
            return kRefused;
        }
        err << QStringLiteral("データ フォルダのロックファイル「%1」を作成できません。")
                   .arg(QDir::toNativeSeparators(folderLockPath(dataDir)))
            << Qt::endl;
        return kFailed;
    }
    try {
        legacy::ImportOptions options;
        options.replaceStoredData = replace;
        const legacy::ImportSummary summary = legacy::importLegacyData(folder, dataDir, options);
        out << legacy::summaryLine(summary) << Qt::endl;
        return 0;
    } catch (const legacy::ImportError& e) {
        QString message = e.userMessage();
        if (e.kind() == legacy::ImportError::Kind::HoldsData)
            message +=
                QStringLiteral("（--replace を付けると置き換えます。置き換える前のデータはバックアップとして"
                               "保存します。）");
        err << message << Qt::endl;
        return e.kind() == legacy::ImportError::Kind::HoldsData ? kRefused : kFailed;
    } catch (const std::exception& e) {
        err << QStringLiteral("取り込みを完了できませんでした。データは変更していません。（%1）")
                   .arg(QString::fromLocal8Bit(e.what()))
            << Qt::endl;
        return kFailed;
    }
}

std::optional<int> runJetReaderChild(int argc, char** argv)
{
    // "--read-jet FILE TABLE...", nothing else on its line. It needs no application object; without one
    // the C library's number formats stay those of the "C" locale.
    if (argc >= 3 && std::strcmp(argv[1], "--read-jet") == 0) {
        std::vector<std::string> tables(argv + 3, argv + argc);
        return legacy::runJetReader(argv[2], tables, stdout);
    }
    return std::nullopt;
}

int runLegacyTask(const CommandLine& line, const QString& dataFolder)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runImportLegacyCommand(dataFolder,
                                  QDir::fromNativeSeparators(line.value(QStringLiteral("import-legacy"))),
                                  line.isSet(QStringLiteral("replace")), out, err);
}
