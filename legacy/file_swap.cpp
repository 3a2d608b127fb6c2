#include "legacy/file_swap.h"

#include "legacy/import_error.h"
#include "storage/data_files.h"
#include "storage/open_checks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace legacy {

namespace {

const QString kJournalName = QStringLiteral(".dorivan-import.journal");
const QByteArray kJournalHeader = QByteArrayLiteral("dorivan-file-swap 1");
const QString kWriting = QStringLiteral("writing");
const QString kPlacing = QStringLiteral("placing");

// Whether anything has the name, a dangling link included: a rename onto it would fail or replace it.
bool entryExists(const QString& path)
{
#ifdef Q_OS_WIN
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
#else
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
#endif
}

// After a rename or a removal the folder's entry must reach the disk before the next step relies on
// it. Some network file systems refuse to sync a folder; the rename is still atomic there.
void syncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// One rename inside the folder that never replaces what is there, and never falls back to copying
// (QFile::rename would): a copy cut short by a crash is a half file under a good name.
bool moveEntry(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    const bool moved = MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                                   reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                                   MOVEFILE_WRITE_THROUGH) != 0;
#else
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    bool moved = false;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        moved = true;
    else if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without the no-replace rename: the folder is locked, so a look first is enough.
    if (!moved)
        moved = !entryExists(to) && ::rename(source.constData(), target.constData()) == 0;
#endif
    if (moved)
        syncFolder(QFileInfo(to).absolutePath());
    return moved;
}

void removeWithCompanions(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : data_files::kCompanions)
        QFile::remove(path + QLatin1String(suffix));
    syncFolder(QFileInfo(path).absolutePath());
}

// The companions move first: once the database file itself is at the new name, all of it is. A move
// that fails puts back what this call moved; `intact` turns false when even that fails.
bool moveWithCompanions(const QString& from, const QString& to, bool& intact)
{
    QStringList moved;
    auto putBack = [&] {
        for (auto it = moved.crbegin(); it != moved.crend(); ++it)
            intact = moveEntry(to + *it, from + *it) && intact;
        return false;
    };
    for (const char* suffix : data_files::kCompanions) {
        const QString companion = from + QLatin1String(suffix);
        if (!entryExists(companion))
            continue;
        if (!moveEntry(companion, to + QLatin1String(suffix)))
            return putBack();
        moved << QLatin1String(suffix);
    }
    if (!moveEntry(from, to))
        return putBack();
    return true;
}

QString shownFolder(const QString& folder)
{
    return QDir::toNativeSeparators(QDir(folder).absolutePath());
}

[[noreturn]] void cannotFinish(const QString& folder, const QString& path)
{
    throw ImportError(
        QStringLiteral("データ フォルダ「%1」には、途中で止まった取り込みのファイルがありますが、ファイル"
                       "「%2」を動かせないため、取り込みを完了できませんでした。フォルダへの書き込みが許可"
                       "されているか確かめてから、もう一度起動してください。")
            .arg(shownFolder(folder), displayPath(path)));
}

struct Journal
{
    QString state;
    std::vector<Placement> placements;
    std::vector<bool> hadOld;
    QStringList scratch;
};

// Every name in the journal is a name inside the data folder.
std::optional<Journal> readJournal(const QString& folder)
{
    QFile file(swapJournalPath(folder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 2 || lines[0] != kJournalHeader || !lines[1].startsWith("state "))
        return std::nullopt;
    const QDir dir(folder);
    Journal journal;
    journal.state = QString::fromUtf8(lines[1].mid(6));
    if (journal.state != kWriting && journal.state != kPlacing)
        return std::nullopt;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines[i]).split(QLatin1Char('\t'));
        if (fields.size() == 6 && fields[0] == QLatin1String("place")) {
            journal.placements.push_back({dir.filePath(fields[1]), dir.filePath(fields[2]),
                                          dir.filePath(fields[3]), fields[4] == QLatin1String("1")});
            journal.hadOld.push_back(fields[5] == QLatin1String("1"));
        } else if (fields.size() == 2 && fields[0] == QLatin1String("scratch")) {
            journal.scratch << dir.filePath(fields[1]);
        } else if (!lines[i].isEmpty()) {
            return std::nullopt;
        }
    }
    return journal;
}

