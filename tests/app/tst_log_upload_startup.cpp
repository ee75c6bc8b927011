// test-labels: e2e
// test-sources: UploadServices.cpp
// The data folder's first use runs the log-upload check: crash dumps left by
// an earlier run are uploaded and named in the "config" log line.
#include "app/CUpLoadLog.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "tests/app/UploadServices.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using uploadtest::Services;

TEST(LogUploadStartup, FirstUseOfTheDataFolderUploadsWaitingCrashDumps)
{
    Services& services = Services::instance();
    services.script("/dumpupload", 200, "ok");
    const QString dumps = QString::fromStdString(services.home().dataFolder()) + "/crashDumps";
    QDir().mkpath(dumps);
    QFile dump(dumps + "/early.dmp");
    ASSERT_TRUE(dump.open(QIODevice::WriteOnly));
    dump.write("left by the last run");
    dump.close();

    const std::string folder = PubUtils::GetAppData();  // the first use in this process
    EXPECT_EQ(folder, services.home().dataFolder());
    ASSERT_TRUE(testsupport::waitUntil([] { return CUpLoadLog::Running() == 0; }, uploadtest::kWaitMs));
    EXPECT_EQ(services.seen("/dumpupload").size(), 1u);
    EXPECT_FALSE(QFile::exists(dumps + "/early.dmp"));

    QFile log(Logger::instance()->fileName());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains(QRegularExpression("config .*VeltoraTea crash file .*Log\\.zip")))
        << text.toStdString();
}
