#include "app/cli/folder_lock.h"
#include "app/shell/single_instance.h"
#include "support/temp_data.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <tuple>

namespace {

// A real copy of the program; its instance name must not matter to which copy runs.
std::unique_ptr<QProcess> startDorivan(const QString& dataDir, const QString& instance)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(DORIVAN_EXECUTABLE),
                   {QStringLiteral("--instance-name"), instance, QStringLiteral("--data-dir"), dataDir});
    return process;
}

// Waits until the copy answers on its folder's socket and has made its files.
bool runsOn(QProcess& process, const QString& dataDir)
{
    for (int i = 0; i < 300 && process.waitForStarted(30000); ++i) {
        QLocalSocket socket;
        socket.connectToServer(folderServerName(dataDir));
        if (socket.waitForConnected(200) && QFileInfo::exists(dataDir + QStringLiteral("/DorivanWork.mdb")))
            return true;
        QThread::msleep(100);
    }
    return false;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Clicks the given buttons of the message boxes as they come up, and keeps what they said.
class BoxAnswers
{
public:
    explicit BoxAnswers(std::initializer_list<QMessageBox::StandardButton> answers) : m_answers(answers)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || m_answers.empty())
                return;
            texts << box->text();
            defaults << box->standardButton(box->defaultButton());
            box->button(m_answers.front())->click();
            m_answers.pop_front();
        });
        m_poll.start(5);
    }
    QStringList texts;
    QList<QMessageBox::StandardButton> defaults;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    QTimer m_poll;
};

} // namespace

TEST(SingleInstance, ASecondStartOnAHeldFolderRaisesItsCopyAndLeavesTheFilesAlone)
{
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    SingleInstanceGuard first(data);
    ASSERT_EQ(first.acquire(), SingleInstanceGuard::Lock::Taken);
    EXPECT_TRUE(QFileInfo::exists(QDir(data).filePath(QStringLiteral(".dorivan.lock"))));
    QSignalSpy raised(&first, &SingleInstanceGuard::raiseRequested);

    // Named through a link, with an instance name of its own: still the same folder.
    const QString link = root.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(data, link));
    EXPECT_EQ(folderLockPath(link + QStringLiteral("/")), folderLockPath(data));
    auto second = startDorivan(link, QStringLiteral("another-name"));
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    // It says on standard error what it did instead of opening a window.
    EXPECT_TRUE(QString::fromLocal8Bit(second->readAllStandardError())
                    .contains(QStringLiteral("既に起動しています。データフォルダ")));
    EXPECT_TRUE(raised.count() > 0 || raised.wait(10000));
    EXPECT_EQ(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral(".dorivan.lock")});
}

TEST(SingleInstance, RealCopiesRunOnePerFolderWhateverTheirInstanceNames)
{
    QTemporaryDir root;
    const QString a = root.filePath(QStringLiteral("a"));
    const QString b = root.filePath(QStringLiteral("b"));
    auto first = startDorivan(a, QStringLiteral("x"));
    ASSERT_TRUE(runsOn(*first, a));

    auto sameFolder = startDorivan(a, QStringLiteral("y"));
    ASSERT_TRUE(sameFolder->waitForFinished(30000));
    EXPECT_EQ(sameFolder->exitCode(), 0);
    // The same instance name on another folder opens that folder in a copy of its own.
    auto otherFolder = startDorivan(b, QStringLiteral("x"));
    EXPECT_TRUE(runsOn(*otherFolder, b));
    EXPECT_EQ(first->state(), QProcess::Running);

    first->kill();
    first->waitForFinished(30000);
    // The copy is gone, so its lock counts as stale and the folder can be taken again.
    SingleInstanceGuard next(a);
    EXPECT_EQ(next.acquire(), SingleInstanceGuard::Lock::Taken);
}

