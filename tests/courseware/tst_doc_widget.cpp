// test-sources: ../app/UploadServices.cpp
// The courseware panel and its room page: opening each kind of document,
// pictures fetched from a loopback server, cloud files added to the room,
// routing of results, and room uploads received by a fake document service.
#include "tests/app/UploadServices.h"
#include "tests/courseware/DocSession.h"

#include "app/UploadDoc.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocFilePage.h"
#include "courseware/DocMyNetPage.h"

#include "WBRoomDocs.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <map>

using doctest::DocSession;
using uploadtest::Services;

namespace {

// The fake services come first: the program reads their addresses once.
const bool kServicesReady = (Services::instance(), true);

WBDocInfo doc(const std::string& id, const std::string& name, const std::string& ext = "",
              const std::string& type = "", const std::string& pageUrl = "", const std::string& duration = "")
{
    WBDocInfo d(id);
    d.fileName = name;
    d.extName = ext;
    d.docType = type;
    d.pageUrl = pageUrl;
    d.duration = duration;
    d.fileSize = "2048";
    d.createTime = "0";
    return d;
}

std::string pngBytes(QColor colour = Qt::green)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes.toStdString();
}

// Each file in a folder of its own: the dialog never holds a stale choice
// of the same folder. Writing the same name again rewrites that file.
std::string writeFile(const std::string& name, qint64 size)
{
    static std::map<std::string, std::string> paths;
    static int folders = 0;
    std::string& path = paths[name];
    if (path.empty()) {
        const std::string dir = Services::instance().home().home() + "/up/" + std::to_string(++folders);
        QDir().mkpath(QString::fromStdString(dir));
        path = dir + "/" + name;
    }
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::WriteOnly);
    f.write("%PDF-1.4\n");
    f.resize(size);
    return path;
}

