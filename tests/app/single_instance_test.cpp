#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString uniqueName()
{
    return QStringLiteral("dorivan-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

void startDorivan(QProcess& process, const QString& instance, const QString& dataDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(DORIVAN_EXECUTABLE),
                  {QStringLiteral("--instance-name"), instance, QStringLiteral("--data-dir"), dataDir});
}

bool listening(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(200);
}

struct LockCleanup
{
    QString name;
    ~LockCleanup() { QFile::remove(QDir::temp().filePath(name + QStringLiteral(".lock"))); }
};

} // namespace

TEST(SingleInstance, ASecondCopyAsksTheFirstToComeForwardAndLeavesTheDataAlone)
{
    const QString name = uniqueName();
    LockCleanup cleanup{name};
    SingleInstanceGuard first(name);
    ASSERT_TRUE(first.acquire());
    SingleInstanceGuard sameProcess(name);
    EXPECT_FALSE(sameProcess.acquire());
    QSignalSpy raised(&first, &SingleInstanceGuard::raiseRequested);

    QTemporaryDir dir;
    const QString dataDir = dir.filePath(QStringLiteral("data"));
    QProcess second;
    startDorivan(second, name, dataDir);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(raised.count() > 0 || raised.wait(10000));
    EXPECT_FALSE(QFileInfo::exists(dataDir));
}

TEST(SingleInstance, TwoRealCopiesOnlyTheFirstRuns)
{
    const QString name = uniqueName();
    LockCleanup cleanup{name};
    QTemporaryDir dir;
    const QString firstData = dir.filePath(QStringLiteral("first"));
    const QString secondData = dir.filePath(QStringLiteral("second"));

    QProcess first;
    startDorivan(first, name, firstData);
    ASSERT_TRUE(first.waitForStarted(30000));
    for (int i = 0; i < 300 && !(listening(name) && QFileInfo::exists(firstData + "/DorivanWork.mdb")); ++i)
        QThread::msleep(100);
    ASSERT_TRUE(listening(name));
    // The first start created its data folder and both files.
    EXPECT_TRUE(QFileInfo::exists(firstData + "/Dorivan.mdb"));

    QProcess second;
    startDorivan(second, name, secondData);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(secondData));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(listening(name));

    first.kill();
    first.waitForFinished(30000);
    // With the first copy gone its lock counts as stale and a new copy may start.
    SingleInstanceGuard next(name);
    EXPECT_TRUE(next.acquire());
}
