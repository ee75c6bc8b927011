// test-labels: e2e
// test-sources: ../app/UploadServices.cpp
// Chat picture messages against a loopback picture server: thumbnails,
// one download per address, the cache, failed and broken downloads, the
// preview list, and a captured screen area uploaded and sent.
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TestPaths.h"
#include "app/DownThread.h"
#include "app/Room.h"
#include "app/WorkerLifetime.h"
#include "interaction/ChatCtrl.h"
#include "interaction/ChatMsgItem.h"
#include "interaction/ChatMsgItemDocument.h"
#include "interaction/UserItemWidget.h"
#include "tests/app/UploadServices.h"
#include "widgets/ImageViewer.h"
#include "widgets/MsgBox.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using uploadtest::Services;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

std::string Png(int w, int h, QColor colour = Qt::darkCyan)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes.toStdString();
}

// A picture with an 8 px magenta frame round a dark cyan middle: a cut
// thumbnail loses part of the frame.
std::string FramedPng(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter(&img).fillRect(img.rect().adjusted(8, 8, -8, -8), Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes.toStdString();
}

bool Near(QRgb got, QColor want)
{
    return std::abs(qRed(got) - want.red()) < 48 && std::abs(qGreen(got) - want.green()) < 48 &&
           std::abs(qBlue(got) - want.blue()) < 48;
}

// In the row's own pixels the thumbnail is whole: its grey frame on all four
// sides inside the row, the picture's magenta frame just within it on all four
// sides, and the picture's middle in the centre.
void ExpectWholeThumbnail(QWidget* row, QLabel* thumb, const char* what)
{
    const QImage shot = row->grab().toImage();
    const QRect r(thumb->mapTo(row, QPoint(0, 0)), thumb->size());
    ASSERT_TRUE(shot.rect().contains(r)) << what;
    const QRect in = r.adjusted(4, 4, -4, -4);
    const QPoint c = r.center();
    for (const QPoint& at : {QPoint(r.left() + 1, c.y()), QPoint(r.right() - 1, c.y()), QPoint(c.x(), r.top() + 1),
                             QPoint(c.x(), r.bottom() - 1)})
        EXPECT_TRUE(Near(shot.pixel(at), QColor(83, 85, 94))) << what << " frame at " << at.x() << "," << at.y();
    for (const QPoint& at : {QPoint(in.left(), c.y()), QPoint(in.right(), c.y()), QPoint(c.x(), in.top()),
                             QPoint(c.x(), in.bottom())})
        EXPECT_TRUE(Near(shot.pixel(at), Qt::magenta)) << what << " picture edge at " << at.x() << "," << at.y();
    EXPECT_TRUE(Near(shot.pixel(c), Qt::darkCyan)) << what;
}

quint32 Crc32(const char* data, size_t n)
{
    quint32 crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A small PNG whose header claims w x h pixels.
std::string PngClaiming(quint32 w, quint32 h)
{
    std::string png = Png(4, 4);
    auto put = [&](size_t at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    };
    put(16, w);
    put(20, h);
    put(29, Crc32(png.data() + 12, 17));
    return png;
}

struct ImagePanel {
    ImagePanel()
    {
        Services::instance();  // the data folder and the deployment file first
        static QWidget board;
        if (!Room::instance()->GetClientLib())
            Room::instance()->InitLib(&board);
        chat.reset(new ChatCtrl(&host));
    }
    // A received picture message.
    void Receive(const std::string& path, const char* name = "Ann", const QString& userId = "stu-1")
    {
        chat->onClientLibCmd(RsC_Chat_Message, QVariantMap{{"msg", QString::fromStdString(Services::instance().url(path))},
                                                           {"msgType", 2}, {"name", u(name)}, {"userid", userId},
                                                           {"time", qint64(1700000000)}, {"userType", 0}});
    }
    QSharedPointer<ImageMsgInfo> Msg(int row) const { return chat->Rows()[row]->GetMsg().dynamicCast<ImageMsgInfo>(); }
    QLabel* Thumb(int row) const { return chat->Rows()[row]->ImageLabel(); }
    QWidget host;
    std::unique_ptr<ChatCtrl> chat;
};

std::string Screenshot(QWidget* w, const std::string& name)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

size_t Gets(const std::string& path) { return Services::instance().seen(path).size(); }

}  // namespace

TEST(ChatImages, ThumbnailsFitIn160By90)
{
    struct Case {
        QSize picture, thumb;
    };
    const Case cases[] = {
        {{320, 90}, {160, 45}}, {{1600, 1800}, {80, 90}}, {{160, 90}, {160, 90}},
        {{100, 10}, {100, 10}},  // a small picture keeps its size
        {{333, 100}, {160, 48}}, // 48.05 rounds to 48
        {{0, 10}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChatMsgItem::ThumbnailSize(c.picture), c.thumb) << c.picture.width() << "x" << c.picture.height();
}

TEST(ChatImages, OneDownloadServesEveryRowOfAnAddressAndFailuresShow)
{
    ImagePanel p;
    Services::instance().reset();
    Services::instance().script("/wide.png", 200, FramedPng(320, 90));
    Services::instance().script("/broken.png", 200, "this is not a picture");
    Services::instance().script("/claims-huge.png", 200, PngClaiming(100000, 100000));

    p.Receive("/wide.png");
    p.Receive("/wide.png", "Bob", "stu-2");
    ASSERT_EQ(p.chat->Rows().size(), 2);
    EXPECT_EQ(p.Msg(0)->status, kImageDownloading);
    EXPECT_EQ(p.Thumb(0)->text(), "Downloading ...");
    EXPECT_TRUE(p.chat->HasDownloadingImage(QString::fromStdString(Services::instance().url("/wide.png"))));
    ASSERT_TRUE(testsupport::waitUntil([&] { return p.Msg(0)->status == kImageReady; }, uploadtest::kWaitMs));
    EXPECT_EQ(p.Msg(1)->status, kImageReady);  // together
    EXPECT_EQ(Gets("/wide.png"), 1u);
    for (int row : {0, 1}) {
        EXPECT_EQ(p.Thumb(row)->size(), QSize(160, 45));
        ASSERT_FALSE(p.Thumb(row)->pixmap(Qt::ReturnByValue).isNull());
        EXPECT_EQ(p.Msg(row)->content, p.Msg(row)->localPath);
        EXPECT_TRUE(QFile::exists(p.Msg(row)->localPath));
    }

    // Now cached: ready at once, no request.
    p.Receive("/wide.png");
    EXPECT_EQ(p.Msg(2)->status, kImageReady);
    EXPECT_EQ(p.Thumb(2)->size(), QSize(160, 45));

    struct Bad {
        const char* path;
        int status;
        const char* text;
    };
    const Bad bad[] = {
        {"/missing.png", kImageFailed, "Download failed!"},   // 404
        {"/broken.png", kImageReady, "Image is broken"},       // not a picture
        {"/claims-huge.png", kImageReady, "Image is broken"},  // never decoded
    };
    int row = 3;
    for (const Bad& b : bad) {
        p.Receive(b.path);
        ASSERT_TRUE(testsupport::waitUntil([&] { return p.Msg(row)->status != kImageDownloading; }, uploadtest::kWaitMs))
            << b.path;
        EXPECT_EQ(p.Msg(row)->status, b.status) << b.path;
        EXPECT_EQ(p.Thumb(row)->text(), b.text) << b.path;
        EXPECT_EQ(p.Thumb(row)->size(), QSize(80, 80)) << b.path;
        ++row;
    }
    EXPECT_EQ(Services::instance().seen("/wide.png").size(), 1u);

    // Only http and https addresses are fetched.
    p.chat->onClientLibCmd(RsC_Chat_Message, QVariantMap{{"msg", "file:///etc/hostname"}, {"msgType", 2}, {"userid", "x"}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return p.Msg(row)->status != kImageDownloading; }, uploadtest::kWaitMs));
    EXPECT_EQ(p.Msg(row)->status, kImageFailed);

    p.host.setGeometry(100, 100, 800, 600);
    p.chat->InitStyle();
    p.chat->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.chat.get()));
    // A picture row is exactly as tall as its name line, its thumbnail and
    // the 8 px margin below: the bare thumbnail + 30 (75 here) is 4 px short
    // of the 8 px margins and the 18 px name line, and would cut the
    // thumbnail's foot off.
    {
        ChatMsgItem* picture = p.chat->Rows()[1];
        QCoreApplication::processEvents();
        ASSERT_EQ(picture->height(), picture->RowHeight());
        const int thumbBottom = p.Thumb(1)->mapTo(picture, QPoint(0, p.Thumb(1)->height())).y();
        const int timeHeight = picture->TimeLabel()->isVisible() ? picture->TimeLabel()->height() : 0;
        EXPECT_GT(thumbBottom, 45 + 30 - 8 + timeHeight);
        EXPECT_EQ(picture->RowHeight(), thumbBottom + 8);
    }
    // Downloaded or cached, the picture is whole within its frame.
    ExpectWholeThumbnail(p.chat->Rows()[1], p.Thumb(1), "downloaded");
    ExpectWholeThumbnail(p.chat->Rows()[2], p.Thumb(2), "cached");
    Screenshot(p.chat->Rows()[2], "chat_image_row.png");
    p.chat->findChild<QListWidget*>("listWidget")->scrollToBottom();
    Screenshot(p.chat.get(), "chat_images.png");

    // The preview offers every picture row in row order, opened at the clicked one.
    const QString second = p.Msg(1)->content;
    QTest::mousePress(p.Thumb(1), Qt::LeftButton);
    ASSERT_EQ(p.chat->PreviewList().size(), row + 1);
    EXPECT_EQ(p.chat->PreviewList()[0], p.Msg(0)->content);
    EXPECT_EQ(p.chat->PreviewIndex(), 0);  // the same file as row 0: its first place
    ASSERT_NE(p.chat->Viewer(), nullptr);
    EXPECT_TRUE(p.chat->Viewer()->isVisible());
    ImageViewer* viewer = p.chat->Viewer();
    p.chat->slotOnPreviewImage(p.Msg(4)->content);
    EXPECT_EQ(p.chat->PreviewIndex(), 4);
    EXPECT_EQ(p.chat->Viewer(), viewer);  // made once, reused
    p.chat->slotOnPreviewImage("/not/in/the/chat.png");
    EXPECT_EQ(p.chat->PreviewIndex(), 4);
}

