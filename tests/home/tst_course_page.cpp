// The course page: selection kept across rebuilds, search, lessons from the
// cache or requested, the periodic refresh, the temporary course, and row
// pictures through downloads (http and https only) from a local server.
// test-labels: e2e
#include "HttpFixture.h"
#include "app/CData.h"
#include "home/ClassInfoWdg.h"
#include "home/CourseItem.h"
#include "home/CoursePage.h"
#include "home/RowPicture.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QPointer>
#include <QTest>

using namespace hometest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

CourseInfo course(const char* id, const char* name, bool loaded = false)
{
    CourseInfo c;
    c.courseId = id;
    c.groupId = std::string("g") + id;
    c.name = name;
    c.total = 10;
    c.end = 3;
    c.roomsLoaded = loaded;
    if (loaded) {
        RoomInfo r;
        r.room_id = std::string("r") + id;
        r.room_name = "lesson";
        r.begin = "2024-05-06 09:30:00";
        r.end = "2024-05-06 10:15:00";
        c.rooms = {r};
    }
    return c;
}

struct Page {
    CoursePage page;
    QListWidget* list() { return page.findChild<QListWidget*>("listCourse"); }
    ClassInfoWdg* lessons() { return page.findChild<ClassInfoWdg*>("classInfoWdg"); }
    QString currentId() { return list()->currentItem() ? list()->currentItem()->data(Qt::UserRole).toString() : ""; }
};

void addCourses()
{
    CData* d = CData::instance();
    d->AddCourse(course("101", "Algebra One", true));
    d->AddCourse(course("102", "algebra two"));
    d->AddCourse(course("103", "Physics", true));
}

}  // namespace

TEST(CoursePage, SelectionSearchAndLessons)
{
    lib();
    addCourses();
    Page p;
    ClientLibTestControl::ClearCalls(lib());
    p.page.SetCourseList(CData::instance()->GetCourses());
    ASSERT_EQ(p.list()->count(), 3);
    EXPECT_EQ(p.currentId(), "101");  // nothing was selected: the first
    EXPECT_EQ(p.lessons()->List()->count(), 1);  // from the cache, no request
    EXPECT_TRUE(callsNamed("GetCourseList").isEmpty());

    // A course without loaded lessons is requested.
    p.list()->setCurrentRow(1);
    p.page.onCourseItemPressed(p.list()->item(1));
    EXPECT_EQ(p.lessons()->List()->count(), 0);
    ASSERT_EQ(callsNamed("GetCourseList").size(), 1);
    EXPECT_EQ(callsNamed("GetCourseList")[0].args, QVariantList({"g102", "102", QString::number(CData::instance()->GetLocalUser()->type), "102"}));

    // A rebuild keeps the selected course.
    p.page.SetCourseList(CData::instance()->GetCourses());
    EXPECT_EQ(p.currentId(), "102");

    struct Case {
        const char* text;
        QStringList ids;
    };
    const Case searches[] = {{"", {"101", "102", "103"}}, {"algebra", {"102"}}, {"Algebra", {"101"}}, {"xyz", {}}};
    for (const Case& c : searches) {
        p.page.findChild<QLineEdit*>("edtSearch")->setText(c.text);
        QTest::keyClick(p.page.findChild<QLineEdit*>("edtSearch"), Qt::Key_Return);
        QStringList ids;
        for (int i = 0; i < p.list()->count(); ++i)
            ids << p.list()->item(i)->data(Qt::UserRole).toString();
        EXPECT_EQ(ids, c.ids) << c.text;
        EXPECT_EQ(p.currentId(), c.ids.value(0)) << c.text;
    }
    p.page.Clear();
    EXPECT_EQ(p.list()->count(), 0);
}

