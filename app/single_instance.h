#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Keeps a second copy of the program from running. The first copy holds a lock file and listens on a
// local socket of the same name; a second copy finds the lock taken, sends "raise" over the socket so
// the first brings its window forward, and ends.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstanceGuard(const QString& name, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this process is the first copy; it then answers later copies.
    bool acquire();
    // From a second copy: asks the first to come forward. False when it could not be reached.
    bool requestRaise(int timeoutMs = 5000) const;
    const QString& name() const { return m_name; }

    // A name for the guard of the current user (one copy per user).
    static QString defaultName();

signals:
    void raiseRequested();

private:
    void onConnection();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