TEST(ChatImages, RowDocumentsLoadOnlyEmoticonPictures)
{
    ImagePanel p;
    const QString local = QString::fromStdString(Services::instance().home().home()) + "/secret.png";
    QImage big(300, 200, QImage::Format_RGB32);
    big.fill(Qt::red);
    ASSERT_TRUE(big.save(local));
    p.chat->AddSysMsg(QString("<img src=\"%1\"/><img src=\"file://%1\"/>").arg(local) +
                      "<img source = \":/face/res/face/em_smile.png\"/>");
    QTextDocument* doc = p.chat->Rows().last()->TextView()->document();
    for (const QString& name : {local, "file://" + local}) {
        const QImage got = doc->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
        EXPECT_EQ(got.size(), QSize(1, 1)) << name.toStdString();
    }
    EXPECT_EQ(doc->resource(QTextDocument::ImageResource, QUrl(":/face/res/face/em_smile.png")).value<QImage>().size(),
              QSize(40, 40));
    EXPECT_TRUE(ChatMsgItemDocument::IsAllowedResource(QUrl("qrc:/face/res/face/em_ok.png")));
    EXPECT_FALSE(ChatMsgItemDocument::IsAllowedResource(QUrl(":/face/res/face/../../class/res/class/x.png")));
}

TEST(ChatImages, ACapturedAreaIsShownUploadedAndSent)
{
    ImagePanel p;
    Services::instance().reset();
    Services::instance().script("/upload", 202, R"([{"hash":"h-1","location":"http://img.example/p/shot.png"}])");
    const QString shot = QString::fromStdString(Services::instance().home().home()) + "/shot.png";
    QFile f(shot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(Png(200, 120)));
    f.close();
    ClientLib* lib = Room::instance()->GetClientLib();
    ClientLibTestControl::ClearCalls(lib);
    p.chat->onScreenshotFinished(shot);
    ASSERT_EQ(p.chat->Rows().size(), 1);
    EXPECT_TRUE(p.Msg(0)->isSelf);
    EXPECT_EQ(p.Msg(0)->status, kImageReady);
    EXPECT_EQ(p.Thumb(0)->size(), QSize(150, 90));
    auto sent = [&] {
        QList<QVariantList> out;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib))
            if (c.name == "SendChatMsg")
                out << c.args;
        return out;
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !sent().isEmpty(); }, uploadtest::kWaitMs));
    EXPECT_EQ(sent()[0][0].toString(), "http://img.example/p/shot.png");
    EXPECT_EQ(sent()[0][1].toInt(), 2);
    EXPECT_EQ(Services::instance().seen("/upload").size(), 1u);

    // A failed upload: a message box, nothing sent, the own row stays.
    ClientLibTestControl::ClearCalls(lib);
    p.chat->onScreenshotFinished(shot + ".gone");
    MsgBox* box = nullptr;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        box = p.chat->findChild<MsgBox*>();
        return box && box->isVisible();
    }, uploadtest::kWaitMs));
    bool found = false;
    for (QLabel* l : box->findChildren<QLabel*>())
        found = found || l->text().startsWith(u("发送图片失败"));
    EXPECT_TRUE(found);
    Screenshot(box, "chat_image_upload_failed.png");
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(p.chat->Rows().size(), 2);
    box->close();
}