TEST(FolderClaim, ALockNobodyAnswersForIsTakenOverOnlyOnYesAfterAWarning)
{
    QTemporaryDir root;
    const QString lock = folderLockPath(root.path());
    // As a copy on another computer writes it, and a file written a moment ago that names nobody yet.
    const QByteArray foreign("4242\ndorivan\nkeiri-pc\n0123456789abcdef\nboot-id\n");
    for (const QByteArray& left : {foreign, QByteArray("not a lock\n")}) {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(left);
        file.close();
        {
            SingleInstanceGuard guard(root.path());
            BoxAnswers answers{QMessageBox::No};
            EXPECT_EQ(claimDataFolder(guard, nullptr, 200), FolderClaim::Refused);
            ASSERT_EQ(answers.texts.size(), 1);
            const QString& text = answers.texts.front();
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(guard.folder()))) << text.toStdString();
            EXPECT_EQ(text.contains(QStringLiteral("keiri-pc")), left == foreign) << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("データが壊れたり失われたりします")));
            EXPECT_EQ(answers.defaults.front(), QMessageBox::No);
        }
        EXPECT_EQ(readAll(lock), left);

        SingleInstanceGuard guard(root.path());
        BoxAnswers answers{QMessageBox::Yes};
        EXPECT_EQ(claimDataFolder(guard, nullptr, 200), FolderClaim::Open);
        qint64 pid = 0;
        EXPECT_TRUE(QLockFile(lock).getLockInfo(&pid, nullptr, nullptr));
        EXPECT_EQ(pid, QCoreApplication::applicationPid());
    }

    // A holder still running on this computer (one that does not listen) keeps its lock even on Yes.
    QFile::remove(lock);
    QLockFile holder(lock);
    holder.setStaleLockTime(0);
    ASSERT_TRUE(holder.tryLock(0));
    const QByteArray held = readAll(lock);
    SingleInstanceGuard guard(root.path());
    BoxAnswers answers{QMessageBox::Yes, QMessageBox::Ok};
    EXPECT_EQ(claimDataFolder(guard, nullptr, 200), FolderClaim::Refused);
    ASSERT_EQ(answers.texts.size(), 2);
    EXPECT_TRUE(answers.texts[0].contains(QStringLiteral("このコンピュータのプロセス番号")));
    EXPECT_TRUE(answers.texts[1].contains(QStringLiteral("引き継げませんでした")));
    EXPECT_EQ(readAll(lock), held);
}

// A lock file whose holder cannot be shown to run (empty, garbled) is taken over by the window and the
// command line alike; one that a copy on another computer wrote an hour ago is not, nor a live one.
TEST(FolderLock, OnlyALockWhoseHolderCannotBeShownAliveIsStaleForTheWindowAndTheCommandLineAlike)
{
    TempDataFolder data;
    data.open();
    const QString lock = folderLockPath(data.path());
    const auto leave = [&](const QByteArray& content) {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    };
    const auto exportRows = [&] {
        QProcess process;
        process.start(
            QStringLiteral(DORIVAN_EXECUTABLE),
            {QStringLiteral("--data-dir"), data.path(), QStringLiteral("--export-csv"), QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    };
    for (const QByteArray& left : {QByteArray(), QByteArray("not a lock\n")}) {
        leave(left);
        {
            SingleInstanceGuard guard(data.path());
            EXPECT_EQ(guard.acquire(), SingleInstanceGuard::Lock::Taken);
        }
        leave(left);
        const auto [code, error] = exportRows();
        EXPECT_EQ(code, 0) << error.toStdString();
    }

    const QByteArray foreign("4242\ndorivan\nkeiri-pc\n0123456789abcdef\nboot-id\n");
    leave(foreign);
    {
        SingleInstanceGuard guard(data.path());
        EXPECT_EQ(guard.acquire(), SingleInstanceGuard::Lock::HeldByCopy);
    }
    auto [code, error] = exportRows();
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(error.contains(QStringLiteral("keiri-pc")) && error.contains(QDir::toNativeSeparators(lock)))
        << error.toStdString();
    EXPECT_EQ(readAll(lock), foreign);

    QFile::remove(lock);
    QLockFile running(lock);
    ASSERT_TRUE(running.tryLock(0));
    std::tie(code, error) = exportRows();
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(QFileInfo(data.path()).canonicalFilePath())) &&
                error.contains(QDir::toNativeSeparators(lock)))
        << error.toStdString();
}
