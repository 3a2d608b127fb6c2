#include "legacy/import_error.h"
#include "legacy/jet_process.h"
#include "legacy/jet_stream.h"
#include "legacy/legacy_import.h"
#include "legacy/legacy_test_files.h"
#include "storage/database.h"
#include "support/seed.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8, 9));

legacy::ImportOptions at(bool replace = false)
{
    legacy::ImportOptions options;
    options.now = kNow;
    options.replaceStoredData = replace;
    return options;
}

// The message of the refusal, or empty when the import went through.
QString refusal(const QString& source, const QString& data, const legacy::ImportOptions& options = at())
{
    try {
        legacy::importLegacyData(source, data, options);
    } catch (const legacy::ImportError& e) {
        return e.userMessage();
    }
    return {};
}

std::vector<QStringList> rowsOf(const QString& file, const char* select)
{
    SQLite::Database db(file.toStdString());
    SQLite::Statement q(db, select);
    std::vector<QStringList> rows;
    while (q.executeStep()) {
        QStringList row;
        for (int c = 0; c < q.getColumnCount(); ++c)
            row << (q.getColumn(c).isNull() ? QStringLiteral("<null>")
                                            : QString::fromStdString(q.getColumn(c).getString()));
        rows.push_back(row);
    }
    return rows;
}

QStringList jsonRow(const QJsonArray& values)
{
    QStringList row;
    for (const QJsonValue& v : values)
        row << (v.isString() ? v.toString()
                : v.isNull() ? QStringLiteral("<null>")
                             : QString::number(v.toInteger()));
    return row;
}

class LegacyImport : public ::testing::Test
{
protected:
    void SetUp() override { useBuiltReader(); }
    QString folder(const QString& name) const
    {
        const QString path = QDir(m_dir.path()).filePath(name);
        QDir().mkpath(path);
        return path;
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(LegacyImport, SmallFilesArriveExactlyAndTheAccessOriginalsAreKeptBesideThem)
{
    const QString data = folder(QStringLiteral("data"));
    copyFiles(legacyData(QStringLiteral("small")), data);
    QFile::remove(QDir(data).filePath(QStringLiteral("expected.json")));
    const QMap<QString, QByteArray> before = snapshot(data);

    const legacy::ImportSummary summary = legacy::importLegacyData(data, data, at());

    EXPECT_EQ(summary.rows, 555);
    EXPECT_EQ(summary.payers, 12);
    EXPECT_EQ(summary.hints, 3);
    EXPECT_EQ(summary.changedBalances, 0);
    EXPECT_TRUE(summary.crowdedMonths.empty());
    EXPECT_EQ(legacy::summaryLine(summary),
              QStringLiteral("555 行、入金先 12 件、ヒント 3 件を取り込みました"));
    const QMap<QString, QByteArray> after = snapshot(data);
    EXPECT_EQ(after.value(QStringLiteral("Dorivan.mdb.jet-20240506-070809")),
              before.value(QStringLiteral("Dorivan.mdb")));
    EXPECT_EQ(after.value(QStringLiteral("DorivanWork.mdb.jet-20240506-070809")),
              before.value(QStringLiteral("DorivanWork.mdb")));
    EXPECT_EQ(after.size(), 4) << after.keys().join(u' ').toStdString();

    QFile json(legacyData(QStringLiteral("small/expected.json")));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
    const QString permanent = QDir(data).filePath(QStringLiteral("Dorivan.mdb"));
    const QString work = QDir(data).filePath(QStringLiteral("DorivanWork.mdb"));
    // Every row in stored order, amounts to the ten-thousandth.
    const auto rows = rowsOf(
        permanent, "SELECT 日付, 行番号, 入金先名, 予定額, 入金額, 残高 FROM 入金予定表 ORDER BY rowid");
    const QJsonArray expectedRows = expected.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), std::size_t(expectedRows.size()));
    for (qsizetype i = 0; i < expectedRows.size(); ++i)
        ASSERT_EQ(rows[std::size_t(i)], jsonRow(expectedRows[i].toArray())) << "row " << i;
    QStringList payers;
    for (const QStringList& row : rowsOf(permanent, "SELECT 入金先名 FROM 入金先マスタ ORDER BY rowid"))
        payers << row;
    EXPECT_EQ(payers, expected.value(QStringLiteral("payers")).toVariant().toStringList());
    const QJsonObject settings = expected.value(QStringLiteral("settings")).toObject();
    EXPECT_EQ(
        rowsOf(permanent, "SELECT 年号, 入金先自動登録, LineColor1 FROM 自社情報"),
        (std::vector<QStringList>{{settings.value(QStringLiteral("年号")).toString(), QStringLiteral("0"),
                                   QString::number(settings.value(QStringLiteral("LineColor1")).toInt())}}));
    const auto hints =
        rowsOf(work, "SELECT FormName, CtlName, FormTitle, Contents FROM ClHint ORDER BY rowid");
    const QJsonArray expectedHints = expected.value(QStringLiteral("hints")).toArray();
    ASSERT_EQ(hints.size(), std::size_t(expectedHints.size()));
    for (qsizetype i = 0; i < expectedHints.size(); ++i)
        EXPECT_EQ(hints[std::size_t(i)], jsonRow(expectedHints[i].toArray()));
    EXPECT_GT(hints[1][3].size(), 12000);