// Runs the page's upload button with the file dialog answered by `path`.
template <typename Page>
void chooseAndUpload(Page* page, const std::string& path)
{
    QTimer::singleShot(0, page, [page, path] {
        // Typed into the dialog's name field: the dialog's folder view may
        // not have seen a file the test has just written.
        const QString file = QString::fromStdString(path);
        QFileDialog* dialog = page->FileDialog();
        dialog->setDirectory(QFileInfo(file).path());
        dialog->selectFile(file);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(file);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QWidget* widget = page;
    QTest::mouseClick(widget->findChild<QPushButton*>("btnUploadDoc"), Qt::LeftButton);
}

// The objects on the board's page now shown.
int boardItems()
{
    for (QWidget* w : QApplication::allWidgets())
        if (qstrcmp(w->metaObject()->className(), "WBCanvas") == 0)
            return w->property("itemCount").toInt();
    return -1;
}

}  // namespace

TEST(DocWidget, OpensEachKindOfDocumentTheRightWay)
{
    Services::instance().reset();
    Services::instance().script("/pic_0001.png", 200, pngBytes());
    Services::instance().script("/notpic_0001.png", 200, "this is no picture");
    DocSession s;
    const std::string base = Services::instance().url("");
    struct Case {
        const char* name;
        WBDocInfo doc;
        QVariantMap mediaCmd;  // empty: no media command
        const char* logged;    // a warning that must appear once, or ""
    } cases[] = {
        {"audio", doc("m1", "song.mp3", "mp3", "media", "", "12"),
         {{"docid", "m1"}, {"ts", 0}, {"totalTs", 12000}, {"fileName", "song.mp3"}, {"type", "audio"}, {"cmd", "open"}},
         ""},
        {"MP3 is video", doc("m2", "SONG.MP3", "", "media", "", "abc"),
         {{"docid", "m2"}, {"ts", 0}, {"totalTs", 0}, {"fileName", "SONG.MP3"}, {"type", "video"}, {"cmd", "open"}},
         ""},
        {"picture without address", doc("p0", "a.PNG", "", "", ""), {}, "add image url null docid p0"},
        {"picture fetched", doc("p1", "x.y.jpg", "", "", base + "/pic_xxxx.png"), {}, ""},
        {"picture missing", doc("p2", "b.bmp", "bmp", "", base + "/gone_xxxx.png"), {},
         "down failed"},
        {"picture unreadable", doc("p3", "c.jpeg", "jpeg", "", base + "/notpic_xxxx.png"), {},
         "load pixmap failed"},
        {"pages", doc("d1", "a.pdf", "pdf", "", base + "/page_xxxx.png"), {}, ""},
    };
    for (const Case& c : cases) {
        ClientLibTestControl::ClearCalls(DocSession::lib());
        const size_t before = doctest::logText().size();
        const size_t fetched = Services::instance().seen().size();
        const int onBoard = boardItems();
        s.panel->show();
        s.panel->onOpenDocFile(c.doc);
        EXPECT_FALSE(s.panel->isVisible()) << c.name;
        const auto media = s.calls("OpenDocCmd");
        ASSERT_EQ(media.size(), c.mediaCmd.isEmpty() ? 0 : 1) << c.name;
        if (!c.mediaCmd.isEmpty()) {
            EXPECT_EQ(media[0][0].toString().toStdString(), c.doc.docId) << c.name;
            EXPECT_EQ(media[0][1].toMap(), c.mediaCmd) << c.name;
        }
        const bool downloads = QString::fromStdString(c.doc.pageUrl).contains("pic_") ||
                               QString::fromStdString(c.doc.pageUrl).contains("gone_");
        if (downloads) {
            // Every "xxxx" became "0001"; the picture came over HTTP.
            ASSERT_TRUE(testsupport::waitUntil([&] { return Services::instance().seen().size() > fetched; }));
            const std::string path = Services::instance().seen().back().path;
            EXPECT_EQ(path.find("xxxx"), std::string::npos) << c.name;
            EXPECT_NE(path.find("_0001.png"), std::string::npos) << c.name;
        }
        if (*c.logged) {
            EXPECT_TRUE(testsupport::waitUntil(
                [&] { return doctest::countOf(doctest::logText().substr(before), c.logged) == 1; }))
                << c.name;
            EXPECT_EQ(boardItems(), onBoard) << c.name << ": nothing reaches the board";
        } else {
            // A fetched picture lands on the board, as its one new object.
            if (downloads) {
                EXPECT_TRUE(testsupport::waitUntil([&] { return boardItems() > onBoard; }, 10000)) << c.name;
            }
            EXPECT_EQ(boardItems(), onBoard + (downloads ? 1 : 0)) << c.name;
            const std::string added = doctest::logText().substr(before);
            EXPECT_EQ(added.find("add image url"), std::string::npos) << c.name << added;
        }
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A page document picked on the panel's room page shows its first page on
// the board, and the board's next-page button shows the second.
TEST(DocWidget, APageDocumentOpensAtItsFirstPageAndTurnsOnTheBoard)
{
    Services::instance().reset();
    Services::instance().script("/lesson_0001.png", 200, pngBytes(Qt::red));
    Services::instance().script("/lesson_0002.png", 200, pngBytes(Qt::blue));
    DocSession s;
    CWhiteBoardLib* wb = Room::instance()->GetWBLib();
    ASSERT_NE(wb, nullptr);
    // The board of room "room1" (the session's room) holding one document.
    wbdocs::SetRoomDocs("room1", {doc("d9", "lesson.pdf", "pdf", "", Services::instance().url("/lesson_xxxx.png"))});
    ASSERT_TRUE(wb->EnterRoom(QStringList{"tok|1", "room1", "501"}));
    QWidget* board = wb->GetWBWidget();
    struct Leave {
        CWhiteBoardLib* wb;
        ~Leave()
        {
            wb->LeaveRoom();
            wb->GetWBWidget()->parentWidget()->hide();
            wbdocs::ClearAllRooms();
        }
    } leave{wb};
    ASSERT_TRUE(testsupport::waitUntil([&] { return wb->GetCurDocInfo().size() == 1; }));
    s.panel->SetDocList(wb->GetCurDocInfo());
    board->parentWidget()->resize(400, 300);  // the board fills its host
    board->parentWidget()->show();
    auto centre = [&] { return board->grab().toImage().pixel(board->width() / 2, board->height() / 2); };

    s.panel->show();
    auto* list = s.panel->findChild<DocFilePage*>()->findChild<QListWidget*>("listWidget");
    QListWidgetItem* row = doctest::itemNamed(list, "lesson.pdf");
    ASSERT_NE(row, nullptr);
    emit list->itemDoubleClicked(row);
    EXPECT_FALSE(s.panel->isVisible());
    ASSERT_TRUE(testsupport::waitUntil([&] { return centre() == QColor(Qt::red).rgb(); }, 10000));

    // The page controls, where the library put them: on the board's host.
    auto* next = board->parentWidget()->findChild<QToolButton*>("WBNextPage");
    ASSERT_NE(next, nullptr);
    next->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return centre() == QColor(Qt::blue).rgb(); }, 10000));
    EXPECT_EQ(Services::instance().seen("/lesson_0002.png").size(), 1u);
    board->parentWidget()->grab().save(QString::fromStdString(testsupport::screenshotPath("doc_widget_board_page2.png")));
}

