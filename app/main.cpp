#include "app/FrmDorivan.h"
#include "app/legacy_command.h"
#include "app/legacy_import_ui.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "storage/database.h"
#include "storage/work_file_repair.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

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
    // The import of older data from the command line and its reader child run without a window.
    if (const std::optional<int> code = runLegacyCommandLine(argc, argv))
        return *code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorivan"));
    QApplication::setApplicationDisplayName(kTitle);
    const StartOptions options = parseStartOptions(QApplication::arguments());

    // A second copy only brings the first forward; it never opens the data folder.
    SingleInstanceGuard guard(options.instanceName);
    if (!guard.acquire()) {
        guard.requestRaise();
        return 0;
    }

    const QString folder = options.dataFolder.isEmpty()
                               ? defaultDataFolder(QApplication::applicationDirPath())
                               : options.dataFolder;
    if (!QDir().mkpath(folder))
        return stop(
            QStringLiteral("データフォルダ %1 を作成できません。").arg(QDir::toNativeSeparators(folder)));

    // An Access Dorivan.mdb is not damaged but older data: the user may import it first.
    if (const std::optional<int> code = offerLegacyImportAtStart(folder))
        return *code;

    std::unique_ptr<FrmDorivan> window;
    const QString workPath = QDir(folder).filePath(QStringLiteral("DorivanWork.mdb"));
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