    // The program opens the new files as its own.
    EXPECT_NO_THROW(Database::open(permanent, work));
}

TEST_F(LegacyImport, TextThatAccessItselfWroteReadsBackAndAFileWithoutOurTablesIsRefusedNamingThem)
{
    const legacy::JetDump dump = legacy::readJetTables(legacyData(QStringLiteral("testUnicodeCompV2003.mdb")),
                                                       {QStringLiteral("table")});
    ASSERT_EQ(dump.tables.size(), 1u);
    const legacy::JetTable& table = dump.tables[0];
    ASSERT_EQ(table.rows.size(), 8u);
    // Access's compressed Unicode, Greek with its own accented letters and control characters included.
    const QStringList expected{QStringLiteral("only ascii chars"),
                               QStringLiteral("\u00E4\u00E4kk\u00F6si\u00E4"),
                               QStringLiteral("\u041C\u0438\u0440"),
                               QStringLiteral("\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
                                              "\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1"),
                               QStringLiteral("漢字仮名交じり文"),
                               QStringLiteral("3L9\u001D52\u0002_AB(\u00A5\u0005!!V"),
                               QStringLiteral("\u00FCmlaut")};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(QString::fromUtf8(table.rows[std::size_t(i)][1].value_or("")), expected[i]) << i;
    QString everyLatin1;
    for (char16_t c = 1; c <= 0xFF; ++c)
        everyLatin1 += QChar(c);
    EXPECT_EQ(QString::fromUtf8(table.rows[7][1].value_or("")), everyLatin1);

    const QString source = folder(QStringLiteral("access"));
    QFile::copy(legacyData(QStringLiteral("testUnicodeCompV2003.mdb")),
                QDir(source).filePath(QStringLiteral("Dorivan.mdb")));
    const QMap<QString, QByteArray> before = snapshot(source);
    const QString message = refusal(source, source);
    for (const char* name :
         {"表「入金予定表」がありません", "表「入金先マスタ」がありません", "表「自社情報」がありません"})
        EXPECT_TRUE(message.contains(QString::fromUtf8(name))) << message.toStdString();
    EXPECT_EQ(snapshot(source), before);
}