TEST(DocWidget, CloudFilesAreOpenedOrAddedToTheRoomFirst)
{
    DocSession s;
    s.panel->SetDocList({doc("g2", "a.pdf", "pdf"), doc("m9", "film.mp4", "mp4", "media", "", "3")});

    // Already a room document: opened at once, the library is not asked.
    s.panel->show();
    s.panel->onDoSelectNetFile(QVariantMap{{"guid", "m9"}, {"cloudType", "1"}, {"name", "film.mp4"}});
    EXPECT_FALSE(s.panel->isVisible());
    EXPECT_TRUE(s.calls("OpenNetFile").isEmpty());
    EXPECT_EQ(s.calls("OpenDocCmd").size(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Not yet one: the library adds it (here it refuses, outside a room).
    s.panel->show();
    s.panel->onDoSelectNetFile(QVariantMap{{"guid", "gx"}, {"cloudType", "1"}, {"name", "x.pdf"}});
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(s.calls("OpenNetFile").size(), 1);
    EXPECT_EQ(s.calls("OpenNetFile")[0], (QVariantList{"gx", "81", "1", "tok|1", "x.pdf"}));
    ASSERT_TRUE(s.waitResult(RsC_Http_OpenNetFile));
    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }));
    MsgBox* box = doctest::shownBoxes()[0];
    EXPECT_TRUE(doctest::boxText(box).startsWith("选择云盘文件失败！x.pdf ")) << doctest::boxText(box).toStdString();
    EXPECT_TRUE(doctest::boxText(box).endsWith("(code=1020)"));
    EXPECT_FALSE(doctest::boxButton(box, "btnCancel")->isVisible());
    EXPECT_EQ(doctest::boxButton(box, "btnOk")->text(), "确定");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(s.panel->PendingFileNames().empty());
    doctest::saveScreenshot(box, "doc_widget_open_net_file_failed.png");
    doctest::closeBoxes();

    // Two accepted files before the next list: the first listed match opens
    // and both names are dropped.
    for (const char* name : {"p.pdf", "q.mp3"})
        ClientLibTestControl::InjectCommand(
            DocSession::lib(), RsC_Http_OpenNetFile,
            QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"fileName", name}, {"userType", "group"}}}});
    ASSERT_TRUE(s.waitResult(RsC_Http_OpenNetFile, 3));
    EXPECT_EQ(s.panel->PendingFileNames(), (std::vector<QString>{"p.pdf", "q.mp3"}));
    ClientLibTestControl::ClearCalls(DocSession::lib());
    s.panel->SetDocList({doc("g2", "a.pdf", "pdf")});
    EXPECT_EQ(s.panel->PendingFileNames().size(), 2u);  // no match yet: they wait
    s.panel->show();
    s.panel->SetDocList({doc("g2", "a.pdf", "pdf"), doc("q1", "q.mp3", "mp3", "media", "", "1"),
                         doc("p1", "p.pdf", "pdf")});
    EXPECT_TRUE(s.panel->PendingFileNames().empty());
    ASSERT_EQ(s.calls("OpenDocCmd").size(), 1);
    EXPECT_EQ(s.calls("OpenDocCmd")[0][0].toString(), "q1");
    EXPECT_FALSE(s.panel->isVisible());

    // With nothing pending a new list opens nothing.
    s.panel->SetDocList({doc("q1", "q.mp3", "mp3", "media", "", "1")});
    EXPECT_EQ(s.calls("OpenDocCmd").size(), 1);

    // The room page's double-click opens through the panel.
    s.panel->FilePage()->onItemPressed(doctest::itemNamed(s.panel->FilePage()->findChild<QListWidget*>("listWidget"), "q.mp3"));
    EXPECT_EQ(s.calls("OpenDocCmd").size(), 2);

    const size_t before = doctest::logText().size();
    ClientLibTestControl::InjectCommand(DocSession::lib(), RsC_Http_NetAddr,
                                        QVariantMap{{"code", 0}, {"addr", "wss://a"}, {"token", "T1"}});
    ASSERT_TRUE(s.waitResult(RsC_Http_NetAddr));
    EXPECT_EQ(doctest::countOf(doctest::logText().substr(before), "addr wss://a T1"), 1);
}

