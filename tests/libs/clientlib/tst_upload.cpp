// Client library: an uploaded picture is fetched back from the upload server
// for its conversion, with the libcurl handle made under the program's lock.
// test-labels: e2e
#include "tests/libs/clientlib/ClientLibProbe.h"

#include "HttpFixture.h"

#include <QBuffer>
#include <QImage>
#include <QReadWriteLock>

using namespace cltest;

namespace {

int docStatus(ClientLib* lib, const QString& guid)
{
    rec().clear();
    lib->GetNetDocStatus(QVariantMap{{"groupid", "81"}, {"userType", "teacher"}, {"docid", guid}});
    Received r;
    EXPECT_TRUE(rec().waitFor(RsC_Http_NetDocStatus, &r));
    return r.map().value("status").toInt();
}

int waitStatus(ClientLib* lib, const QString& guid)
{
    int status = 0;
    testsupport::waitUntil([&] { return (status = docStatus(lib, guid)) != 0; }, 20000);
    return status;
}

QString addUpload(ClientLib* lib, const QString& name, const QString& url)
{
    rec().clear();
    lib->AddNetFile(QVariantMap{{"fileName", name}, {"parentid", "0"}, {"groupid", "81"}, {"userType", "teacher"},
                                {"filetype", 1}, {"url", url}, {"exist", 1}});
    Received r;
    EXPECT_TRUE(rec().waitFor(RsC_Http_NetAddFile, &r));
    return r.map().value("guid").toString();
}

}  // namespace

TEST(ClientLibUpload, PictureIsFetchedUnderTheCurlLockAndBecomesItsPage)
{
    QImage pic(64, 48, QImage::Format_RGB32);
    pic.fill(qRgb(10, 200, 30));
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    pic.save(&buf, "PNG");

    testsupport::HttpFixture http;
    http.server().Get("/store/pic.png", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(png.toStdString(), "image/png");
    });
    ASSERT_TRUE(http.start());

    static QReadWriteLock curlLock;
    LibFixture lib(testSchoolJson(),
                   QVariantMap{{"curlLocker", QVariant::fromValue<qlonglong>(reinterpret_cast<qlonglong>(&curlLock))}});
    lib.login();

    // While the program holds the lock the library makes no handle: nothing
    // is fetched and the document stays in conversion, but the library goes
    // on answering.
    curlLock.lockForWrite();
    const QString guid = addUpload(lib.lib(), "pic.png", QString::fromStdString(http.url("/store/pic.png")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(docStatus(lib.lib(), guid), 0);
    EXPECT_TRUE(http.requests().empty());
    curlLock.unlock();
    ASSERT_EQ(waitStatus(lib.lib(), guid), 1);
    ASSERT_EQ(http.requests().size(), 1u);

    rec().clear();
    lib->ListNetFolder("teacher", "81", "0");
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_NetFolderList, &r));
    QString url;
    for (const QVariant& v : r.map().value("listFiles").toList())
        if (v.toMap().value("guid").toString() == guid) url = v.toMap().value("file_url").toString();
    const QImage page(url.replace("xxxx", "0001"));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.size(), QSize(64, 48));
    EXPECT_EQ(page.pixel(5, 5), qRgb(10, 200, 30));
}

TEST(ClientLibUpload, BrokenUploadFailsItsConversionWithALogLine)
{
    testsupport::HttpFixture http;
    http.server().Get("/store/bad.png", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("not a picture", "image/png");
    });
    ASSERT_TRUE(http.start());
    LibFixture lib;
    lib.login();
    struct Case {
        const char* name;
        QString file, url;
    } cases[] = {
        {"missing", "gone.png", QString::fromStdString(http.url("/store/gone.png"))},
        {"not a picture", "bad.png", QString::fromStdString(http.url("/store/bad.png"))},
    };
    for (const Case& c : cases) {
        const QString guid = addUpload(lib.lib(), c.file, c.url);
        EXPECT_EQ(waitStatus(lib.lib(), guid), -1) << c.name;
    }
}

TEST(ClientLibUpload, ReleaseDoesNotWaitForAStalledDownload)
{
    testsupport::HttpFixture http;
    std::atomic<bool> reached{false};
    http.server().Get("/store/slow.png", [&](const httplib::Request&, httplib::Response& res) {
        reached = true;
        http.waitForRelease(30000);
        res.set_content("late", "image/png");
    });
    ASSERT_TRUE(http.start());
    auto lib = std::make_unique<LibFixture>();
    lib->login();
    addUpload(lib->lib(), "slow.png", QString::fromStdString(http.url("/store/slow.png")));
    ASSERT_TRUE(testsupport::waitUntil([&] { return reached.load(); }, 20000));
    const auto t0 = std::chrono::steady_clock::now();
    lib.reset();  // ReleaseClientLib while the download hangs
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(waited).count(), 10);
    http.releaseStalled();
}