TEST_F(LegacyImport, FilesThatCannotBeReadAsJet4AreRefusedWithTheirReasonAndNothingChanges)
{
    QFile small(legacyData(QStringLiteral("small/Dorivan.mdb")));
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    const QByteArray jet4 = small.readAll();
    QFile passworded(legacyData(QStringLiteral("password/Dorivan.mdb")));
    ASSERT_TRUE(passworded.open(QIODevice::ReadOnly));

    QByteArray ace = jet4;
    ace.replace(4, 15, "Standard ACE DB");
    ace[0x14] = 2;
    QFile jet3File(legacyData(QStringLiteral("jet3_header/Dorivan.mdb")));
    ASSERT_TRUE(jet3File.open(QIODevice::ReadOnly));
    const QByteArray jet3 = jet3File.readAll();
    QByteArray damaged = jet4;
    // Pages 29 and 30 hold rows of 入金予定表: the table still says 555 rows.
    damaged.replace(29 * 4096, 2 * 4096, QByteArray(2 * 4096, '\0'));
    QByteArray sqlite;
    {
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("ours.db"));
        Database::open(path, path + QStringLiteral(".work"));
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        sqlite = f.readAll();
    }

    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray("入金予定表のメモです\n"), "Access（Jet）のデータベースではない"},
        {sqlite, "Access（Jet）のデータベースではない"},
        {ace, "Access 2007 以降の形式"},
        {passworded.readAll(), "パスワードが設定されている"},
        {jet4.left(100000), "途中で切れています"},
        {damaged, "555 行あるはずですが、424 行しか読み取れません"},
        {jet3, "Access 97 形式"},
    };
    int n = 0;
    for (const auto& [bytes, reason] : cases) {
        const QString data = folder(QStringLiteral("case%1").arg(++n));
        QFile file(QDir(data).filePath(QStringLiteral("Dorivan.mdb")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const QMap<QString, QByteArray> before = snapshot(data);
        const QString message = refusal(data, data);
        EXPECT_TRUE(message.contains(QString::fromUtf8(reason))) << n << ": " << message.toStdString();
        EXPECT_EQ(snapshot(data), before) << n;
    }
}

TEST_F(LegacyImport, EveryValueOutOfRangeIsNamedAndNothingChanges)
{
    const QString data = folder(QStringLiteral("data"));
    copyFiles(legacyData(QStringLiteral("bad_values")), data);
    const QMap<QString, QByteArray> before = snapshot(data);
    const QString message = refusal(data, data);
    for (const char* part :
         {"2 行目: 日付 1899/12/31 は 1900年から2099年までの範囲にありません", "3 行目: 日付 2100/01/01 は",
          "4 行目: 行番号 0 は 1 から 200 までの範囲にありません", "5 行目: 行番号 201 は",
          "6 行目: 予定額 1e+19 は扱える金額の範囲を超えています",
          "8 行目: 2017/01/10 の行で、残高が扱える金額の範囲を超えます"})
        EXPECT_TRUE(message.contains(QString::fromUtf8(part))) << part << "\n" << message.toStdString();
    EXPECT_EQ(snapshot(data), before);

    const QString gaps = folder(QStringLiteral("gaps"));
    copyFiles(legacyData(QStringLiteral("missing_columns")), gaps);
    const QString missing = refusal(gaps, gaps);
    for (const char* part : {"表「入金先マスタ」がありません", "表「入金予定表」に列「入金額」がありません",
                             "表「自社情報」に列「LineColor1」がありません"})
        EXPECT_TRUE(missing.contains(QString::fromUtf8(part))) << part << "\n" << missing.toStdString();
}

TEST_F(LegacyImport, AMonthOverTwoHundredRowsIsImportedAndNamedAndWrongBalancesAreRecomputedFromTheFirstRow)
{
    const QString data = folder(QStringLiteral("data"));
    copyFiles(legacyData(QStringLiteral("crowded")), data);
    const legacy::ImportSummary summary = legacy::importLegacyData(data, data, at());
    EXPECT_EQ(summary.rows, 245);
    ASSERT_EQ(summary.crowdedMonths.size(), 1u);
    EXPECT_EQ(summary.crowdedMonths[0].month, QDate(2020, 2, 1));
    EXPECT_EQ(summary.crowdedMonths[0].rows, 205);
    EXPECT_EQ(summary.changedBalances, 3);
    EXPECT_EQ(
        legacy::summaryLine(summary),
        QStringLiteral(
            "245 行、入金先 2 件、ヒント 2 件を取り込みました（残高 3 件を計算し直しました）。200 行を超える"
            "月があり、画面には最初の 200 行だけが表示されます: 2020年02月（205 行）"));

    auto db = Database::open(QDir(data).filePath(QStringLiteral("Dorivan.mdb")),
                             QDir(data).filePath(QStringLiteral("DorivanWork.mdb")));
    Money running;
    for (const StoredRow& row : readStoredRows(*db)) {
        running = running + *row.予定額 - *row.入金額;
        ASSERT_EQ(row.残高, running) << row.日付.toString(Qt::ISODate).toStdString() << " " << row.行番号;
    }
    // Access keeps yes as -1; the program's files keep 1.
    EXPECT_EQ(db->readFirst("select 入金先自動登録 from 自社情報"), Value(1));
    EXPECT_EQ(db->readFirst("select Contents from ClHint where CtlName = 'cmdHint'"),
              Value(QStringLiteral("一行目\r\n二行目\tタブ")));
    EXPECT_TRUE(db->readFirst("select Contents from ClHint where CtlName = 'cmdHint2'").isNull());
}

TEST_F(LegacyImport, AReaderThatCrashesHangsOrHandsOverSomethingElseIsToldAndNothingChanges)
{
    const QString data = folder(QStringLiteral("data"));
    copyFiles(legacyData(QStringLiteral("small")), data);
    const QMap<QString, QByteArray> before = snapshot(data);
    const QString scripts = folder(QStringLiteral("scripts"));

    const std::pair<QByteArray, const char*> readers[] = {
        {"printf 'DORIVAN-JET\\t1\\nFILE\\t4\\n'\nkill -SEGV $$\n", "異常終了しました"},
        {"exec sleep 30\n", "進まなくなったため中止しました"},
        {"echo 'Segmentation fault'\n", "受け取ったデータが正しくありません"},
        {"printf 'DORIVAN-JET\\t1\\nFILE\\t4\\nDONE\\t2\\t00\\n'\n", "行数か検査値が合いません"},
        {"printf 'DORIVAN-JET\\t1\\nFILE\\t4\\n'\n", "最後まで終わりませんでした"},
    };
    int n = 0;
    for (const auto& [body, reason] : readers) {
        legacy::ImportOptions options = at();
        options.reader.program = writeScript(scripts, QStringLiteral("reader%1.sh").arg(++n), body);
        options.reader.silenceTimeoutMs = 500;
        const QString message = refusal(data, data, options);
        EXPECT_TRUE(message.contains(QString::fromUtf8(reason))) << n << ": " << message.toStdString();
        EXPECT_EQ(snapshot(data), before) << n;
    }
}

TEST_F(LegacyImport, StoredDataIsReplacedOnlyWhenAllowedAndIsBackedUpFirst)
{
    const QString source = legacyData(QStringLiteral("small"));
    const QString data = folder(QStringLiteral("data"));
    const QString permanent = QDir(data).filePath(QStringLiteral("Dorivan.mdb"));
    const QString work = QDir(data).filePath(QStringLiteral("DorivanWork.mdb"));
    {
        auto db = Database::open(permanent, work);
        seedStoredRows(*db, {{QDate(2023, 4, 1), 1, QStringLiteral("既存"), yen(5), yen(0), yen(5)}});
    }
    const QMap<QString, QByteArray> before = snapshot(data);
    try {
        legacy::importLegacyData(source, data, at());
        ADD_FAILURE() << "stored rows replaced without being allowed to";
    } catch (const legacy::ImportError& e) {
        EXPECT_EQ(e.kind(), legacy::ImportError::Kind::HoldsData);
    }
    EXPECT_EQ(snapshot(data), before);

    const QMap<QString, QByteArray> sourceBefore = snapshot(source);
    const legacy::ImportSummary summary = legacy::importLegacyData(source, data, at(true));
    EXPECT_EQ(summary.rows, 555);
    // The Access files elsewhere stay where and as they are; our replaced files went to the backups.
    EXPECT_EQ(snapshot(source), sourceBefore);
    EXPECT_TRUE(summary.keptOriginals.isEmpty());
    const QMap<QString, QByteArray> after = snapshot(data);
    ASSERT_TRUE(after.contains(QStringLiteral("backup/Dorivan-20240506.mdb")));
    EXPECT_EQ(rowsOf(QDir(data).filePath(QStringLiteral("backup/Dorivan-20240506.mdb")),
                     "SELECT 入金先名 FROM 入金予定表"),
              (std::vector<QStringList>{{QStringLiteral("既存")}}));
    EXPECT_TRUE(after.contains(QStringLiteral("backup/DorivanWork-20240506-070809.mdb")));
    EXPECT_EQ(after.size(), 4) << after.keys().join(u' ').toStdString();
    EXPECT_EQ(rowsOf(permanent, "SELECT count(*) FROM 入金予定表").front().front(), QStringLiteral("555"));

    // A data folder file that is not ours is never replaced.
    const QString strange = folder(QStringLiteral("strange"));
    QFile file(QDir(strange).filePath(QStringLiteral("Dorivan.mdb")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database");
    file.close();
    EXPECT_TRUE(refusal(source, strange, at(true))
                    .contains(QStringLiteral("このプログラムのデータ ファイルではない")));
    EXPECT_EQ(snapshot(strange).size(), 1);
}

TEST(LegacyStream, FieldsSurviveTheHandOverAndAnIncompleteOneIsRefused)
{
    QByteArray stream = QByteArray(legacy::kStreamMagic) + "\t1\nFILE\t4\nTABLE\tT\t1\t3\nCOLUMN\ta\t10\n"
                                                           "COLUMN\tb\t10\nCOLUMN\tc\t10\nROW";
    const QByteArray odd("tab\there\nnew\\line\r");
    for (const legacy::JetField& f : {legacy::JetField(odd), legacy::JetField(), legacy::JetField("")}) {
        stream += '\t';
        legacy::appendField(stream, f);
    }
    stream += "\nEND\t1\n";
    legacy::JetStreamParser parser;
    // Fed in small pieces, as a pipe hands it over.
    for (qsizetype i = 0; i < stream.size(); i += 7)
        parser.feed(stream.constData() + i, std::min<qsizetype>(7, stream.size() - i));
    EXPECT_THROW(parser.finish(), legacy::JetStreamError);

    std::FILE* sink = std::tmpfile();
    {
        legacy::JetStreamWriter writer(sink);
        for (const QByteArray& line : stream.chopped(1).split('\n'))
            writer.write(line);
        ASSERT_TRUE(writer.finish());
    }
    std::rewind(sink);
    QByteArray written;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, sink)) > 0;)
        written.append(buffer, qsizetype(n));
    std::fclose(sink);
    legacy::JetStreamParser whole;
    whole.feed(written.constData(), written.size());
    const legacy::JetDump dump = whole.finish();
    ASSERT_EQ(dump.tables.size(), 1u);
    EXPECT_EQ(dump.tables[0].rows[0], (std::vector<legacy::JetField>{odd, std::nullopt, QByteArray("")}));

    written.replace("\\r", "\\n"); // one changed byte: the checksum no longer fits
    legacy::JetStreamParser spoilt;
    EXPECT_THROW(spoilt.feed(written.constData(), written.size()), legacy::JetStreamError);
}