TEST(ChatImages, TransfersOfAPanelOrRowThatWentAreFreed)
{
    // A picture download and a picture upload of the chat panel, and an
    // avatar download of a user row, each still running when its panel or
    // row goes: the worker frees itself once the transfer ends.
    const QString shot = QString::fromStdString(Services::instance().home().home()) + "/gone-shot.png";
    QFile f(shot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(Png(20, 20)));
    f.close();
    const struct {
        const char* name;
        const char* path;
        std::function<std::unique_ptr<QObject>(QWidget*)> start;
    } cases[] = {
        {"picture download", "/held-picture.png",
         [](QWidget* host) -> std::unique_ptr<QObject> {
             auto chat = std::make_unique<ChatCtrl>(host);
             chat->onClientLibCmd(RsC_Chat_Message,
                                  QVariantMap{{"msg", QString::fromStdString(Services::instance().url("/held-picture.png"))},
                                              {"msgType", 2}, {"name", "Ann"}, {"userid", "stu-1"},
                                              {"time", qint64(1700000000)}, {"userType", 0}});
             return chat;
         }},
        {"picture upload", "/upload",
         [shot](QWidget* host) -> std::unique_ptr<QObject> {
             auto chat = std::make_unique<ChatCtrl>(host);
             chat->onScreenshotFinished(shot);
             return chat;
         }},
        {"avatar download", "/held-avatar.png",
         [](QWidget* host) -> std::unique_ptr<QObject> {
             auto row = std::make_unique<UserItemWidget>(host);
             auto user = std::make_shared<UserInfo>("stu-9");
             user->userHeader = Services::instance().url("/held-avatar.png");
             row->SetUser(user);
             return row;
         }},
    };
    ImagePanel p;
    for (const auto& c : cases) {
        Services::instance().reset();
        Services::instance().script(c.path, {{404, "", true}});
        const int before = WorkerLifetime::InFlight();
        std::unique_ptr<QObject> receiver = c.start(&p.host);
        EXPECT_EQ(WorkerLifetime::InFlight(), before + 1) << c.name;
        ASSERT_TRUE(testsupport::waitUntil([&] { return !Services::instance().seen(c.path).empty(); },
                                           uploadtest::kWaitMs))
            << c.name;
        receiver.reset();
        Services::instance().release();
        EXPECT_TRUE(testsupport::waitUntil([&] { return WorkerLifetime::InFlight() == before; }, uploadtest::kWaitMs))
            << c.name;
    }
}