TEST(CoursePage, RefreshEverySeventyTicksButNotTheTemporaryCourse)
{
    lib();
    addCourses();
    CourseInfo tmp = course("tmp111122222", "15分钟课堂");
    tmp.isTmp = true;
    tmp.free = 3;
    tmp.used = 1;
    tmp.rest = 2;
    CData::instance()->AddCourse(tmp);
    RoomInfo room;
    room.isTmp = true;
    room.room_type = 1;
    room.room_id = "t1";
    CData::instance()->SetRoomList({room});
    Page p;
    p.page.SetCourseList(CData::instance()->GetCourses());
    ClientLibTestControl::ClearCalls(lib());
    for (int tick = 1; tick <= 140; ++tick)
        p.page.OnTimerUpdate(tick);
    EXPECT_EQ(callsNamed("GetCourseList").size(), 2);  // ticks 70 and 140, cached or not

    const int last = p.list()->count() - 1;
    p.list()->setCurrentRow(last);
    p.page.onCourseItemPressed(p.list()->item(last));
    EXPECT_EQ(p.lessons()->List()->count(), 1);  // the room list, no request
    ClientLibTestControl::ClearCalls(lib());
    p.page.OnTimerUpdate(210);
    EXPECT_TRUE(callsNamed("GetCourseList").isEmpty());
    auto* row = qobject_cast<CourseItem*>(p.list()->itemWidget(p.list()->item(last)));
    EXPECT_EQ(row->findChild<QLabel*>("labProgress")->text(), u("已使用1节 剩余2节(含免费3节)"));
    EXPECT_TRUE(row->findChild<QPushButton*>("btnMakeTmp")->isHidden());

    // Making a temporary room: one request, then the button rests.
    QPushButton* add = p.page.findChild<QPushButton*>("btnAddCourse");
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(callsNamed("MakeTmpRoom").size(), 1);
    EXPECT_EQ(callsNamed("MakeTmpRoom")[0].args, QVariantList({3, "g101"}));
    p.page.resize(878, 610);
    p.page.show();
    screenshot(&p.page, "course_page.png");
}

// Receives finished picture downloads, as a row does.
class PictureRow : public QObject {
public:
    int reports = 0;
    void onDone(DownThread*) { ++reports; }
};

TEST(CourseItem, PicturesComeFromHttpOnlyAndWorkersAreFreed)
{
    home();
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(QColor("#5DC0BA"));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    testsupport::HttpFixture server;
    server.server().Get("/pic.png", [png](const httplib::Request&, httplib::Response& res) {
        res.set_content(png.toStdString(), "image/png");
    });
    server.server().Get("/slow.png", [&server, png](const httplib::Request&, httplib::Response& res) {
        server.waitForRelease();
        res.set_content(png.toStdString(), "image/png");
    });
    ASSERT_TRUE(server.start());

    const QRgb teal = QColor("#5DC0BA").rgb();
    struct Case {
        std::string url;
        bool downloaded;
    };
    const Case cases[] = {{server.url("/pic.png"), true},
                          {"file:///etc/passwd", false},
                          {"ftp://127.0.0.1/pic.png", false},
                          {server.url("/missing.png"), false}};
    for (const Case& c : cases) {
        CourseInfo info = course("201", "Art");
        info.image = c.url;
        CourseItem row;
        row.SetCourse(info, false);
        QLabel* picture = row.findChild<QLabel*>("labImage");
        ASSERT_FALSE(picture->pixmap(Qt::ReturnByValue).isNull());
        EXPECT_NE(picture->pixmap(Qt::ReturnByValue).toImage().pixel(30, 30), teal) << c.url;  // the default picture at once
        if (c.downloaded) {
            EXPECT_TRUE(testsupport::waitUntil([&] { return picture->pixmap(Qt::ReturnByValue).toImage().pixel(30, 30) == teal; }));
        }
    }
    int fetched = 0;
    for (const std::string& r : server.requests())
        fetched += r.find("/pic.png") != std::string::npos ? 1 : 0;
    EXPECT_EQ(fetched, 1);
    // Cached now: a new row shows it without a download.
    CourseInfo cached = course("203", "Cached");
    cached.image = server.url("/pic.png");
    CourseItem again;
    again.SetCourse(cached, false);
    EXPECT_EQ(again.findChild<QLabel*>("labImage")->pixmap(Qt::ReturnByValue).toImage().pixel(30, 30), teal);

    // Only web addresses are fetched.
    PictureRow probe;
    EXPECT_EQ(rowpicture::Start("file:///etc/hosts", &probe, &PictureRow::onDone), nullptr);
    EXPECT_EQ(rowpicture::Start("", &probe, &PictureRow::onDone), nullptr);

    // A row that dies before its download ends: the worker still frees itself.
    auto* dying = new PictureRow;
    QPointer<DownThread> worker = rowpicture::Start(server.url("/slow.png"), dying, &PictureRow::onDone);
    ASSERT_FALSE(worker.isNull());
    delete dying;
    server.releaseStalled();
    EXPECT_TRUE(testsupport::waitUntil([&] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return worker.isNull();
    }));
    // A living row is told once, and its worker goes too.
    PictureRow living;
    worker = rowpicture::Start(server.url("/pic.png"), &living, &PictureRow::onDone);
    EXPECT_TRUE(testsupport::waitUntil([&] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return worker.isNull();
    }));
    EXPECT_EQ(living.reports, 1);
}