TEST(DocFilePage, ListsTheRoomsDocumentsAndDeletes)
{
    DocSession s;
    DocFilePage* page = s.panel->FilePage();
    auto* list = page->findChild<QListWidget*>("listWidget");
    const qint64 secs = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)).toSecsSinceEpoch();
    WBDocInfo a = doc("d1", "讲义.pdf", "pdf");
    a.createTime = std::to_string(secs);
    WBDocInfo b = doc("d2", "图.png", "png");
    b.createTime = "yesterday";
    s.panel->SetDocList({a, b});
    ASSERT_EQ(doctest::rowNames(list), (QStringList{"讲义.pdf", "图.png"}));
    EXPECT_EQ(doctest::rowNamed(list, "讲义.pdf")->findChild<QLabel*>("labTime")->text(), "2026-03-04 05:06:07");
    EXPECT_EQ(doctest::rowNamed(list, "图.png")->findChild<QLabel*>("labTime")->text(),
              QDateTime::fromSecsSinceEpoch(0).toString("yyyy-MM-dd hh:mm:ss"));
    s.panel->show();
    doctest::saveScreenshot(s.panel, "doc_widget_room_page.png");

    QSignalSpy opened(page, &DocFilePage::sgOpenDocFile);
    page->onItemPressed(doctest::itemNamed(list, "讲义.pdf"));
    page->onItemPressed(doctest::itemNamed(list, "讲义.pdf"));
    ASSERT_EQ(opened.count(), 2);
    EXPECT_EQ(opened[0][0].toMap(), (QVariantMap{{"docid", "d1"}}));

    doctest::rowNamed(list, "图.png")->on_btnDel_clicked();
    QTest::mouseClick(doctest::boxButton(doctest::shownBoxes().at(0), "btnOk"), Qt::LeftButton);
    EXPECT_EQ(doctest::rowNames(list), QStringList{"讲义.pdf"});

    s.panel->Clear();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(s.panel->DocList().empty());
}

TEST(DocFilePage, UploadReachesTheServiceAndOpensOnceListed)
{
    Services::instance().reset();
    Services::instance().script("/classpreupload", 200, R"({"code":0,"data":{"exist":0}})");
    Services::instance().script("/classupload", 200, R"({"code":0,"data":{"docid":"doc-10"}})");
    DocSession s;
    s.panel->InitPages();
    DocFilePage* page = s.panel->FilePage();
    auto* list = page->findChild<QListWidget*>("listWidget");
    auto* upload = page->findChild<QPushButton*>("btnUploadDoc");
    s.panel->show();

    const std::string path = writeFile("第一课.pdf", DocFilePage::kMaxUploadBytes - 1);
    chooseAndUpload(page, path);
    ASSERT_NE(page->UploadingRow(), nullptr);
    EXPECT_FALSE(upload->isEnabled());
    EXPECT_EQ(page->UploadingRow()->findChild<QPushButton*>("failedBtn")->text(), "上传课件中");
    QSignalSpy opened(page, &DocFilePage::sgOpenDocFile);
    page->onItemPressed(list->item(list->count() - 1));  // the placeholder opens nothing
    EXPECT_EQ(opened.count(), 0);
    doctest::saveScreenshot(s.panel, "doc_widget_uploading.png");

    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }, uploadtest::kWaitMs));
    EXPECT_EQ(doctest::boxText(doctest::shownBoxes()[0]), "上传文档成功!");
    EXPECT_TRUE(upload->isEnabled());
    EXPECT_EQ(page->UploadingRow()->findChild<QPushButton*>("failedBtn")->text(), "课件转换中!");
    const auto posts = Services::instance().seen("/classupload");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].parts.at(0).filename, "第一课.pdf");
    EXPECT_EQ(posts[0].parts.at(0).content.size(), size_t(DocFilePage::kMaxUploadBytes - 1));
    EXPECT_EQ(Services::instance().seen("/classpreupload").at(0).params.find("parent")->second, "0");
    doctest::closeBoxes();

    // The room lists it: the placeholder goes and the document opens.
    s.panel->SetDocList({doc("doc-10", "第一课.pdf", "pdf")});
    EXPECT_EQ(page->UploadingRow(), nullptr);
    EXPECT_EQ(doctest::rowNames(list), QStringList{"第一课.pdf"});
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened[0][0].toMap(), (QVariantMap{{"docid", "doc-10"}}));
    EXPECT_FALSE(s.panel->isVisible());
}

