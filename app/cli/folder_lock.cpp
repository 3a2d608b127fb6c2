#include "app/cli/folder_lock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cstdlib>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString canonicalDataFolder(const QString& dataFolder)
{
    const QDir dir(dataFolder);
    const QString canonical = dir.canonicalPath();
    return canonical.isEmpty() ? dir.absolutePath() : canonical;
}

QString folderLockPath(const QString& dataFolder)
{
    return QDir(canonicalDataFolder(dataFolder)).filePath(QStringLiteral(".dorivan.lock"));
}

bool tryLockDataFolder(QLockFile& lock)
{
    // Only a lock whose process is gone from this computer counts as stale; a copy that runs for days
    // keeps its lock, and a lock written on another computer is never judged from here.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    if (lock.error() != QLockFile::LockFailedError)
        return false;
    // QLockFile judges a lock by the process its file names, so a file that names none would hold the
    // folder for good. A holder writes its file the moment it creates it: one still empty a second
    // later was left so. Removal fails while a process of this computer holds the file open and locked.
    qint64 pid = 0;
    if (QLockFile(lock.fileName()).getLockInfo(&pid, nullptr, nullptr))
        return false;
    const QDateTime written = QFileInfo(lock.fileName()).lastModified();
    if (written.isValid() && std::abs(written.msecsTo(QDateTime::currentDateTime())) < 1000)
        return false;
    QLockFile left(lock.fileName());
    return left.removeStaleLockFile() && lock.tryLock(0);
}

QString folderLockHolder(const QString& lockPath)
{
    qint64 pid = 0;
    QString host;
    if (!QLockFile(lockPath).getLockInfo(&pid, &host, nullptr))
        return {};
    if (host.isEmpty() || host == QSysInfo::machineHostName())
        return QStringLiteral("このコンピュータのプロセス番号 %1").arg(pid);
    return QStringLiteral("コンピュータ「%1」のプロセス番号 %2").arg(host, QString::number(pid));
}

QString folderInUseMessage(const QString& dataFolder)
{
    const QString lockPath = folderLockPath(dataFolder);
    const QString holder = folderLockHolder(lockPath);
    return QStringLiteral(
               "データフォルダ「%1」は、実行中の入金予定表が使用しています（%2、ロックファイル「%3」）。"
               "入金予定表を終了してから、もう一度実行してください。")
        .arg(shown(canonicalDataFolder(dataFolder) + QLatin1Char('/')),
             holder.isEmpty() ? QStringLiteral("使用者は分かりません") : holder, shown(lockPath));
}
