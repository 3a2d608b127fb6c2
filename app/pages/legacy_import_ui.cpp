// The window's ways into the import of older (Access) data: the settings page button and the
// start-up's offer. The import itself is legacy/legacy_import.h.
#include "app/pages/legacy_import_ui.h"

#include "app/dialogs/user_prompts.h"
#include "app/widgets/delayed_progress.h"
#include "legacy/import_error.h"
#include "legacy/jet_header.h"
#include "legacy/legacy_import.h"
#include "storage/data_files.h"
#include "storage/database.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("入金予定表");
const QString kImportTitle = QStringLiteral("旧データ取込");

// Runs the import with the bar showing its progress once it takes long enough to wait on.
legacy::ImportSummary runImport(const QString& source, const QString& dataFolder, bool replace,
                                QProgressBar* bar, const Clock& clock = {})
{
    DelayedProgress progress(bar);
    legacy::ImportOptions options;
    options.replaceStoredData = replace;
    options.now = nowBy(clock);
    return legacy::importLegacyData(source, dataFolder, options,
                                    [&progress](int percent) { progress(percent); });
}

// Every failure the import foresees is an ImportError; anything else happened before the files were
// put in place, which is the last step.
QString unexpectedFailure(const std::exception& e)
{
    return QStringLiteral("取り込みを完了できませんでした。データは変更していません。（%1）")
        .arg(QString::fromLocal8Bit(e.what()));
}

} // namespace

std::optional<int> offerLegacyImportAtStart(const QString& dataFolder)
{
    if (!legacy::hasJetSignature(data_files::permanentPath(dataFolder)))
        return std::nullopt;
    const auto answer = QMessageBox::question(
        nullptr, kTitle,
        QStringLiteral("データ フォルダ「%1」の Dorivan.mdb は、以前の形式（Access）のデータ ファイルです。\n"
                       "このプログラムで使えるように取り込みますか。\n\n"
                       "元のファイルは名前を変えて残します。「いいえ」を選ぶと、何も変更せずに終了します。")
            .arg(QDir::toNativeSeparators(QDir(dataFolder).absolutePath())),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return 0;

    // No window is up yet: the bar stands alone while the import runs.
    QProgressBar bar;
    bar.setWindowTitle(QStringLiteral("以前のデータを取り込んでいます"));
    bar.setRange(0, 100);
    bar.setMinimumWidth(360);
    try {
        const legacy::ImportSummary summary = runImport(dataFolder, dataFolder, false, &bar);
        QMessageBox::information(nullptr, kTitle, legacy::summaryText(summary));
        return std::nullopt;
    } catch (const legacy::ImportError& e) {
        QMessageBox::critical(nullptr, kTitle, e.userMessage());
        return 1;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, kTitle, unexpectedFailure(e));
        return 1;
    }
}

LegacyImportPanel::LegacyImportPanel(Source source, QWidget* parent)
    : QFrame(parent), m_source(std::move(source))
{
    setObjectName(QStringLiteral("ImFrame旧データ取込"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    auto* button = new QPushButton(QStringLiteral("旧データ取込"), this);
    button->setObjectName(QStringLiteral("cmd旧データ取込"));
    button->setMinimumWidth(72);
    button->setAutoDefault(false);
    auto* label = new QLabel(QStringLiteral("以前のプログラム（Access 形式）のデータを取り込む"), this);
    label->setObjectName(QStringLiteral("lbl旧データ取込"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Pbar旧データ取込"));
    m_progress->setRange(0, 100);
    m_progress->setFixedWidth(160);
    QSizePolicy keepPlace = m_progress->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keepPlace);
    m_progress->hide();
    auto* row = new QHBoxLayout(this);
    row->addWidget(button);
    row->addWidget(label);
    row->addStretch();
    row->addWidget(m_progress);
    connect(button, &QPushButton::clicked, this, [this] { importOlderData(); });
}

void LegacyImportPanel::importOlderData()
{
    const QString source = prompts().chooseFolder(
        this, QStringLiteral("以前のデータ（Dorivan.mdb）があるフォルダを選んでください"));
    if (source.isEmpty())
        return;
    try {
        legacy::checkLegacySource(source);
    } catch (const legacy::ImportError& e) {
        prompts().ask(this, {kImportTitle, e.userMessage(), DialogStyle::Warning}, PromptButtons::Standard);
        return;
    }
    // The import reloads every page, so unsaved edits of the month are settled first, as month
    // navigation does; a save comes before the question about the stored rows it adds to.
    if (!m_source.confirmLeavingMonth())
        return;
    bool replace = false;
    if (legacy::holdsStoredRows(m_source.dataFolder)) {
        const DialogSpec question{
            kImportTitle,
            QStringLiteral(
                "いま登録されているデータ（入金予定・入金先・設定）は、取り込むデータで置き換えられます。\n"
                "置き換える前のデータは、バックアップとして保存します。\n取り込みますか。"),
            DialogStyle::WarnDefaultNo};
        if (prompts().ask(this, question, PromptButtons::Standard) != Answer::Yes)
            return;
        replace = true;
    }

    // The files are about to be replaced under the window: the hint window and the grids let go of
    // them first, and everything is read again afterwards, whatever the import's outcome.
    m_source.releaseData();
    QString message;
    DialogStyle outcome = DialogStyle::Notice;
    try {
        message =
            legacy::summaryText(runImport(source, m_source.dataFolder, replace, m_progress, m_source.clock));
    } catch (const legacy::ImportError& e) {
        message = e.userMessage();
        outcome = DialogStyle::Warning;
    } catch (const std::exception& e) {
        message = unexpectedFailure(e);
        outcome = DialogStyle::Warning;
    }
    try {
        m_source.reloadData();
    } catch (const StorageError& e) {
        prompts().ask(this, {kTitle, message + QStringLiteral("\n\n") + e.userMessage(), DialogStyle::Error},
                      PromptButtons::Standard);
        m_source.closeWindow();
        return;
    }
    prompts().ask(this, {kImportTitle, message, outcome}, PromptButtons::Standard);
}