TEST(DocFilePage, RefusedFailedRetriedAndAlreadyHeldUploads)
{
    Services::instance().reset();
    DocSession s;
    s.panel->InitPages();
    DocFilePage* page = s.panel->FilePage();
    auto* list = page->findChild<QListWidget*>("listWidget");
    s.panel->show();

    // Refusals: too large (exactly the limit), unreadable. The size is looked
    // at first, without reading the file.
    const struct {
        std::string path;
        const char* text;
    } refusals[] = {
        {writeFile("big.pdf", DocFilePage::kMaxUploadBytes), "文件不能大于30MB, 请重新选择！"},
        {Services::instance().home().home() + "/none/none.pdf", "文件无法打开, 请重新选择！"},
    };
    for (const auto& r : refusals) {
        chooseAndUpload(page, r.path);
        ASSERT_EQ(doctest::shownBoxes().size(), 1u) << r.text;
        EXPECT_EQ(doctest::boxText(doctest::shownBoxes()[0]), r.text);
        EXPECT_FALSE(doctest::boxButton(doctest::shownBoxes()[0], "btnCancel")->isVisible());
        EXPECT_EQ(list->count(), 0);
        EXPECT_TRUE(Services::instance().seen().empty());
        doctest::closeBoxes();
    }
    QFile unreadable(QString::fromStdString(writeFile("locked.pdf", DocFilePage::kMaxUploadBytes + 5)));
    unreadable.setPermissions(QFileDevice::WriteOwner);
    if (!QFile(unreadable.fileName()).open(QIODevice::ReadOnly)) {  // not when running as a super-user
        chooseAndUpload(page, unreadable.fileName().toStdString());
        EXPECT_EQ(doctest::boxText(doctest::shownBoxes().at(0)), "文件不能大于30MB, 请重新选择！");
        doctest::closeBoxes();
    }

    // A failed upload: the service's reason, the row offers retry and close.
    Services::instance().script("/classpreupload", 500, "busy");
    const std::string path = writeFile("二.pdf", 5000);
    chooseAndUpload(page, path);
    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }, uploadtest::kWaitMs));
    MsgBox* box = doctest::shownBoxes()[0];
    EXPECT_EQ(doctest::boxTitle(box), "上传文档失败，请重新上传试试!");
    EXPECT_FALSE(doctest::boxText(box).isEmpty());
    doctest::saveScreenshot(s.panel, "doc_widget_upload_failed.png");
    doctest::closeBoxes();
    DocFileItem* row = page->UploadingRow();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->findChild<QPushButton*>("failedBtn")->text(), "上传失败，请重新上传");
    EXPECT_TRUE(row->findChild<QPushButton*>("closeBtn")->isEnabled());

    // Retry sends the same file with the same parameters as the first try.
    Services::instance().reset();
    Services::instance().script("/classpreupload", 200, R"({"code":0,"data":{"exist":0}})");
    Services::instance().script("/classupload", 200, R"({"code":0,"data":{"docid":"doc-11"}})");
    QTest::mouseClick(row->findChild<QPushButton*>("failedBtn"), Qt::LeftButton);
    EXPECT_EQ(row->findChild<QPushButton*>("failedBtn")->text(), "上传课件中");
    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }, uploadtest::kWaitMs));
    EXPECT_EQ(doctest::boxText(doctest::shownBoxes()[0]), "上传文档成功!");
    doctest::closeBoxes();
    const auto check = Services::instance().seen("/classpreupload");
    ASSERT_EQ(check.size(), 1u);
    EXPECT_EQ(check[0].params.find("parent")->second, "0");
    EXPECT_EQ(check[0].params.find("name")->second, "二.pdf");

    // A retry is held to the same limits as the upload button: the file
    // grew past the limit after a failed try.
    s.panel->SetDocList({doc("doc-11", "二.pdf", "pdf")});  // opens it: the panel hides
    s.panel->show();
    Services::instance().script("/classpreupload", 500, "busy");
    const std::string grows = writeFile("三.pdf", 100);
    chooseAndUpload(page, grows);
    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }, uploadtest::kWaitMs));
    doctest::closeBoxes();
    writeFile("三.pdf", DocFilePage::kMaxUploadBytes);
    Services::instance().reset();
    row = page->UploadingRow();
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->findChild<QPushButton*>("failedBtn"), Qt::LeftButton);
    ASSERT_EQ(doctest::shownBoxes().size(), 1u);
    EXPECT_EQ(doctest::boxText(doctest::shownBoxes()[0]), "文件不能大于30MB, 请重新选择！");
    doctest::closeBoxes();
    EXPECT_TRUE(row->findChild<QPushButton*>("failedBtn")->isEnabled());
    EXPECT_TRUE(Services::instance().seen().empty());

    // Close takes the failed row away.
    QTest::mouseClick(row->findChild<QPushButton*>("closeBtn"), Qt::LeftButton);
    EXPECT_EQ(page->UploadingRow(), nullptr);
    EXPECT_EQ(doctest::rowNames(list), (QStringList{"二.pdf"}));

    // A file the service already holds: no message, the listed document opens.
    Services::instance().script("/classpreupload", 200,
                                R"({"code":0,"data":{"docid":"doc-11","exist":1,"md5":"m","url":"http://x"}})");
    QSignalSpy opened(page, &DocFilePage::sgOpenDocFile);
    chooseAndUpload(page, path);
    ASSERT_TRUE(testsupport::waitUntil([&] { return opened.count() == 1; }, uploadtest::kWaitMs));
    EXPECT_EQ(opened[0][0].toMap(), (QVariantMap{{"docid", "doc-11"}}));
    EXPECT_EQ(page->UploadingRow(), nullptr);
    EXPECT_EQ(doctest::rowNames(list), (QStringList{"二.pdf"}));
    EXPECT_TRUE(doctest::shownBoxes().empty());
}

