// test-labels: e2e
// Page images and pictures from a web server, fetched under the program's
// curl-handle lock.
#include "tests/libs/whiteboardlib/WBTestSupport.h"

#include "HttpFixture.h"

#include <QBuffer>
#include <QLabel>
#include <QReadWriteLock>

using namespace wbtest;

namespace {

std::string pngBytes(QRgb color)
{
    QImage img(120, 90, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes.toStdString();
}

class HttpPages : public BoardFixture
{
protected:
    void SetUp() override
    {
        http.server().Get(R"(/pages/deck_(\d{4})\.png)", [](const httplib::Request& req, httplib::Response& res) {
            const std::string n = req.matches[1];
            if (n == "0001")
                res.set_content(pngBytes(qRgb(200, 0, 0)), "image/png");
            else if (n == "0002")
                res.set_content(pngBytes(qRgb(0, 0, 200)), "image/png");
            else
                res.status = 404;
        });
        http.server().Get("/broken.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html>not a picture</html>", "text/html");
        });
        ASSERT_TRUE(http.start());
        WBDocInfo doc("web");
        doc.fileName = "web.pdf";
        doc.pageUrl = http.url("/pages/deck_xxxx.png");
        wbdocs::SetRoomDocs("room1", {doc});
        BoardFixture::SetUp();
    }
    QVariantMap boardConfig() const override
    {
        QVariantMap m = config(urlWB());
        m["curlLocker"] = qlonglong(reinterpret_cast<quintptr>(&curlLock));
        return m;
    }
    bool centreIs(QRgb c) { return isColor(pixel(320, 180), c, 10); }

    testsupport::HttpFixture http;
    mutable QReadWriteLock curlLock;
};

} // namespace

TEST_F(HttpPages, PagesComeFromTheServerAndAMissingOneFailsClearly)
{
    ASSERT_TRUE(lib->OpenDocPages("web", "0001"));
    ASSERT_TRUE(waitFor([&] { return centreIs(qRgb(200, 0, 0)); }));
    ASSERT_TRUE(lib->OpenDocPages("web", "0002"));
    ASSERT_TRUE(waitFor([&] { return centreIs(qRgb(0, 0, 200)); }));

    ASSERT_TRUE(lib->OpenDocPages("web", "0003")); // 404
    ASSERT_TRUE(waitFor([] {
        const auto failed = Recorder::get().ofCode(RsWB_HidePageWidget);
        return !failed.isEmpty() && failed.last().map.value("show").toBool();
    }));
    EXPECT_TRUE(Recorder::get().logged("HTTP 404"));
    EXPECT_TRUE(centreIs(qRgb(0, 0, 200)));
}

TEST_F(HttpPages, PicturesByUrlAndTheCurlLockIsHonoured)
{
    // While the program holds the lock for writing, no handle is made.
    curlLock.lockForWrite();
    ASSERT_TRUE(lib->InsertObject(WBObject_Picture, QString::fromStdString(http.url("/pages/deck_0002.png")),
                                  QVariantMap{{"width", 120}, {"height", 90}}));
    QTest::qWait(150);
    EXPECT_TRUE(http.requests().empty());
    curlLock.unlock();
    ASSERT_TRUE(waitFor([&] { return centreIs(qRgb(0, 0, 200)); }));

    // A body that is not a picture: a log line, nothing drawn.
    lib->ClearBoard();
    ASSERT_TRUE(lib->InsertObject(WBObject_Picture, QString::fromStdString(http.url("/broken.png")), QVariant(0)));
    ASSERT_TRUE(waitFor([] { return Recorder::get().logged("not an image"); }));
    EXPECT_TRUE(centreIs(qRgb(255, 255, 255)));
}
