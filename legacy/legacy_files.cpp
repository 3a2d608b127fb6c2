#include "legacy/legacy_files.h"

#include "legacy/import_error.h"
#include "legacy/jet_header.h"
#include "storage/data_files.h"
#include "storage/database.h"
#include "storage/open_checks.h"
#include "storage/transaction.h"

#include <QFile>
#include <QFileInfo>

namespace legacy {

namespace {

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

void insertAll(Database& db, const LegacyData& data, const std::function<void(int)>& percent)
{
    const char* const row =
        "INSERT INTO 入金予定表 (日付, 行番号, 入金先名, 予定額, 入金額, 残高) VALUES (?, ?, ?, ?, ?, ?)";
    const std::size_t step = std::max<std::size_t>(data.rows.size() / 20, 1);
    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        const LegacyRow& r = data.rows[i];
        db.execute(row, {Value(r.日付), Value(r.行番号), Value(r.入金先名), Value(r.予定額), Value(r.入金額),
                         Value(r.残高)});
        if (percent && (i + 1) % step == 0)
            percent(int((i + 1) * 100 / data.rows.size()));
    }
    for (const std::optional<QString>& name : data.payers)
        db.execute("INSERT INTO 入金先マスタ (入金先名) VALUES (?)", {Value(name)});
    for (const std::vector<Value>& values : data.settings)
        db.execute("INSERT INTO 自社情報 (年号, 入金先自動登録, LineColor1) VALUES (?, ?, ?)", values);
    for (const std::vector<Value>& values : data.hints)
        db.execute("INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) VALUES (?, ?, ?, ?)", values);
}

std::int64_t count(Database& db, const char* select)
{
    return db.readFirst(select).toInt64().value_or(0);
}

} // namespace

Target examineTarget(const QString& path, const QString& sourcePath)
{
    Target target{path, TargetKind::None, false};
    if (!QFileInfo::exists(path))
        return target;
    if (sameFile(path, sourcePath)) {
        target.kind = TargetKind::Source;
        return target;
    }
    const JetFileKind kind = inspectJetFile(path).kind;
    if (kind == JetFileKind::Jet3 || kind == JetFileKind::Jet4 || kind == JetFileKind::Ace) {
        target.kind = TargetKind::OtherAccess;
        target.holdsRows = true;
        return target;
    }
    if (const std::optional<bool> rows = oursWithRows(path)) {
        target.kind = TargetKind::Ours;
        target.holdsRows = *rows;
        return target;
    }
    target.kind = TargetKind::Foreign;
    return target;
}

void removeDatabaseFile(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : data_files::kCompanions)
        QFile::remove(path + QLatin1String(suffix));
}

void writeFreshFiles(const QString& permanentPath, const QString& workPath, const LegacyData& data,
                     const std::function<void(int)>& percent)
{
    try {
        std::unique_ptr<Database> db = Database::open(permanentPath, workPath);
        Transaction transaction(*db);
        try {
            insertAll(*db, data, percent);
            // What went in is read back before anything is committed.
            if (count(*db, "SELECT count(*) FROM 入金予定表") != std::int64_t(data.rows.size()) ||
                count(*db, "SELECT count(*) FROM 入金先マスタ") != std::int64_t(data.payers.size()) ||
                count(*db, "SELECT count(*) FROM 自社情報") != std::int64_t(data.settings.size()) ||
                count(*db, "SELECT count(*) FROM ClHint") != std::int64_t(data.hints.size()))
                throw ImportError(QStringLiteral("新しいデータ ファイルに書き込んだ行数が合いません。データは"
                                                 "変更していません。"));
        } catch (const ImportError&) {
            throw;
        } catch (const std::exception& e) {
            db->rethrow(e);
        }
        transaction.commit();
    } catch (const StorageError& e) {
        removeDatabaseFile(permanentPath);
        removeDatabaseFile(workPath);
        throw ImportError(
            QStringLiteral("新しいデータ ファイルを作成できませんでした。データは変更していません。\n%1")
                .arg(e.userMessage()));
    } catch (...) {
        removeDatabaseFile(permanentPath);
        removeDatabaseFile(workPath);
        throw;
    }
}

QString datedName(const QString& path, const QString& what, const QDateTime& when)
{
    const QString base =
        path + QLatin1Char('.') + what + QLatin1Char('-') + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace legacy
