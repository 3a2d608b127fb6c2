#include "legacy/legacy_import.h"

#include "legacy/file_swap.h"
#include "legacy/import_error.h"
#include "legacy/jet_header.h"
#include "legacy/legacy_files.h"
#include "storage/backup.h"
#include "storage/data_files.h"
#include "storage/open_checks.h"

#include <QDir>
#include <QFileInfo>

namespace legacy {

namespace {

using data_files::kPermanentName;
using data_files::kWorkName;

// Reading takes most of the time: the rows of the permanent file arrive during the first 60 percent.
constexpr int kReadShare = 60;
constexpr int kWriteFrom = 65;
constexpr int kWriteShare = 30;

// Whether the file can be read as an Access 97 to 2003 file at all; says why not.
void refuseUnreadable(const QString& path, const JetFileInfo& info)
{
    const QString shown = displayPath(path);
    switch (info.kind) {
    case JetFileKind::Missing:
        throw ImportError(QStringLiteral("フォルダ「%1」に %2 がありません。")
                              .arg(displayPath(QFileInfo(path).absolutePath()), QFileInfo(path).fileName()));
    case JetFileKind::Unreadable:
        throw ImportError(
            QStringLiteral("ファイル「%1」を開けません。読み取りが許可されているか確かめてください。")
                .arg(shown));
    case JetFileKind::NotJet:
        throw ImportError(
            QStringLiteral("ファイル「%1」は Access（Jet）のデータベースではないため、取り込めません。")
                .arg(shown));
    case JetFileKind::Ace:
        throw ImportError(
            QStringLiteral("ファイル「%1」は Access 2007 以降の形式（.accdb）のため、取り込めません。"
                           "Access で「Access 2002-2003 データベース」または「Access 2000 データ"
                           "ベース」の形式で保存し直してから、もう一度取り込んでください。")
                .arg(shown));
    case JetFileKind::Jet3:
    case JetFileKind::Jet4:
        break;
    }
    if (info.passwordSet)
        throw ImportError(QStringLiteral("ファイル「%1」にはパスワードが設定されているため、取り込めません。"
                                         "Access でパスワードを解除してから、もう一度取り込んでください。")
                              .arg(shown));
}

bool isAccess(const JetFileInfo& info)
{
    return info.kind == JetFileKind::Jet3 || info.kind == JetFileKind::Jet4;
}

// Reads and takes over one Access file. A failure of an Access 97 file says that its format is the
// likely cause.
template <typename Take>
void readFile(const QString& path, const JetFileInfo& info, const QStringList& tables,
              const ImportOptions& options, const JetReadProgress& progress, Take&& take)
{
    try {
        take(readJetTables(path, tables, options.reader, progress));
    } catch (const ImportError& e) {
        if (info.kind != JetFileKind::Jet3)
            throw;
        throw ImportError(
            QStringLiteral("ファイル「%1」は Access 97 形式です。文字を日本語（シフト JIS）として"
                           "読み取ろうとしましたが、読み取れませんでした。Access で Access 2000 "
                           "以降の形式に変換してから取り込むこともできます。\n%2")
                .arg(displayPath(path), e.userMessage()));
    }
}

void refuseReplacing(const Target& target, const QString& dataFolder)
{
    if (target.kind == TargetKind::Foreign)
        throw ImportError(
            QStringLiteral("データ フォルダのファイル「%1」はこのプログラムのデータ ファイルでは"
                           "ないため、置き換えません。別の場所へ移してから、もう一度取り込んでくだ"
                           "さい。")
                .arg(displayPath(target.path)));
    if (target.holdsRows)
        throw ImportError(
            QStringLiteral("データ フォルダ「%1」にはすでにデータが登録されています。置き換える場合は"
                           "、置き換えることを指定してください。")
                .arg(displayPath(dataFolder)),
            ImportError::Kind::HoldsData);
}

// A copy of a file of ours before it is replaced: the permanent file joins the backup folder's copies
// as the delete-all's copy does, the work file (it holds the hints) is copied beside them.
QString backUp(const Target& target, const QString& backupFolder, bool permanent, const QDateTime& now)
{
    if (permanent) {
        DailyBackup backups(target.path);
        backups.setFolder(backupFolder);
        backups.setClock([now] { return now; });
        if (!backups.backupNow())
            throw ImportError(
                backups.takeWarning() +
                QStringLiteral("\nバックアップを作成できないため、取り込みを中止しました。データは変更"
                               "していません。"));
        return backups.lastCopy();
    }
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = QDir(backupFolder).filePath(QStringLiteral("DorivanWork-%1.mdb").arg(stamp));
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = QDir(backupFolder).filePath(QStringLiteral("DorivanWork-%1-%2.mdb").arg(stamp).arg(n));
    if (!QDir().mkpath(backupFolder) || !writeDatabaseCopy(target.path, copy).isEmpty())
        throw ImportError(
            QStringLiteral("ファイル「%1」のバックアップを作成できないため、取り込みを中止しました。"
                           "データは変更していません。")
                .arg(displayPath(target.path)));
    return copy;
}

QString asideKind(TargetKind kind)
{
    switch (kind) {
    case TargetKind::Source:
    case TargetKind::OtherAccess:
        return QStringLiteral("jet");
    case TargetKind::Foreign:
        return QStringLiteral("damaged");
    default:
        return QStringLiteral("replaced");
    }
}

QString monthsText(const std::vector<CrowdedMonth>& months)
{
    QStringList list;
    for (const CrowdedMonth& m : months)
        list << QStringLiteral("%1（%2 行）").arg(m.month.toString(QStringLiteral("yyyy年MM月"))).arg(m.rows);
    return list.join(QStringLiteral("、"));
}

} // namespace

void checkLegacySource(const QString& sourceFolder)
{
    const QString path = QDir(sourceFolder).filePath(kPermanentName);
    refuseUnreadable(path, inspectJetFile(path));
}

bool holdsStoredRows(const QString& dataFolder)
{
    const Target target = examineTarget(QDir(dataFolder).filePath(kPermanentName), QString());
    return target.holdsRows;
}

ImportSummary importLegacyData(const QString& sourceFolder, const QString& dataFolder,
                               const ImportOptions& options, const ImportProgress& progress)
{
    auto tell = [&progress](int percent) {
        if (progress)
            progress(percent);
    };
    const QDir source(sourceFolder);
    const QDir data(dataFolder);
    const QString sourcePermanent = source.filePath(kPermanentName);
    const QString sourceWork = source.filePath(kWorkName);

    const JetFileInfo permanentInfo = inspectJetFile(sourcePermanent);
    refuseUnreadable(sourcePermanent, permanentInfo);
    const JetFileInfo workInfo = inspectJetFile(sourceWork);
    // A work file that is not an Access file is not part of the import; an Access one must be readable.
    const bool withWork = isAccess(workInfo) || workInfo.kind == JetFileKind::Ace;
    if (withWork)
        refuseUnreadable(sourceWork, workInfo);

    if (!QDir().mkpath(dataFolder))
        throw ImportError(
            QStringLiteral("データ フォルダ「%1」を作成できません。").arg(displayPath(dataFolder)));
    // A swap that a crash cut short is completed before the folder's files are looked at.
    finishInterruptedSwap(dataFolder);
    const Target permanentTarget = examineTarget(data.filePath(kPermanentName), sourcePermanent);
    const Target workTarget = withWork ? examineTarget(data.filePath(kWorkName), sourceWork) : Target{};
    if (!options.replaceStoredData) {
        refuseReplacing(permanentTarget, dataFolder);
        if (workTarget.kind == TargetKind::OtherAccess)
            refuseReplacing(workTarget, dataFolder);
    } else if (permanentTarget.kind == TargetKind::Foreign) {
        refuseReplacing(permanentTarget, dataFolder);
    }

    tell(0);
    LegacyData imported;
    readFile(
        sourcePermanent, permanentInfo, permanentSourceTables(), options,
        [&](std::int64_t read, std::int64_t declared) {
            if (declared > 0)
                tell(int(std::min<std::int64_t>(read, declared) * kReadShare / declared));
        },
        [&](const JetDump& dump) { imported = takePermanentTables(dump, sourcePermanent); });
    if (withWork)
        readFile(sourceWork, workInfo, workSourceTables(), options, {},
                 [&](const JetDump& dump) { takeHintTable(dump, sourceWork, imported); });
    tell(kReadShare + 2);

    // The new files are written beside the ones they replace (one file system, so that putting them in
    // place is a rename), under names nobody else uses.
    const QString freshPermanent =
        datedName(data.filePath(kPermanentName), QStringLiteral("import"), options.now);
    const QString freshWork = datedName(data.filePath(kWorkName), QStringLiteral("import"), options.now);
    std::vector<Placement> placements;
    for (const auto& [target, fresh] :
         {std::pair{permanentTarget, freshPermanent}, std::pair{workTarget, freshWork}}) {
        if (target.path.isEmpty())
            continue;
        const bool keep = target.kind != TargetKind::Ours;
        placements.push_back(
            {target.path, fresh, datedName(target.path, asideKind(target.kind), options.now), keep});
    }
    // Without an Access work file the data folder keeps its own; the one written alongside goes.
    FileSwap swap(dataFolder, placements, withWork ? QStringList() : QStringList{freshWork},
                  options.afterSwapStep);
    writeFreshFiles(freshPermanent, freshWork, imported,
                    [&](int percent) { tell(kWriteFrom + percent * kWriteShare / 100); });

    ImportSummary summary;
    const QString backupFolder = data.filePath(QStringLiteral("backup"));
    if (permanentTarget.kind == TargetKind::Ours)
        summary.backups << backUp(permanentTarget, backupFolder, true, options.now);
    if (workTarget.kind == TargetKind::Ours)
        summary.backups << backUp(workTarget, backupFolder, false, options.now);
    swap.place();
    summary.keptOriginals = swap.keptAsides();
    tell(100);

    summary.rows = int(imported.rows.size());
    summary.payers = int(imported.payers.size());
    summary.hints = int(imported.hints.size());
    summary.hintsImported = imported.hintsRead;
    summary.changedBalances = imported.changedBalances;
    summary.crowdedMonths = imported.crowdedMonths;
    return summary;
}

QString summaryLine(const ImportSummary& summary)
{
    QString line = QStringLiteral("%1 行、入金先 %2 件、ヒント %3 件を取り込みました")
                       .arg(summary.rows)
                       .arg(summary.payers)
                       .arg(summary.hints);
    if (summary.changedBalances != 0)
        line += QStringLiteral("（残高 %1 件を計算し直しました）").arg(summary.changedBalances);
    if (!summary.crowdedMonths.empty())
        line += QStringLiteral("。200 行を超える月があり、画面には最初の 200 行だけが表示されます: ") +
                monthsText(summary.crowdedMonths);
    return line;
}

QString summaryText(const ImportSummary& summary)
{
    QString text = QStringLiteral("%1 行、入金先 %2 件、ヒント %3 件を取り込みました。")
                       .arg(summary.rows)
                       .arg(summary.payers)
                       .arg(summary.hints);
    if (!summary.hintsImported)
        text +=
            QStringLiteral("\n作業用ファイル（DorivanWork.mdb）がなかったため、ヒントはこれまでのままです。");
    if (summary.changedBalances != 0)
        text +=
            QStringLiteral("\n残高が計算と合わない行があったため、最初の行から計算し直しました（%1 件の残高が"
                           "変わりました）。")
                .arg(summary.changedBalances);
    if (!summary.crowdedMonths.empty())
        text +=
            QStringLiteral("\n次の月は 200 行を超えているため、画面には最初の 200 行だけが表示されます: ") +
            monthsText(summary.crowdedMonths);
    for (const QString& kept : summary.keptOriginals)
        text +=
            QStringLiteral("\n元のファイルは「%1」として残してあります。").arg(QFileInfo(kept).fileName());
    for (const QString& copy : summary.backups)
        text += QStringLiteral("\n置き換える前のデータは「%1」に保存しました。").arg(displayPath(copy));
    return text;
}

} // namespace legacy