// What a start finds when Dorivan.mdb is gone beside an import's files and no journal says what they
// are: a swap of an earlier version of the program, cut short.
void refuseOrphans(const QString& folder)
{
    const QDir dir(folder);
    if (entryExists(dir.filePath(data_files::kPermanentName)))
        return;
    const QStringList orphans = dir.entryList({data_files::kPermanentName + QStringLiteral(".replaced-*"),
                                               data_files::kPermanentName + QStringLiteral(".import-*")},
                                              QDir::Files | QDir::Hidden, QDir::Name);
    if (orphans.isEmpty())
        return;
    throw ImportError(
        QStringLiteral("データ フォルダ「%1」に %2 がなく、途中で止まった取り込みのファイル（%3）があります。"
                       "空のデータを作らないよう、起動を止めました。取り込む前のデータは名前に「.replaced-」"
                       "の付いたファイルです。その名前を %2 に戻してから、もう一度起動してください。")
            .arg(shownFolder(folder), data_files::kPermanentName, orphans.join(QStringLiteral("、"))));
}

} // namespace

QString swapJournalPath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kJournalName);
}

FileSwap::FileSwap(const QString& dataFolder, std::vector<Placement> placements, QStringList scratch,
                   SwapStep step)
    : m_folder(dataFolder), m_placements(std::move(placements)), m_scratch(std::move(scratch)),
      m_step(std::move(step))
{
    for (const Placement& p : m_placements)
        m_hadOld.push_back(entryExists(p.target));
    if (entryExists(swapJournalPath(m_folder))) {
        throw ImportError(QStringLiteral("データ フォルダ「%1」に、前の取り込みの記録「%2」が残っています。"
                                         "入金予定表を起動し直してから、もう一度取り込んでください。")
                              .arg(shownFolder(m_folder), kJournalName));
    }
    writeJournal(kWriting);
    tell();
}

FileSwap::~FileSwap()
{
    if (m_done)
        return;
    try {
        for (const Placement& p : m_placements)
            removeWithCompanions(p.fresh);
        for (const QString& path : m_scratch)
            removeWithCompanions(path);
        QFile::remove(swapJournalPath(m_folder));
        syncFolder(m_folder);
    } catch (...) {
        // The next start removes what is left, as the journal says.
    }
}

void FileSwap::tell() const
{
    if (m_step)
        m_step();
}

void FileSwap::writeJournal(const QString& state) const
{
    QByteArray text = kJournalHeader + "\nstate " + state.toUtf8() + '\n';
    for (std::size_t i = 0; i < m_placements.size(); ++i) {
        const Placement& p = m_placements[i];
        text += QStringList{QStringLiteral("place"),
                            QFileInfo(p.target).fileName(),
                            QFileInfo(p.fresh).fileName(),
                            QFileInfo(p.aside).fileName(),
                            p.keepAside ? QStringLiteral("1") : QStringLiteral("0"),
                            m_hadOld[i] ? QStringLiteral("1") : QStringLiteral("0")}
                    .join(QLatin1Char('\t'))
                    .toUtf8() +
                '\n';
    }
    for (const QString& path : m_scratch)
        text += "scratch\t" + QFileInfo(path).fileName().toUtf8() + '\n';

    // Whole or not at all: written under a name of its own, synced, then renamed over the journal.
    const QString journal = swapJournalPath(m_folder);
    const QString fresh = journal + QStringLiteral(".new");
    QFile file(fresh);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
                   file.flush();
#ifndef Q_OS_WIN
    written = written && ::fsync(file.handle()) == 0;
#endif
    file.close();
#ifdef Q_OS_WIN
    written =
        written && MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fresh).utf16()),
                               reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(journal).utf16()),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    written = written &&
              ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(journal).constData()) == 0;
#endif
    if (!written) {
        QFile::remove(fresh);
        throw ImportError(
            QStringLiteral("データ フォルダ「%1」に取り込みの記録を書けないため、取り込みを中止しました。"
                           "データは変更していません。")
                .arg(shownFolder(m_folder)));
    }
    syncFolder(m_folder);
}

