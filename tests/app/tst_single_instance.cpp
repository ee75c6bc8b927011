// A second start of the program while the first runs ends with 0, and the
// first is asked to raise its window.
#include "QtWait.h"
#include "platform/SingleInstance.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>

namespace {

QString logText(const QString& dataFolder)
{
    QString all;
    for (const QFileInfo& f : QDir(dataFolder + "/VeltoraTea").entryInfoList({"*.log"}, QDir::Files))
        all += QString::fromStdString(testsupport::readFile(f.absoluteFilePath().toStdString()));
    return all;
}

// A runtime folder of the test's own, private as the session's must be (Qt
// ignores one that others can read, and the program would fall back to /tmp,
// shared with every other test that starts it).
QString privateRuntimeDir(const testsupport::TempDir& home)
{
    const std::string dir = home.path() + "/run";
    QDir().mkpath(QString::fromStdString(dir));
    chmod(dir.c_str(), 0700);
    return QString::fromStdString(dir);
}

}  // namespace

TEST(SingleInstance, SecondProgramStartRaisesTheFirstAndEnds)
{
    const QString program = QString::fromStdString(testsupport::binaryDir()) + "/bin/32bit/Veltora";
    ASSERT_TRUE(QFileInfo::exists(program)) << program.toStdString();
    testsupport::TempDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home.path()) + "/data");
    env.insert("XDG_RUNTIME_DIR", privateRuntimeDir(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString dataFolder = QString::fromStdString(home.path()) + "/data/VeltoraTea";

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, QStringList());
    ASSERT_TRUE(first.waitForStarted());
    // The first instance is up once it logged its data folder.
    ASSERT_TRUE(testsupport::waitUntil([&] { return logText(dataFolder).contains("PubUtils::GetAppData"); }, 30000))
        << first.readAllStandardError().toStdString();

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, QStringList());
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(testsupport::waitUntil([&] { return logText(dataFolder).contains("another start asked to show the window"); }, 30000));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    if (!first.waitForFinished(5000))
        first.kill();
    first.waitForFinished(2000);
}

TEST(SingleInstance, InProcessClaimAndActivation)
{
    testsupport::TempDir run;
    testsupport::ScopedEnv rt("XDG_RUNTIME_DIR", run.path());
    const QString name = QString("vt-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    ASSERT_TRUE(first.claim());
    QSignalSpy spy(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(spy.count() > 0 || spy.wait(5000));
}

// A login type that names no server table leaves every address empty: the
// program says so and keeps running past the first ticks that fetch from
// the servers.
TEST(ProgramStart, UnknownLoginTypeStaysUpAndSaysWhy)
{
    const QString program = QString::fromStdString(testsupport::binaryDir()) + "/bin/32bit/Veltora";
    ASSERT_TRUE(QFileInfo::exists(program)) << program.toStdString();
    testsupport::TempDir home;
    const QString dataFolder = QString::fromStdString(home.path()) + "/data/VeltoraTea";
    QDir().mkpath(dataFolder);
    {
        QFile ini(dataFolder + "/config.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\nLoginType=3\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home.path()) + "/data");
    env.insert("XDG_RUNTIME_DIR", privateRuntimeDir(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess program1;
    program1.setProcessEnvironment(env);
    program1.start(program, QStringList());
    ASSERT_TRUE(program1.waitForStarted());
    EXPECT_TRUE(testsupport::waitUntil([&] { return logText(dataFolder).contains("LoginType 3 names no server table"); }, 30000))
        << logText(dataFolder).toStdString();
    // Tick 1 asks for the media-line list: it finds no address and goes on.
    EXPECT_TRUE(testsupport::waitUntil([&] { return logText(dataFolder).contains("no media-line list address (tick 1)"); }, 30000))
        << logText(dataFolder).toStdString();
    EXPECT_TRUE(testsupport::waitUntil([&] { return logText(dataFolder).contains("no media-line list address (tick 4)"); }, 30000));
    EXPECT_EQ(program1.state(), QProcess::Running) << program1.readAllStandardError().toStdString();
    EXPECT_FALSE(QDir(dataFolder + "/crashDumps").exists() && !QDir(dataFolder + "/crashDumps").isEmpty());
    program1.terminate();
    if (!program1.waitForFinished(5000))
        program1.kill();
    program1.waitForFinished(2000);
}