TEST(DocMyNetPage, CloudUploadsAreRefusedStoredOrReportedAsFailed)
{
    DocSession s;
    s.panel->InitPages();
    DocMyNetPage* page = s.panel->MyNetPage();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    auto* upload = page->findChild<QPushButton*>("btnUploadDoc");
    s.panel->show();
    const struct {
        const char* name;
        qint64 size;
        int uploadStatus;     // 0: no upload may be made
        const char* boxText;  // the box the teacher sees
        const char* title;    // its title, "" when none is set
    } cases[] = {
        {"30 MB refused", DocMyNetPage::kMaxUploadBytes, 0, "文件不能大于30MB, 请重新选择！", ""},
        {"stored", DocMyNetPage::kMaxUploadBytes - 1, 200, "上传云盘成功!", ""},
        {"failed", 2048, 500, "", "上传云盘失败，请重新上传试试!"},
    };
    for (const auto& c : cases) {
        Services::instance().reset();
        Services::instance().script("/teacherpreupload", 200, R"({"code":0,"data":{"exist":0}})");
        Services::instance().script("/teacherwebupload", c.uploadStatus ? c.uploadStatus : 200,
                                    R"({"code":0,"data":{"docid":"net-1"}})");
        ClientLibTestControl::ClearCalls(DocSession::lib());
        chooseAndUpload(page, writeFile(std::string(c.name) + ".pdf", c.size));
        ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }, uploadtest::kWaitMs))
            << c.name;
        MsgBox* box = doctest::shownBoxes()[0];
        if (*c.boxText) {
            EXPECT_EQ(doctest::boxText(box), QString::fromUtf8(c.boxText)) << c.name;
        }
        if (*c.title) {
            EXPECT_EQ(doctest::boxTitle(box), QString::fromUtf8(c.title)) << c.name;
        }
        EXPECT_TRUE(upload->isEnabled()) << c.name;
        if (c.uploadStatus == 0) {
            EXPECT_TRUE(Services::instance().seen().empty()) << c.name;
        } else {
            const auto posts = Services::instance().seen("/teacherwebupload");
            ASSERT_EQ(posts.size(), 1u) << c.name;
            EXPECT_EQ(posts[0].parts.at(0).filename, std::string(c.name) + ".pdf");
            EXPECT_EQ(Services::instance().seen("/teacherpreupload").at(0).params.find("parent")->second, "0");
        }
        const QList<QVariantList> added = DocSession::calls("AddNetFile");
        if (c.uploadStatus == 200) {
            ASSERT_EQ(added.size(), 1) << c.name;
            const QVariantMap m = added[0].value(0).toMap();
            EXPECT_EQ(m.value("docid").toString(), "net-1");
            EXPECT_EQ(m.value("parentid").toString(), "0");
            EXPECT_EQ(m.value("parent").toString(), "0");
            EXPECT_EQ(m.value("groupid").toString(), "81");
            EXPECT_EQ(m.value("filetype").toInt(), 1);
            EXPECT_EQ(m.value("fileName").toString(), QString::fromUtf8(c.name) + ".pdf");
        } else {
            EXPECT_TRUE(added.isEmpty()) << c.name;
        }
        doctest::closeBoxes();
    }
}
