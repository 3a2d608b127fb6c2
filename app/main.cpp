#include "app/FrmDorivan.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "storage/database.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <memory>

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

    std::unique_ptr<FrmDorivan> window;
    try {
        window = std::make_unique<FrmDorivan>(folder);
    } catch (const StorageError& error) {
        return stop(error.userMessage());
    } catch (const std::exception& error) {
        return stop(QStringLiteral("起動できません。\n%1").arg(QString::fromLocal8Bit(error.what())));
    }
    QObject::connect(&guard, &SingleInstanceGuard::raiseRequested, window.get(), &FrmDorivan::bringToFront);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    return app.exec();
}
