#pragma once

#include <QString>

class QLockFile;

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

// Who holds the lock file at `lockPath`, as the file names it (this computer's process or another
// computer's); empty when the file names nobody.
QString folderLockHolder(const QString& lockPath);

// What a start without a window says when a running copy holds the folder: the folder, the holder as
// its lock file names it, and the lock file.
QString folderInUseMessage(const QString& dataFolder);
