#include "app/FrmDorivan.h"

#include "app/build_info.h"
#include "app/clickable_label.h"
#include "app/standard_message.h"
#include "app/support_address.h"
#include "app/user_prompts.h"
#include "app/work_table_model.h"
#include "storage/backup.h"
#include "storage/data_files.h"
#include "storage/database.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

const QString kWindowCaption = QStringLiteral("入金予定表 Ver ") + QStringLiteral(DORIVAN_VERSION);

namespace {
QString withTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('/');
}
} // namespace

FrmDorivan::FrmDorivan(const QString& dataFolder, QWidget* parent)
    : FrmDorivan(dataFolder, dialogPrompts(), parent)
{
}

FrmDorivan::FrmDorivan(const QString& dataFolder, std::shared_ptr<UserPrompts> prompts, QWidget* parent)
    : QWidget(parent), m_prompts(std::move(prompts)), m_dataFolder(withTrailingSeparator(dataFolder))
{
    setObjectName(QStringLiteral("FrmDorivan"));
    setWindowTitle(QStringLiteral("入金予定表"));
    m_permanentPath = m_dataFolder + data_files::kPermanentName;
    m_workPath = m_dataFolder + data_files::kWorkName;

    // A file that is not a database, or lacks a table, stops the load here with a message naming it.
    openData();
    setWindowTitle(kWindowCaption);

    buildLayout();
    connectShell();
    connectSchedule();
    connectPayers();
    connectSettings();
    connectHints();
    connectPrinting();
    connectOverdue();

    Read設定();
    FormInit();
    Clear入金予定表();
    Clear入金先マスタ();
    Read入金予定();
    Refresh未入金();
    gridInpStartCursor();
}

void FrmDorivan::openData()
{
    m_db = Database::open(m_permanentPath, m_workPath);
    // The day's copy of the permanent file is taken inside the first write's transaction; a copy that
    // fails is told after that operation, without holding up the work it was taken for.
    m_db->setBackupFolder(m_dataFolder + QStringLiteral("backup"));
    m_db->backups().setFailureHandler([this](const QString& message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                ShowStandardMessage(prompts(), QStringLiteral("その他"), QStringLiteral("メッセージ"),
                                    message);
            },
            Qt::QueuedConnection);
    });
}

FrmDorivan::~FrmDorivan()
{
    Unload();
}

void FrmDorivan::connectShell()
{
    // The hint window goes with the main window, in closeEvent: a close the user cancels keeps both.
    connect(cmd履歴閉じる, &QPushButton::clicked, this, [this] { close(); });
    connect(Image2, &ClickableLabel::clicked, this, [] {
        // Whether a browser or viewer opens is the desktop's business; nothing is reported either way.
        const QUrl address = bannerAddress(QCoreApplication::applicationDirPath());
        if (!address.isEmpty())
            QDesktopServices::openUrl(address);
    });
    for (WorkTableModel* model : {datInp, dat入金先名, dat入金先マスタ})
        connect(model, &WorkTableModel::storageFailed, this, &FrmDorivan::showStorageFailure);
}

void FrmDorivan::showStorageFailure(const QString& message)
{
    QMessageBox::warning(this, QStringLiteral("入金予定表"), message);
}

void FrmDorivan::bringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void FrmDorivan::closeEvent(QCloseEvent* event)
{
    // Unsaved edits of the month are asked about first; キャンセル keeps the window open with them.
    if (!confirmLeavingMonth()) {
        event->ignore();
        return;
    }
    // The hint window belongs to this window's pages; it does not outlive it.
    if (m_hintWindow)
        m_hintWindow->close();
    Unload();
    event->accept();
}

void FrmDorivan::Unload()
{
    // The grids must let go of the handle before it closes. Nothing is saved here: rows the user did
    // not store stay in the work file, which the next start rebuilds.
    for (WorkTableModel* model : {datInp, dat入金先名, dat入金先マスタ})
        if (model)
            model->unbind();
    m_db.reset();
}
