#pragma once

#include "common/clock.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Copies of the permanent file kept in a backup folder (normally `backup/` in the data folder):
// Dorivan-YYYYMMDD.mdb, taken before the first write of each calendar day, plus
// Dorivan-YYYYMMDD-HHMMSS.mdb for a copy asked for on the spot (before the delete-all). Only the
// newest kKeptBackups copies stay. A copy that cannot be written is reported and never stops the
// work it was taken for.
class DailyBackup
{
public:
    explicit DailyBackup(const QString& permanentPath) : m_source(permanentPath) {}

    static constexpr int kKeptBackups = 14;
    using Clock = ::Clock;
    using FailureHandler = std::function<void(const QString& userMessage)>;

    // An empty folder turns the copies off (the default).
    void setFolder(const QString& folder) { m_folder = folder; }
    const QString& folder() const { return m_folder; }
    // The window hands its clock over, which tests move; without one the system clock counts.
    void setClock(Clock clock);
    // Told once per failed copy, in Japanese. Without a handler the message is kept for
    // takeWarning().
    void setFailureHandler(FailureHandler handler) { m_onFailed = std::move(handler); }
    // The last failure that no handler heard about; empty when there is none. Clears it.
    QString takeWarning();

    // Before a write, under the write lock: the day's copy when there is none yet. Looked at once
    // per day; a failure is reported and not retried that day, so a broken backup folder does not
    // nag at every save.
    void beforeWrite();
    // Whether beforeWrite() would look for the day's copy now (it does so once a day).
    bool dueBeforeWrite() const;
    // A fresh copy now. When the day has no copy yet this is the day's copy. Returns whether the
    // copy was written; a failure is also reported.
    bool backupNow();
    // The same copy for a caller that decides itself what a failure means (the delete-all asks the
    // user again): an empty text when the copy was written, otherwise the copy's path and what went
    // wrong, in Japanese. Nothing is reported to the failure handler.
    QString copyNow();

    // The copies in the folder, oldest first.
    QStringList existingBackups() const;
    // The path of the copy this object wrote last; empty before the first.
    const QString& lastCopy() const { return m_lastCopy; }

private:
    QString nameForNow();
    bool write(const QString& fileName);
    // Empty on success, otherwise the reason.
    QString tryWrite(const QString& target);
    void report(const QString& message);

    QString m_source;
    QString m_folder;
    Clock m_clock;
    FailureHandler m_onFailed;
    QString m_warning;
    QString m_lastCopy;
    QDate m_checkedDay;
};

// Writes a consistent copy of the database file `source` to `target` through SQLite's online backup,
// by way of a temporary file so that a half-written copy never carries a backup's name. The source is
// read through a connection of its own: the engine refuses to copy from a connection that is in a
// write transaction, and a second reader beside the write lock sees exactly the last committed state.
// Returns an empty text on success, otherwise what went wrong.
QString writeDatabaseCopy(const QString& source, const QString& target);