TEST_F(LegacyImport, TheCopyTakenBeforeAReplaceSurvivesPruningWhateverNamesSortAfterIt)
{
    const QString data = folder(QStringLiteral("data"));
    {
        auto db = Database::open(QDir(data).filePath(QStringLiteral("Dorivan.mdb")),
                                 QDir(data).filePath(QStringLiteral("DorivanWork.mdb")));
        seedStoredRows(*db, {{QDate(2023, 4, 1), 1, QStringLiteral("既存"), yen(5), yen(0), yen(5)}});
    }
    // A full set of copies dated after the import (a clock that was set back) sorts after its copy.
    const QString backups = folder(QStringLiteral("data/backup"));
    for (int day = 1; day <= 14; ++day) {
        QFile later(
            QDir(backups).filePath(QStringLiteral("Dorivan-209901%1.mdb").arg(day, 2, 10, QLatin1Char('0'))));
        ASSERT_TRUE(later.open(QIODevice::WriteOnly));
    }

    const legacy::ImportSummary summary =
        legacy::importLegacyData(legacyData(QStringLiteral("small")), data, at(true));
    ASSERT_FALSE(summary.backups.isEmpty());
    EXPECT_EQ(QFileInfo(summary.backups.front()).fileName(), QStringLiteral("Dorivan-20240506.mdb"));
    ASSERT_TRUE(QFileInfo::exists(summary.backups.front()));
    EXPECT_EQ(rowsOf(summary.backups.front(), "SELECT 入金先名 FROM 入金予定表"),
              (std::vector<QStringList>{{QStringLiteral("既存")}}));
    EXPECT_EQ(QDir(backups).entryList({QStringLiteral("Dorivan-*.mdb")}, QDir::Files).size(), 14);
}

