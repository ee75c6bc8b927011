#include "app/CSettings.h"
#include "common/Md5.h"
#include "app/PubUtils.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QWidget>

#include <sys/stat.h>
#include <utime.h>

namespace {

// The data folder is computed once per process: one private home serves
// every test of this file.
testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

class PubUtilsTest : public ::testing::Test {
protected:
    void SetUp() override { home(); }
};

void makeOld(const QString& path, int days)
{
    struct utimbuf t;
    t.actime = t.modtime = time(nullptr) - days * 86400;
    utime(path.toUtf8().constData(), &t);
}

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
}

}  // namespace

TEST_F(PubUtilsTest, FoldersLieInTheDataFolder)
{
    const QString data = QString::fromStdString(home().dataFolder());
    EXPECT_EQ(QString::fromStdString(PubUtils::GetAppData()), data);
    EXPECT_EQ(PubUtils::GetLogDir(), data + "/VeltoraTea");
    EXPECT_EQ(QString::fromStdString(PubUtils::GetTempDir()), data + "/Temp");
    EXPECT_EQ(PubUtils::GetRecordDir(), data + "/record");
    for (const QString& d : {data, data + "/VeltoraTea", data + "/Temp", data + "/record"})
        EXPECT_TRUE(QFileInfo(d).isDir()) << d.toStdString();
}

TEST_F(PubUtilsTest, FormatDuration)
{
    struct Case {
        int seconds;
        bool withHours;
        const char* text;
    } cases[] = {{3725, false, "01:02:05"}, {125, false, "02:05"}, {125, true, "00:02:05"},
                 {360000, true, "00:00:00"}, {0, false, "00:00"}, {59, true, "00:00:59"}};
    for (const auto& c : cases)
        EXPECT_EQ(PubUtils::FormatDuration(c.seconds, c.withHours), c.text) << c.seconds;
}

TEST_F(PubUtilsTest, Md5AndUrlCacheNames)
{
    EXPECT_EQ(md5::ofBytes("", 0), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5::ofBytes("abc", 3), "900150983cd24fb0d6963f7d28e17f72");
    std::string million(1000000, 'a');
    EXPECT_EQ(md5::ofBytes(million.data(), million.size()), "7707d6ae4e027c70eea2a935c2296f21");

    testsupport::TempDir dir;
    std::string path = dir.write("f.bin", std::string(10000, 'q'));
    EXPECT_EQ(PubUtils::GetFileMd5(QString::fromStdString(path)), md5::ofBytes(std::string(10000, 'q').data(), 10000));
    EXPECT_EQ(PubUtils::GetFileMd5(QString::fromStdString(dir.file("none"))), "");

    const std::string temp = PubUtils::GetTempDir();
    EXPECT_EQ(PubUtils::GetUrlLocalFile(""), "");
    EXPECT_EQ(PubUtils::GetUrlLocalFile("http://host/noext"), temp + "/" + md5::ofBytes("http://host/noext", 17));
    std::string url = "https://a.example/x/pic.png?v=2";
    EXPECT_EQ(PubUtils::GetUrlLocalFile(url), temp + "/" + md5::ofBytes(url.data(), url.size()) + ".png?v=2");
    // The name depends on the whole URL, so equal paths on two hosts differ.
    EXPECT_NE(PubUtils::GetUrlLocalFile("http://a/p.png"), PubUtils::GetUrlLocalFile("http://b/p.png"));
}

