#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

namespace {
const QByteArray kRaise = QByteArrayLiteral("raise\n");
}

SingleInstanceGuard::SingleInstanceGuard(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

QString SingleInstanceGuard::defaultName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    user.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QStringLiteral("dorivan-") + (user.isEmpty() ? QStringLiteral("user") : user);
}

bool SingleInstanceGuard::acquire()
{
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(m_name + QStringLiteral(".lock")));
    // Only a lock whose process is gone counts as stale; a copy that runs for days keeps its lock.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_server = new QLocalServer(this);
    // A socket file left by a crashed copy would block listening; the lock says it is ours now.
    QLocalServer::removeServer(m_name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(m_name))
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::onConnection);
    return true;
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
    // The first copy may hold the lock a moment before it listens; try again until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
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
