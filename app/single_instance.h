#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

// The folder itself, with links and relative parts resolved, so that every way of naming one folder
// gives the same text. A folder that does not exist yet is named by its absolute path.
QString canonicalDataFolder(const QString& dataFolder);

// The lock file that marks a data folder as held by a running copy: ".dorivan.lock" inside the
// canonical folder. It lives in the folder rather than in this computer's temporary folder so that it
// also guards a folder that several computers reach over a network drive. Every mode of the program
// that writes to a folder takes it with QLockFile and a stale lock time of 0 (a lock counts as stale only
// when its process is gone).
QString folderLockPath(const QString& dataFolder);

// Takes the folder's lock for `lock`, the one way every mode of the program takes it. A lock counts as
// stale, and is taken over, only when its holder cannot be shown to be alive: its file names no
// process (empty or garbled, left by a crash or a full disk), or names a process of this computer that
// is gone. A lock written on another computer is never judged from here, whatever its age.
bool tryLockDataFolder(QLockFile& lock);

// What a start without a window says when a running copy holds the folder: the folder, the holder as
// its lock file names it, and the lock file.
QString folderInUseMessage(const QString& dataFolder);

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

    // The name the command line's --instance-name defaults to. The guard no longer goes by it: the
    // folder alone decides which copy may run.
    static QString defaultName();

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
