#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace legacy {

// One data folder file that a freshly written one replaces.
struct Placement
{
    QString target;
    QString fresh;
    QString aside;          // where the old file goes, when there is one
    bool keepAside = false; // false: the old file goes once the new one is in place
};

// Told after each change the swap makes to the folder (a journal written, a file moved or removed).
using SwapStep = std::function<void()>;

// Puts fresh files in the place of data folder files so that a crash at any moment leaves a folder
// that the next start completes. A journal in the data folder names every file before the first of
// them is written; while it says "writing", a start removes what was written, and once it says
// "placing" (every fresh file is whole), a start finishes the swap. The files only ever move by a
// rename inside the folder, never by a copy, and the folder is synced after each one.
class FileSwap
{
public:
    // Writes the journal. `scratch`: files written alongside that go in any case. Throws ImportError.
    FileSwap(const QString& dataFolder, std::vector<Placement> placements, QStringList scratch,
             SwapStep step = {});
    // Without a completed place(): removes the fresh files, the scratch files and the journal.
    ~FileSwap();
    FileSwap(const FileSwap&) = delete;
    FileSwap& operator=(const FileSwap&) = delete;

    // Every old file is first moved aside (its journal with it), then every fresh file takes its
    // place; the asides that are not kept go last. Throws ImportError when a move fails: everything is
    // put back, and the folder is as it was (when even that fails, the journal stays for the next
    // start to finish the swap, and the message says so).
    void place();
    // The asides kept after place(), those whose old file existed.
    QStringList keptAsides() const;

private:
    void tell() const;
    void writeJournal(const QString& state) const;

    QString m_folder;
    std::vector<Placement> m_placements;
    std::vector<bool> m_hadOld;
    QStringList m_scratch;
    SwapStep m_step;
    bool m_done = false;
};

// For every start (the window and the command line), under the folder's lock and before anything
// opens the data files: completes a swap that a crash cut short, as its journal says. Throws
// ImportError naming the files when that cannot be done, or when Dorivan.mdb is missing beside the
// files of an unfinished swap: a start must not create empty data there.
void finishInterruptedSwap(const QString& dataFolder);

// The journal's path in the data folder.
QString swapJournalPath(const QString& dataFolder);

} // namespace legacy