void FileSwap::place()
{
    writeJournal(kPlacing);
    tell();
    std::vector<const Placement*> movedAside;
    std::vector<const Placement*> placed;
    auto fail = [&](const QString& path) {
        bool intact = true;
        for (auto it = placed.crbegin(); it != placed.crend(); ++it)
            intact = moveEntry((*it)->target, (*it)->fresh) && intact;
        for (auto it = movedAside.crbegin(); it != movedAside.crend(); ++it)
            intact = moveWithCompanions((*it)->aside, (*it)->target, intact) && intact;
        if (!intact) {
            // The journal stays: the next start finishes what could be neither done nor undone here.
            m_done = true;
            throw ImportError(
                QStringLiteral("ファイル「%1」を置き換えられず、元に戻すこともできませんでした。次に起動する"
                               "ときに取り込みを完了します。フォルダへの書き込みが許可されているか確かめて"
                               "ください。")
                    .arg(displayPath(path)));
        }
        writeJournal(kWriting);
        throw ImportError(
            QStringLiteral("ファイル「%1」を置き換えられませんでした。フォルダへの書き込みが許可されて"
                           "いるか、ほかのプログラムが使っていないか確かめてください。データは変更して"
                           "いません。")
                .arg(displayPath(path)));
    };
    for (std::size_t i = 0; i < m_placements.size(); ++i) {
        const Placement& p = m_placements[i];
        if (!m_hadOld[i])
            continue;
        bool intact = true;
        if (!moveWithCompanions(p.target, p.aside, intact))
            fail(p.target);
        movedAside.push_back(&p);
        tell();
    }
    for (const Placement& p : m_placements) {
        if (!moveEntry(p.fresh, p.target))
            fail(p.target);
        placed.push_back(&p);
        tell();
    }
    for (const Placement* p : movedAside) {
        if (!p->keepAside) {
            removeWithCompanions(p->aside);
            tell();
        }
    }
    for (const QString& path : m_scratch)
        removeWithCompanions(path);
    QFile::remove(swapJournalPath(m_folder));
    syncFolder(m_folder);
    m_done = true;
    tell();
}

QStringList FileSwap::keptAsides() const
{
    QStringList kept;
    for (std::size_t i = 0; i < m_placements.size(); ++i) {
        if (m_placements[i].keepAside && m_hadOld[i] && QFileInfo::exists(m_placements[i].aside))
            kept << m_placements[i].aside;
    }
    return kept;
}

void finishInterruptedSwap(const QString& dataFolder)
{
    const QString journalPath = swapJournalPath(dataFolder);
    // A journal never renamed into place was written before anything it would name changed.
    QFile::remove(journalPath + QStringLiteral(".new"));
    if (!entryExists(journalPath)) {
        refuseOrphans(dataFolder);
        return;
    }
    const std::optional<Journal> journal = readJournal(dataFolder);
    if (!journal)
        throw ImportError(
            QStringLiteral("データ フォルダ「%1」の取り込みの記録「%2」を読めません。途中で止まった取り込みを"
                           "完了できないため、起動を止めました。")
                .arg(shownFolder(dataFolder), displayPath(journalPath)));

    if (journal->state == kWriting) {
        // The fresh files may be half written; the old ones were never touched.
        for (const Placement& p : journal->placements)
            removeWithCompanions(p.fresh);
    } else {
        // Every fresh file was whole before the first move: the swap goes to its end. A fresh file
        // still under its own name has not taken its place yet.
        for (std::size_t i = 0; i < journal->placements.size(); ++i) {
            const Placement& p = journal->placements[i];
            if (!entryExists(p.fresh))
                continue;
            bool intact = true;
            if (journal->hadOld[i] && entryExists(p.target) && !moveWithCompanions(p.target, p.aside, intact))
                cannotFinish(dataFolder, p.target);
            if (!moveEntry(p.fresh, p.target))
                cannotFinish(dataFolder, p.fresh);
        }
        for (std::size_t i = 0; i < journal->placements.size(); ++i) {
            if (journal->hadOld[i] && !journal->placements[i].keepAside)
                removeWithCompanions(journal->placements[i].aside);
        }
    }
    for (const QString& path : journal->scratch)
        removeWithCompanions(path);
    if (!QFile::remove(journalPath))
        cannotFinish(dataFolder, journalPath);
    syncFolder(dataFolder);
}

} // namespace legacy
