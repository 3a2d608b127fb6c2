#pragma once

#include "legacy/file_swap.h"
#include "legacy/jet_process.h"
#include "legacy/legacy_data.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace legacy {

struct ImportOptions
{
    // Whether data the data folder holds already (stored rows of ours, or another Access file) may be
    // replaced. Replaced files of ours are copied into the backup folder first.
    bool replaceStoredData = false;
    // When the import runs: the names of the kept originals and of the backup copies carry it.
    QDateTime now = QDateTime::currentDateTime();
    JetReaderOptions reader;
    // Told after each change to the data folder's files while the new ones are put in place.
    SwapStep afterSwapStep;
};

struct ImportSummary
{
    int rows = 0;
    int payers = 0;
    int hints = 0;
    bool hintsImported = false; // false when the folder had no Access work file (hints left as they were)
    int changedBalances = 0;
    std::vector<CrowdedMonth> crowdedMonths;
    QStringList keptOriginals; // Access files of the data folder, now under a dated name
    QStringList backups;       // copies of replaced files of ours
};

// Percent done, 0 to 100.
using ImportProgress = std::function<void(int)>;

// Imports the Access files Dorivan.mdb (and DorivanWork.mdb, when it is an Access file) of
// `sourceFolder` into the data folder: reads them in a reader child, checks everything, writes new
// files of the program's own kind beside the data folder's files in one transaction, and only then
// puts them in place. Access files that were in the data folder are kept as
// "<name>.jet-YYYYMMDD-HHMMSS"; replaced files of ours are copied into the backup folder. The work
// file is replaced only when an Access work file is imported; otherwise its hints stay as they are.
//
// The caller holds the data folder's lock. A swap of an earlier import that a crash cut short is
// completed first (finishInterruptedSwap).
//
// Throws ImportError on any failure; the data folder is then exactly as it was. Kind::HoldsData when
// the data folder holds stored rows (or another Access file) and `replaceStoredData` is off.
ImportSummary importLegacyData(const QString& sourceFolder, const QString& dataFolder,
                               const ImportOptions& options = {}, const ImportProgress& progress = {});

// Throws ImportError saying why when the folder has no Dorivan.mdb that the import can read (a quick
// look at its header, before anything is asked or closed).
void checkLegacySource(const QString& sourceFolder);

// Whether the data folder's permanent file holds anything the import would replace: a row of
// 入金予定表, 入金先マスタ or 自社情報.
bool holdsStoredRows(const QString& dataFolder);

// "N 行、入金先 M 件、ヒント K 件を取り込みました", with the recomputed balances and the crowded
// months when there are any, on one line (the command line prints it).
QString summaryLine(const ImportSummary& summary);
// The same for the window, with where the originals were kept.
QString summaryText(const ImportSummary& summary);

} // namespace legacy
