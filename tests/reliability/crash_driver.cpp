// A separate process for the tests that need one:
//   crash_driver prepare OPERATION FOLDER  makes a folder the operation can start from
//   crash_driver run OPERATION FOLDER   opens the folder, prints "ready", runs the operation, prints
//                                       "done MICROSECONDS" (the tests kill it somewhere in between)
//   crash_driver hold-lock FILE         holds an exclusive lock on FILE until its input closes
//   crash_driver die-mid-write FOLDER   rewrites every stored balance and every working row's
//                                       元行番号 with a tiny page cache, so that changed pages reach
//                                       both files, and kills itself before the commit: a hot
//                                       journal is left beside each file that had rows to change
//   crash_driver probe-write FOLDER     opens the folder and writes one payer name, printing what
//                                       the user would be told (run as another user for real
//                                       file permissions)
//   crash_driver import-and-die READER SOURCE FOLDER STEP
//                                       imports the Access files of SOURCE into FOLDER, replacing
//                                       its data, and kills itself right after step STEP of the
//                                       file swap; prints "done" when the swap has fewer steps
//   crash_driver type-and-die FOLDER    opens the window on FOLDER, shows May 2024, types into its
//                                       grid (a changed amount, a new row) and kills itself without
//                                       a save, as a power cut would

#include "reliability/history.h"

#include "app/FrmDorivan.h"
#include "app/grid/work_table_model.h"
#include "app/pages/schedule_page.h"
#include "app/widgets/month_edit.h"
#include "legacy/jet_process.h"
#include "legacy/legacy_import.h"
#include "payers/payer_master.h"
#include "storage/database.h"
#include "storage/transaction.h"

#include "support/raw_connection.h"

#include <SQLiteCpp/Database.h>

#include <sqlite3.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void say(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int run(const QString& name, const QString& folder)
{
    const auto op = reliability::operationFromName(name);
    if (!op)
        return 2;
    auto db = Database::open(reliability::permanentFile(folder), reliability::workFile(folder));
    db->setBackupFolder(QDir(folder).filePath(QStringLiteral("backup")));
    say(QStringLiteral("ready"));
    QElapsedTimer timer;
    timer.start();
    reliability::runOperation(*db, *op);
    say(QStringLiteral("done %1").arg(timer.nsecsElapsed() / 1000));
    return 0;
}

int holdLock(const QString& file)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        say(QStringLiteral("failed"));
        return 1;
    }
    say(QStringLiteral("locked"));
    while (std::fgetc(stdin) != EOF) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

int dieMidWrite(const QString& folder)
{
    auto db = Database::open(reliability::permanentFile(folder), reliability::workFile(folder));
    rawConnection(*db).exec("PRAGMA main.cache_size = 2");
    rawConnection(*db).exec("PRAGMA work.cache_size = 2");
    Transaction tx(*db);
    db->execute("update 入金予定表 set 残高 = 0");
    db->execute("update InpWork set 元行番号 = 元行番号 + 1000");
    std::raise(SIGKILL);
    return 1;
}

int probeWrite(const QString& folder)
{
    say(QStringLiteral("uid %1").arg(geteuid()));
    try {
        auto db = Database::open(reliability::permanentFile(folder), reliability::workFile(folder));
        say(QStringLiteral("open-ok read-only:%1").arg(db->readOnlyFiles().size()));
        payers::addPayer(*db, QStringLiteral("書けるか"));
        say(QStringLiteral("write-ok"));
    } catch (const StorageError& e) {
        say(QStringLiteral("error %1 %2").arg(int(e.kind())).arg(e.userMessage()));
    }
    return 0;
}

int importAndDie(const QString& reader, const QString& source, const QString& folder, int step)
{
    legacy::setJetReaderProgram(reader);
    legacy::ImportOptions options;
    options.replaceStoredData = true;
    int steps = 0;
    options.afterSwapStep = [&] {
        if (++steps == step)
            std::raise(SIGKILL);
    };
    legacy::importLegacyData(source, folder, options);
    say(QStringLiteral("done"));
    return 0;
}

int typeAndDie(const QString& folder)
{
    FrmDorivan window(folder);
    window.show();
    window.findChild<MonthEdit*>(QStringLiteral("Dt年月"))->setMonth(QDate(2024, 5, 1));
    window.schedulePage().loadMonth();
    auto* rows = window.findChild<WorkTableModel*>(QStringLiteral("datInp"));
    // Through the grid's source, as the keys of a book-keeper would write them.
    const auto type = [&](int row, const char* column, const QVariant& value) {
        if (!rows->setData(rows->index(row, rows->columnIndex(QString::fromUtf8(column))), value))
            std::exit(3);
    };
    type(0, "予定額", QStringLiteral("1,250"));
    type(2, "表示日付", QStringLiteral("２０"));
    type(2, "入金先名", QStringLiteral("停電商事"));
    type(2, "予定額", QStringLiteral("5000"));
    type(2, "入金額", QStringLiteral("1200"));
    say(QStringLiteral("typed"));
    std::raise(SIGKILL);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("prepare") && argc == 4) {
        const auto op = reliability::operationFromName(QString::fromLocal8Bit(argv[2]));
        if (!op)
            return 2;
        reliability::prepareFolder(QString::fromLocal8Bit(argv[3]), *op);
        return 0;
    }
    if (command == QLatin1String("run") && argc == 4)
        return run(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (command == QLatin1String("hold-lock") && argc == 3)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1String("die-mid-write") && argc == 3)
        return dieMidWrite(QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1String("probe-write") && argc == 3)
        return probeWrite(QString::fromLocal8Bit(argv[2]));
    if (command == QLatin1String("import-and-die") && argc == 6) {
        QCoreApplication app(argc, argv); // the reader runs as a child process
        return importAndDie(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                            QString::fromLocal8Bit(argv[4]), std::atoi(argv[5]));
    }
    if (command == QLatin1String("type-and-die") && argc == 3) {
        QApplication app(argc, argv);
        return typeAndDie(QString::fromLocal8Bit(argv[2]));
    }
    std::fputs("usage: crash_driver prepare|run OPERATION FOLDER | hold-lock FILE | "
               "die-mid-write|probe-write FOLDER | import-and-die READER SOURCE FOLDER STEP | "
               "type-and-die FOLDER\n",
               stderr);
    return 2;
}