TEST_F(LegacyImport, AMoveThatFailsMidSwapPutsEveryFileBackWithItsCompanionsAndSaysNothingChanged)
{
    const QString source = legacyData(QStringLiteral("small"));
    // Everything but the copies taken before the replace, which stay whatever happens.
    const auto dataFiles = [](const QString& folder) {
        QMap<QString, QByteArray> files = snapshot(folder);
        files.removeIf([](const auto& file) { return file.key().startsWith(QLatin1String("backup/")); });
        return files;
    };
    const auto seeded = [&](const QString& name, bool withWork) {
        const QString data = folder(name);
        {
            auto db = Database::open(QDir(data).filePath(QStringLiteral("Dorivan.mdb")),
                                     QDir(data).filePath(QStringLiteral("DorivanWork.mdb")));
            seedStoredRows(*db, {{QDate(2023, 4, 1), 1, QStringLiteral("既存"), yen(5), yen(0), yen(5)}});
        }
        if (!withWork)
            QFile::remove(QDir(data).filePath(QStringLiteral("DorivanWork.mdb")));
        return data;
    };

    // The old file's companions move with it; when the second cannot, the first comes back too.
    const QString companions = seeded(QStringLiteral("companions"), true);
    for (const char* suffix : {"-journal", "-wal"}) {
        QFile companion(QDir(companions).filePath(QStringLiteral("Dorivan.mdb") + QLatin1String(suffix)));
        ASSERT_TRUE(companion.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(companions).mkpath(QStringLiteral("Dorivan.mdb.replaced-20240506-070809-wal/x")));
    QMap<QString, QByteArray> before = dataFiles(companions);
    QString message = refusal(source, companions, at(true));
    EXPECT_TRUE(message.contains(QStringLiteral("データは変更していません"))) << message.toStdString();
    EXPECT_EQ(dataFiles(companions), before);

    // The new permanent file is in place when the work file's place is taken: both go back as they were.
    const QString blocked = seeded(QStringLiteral("blocked"), false);
    const QString aside = QDir(blocked).filePath(QStringLiteral("Dorivan.mdb.replaced-20240506-070809"));
    const QString fresh = QDir(blocked).filePath(QStringLiteral("Dorivan.mdb.import-20240506-070809"));
    legacy::ImportOptions options = at(true);
    options.afterSwapStep = [&] {
        if (QFileInfo::exists(aside) && !QFileInfo::exists(fresh))
            QDir(blocked).mkpath(QStringLiteral("DorivanWork.mdb"));
    };
    before = dataFiles(blocked);
    message = refusal(source, blocked, options);
    EXPECT_TRUE(message.contains(QStringLiteral("データは変更していません"))) << message.toStdString();
    EXPECT_EQ(dataFiles(blocked), before);
    EXPECT_EQ(
        rowsOf(QDir(blocked).filePath(QStringLiteral("Dorivan.mdb")), "SELECT 入金先名 FROM 入金予定表"),
        (std::vector<QStringList>{{QStringLiteral("既存")}}));
}
