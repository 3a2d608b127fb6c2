#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

// The local socket on which the copy that holds a data folder listens for later starts on it.
QString folderServerName(const QString& dataFolder);

// One running copy per data folder. The copy that takes the folder's lock listens on the folder's
// socket; a later start on the same folder finds the lock taken and asks that copy, over the socket,
// to bring its window forward.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT
public:
    enum class Lock {
        Taken,      // this copy holds the folder
        HeldByCopy, // another copy (or a lock file someone left) holds it
        Unguarded,  // the folder refuses new files: no copy can lock it, nor write to it either
        Failed,     // the lock file could not be written (a full disk, an I/O error)
    };

    explicit SingleInstanceGuard(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    Lock acquire();
    // From a later start: asks the copy that holds the folder to come forward. False when no copy
    // answered within the time.
    bool requestRaise(int timeoutMs = 5000) const;
    // Takes the lock away from a holder that does not answer, after the user agreed. False when the
    // lock file cannot be removed (its process still runs on this computer, or the file is not ours to
    // remove) or another start took the folder in between.
    bool takeOver();
    // Who holds the lock, as its file says; empty when the file names nobody.
    QString holderDescription() const;

    // The canonical folder, ending in '/'.
    const QString& folder() const { return m_folder; }
    const QString& lockPath() const { return m_lockPath; }
    const QString& serverName() const { return m_serverName; }

signals:
    void raiseRequested();

private:
    void listen();
    void onConnection();

    QString m_folder;
    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

// What a start does about its data folder.
enum class FolderClaim {
    Open,       // this copy holds the folder (or nobody can hold it): go on and open it
    HandedOver, // the copy that holds it came forward: end with success
    Refused,    // the folder stays with its holder, or could not be locked: end without opening it
};

// Takes the folder for this start. When the lock is held by a copy that does not answer, a dialog names
// the folder and the holder, warns what taking over means for a copy that still runs, and takes the lock
// over only on Yes (the default is No, which leaves the lock file as it was). `answerTimeoutMs` is how
// long the holder has to answer.
FolderClaim claimDataFolder(SingleInstanceGuard& guard, QWidget* dialogParent = nullptr,
                            int answerTimeoutMs = 5000);
