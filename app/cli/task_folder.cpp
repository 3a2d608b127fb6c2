#include "app/cli/task_folder.h"

#include "app/cli/folder_lock.h"
#include "legacy/file_swap.h"
#include "legacy/import_error.h"
#include "legacy/jet_header.h"
#include "storage/data_files.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>

namespace {
constexpr int kFailed = 1;
constexpr int kInUse = 2;
} // namespace

std::optional<int> prepareTaskFolder(const QString& dataFolder, const QString& task, QTextStream& err)
{
    // A folder that is not there yet holds nothing to complete or to refuse.
    if (!QFileInfo(dataFolder).isDir())
        return std::nullopt;
    QLockFile lock(folderLockPath(dataFolder));
    // A folder the user may only read takes no lock file; the task reports what it cannot write.
    if (!tryLockDataFolder(lock) && lock.error() == QLockFile::LockFailedError) {
        err << folderInUseMessage(dataFolder) << Qt::endl;
        return kInUse;
    }
    try {
        legacy::finishInterruptedSwap(dataFolder);
    } catch (const legacy::ImportError& e) {
        err << e.userMessage() << Qt::endl;
        return kFailed;
    }
    const QString permanent = data_files::permanentPath(dataFolder);
    if (task != QStringLiteral("import-legacy") && legacy::hasJetSignature(permanent)) {
        const QString folder = QDir::toNativeSeparators(QDir(dataFolder).absolutePath());
        err << QStringLiteral(
                   "データ フォルダ「%1」の %2 は、以前のプログラムの形式（Access）のデータ ファイルの"
                   "ため、このままでは使えません。先に「--data-dir %1 --import-legacy %1」で取り込んで"
                   "ください。何も変更していません。")
                   .arg(folder, data_files::kPermanentName)
            << Qt::endl;
        return kFailed;
    }
    return std::nullopt;
}