TEST_F(PubUtilsTest, StringsAndEncoding)
{
    EXPECT_EQ(UrlEncode("a b/c"), "a+b%2Fc");
    EXPECT_EQ(UrlEncode("AZaz09-_.~"), "AZaz09-_.~");
    EXPECT_EQ(UrlEncode("中&="), "%E4%B8%AD%26%3D");
    EXPECT_EQ(PubUtils::ReplaceAll("aXbX", "X", "XX"), "aXXbXX");
    EXPECT_EQ(PubUtils::ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(PubUtils::SplitString("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(PubUtils::SplitString("", ","), (std::vector<std::string>{""}));
    EXPECT_EQ(WStringToUtf8(Utf8ToWString("你好 ok")), "你好 ok");
}

TEST_F(PubUtilsTest, FaceTexts)
{
    PubUtils::SetFaceList({"smile", "cry"});
    EXPECT_EQ(PubUtils::FaceTextToHtml("hi smile", 0), "hi smile");
    EXPECT_EQ(PubUtils::FaceTextToHtml("smile cry smile", 1),
              "<img source = \":/face/res/face/smile.png\"/> <img source = \":/face/res/face/cry.png\"/> "
              "<img source = \":/face/res/face/smile.png\"/>");

    QTextDocument doc;
    QTextCursor cur(&doc);
    cur.insertText("hello");
    QTextImageFormat img;
    img.setName(":/face/res/face/smile.png");
    cur.insertImage(img);
    cur.insertText(QString("a") + QChar(0x2028) + "b");
    EXPECT_EQ(PubUtils::DocToFaceText(&doc), "hellosmilea\nb");
}

TEST_F(PubUtilsTest, RemoveFileAndCopyToTemp)
{
    testsupport::TempDir dir;
    QString ro = QString::fromStdString(dir.write("ro.txt", "x"));
    chmod(ro.toUtf8().constData(), 0444);
    EXPECT_TRUE(PubUtils::RemoveFile(ro));
    EXPECT_FALSE(QFile::exists(ro));
    EXPECT_TRUE(PubUtils::RemoveFile(ro));  // never existed any more

    QString src = QString::fromStdString(dir.write("doc.pdf", "new"));
    QString existing = QString::fromStdString(PubUtils::GetTempDir()) + "/doc.pdf";
    touch(existing);  // holds "x"
    EXPECT_EQ(PubUtils::CopyToTemp(src), existing);
    EXPECT_EQ(testsupport::readFile(existing.toStdString()), "x");
}

TEST_F(PubUtilsTest, FilesMadeTogetherAreAllListedOldestFirst)
{
    // Written back to back, many share a time stamp (file-system clocks tick
    // in milliseconds or coarser): every one is listed, ties by name.
    testsupport::TempDir dir;
    for (int i = 0; i < 40; ++i)
        dir.write(QString("%1.log").arg(i, 2, 10, QChar('0')).toStdString(), "x");
    std::vector<QString> all = PubUtils::ListFilesByCreation(QString::fromStdString(dir.path()), 100);
    ASSERT_EQ(all.size(), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(all[i].endsWith(QString("/%1.log").arg(i, 2, 10, QChar('0')))) << all[i].toStdString();
    EXPECT_EQ(PubUtils::ListFilesByCreation(QString::fromStdString(dir.path()), 10).size(), 10u);
}

TEST_F(PubUtilsTest, ClearingOldTemporaryFiles)
{
    const QString temp = QString::fromStdString(PubUtils::GetTempDir());
    touch(temp + "/sub/old.bin");
    touch(temp + "/sub/deeper/empty/.keep");
    QFile::remove(temp + "/sub/deeper/empty/.keep");
    touch(temp + "/fresh.bin");
    makeOld(temp + "/sub/old.bin", 10);

    // Clearing runs only when the stored time is more than 1440 "units" ago.
    QString now = QDateTime::currentDateTime().toString("yyyyMMddhhmm");
    CSettings::instance()->SetValue("App/TempClearTime", now);
    PubUtils::CheckClearTemp();
    EXPECT_TRUE(QFile::exists(temp + "/sub/old.bin"));

    CSettings::instance()->SetValue("App/TempClearTime", "");
    PubUtils::CheckClearTemp();
    EXPECT_FALSE(QFile::exists(temp + "/sub/old.bin"));
    EXPECT_TRUE(QFile::exists(temp + "/fresh.bin"));
    EXPECT_TRUE(QFileInfo(temp + "/sub").isDir());        // emptied now, goes on a later run
    EXPECT_FALSE(QFileInfo(temp + "/sub/deeper").exists());  // empty folders go with empty parents
    EXPECT_EQ(CSettings::instance()->GetValue("App/TempClearTime").toString().size(), 12);

    // An empty temporary folder is never removed, nor anything above it.
    QFile::remove(temp + "/fresh.bin");
    PubUtils::RemoveOldFiles(temp + "/sub", 7);
    PubUtils::RemoveOldFiles(temp, 7);
    EXPECT_TRUE(QFileInfo(temp).isDir());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(home().dataFolder())).isDir());
}

TEST_F(PubUtilsTest, WindowLargerThanScreenGoesToTopLeft)
{
    QWidget w;
    w.resize(10000, 10000);
    PubUtils::MoveToScreenCenter(&w);
    EXPECT_TRUE(w.isVisible());
    QWidget small;
    small.resize(100, 80);
    PubUtils::MoveToScreenCenter(&small);
    EXPECT_GT(small.x(), 0);
    EXPECT_GT(small.y(), 0);
}
