#include "app/shell/single_instance.h"

#include "app/cli/folder_lock.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QThread>

namespace {
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QString kTitle = QStringLiteral("入金予定表");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

QString folderServerName(const QString& dataFolder)
{
    QString folder = canonicalDataFolder(dataFolder);
#ifdef Q_OS_WIN
    // One folder may be spelt in either case there; both spellings must reach the same copy.
    folder = folder.toLower();
#endif
    // A hash keeps the name short enough for a socket path and free of the folder's own characters.
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("dorivan-") + QString::fromLatin1(hash.left(16).toHex());
}

SingleInstanceGuard::SingleInstanceGuard(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_folder(canonicalDataFolder(dataFolder) + QLatin1Char('/')),
      m_lockPath(folderLockPath(dataFolder)), m_serverName(folderServerName(dataFolder))
{
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

SingleInstanceGuard::Lock SingleInstanceGuard::acquire()
{
    if (m_lock && m_lock->isLocked())
        return Lock::Taken;
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    if (tryLockDataFolder(*m_lock)) {
        listen();
        return Lock::Taken;
    }
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Lock::HeldByCopy;
    case QLockFile::PermissionError:
        return Lock::Unguarded;
    default:
        return Lock::Failed;
    }
}

void SingleInstanceGuard::listen()
{
    if (m_server)
        return;
    m_server = new QLocalServer(this);
    // A socket file left by a crashed copy would block listening; the lock says it is ours now.
    QLocalServer::removeServer(m_serverName);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Without the socket later starts cannot raise this window, but the folder stays guarded by the lock.
    if (m_server->listen(m_serverName))
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::onConnection);
}

void SingleInstanceGuard::onConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine())
                if (socket->readLine() == kRaise)
                    emit raiseRequested();
        });
    }
}

bool SingleInstanceGuard::requestRaise(int timeoutMs) const
{
    // The holder may take the lock a moment before it listens; try again until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(kRaise);
            const bool written =
                socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1)));
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(1000);
            return written;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
}

bool SingleInstanceGuard::takeOver()
{
    if (m_lock && m_lock->isLocked())
        return true;
    QLockFile holder(m_lockPath);
    // Removal fails while the holder's process runs on this computer: it keeps the file locked.
    if (!holder.removeStaleLockFile() && QFileInfo::exists(m_lockPath))
        return false;
    return acquire() == Lock::Taken;
}

QString SingleInstanceGuard::holderDescription() const
{
    return folderLockHolder(m_lockPath);
}

namespace {

bool askToTakeOver(const SingleInstanceGuard& guard, QWidget* parent)
{
    const QString holder = guard.holderDescription();
    const QString text =
        QStringLiteral("データフォルダ「%1」は、ほかの入金予定表が使用中です（%2）。\n"
                       "その入金予定表から応答がありません。別のコンピュータで動いているか、"
                       "ロックファイル「%3」が残っているおそれがあります。\n\n"
                       "注意：その入金予定表がまだ動いているときにロックを引き継ぐと、二つの入金予定表が"
                       "同じデータを書き換え、データが壊れたり失われたりします。ほかで動いていないことを"
                       "確かめてから引き継いでください。\n\n"
                       "ロックを引き継いで、このデータフォルダを開きますか？")
            .arg(shown(guard.folder()), holder.isEmpty() ? QStringLiteral("使用者は分かりません") : holder,
                 shown(guard.lockPath()));
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void tell(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, kTitle, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

FolderClaim claimDataFolder(SingleInstanceGuard& guard, QWidget* dialogParent, int answerTimeoutMs)
{
    switch (guard.acquire()) {
    case SingleInstanceGuard::Lock::Taken:
    case SingleInstanceGuard::Lock::Unguarded:
        return FolderClaim::Open;
    case SingleInstanceGuard::Lock::Failed:
        tell(dialogParent, QStringLiteral("データフォルダ「%1」のロックファイル「%2」を作成できません。")
                               .arg(shown(guard.folder()), shown(guard.lockPath())));
        return FolderClaim::Refused;
    case SingleInstanceGuard::Lock::HeldByCopy:
        break;
    }
    // A later start never opens the folder itself: the copy that holds it comes forward instead.
    if (guard.requestRaise(answerTimeoutMs))
        return FolderClaim::HandedOver;
    if (!askToTakeOver(guard, dialogParent))
        return FolderClaim::Refused;
    if (guard.takeOver())
        return FolderClaim::Open;
    tell(dialogParent,
         QStringLiteral("ロックファイル「%1」を引き継げませんでした。このコンピュータで入金予定表がまだ動いて"
                        "いるか、ファイルを削除する権限がありません。")
             .arg(shown(guard.lockPath())));
    return FolderClaim::Refused;
}
