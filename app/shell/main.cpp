#include "app/FrmDorivan.h"
#include "app/build_info.h"
#include "app/cli/bank_command.h"
#include "app/cli/command_line.h"
#include "app/cli/csv_command.h"
#include "app/cli/legacy_command.h"
#include "app/cli/startup.h"
#include "app/cli/task_folder.h"
#include "app/cli/terms_command.h"
#include "app/pages/legacy_import_ui.h"
#include "app/shell/single_instance.h"
#include "app/shell/translations.h"
#include "legacy/file_swap.h"
#include "legacy/import_error.h"
#include "storage/data_files.h"
#include "storage/database.h"
#include "storage/work_file_repair.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

namespace {
const QString kTitle = QStringLiteral("入金予定表");

int stop(const QString& message)
{
    QMessageBox::critical(nullptr, kTitle, message);
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    // The reader child of the import of older data: a process of its own, so that a file that crashes
    // the reader cannot take the window with it.
    if (const std::optional<int> code = runJetReaderChild(argc, argv))
        return *code;
    setApplicationIdentity();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (line.action != CommandAction::OpenWindow) {
        // Help, version, a refused command line and the tasks run without a display.
        QCoreApplication core(argc, argv);
        const QString programFolder = QCoreApplication::applicationDirPath();
        if (line.action == CommandAction::RunTask) {
            QTextStream err(stderr);
            if (const std::optional<int> code =
                    prepareTaskFolder(dataFolderFor(line.options, programFolder), line.task, err))
                return *code;
        }
        if (line.action == CommandAction::RunTask &&
            (line.task == QStringLiteral("export-csv") || line.task == QStringLiteral("import-csv")))
            return runCsvTask(line, dataFolderFor(line.options, programFolder));
        if (line.action == CommandAction::RunTask && line.task == QStringLiteral("match-bank"))
            return runBankTask(line, dataFolderFor(line.options, programFolder));
        if (line.action == CommandAction::RunTask && isTermsTask(line.task))
            return runTermsTask(line, dataFolderFor(line.options, programFolder));
        if (line.action == CommandAction::RunTask && line.task == QStringLiteral("import-legacy"))
            return runLegacyTask(line, dataFolderFor(line.options, programFolder));
        return deliver(answerWithoutWindow(line, programFolder));
    }
    const StartOptions& options = line.options;

    QApplication app(argc, argv);
    installQtJapanese(app);
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(DORIVAN_APP_ID), QIcon(QStringLiteral(":/icon-256.png"))));

    const QString folder = options.dataFolder.isEmpty()
                               ? defaultDataFolder(QApplication::applicationDirPath())
                               : options.dataFolder;
    if (!QDir().mkpath(folder))
        return stop(
            QStringLiteral("データフォルダ %1 を作成できません。").arg(QDir::toNativeSeparators(folder)));

    // One copy per data folder, whatever the command line calls it. The lock lives inside the folder, so
    // the folder is made first; a later start on a held folder only brings its copy forward and never
    // opens the files itself.
    SingleInstanceGuard guard(folder);
    switch (claimDataFolder(guard)) {
    case FolderClaim::Open:
        break;
    case FolderClaim::HandedOver:
        // Nothing on the screen may say so: the running window only comes forward.
        std::fprintf(
            stderr, "%s\n",
            QStringLiteral("既に起動しています。データフォルダ「%1」のウィンドウを前面に表示しました。")
                .arg(QDir::toNativeSeparators(QDir(guard.folder()).absolutePath()))
                .toLocal8Bit()
                .constData());
        return 0;
    case FolderClaim::Refused:
        return 1;
    }

    // Before anything opens the files: an Access import that a crash cut short is completed, so that the
    // start never creates an empty Dorivan.mdb beside the files of a half-finished swap.
    try {
        legacy::finishInterruptedSwap(folder);
    } catch (const legacy::ImportError& error) {
        return stop(error.userMessage());
    }

    // An Access Dorivan.mdb is not damaged but older data: the user may import it first.
    if (const std::optional<int> code = offerLegacyImportAtStart(folder))
        return *code;

    std::unique_ptr<FrmDorivan> window;
    const QString workPath = data_files::workPath(folder);
    for (bool rebuilt = false; !window;) {
        try {
            window = std::make_unique<FrmDorivan>(folder);
        } catch (const StorageError& error) {
            // The work file holds only scratch tables and hint texts: a damaged one can be replaced,
            // but only when the user says so, and only once.
            if (rebuilt || !isRebuildableWorkFileError(error, workPath))
                return stop(error.userMessage());
            const auto answer = QMessageBox::question(
                nullptr, kTitle,
                error.userMessage() +
                    QStringLiteral(
                        "\n作業用ファイルを作り直しますか。読み出せるヒントの文章は引き継ぎます。"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return 1;
            try {
                rebuildWorkFile(workPath);
            } catch (const StorageError& failure) {
                return stop(failure.userMessage());
            }
            rebuilt = true;
        } catch (const std::exception& error) {
            return stop(QStringLiteral("起動できません。\n%1").arg(QString::fromLocal8Bit(error.what())));
        }
    }
    QObject::connect(&guard, &SingleInstanceGuard::raiseRequested, window.get(), &FrmDorivan::bringToFront);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    return app.exec();
}
