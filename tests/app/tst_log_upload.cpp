// test-labels: e2e
// test-sources: UploadServices.cpp
// The log upload: the throttle, the zip of logs and crash dumps, the post to
// "/dumpupload", and crash dumps removed only once the server took them.
#include "app/CSettings.h"
#include "app/CUpLoadLog.h"
#include "app/PubUtils.h"
#include "tests/app/UploadServices.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>
#include <zip.h>

#include <map>
#include <tuple>

using uploadtest::Services;

namespace {

std::map<std::string, std::string> zipEntries(const std::string& path)
{
    std::map<std::string, std::string> out;
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        if (f) {
            zip_fread(f, &data[0], st.size);
            zip_fclose(f);
        }
        out[st.name] = data;
    }
    zip_close(z);
    return out;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Files made in the same millisecond count once in the creation-time
// listing; let the clock move on before the next one.
void nextMillisecond()
{
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    while (QDateTime::currentMSecsSinceEpoch() < start + 2)
        QThread::usleep(200);
}

class LogUploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Services::instance().reset();
        Services::instance().script("/dumpupload", 200, "ok");
        dumps = QString::fromStdString(PubUtils::GetAppData()) + "/crashDumps";
        QDir(dumps).removeRecursively();
        setLastUpload(QString());
    }
    static QString settingsFile() { return QString::fromStdString(PubUtils::GetAppData()) + "/config.ini"; }
    static void setLastUpload(const QString& value)
    {
        CSettings s(settingsFile());
        if (value.isEmpty())
            s.remove("UploadLogTime");
        else
            s.SetValue("UploadLogTime", value);
        s.sync();
    }
    static QString lastUpload() { return CSettings(settingsFile()).GetValue("UploadLogTime").toString(); }
    static qlonglong nowNumber() { return QDateTime::currentDateTime().toString("yyyyMMddhhmm").toLongLong(); }
    static bool waitIdle() { return testsupport::waitUntil([] { return CUpLoadLog::Running() == 0; }, uploadtest::kWaitMs); }

    QString dumps;
};

TEST_F(LogUploadTest, WithoutCrashDumpsOnlyAForcedCallUploadsAndTheTimeIsNotStored)
{
    EXPECT_EQ(CUpLoadLog::CheckUpload(false), "");
    EXPECT_TRUE(Services::instance().seen().empty());

    nextMillisecond();  // apart from the program's own log file
    writeFile(PubUtils::GetLogDir() + "/2026-01-02-10-00-00.log", "first run\n");
    nextMillisecond();
    writeFile(PubUtils::GetLogDir() + "/2026-01-03-10-00-00.log", "second run\n");
    const std::string archive = CUpLoadLog::CheckUpload(true);
    ASSERT_FALSE(archive.empty());
    const QString name = QFileInfo(QString::fromStdString(archive)).fileName();
    EXPECT_TRUE(name.startsWith("VeltoraTea") && name.endsWith("Log.zip")) << name.toStdString();
    ASSERT_TRUE(waitIdle());

    auto entries = zipEntries(archive);
    const std::string logFolder = QDir(PubUtils::GetLogDir()).dirName().toStdString();
    EXPECT_EQ(entries[logFolder + "_2026-01-02-10-00-00.log"], "first run\n");
    EXPECT_EQ(entries[logFolder + "_2026-01-03-10-00-00.log"], "second run\n");

    auto posts = Services::instance().seen("/dumpupload");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].method, "POST");
    ASSERT_EQ(posts[0].parts.size(), 1u);
    EXPECT_EQ(posts[0].parts[0].name, "dumpupload");
    EXPECT_EQ(posts[0].parts[0].filename, name.toStdString());
    EXPECT_EQ(posts[0].parts[0].contentType, "application/octet-stream");
    QFile z(QString::fromStdString(archive));
    ASSERT_TRUE(z.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray::fromStdString(posts[0].parts[0].content), z.readAll());
    EXPECT_EQ(lastUpload(), "");
}

TEST_F(LogUploadTest, CrashDumpsUploadAtMostHourlyAndGoOnlyOnceTaken)
{
    writeFile(dumps + "/crash-1.dmp", "dump one");

    // 39 (or, across a minute, 40) below now: too soon.
    setLastUpload(QString::number(nowNumber() - 39));
    EXPECT_EQ(CUpLoadLog::CheckUpload(false), "");
    // A stored time later than now (clock set back) blocks as well.
    setLastUpload(QString::number(nowNumber() + 5));
    EXPECT_EQ(CUpLoadLog::CheckUpload(false), "");
    EXPECT_TRUE(Services::instance().seen().empty());
    EXPECT_TRUE(QFile::exists(dumps + "/crash-1.dmp"));

    setLastUpload(QString::number(nowNumber() - 100));
    const qlonglong before = nowNumber();
    const std::string archive = CUpLoadLog::CheckUpload(false);
    ASSERT_FALSE(archive.empty());
    ASSERT_TRUE(waitIdle());
    EXPECT_GE(lastUpload().toLongLong(), before);
    EXPECT_EQ(zipEntries(archive)["crashDumps_crash-1.dmp"], "dump one");
    EXPECT_EQ(Services::instance().seen("/dumpupload").size(), 1u);
    EXPECT_FALSE(QFile::exists(dumps + "/crash-1.dmp"));
}

