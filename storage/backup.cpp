#include "storage/backup.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

const QString kTempSuffix = QStringLiteral(".tmp");
constexpr int kSourceBusyTimeoutMs = 3000;

QString dailyName(const QDate& day)
{
    return QStringLiteral("Dorivan-%1.mdb").arg(day.toString(QStringLiteral("yyyyMMdd")));
}

QString momentName(const QDateTime& when)
{
    return QStringLiteral("Dorivan-%1.mdb").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

const QRegularExpression& backupPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^Dorivan-\\d{8}(-\\d{6})?\\.mdb$"));
    return pattern;
}

QString failureMessage(const QString& target, const QString& reason)
{
    return QStringLiteral("バックアップ「%1」を作成できませんでした。作業はこのまま続けます。（%2）")
        .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()), reason);
}

// A copy left half-written by a crash and the copies beyond the newest kKeptBackups go. The copy just
// taken stays whatever names sort after it (a clock that was set back, copies brought in from
// elsewhere): the work it was taken for counts on it.
void prune(const QString& folder, QStringList backups, const QString& justWritten)
{
    QDir dir(folder);
    const QStringList leftovers{QStringLiteral("Dorivan-*.mdb") + kTempSuffix,
                                QStringLiteral("Dorivan-*.mdb") + kTempSuffix + QStringLiteral("-journal")};
    for (const QString& stale : dir.entryList(leftovers, QDir::Files))
        dir.remove(stale);
    const qsizetype room = DailyBackup::kKeptBackups - (backups.removeAll(justWritten) > 0 ? 1 : 0);
    for (qsizetype i = 0; i + room < backups.size(); ++i)
        dir.remove(backups[i]);
}

QString errorText(sqlite3* db, int rc)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

// One step copies every page under one read lock, so the copy is one consistent state.
QString copyPages(sqlite3* from, sqlite3* to)
{
    sqlite3_backup* copy = sqlite3_backup_init(to, "main", from, "main");
    if (!copy)
        return errorText(to, SQLITE_ERROR);
    const int rc = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);
    return rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errstr(rc));
}

} // namespace

QString writeDatabaseCopy(const QString& source, const QString& target)
{
    const QString temp = target + kTempSuffix;
    QFile::remove(temp);
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    QString error;
    int rc = sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        error = errorText(from, rc);
    } else if (rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &to,
                                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
               rc != SQLITE_OK) {
        error = errorText(to, rc);
    } else {
        sqlite3_busy_timeout(from, kSourceBusyTimeoutMs);
        error = copyPages(from, to);
    }
    sqlite3_close(to);
    sqlite3_close(from);
    if (error.isEmpty()) {
        QFile::remove(target);
        if (!QFile::rename(temp, target))
            error = QStringLiteral("名前を付けられません");
    }
    if (!error.isEmpty())
        QFile::remove(temp);
    return error;
}

void DailyBackup::setClock(Clock clock)
{
    m_clock = std::move(clock);
    m_checkedDay = QDate();
}

QString DailyBackup::takeWarning()
{
    return std::exchange(m_warning, QString());
}

QStringList DailyBackup::existingBackups() const
{
    QStringList names;
    if (m_folder.isEmpty())
        return names;
    for (const QString& name : QDir(m_folder).entryList({QStringLiteral("Dorivan-*.mdb")}, QDir::Files)) {
        if (backupPattern().match(name).hasMatch())
            names << name;
    }
    // Without the extension the names sort in time order, a day's own copy before the copies taken
    // on the spot that day.
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.chopped(4) < b.chopped(4); });
    return names;
}

bool DailyBackup::dueBeforeWrite() const
{
    return !m_folder.isEmpty() && m_checkedDay != (m_clock ? m_clock() : QDateTime::currentDateTime()).date();
}

void DailyBackup::beforeWrite()
{
    if (m_folder.isEmpty())
        return;
    const QDate today = (m_clock ? m_clock() : QDateTime::currentDateTime()).date();
    if (m_checkedDay == today)
        return;
    m_checkedDay = today;
    if (!QFileInfo::exists(QDir(m_folder).filePath(dailyName(today))))
        write(dailyName(today));
}

QString DailyBackup::nameForNow()
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    m_checkedDay = now.date();
    const bool dayHasCopy = QFileInfo::exists(QDir(m_folder).filePath(dailyName(now.date())));
    return dayHasCopy ? momentName(now) : dailyName(now.date());
}

bool DailyBackup::backupNow()
{
    if (m_folder.isEmpty())
        return false;
    return write(nameForNow());
}

QString DailyBackup::copyNow()
{
    if (m_folder.isEmpty())
        return QStringLiteral("バックアップの保存先が決められていません。");
    const QString target = QDir(m_folder).filePath(nameForNow());
    const QString error = tryWrite(target);
    if (error.isEmpty())
        return error;
    return QStringLiteral("「%1」（%2）")
        .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()), error);
}

bool DailyBackup::write(const QString& fileName)
{
    const QString target = QDir(m_folder).filePath(fileName);
    if (const QString error = tryWrite(target); !error.isEmpty()) {
        report(failureMessage(target, error));
        return false;
    }
    return true;
}

QString DailyBackup::tryWrite(const QString& target)
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("フォルダーを作成できません");
    if (QString error = writeDatabaseCopy(m_source, target); !error.isEmpty())
        return error;
    m_lastCopy = target;
    prune(m_folder, existingBackups(), QFileInfo(target).fileName());
    return QString();
}

void DailyBackup::report(const QString& message)
{
    if (m_onFailed)
        m_onFailed(message);
    else
        m_warning = message;
}