TEST_F(LogUploadTest, CrashDumpsStayWhenTheServerRefusesOrIsUnreachable)
{
    writeFile(dumps + "/crash-2.dmp", "dump two");
    Services::instance().script("/dumpupload", 500, "disk full");
    ASSERT_FALSE(CUpLoadLog::CheckUpload(true).empty());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(Services::instance().seen("/dumpupload").size(), 1u);
    EXPECT_TRUE(QFile::exists(dumps + "/crash-2.dmp"));

    // Nothing listens on this address.
    std::vector<QString> files{dumps + "/crash-2.dmp"};
    ASSERT_FALSE(CUpLoadLog::UploadZip(files, "http://127.0.0.1:1/dumpupload", files).empty());
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(QFile::exists(dumps + "/crash-2.dmp"));
}

TEST_F(LogUploadTest, FilesOfOneNameFromDifferentFoldersAllReachTheArchive)
{
    const QString root = QString::fromStdString(PubUtils::GetAppData()) + "/zipcase";
    const std::vector<QString> files{root + "/a/same.log", root + "/b/same.log", root + "/c/a/same.log"};
    writeFile(files[0], "from a");
    writeFile(files[1], "from b");
    writeFile(files[2], "from c/a");
    const std::string archive = CUpLoadLog::ZipLogFiles(files);
    ASSERT_FALSE(archive.empty());
    auto entries = zipEntries(archive);
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries["a_same.log"], "from a");
    EXPECT_EQ(entries["b_same.log"], "from b");
    EXPECT_EQ(entries["2_a_same.log"], "from c/a");
    QDir(root).removeRecursively();
}

TEST_F(LogUploadTest, TwoUploadsInOneMinuteEachSendTheirOwnArchive)
{
    // The first post is held by the server while the second is zipped: the
    // second must not rewrite the first's archive.
    Services::instance().script("/dumpupload", {{200, "ok", true}, {200, "ok", false}});
    const QString root = QString::fromStdString(PubUtils::GetAppData()) + "/twice";
    writeFile(root + "/one/first.log", "first upload");
    writeFile(root + "/two/second.log", "second upload");
    const std::string url = CUpLoadLog::DumpUploadUrl();
    const std::string a = CUpLoadLog::UploadZip({root + "/one/first.log"}, url);
    ASSERT_TRUE(testsupport::waitUntil([] { return Services::instance().seen("/dumpupload").size() == 1; },
                                       uploadtest::kWaitMs));
    const std::string b = CUpLoadLog::UploadZip({root + "/two/second.log"}, url);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    ASSERT_TRUE(testsupport::waitUntil([] { return Services::instance().seen("/dumpupload").size() == 2; },
                                       uploadtest::kWaitMs));
    Services::instance().release();
    ASSERT_TRUE(waitIdle());

    std::map<std::string, std::string> sent;  // file name -> content
    for (const auto& post : Services::instance().seen("/dumpupload")) {
        ASSERT_EQ(post.parts.size(), 1u);
        sent[post.parts[0].filename] = post.parts[0].content;
    }
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& [path, entry, text] :
         {std::tuple{a, "one_first.log", "first upload"}, std::tuple{b, "two_second.log", "second upload"}}) {
        const std::string name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
        ASSERT_EQ(sent.count(name), 1u) << name;
        EXPECT_EQ(zipEntries(path)[entry], text);
        QFile z(QString::fromStdString(path));
        ASSERT_TRUE(z.open(QIODevice::ReadOnly));
        EXPECT_EQ(QByteArray::fromStdString(sent[name]), z.readAll()) << name;
    }
    QDir(root).removeRecursively();
}

TEST_F(LogUploadTest, NothingToZipStartsNoUpload)
{
    EXPECT_EQ(CUpLoadLog::ZipLogFiles({}), "");
    EXPECT_EQ(CUpLoadLog::UploadZip({dumps + "/missing.dmp"}, CUpLoadLog::DumpUploadUrl()), "");
    EXPECT_EQ(CUpLoadLog::Running(), 0);
    EXPECT_TRUE(Services::instance().seen().empty());
}

}  // namespace
