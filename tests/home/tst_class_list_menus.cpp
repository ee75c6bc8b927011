// The class home window's settings menu and its entries (device check,
// update notice, switch account, feedback), its window behaviour (one exit
// per close, dragging by the title band, rounded corners), its buttons and
// the group's images, in sessions against the demo school.
// test-labels: e2e
#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "home/CalendarWdg.h"
#include "home/ClassInfoWdg.h"
#include "home/ClassListWidget.h"
#include "home/ProblemFeedback.h"
#include "tests/home/HomeTestSupport.h"
#include "widgets/MsgBox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

using namespace hometest;

namespace {

template <class T = QWidget>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(name);
}

void wire(ClassListWidget* w)
{
    onHttpResult(w, [w](int type, QVariant data) {
        if ((type == RsC_Http_Login) && data.toMap()["code"].toInt() == 0)
            CData::instance()->SetStatus(kStatusSignedIn, 1);
        w->ClassResult(type, data);
    });
}

// Opens the settings menu and runs inspect(menu) while it is shown; the
// menu is closed afterwards unless inspect closed it.
void withSettingMenu(ClassListWidget& w, const std::function<void(QMenu*)>& inspect)
{
    bool ran = false;
    QTimer::singleShot(0, &w, [&] {
        QMenu* menu = w.SettingMenu();
        ran = true;
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(testsupport::waitUntil([&] { return menu->isVisible(); }));
        inspect(menu);
        if (w.SettingMenu())
            w.SettingMenu()->close();
    });
    child<QPushButton>(&w, "btnSetting")->click();
    EXPECT_TRUE(ran);
}

// Chooses the menu entry with the given text.
void choose(ClassListWidget& w, const char* text)
{
    withSettingMenu(w, [&](QMenu* menu) {
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromUtf8(text)) {
                menu->close();
                a->trigger();
                return;
            }
        ADD_FAILURE() << "no entry " << text;
    });
}

std::string logText() { return testsupport::readFile(Logger::instance()->fileName().toStdString()); }

void signIn(ClassListWidget& w)
{
    lib()->Login("13800138000", "veltora123", "86");
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.isVisible(); }));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !CData::instance()->GetGroups().empty(); }));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !CData::instance()->GetCourses().empty(); }));
    const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->HasDayRooms(today); }));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !child<QPushButton>(&w, "btnUser")->toolTip().isEmpty(); }));
}

}  // namespace

TEST(ClassListMenus, MenuShowsFourEntriesThatDispatchByTheirData)
{
    lib();
    useProgramStyle();
    CData::instance()->ResetData(true);
    ClassListWidget w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(100);
    screenshot(&w, "class_list_left_column.png");

    const char* texts[] = {"设备检测", "版本更新", "切换账号", "问题反馈"};
    withSettingMenu(w, [&](QMenu* menu) {
        EXPECT_EQ(menu->title(), "classmenu");
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(actions[i]->text(), QString::fromUtf8(texts[i]));
            EXPECT_EQ(actions[i]->data().toString(), QString::number(i));
            EXPECT_FALSE(actions[i]->icon().isNull()) << i;
        }
        // It opens right of the left column.
        QWidget* left = child(&w, "leftWdg");
        EXPECT_EQ(menu->pos().x(), left->mapToGlobal(QPoint(left->width(), 0)).x());
        QTest::qWait(100);
        const QImage shot = menu->grab().toImage();
        shot.save(QString::fromStdString(testsupport::screenshotPath("class_list_setting_menu.png")));
        // The icons keep clear of the 3 px border: the strip just inside it,
        // as wide as the text's left padding, is the menu's white.
        int marked = 0;
        for (int y = 3; y < shot.height() - 3; ++y)
            for (int x = 3; x < 3 + 15; ++x)
                marked += shot.pixelColor(x, y) != QColor(Qt::white);
        EXPECT_EQ(marked, 0) << "icon pixels next to the border";
    });

    // Device check: the dialog the main window handed over, centred and shown.
    auto* device = new QWidget;
    device->resize(300, 200);
    w.SetDeviceCheckDialog(device);
    EXPECT_EQ(device->parentWidget(), &w);
    EXPECT_TRUE(device->isWindow());
    choose(w, "设备检测");
    EXPECT_TRUE(device->isVisible());
    device->hide();

    // Version update with nothing newer: the notice with the one button "确定".
    choose(w, "版本更新");
    MsgBox* box = nullptr;
    ASSERT_TRUE(testsupport::waitUntil([&] { return (box = w.findChild<MsgBox*>()) && box->isVisible(); }));
    EXPECT_NE(box->findChild<QLabel*>("labMsg")->text().indexOf(QString::fromUtf8("您当前已经是最新版本了！\r\n当前版本为: 1.4.7")),
              -1);
    EXPECT_TRUE(box->findChild<QPushButton*>("btnOk")->isVisible());
    EXPECT_FALSE(box->findChild<QPushButton*>("btnCancel")->isVisible());
    QTest::qWait(100);
    screenshot(box, "class_list_latest_version.png");
    box->findChild<QPushButton*>("btnOk")->click();

    // Feedback: a new feedback dialog each time; an unknown entry does nothing.
    choose(w, "问题反馈");
    ProblemFeedback* feedback = w.findChild<ProblemFeedback*>();
    ASSERT_NE(feedback, nullptr);
    EXPECT_TRUE(feedback->isVisible());
    feedback->close();
    QAction stray(&w);
    stray.setData(QString("4"));
    QObject::connect(&stray, &QAction::triggered, &w, &ClassListWidget::OnMenuItemClicked);
    stray.trigger();
    EXPECT_TRUE(w.isVisible());
}

TEST(ClassListMenus, SwitchAccountLeavesNothingOfTheFirstAndStaleAnswersChangeNothing)
{
    lib();
    useProgramStyle();
    CData* data = CData::instance();
    data->ResetData(true);
    ClassListWidget w;
    wire(&w);
    QSignalSpy switched(&w, &ClassListWidget::switchUser);
    signIn(w);
    child<QPushButton>(&w, "btnMessage")->click();
    const std::string gridKey = [&] {
        std::string first, last;
        w.Calendar()->GetShowRange(first, last);
        return first;
    }();
    ASSERT_TRUE(testsupport::waitUntil([&] { return data->HasCalePoints(gridKey); }));

    // Answers held back until after the switch belong to the first account.
    ClientLibTestControl::DelayNextRequest(lib(), 1500);
    lib()->GetGroups("1");
    choose(w, "切换账号");
    EXPECT_EQ(switched.count(), 1);
    EXPECT_TRUE(w.isHidden());
    const auto nothingOfTheFirst = [&] {
        EXPECT_FALSE(data->GetStatus(kStatusSignedIn));
        EXPECT_TRUE(data->GetCourses().empty());
        EXPECT_TRUE(data->GetGroups().empty());
        EXPECT_FALSE(data->HasCalePoints(gridKey));
        for (ClassInfoWdg* lessons : w.findChildren<ClassInfoWdg*>())
            EXPECT_EQ(lessons->List()->count(), 0) << lessons->parentWidget()->objectName().toStdString();
        for (QListWidget* list : w.findChildren<QListWidget*>())
            EXPECT_EQ(list->count(), 0) << list->objectName().toStdString();
        EXPECT_TRUE(child<QPushButton>(&w, "btnUser")->text().isEmpty());
        EXPECT_TRUE(child<QPushButton>(&w, "btnUser")->toolTip().isEmpty());
        EXPECT_FALSE(child<QPushButton>(&w, "btnMessage")->isChecked());
    };
    nothingOfTheFirst();
    // The held-back groups answer arrives signed out and changes nothing; so
    // does an avatar download of the first account that ends now.
    QTest::qWait(2500);
    testsupport::TempDir scratch;
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    const std::string redFile = scratch.path() + "/red.png";
    red.save(QString::fromStdString(redFile));
    DownThread late("", 1, false);
    late.localPath = redFile;
    w.OnDownFinish(&late);
    QWidget* header = child(&w, "headerImg");
    EXPECT_NE(header->grab().toImage().pixelColor(20, 20), QColor(Qt::red));
    nothingOfTheFirst();

    // The next sign-in fills the window again on the page it had.
    signIn(w);
    EXPECT_EQ(child<QStackedWidget>(&w, "stackMain")->currentIndex(), 2);
    EXPECT_FALSE(data->GetGroups().empty());
    // Signed in, the avatar download is shown.
    DownThread mine("", 1, false);
    mine.localPath = redFile;
    w.OnDownFinish(&mine);
    EXPECT_EQ(header->grab().toImage().pixelColor(20, 20), QColor(Qt::red));
    data->SetStatus(kStatusSignedIn, 0);
    data->ResetData(true);
}

TEST(ClassListMenus, WindowClosesOnceDragsByItsTitleBandAndHasRoundCorners)
{
    lib();
    CData::instance()->SetAppExiting(false);
    ClassListWidget w;
    w.resize(1000, 680);
    w.move(100, 100);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    // Dragging: only a press above y = 66 moves the window.
    const struct {
        int y;
        bool moves;
    } presses[] = {{65, true}, {66, false}, {10, true}, {300, false}};
    for (const auto& p : presses) {
        const QPoint start = w.pos();
        const QPoint at(500, p.y);
        QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(&w, &press);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 20), w.mapToGlobal(at) + QPoint(30, 20), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(&w, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at) + QPoint(30, 20), Qt::LeftButton,
                            Qt::NoButton, {});
        QApplication::sendEvent(&w, &release);
        EXPECT_EQ(w.pos(), p.moves ? start + QPoint(30, 20) : start) << p.y;
    }

    // Rounded corners after every resize.
    for (const QSize size : {QSize(1000, 680), QSize(1200, 760)}) {
        w.resize(size);
        const QRegion mask = w.mask();
        EXPECT_FALSE(mask.contains(QPoint(0, 0)));
        EXPECT_FALSE(mask.contains(QPoint(size.width() - 1, size.height() - 1)));
        EXPECT_TRUE(mask.contains(QPoint(4, 4)));
        EXPECT_TRUE(mask.contains(QPoint(size.width() / 2, 0)));
    }

    // The maximise button toggles with its checked state.
    auto* max = child<QPushButton>(&w, "btnMax");
    max->click();
    EXPECT_TRUE(max->isChecked());
    EXPECT_TRUE(w.isMaximized());
    max->click();
    EXPECT_FALSE(w.isMaximized());

    // Two closes during one exit: exitApp once.
    QSignalSpy exits(&w, &ClassListWidget::exitApp);
    w.close();
    w.show();
    w.close();
    EXPECT_EQ(exits.count(), 1);
    EXPECT_TRUE(CData::instance()->IsAppExiting());
    CData::instance()->SetAppExiting(false);
}

TEST(ClassListMenus, GroupImagesLogoAndWhiteboardBackground)
{
    lib();
    CData* data = CData::instance();
    data->ResetData(true);
    ClassListWidget w;
    const QString bk1 = QString::fromStdString(PubUtils::GetTempDir()) + "/bk1.png";
    QFile::remove(bk1);

    // Signed out: a late image of the previous account is dropped.
    emit data->sgDownGroupLogo(2);
    EXPECT_FALSE(QFile::exists(bk1));

    data->SetStatus(kStatusSignedIn, 1);
    data->SetGroupId("77");
    // A failed background download leaves the built-in default as bk1.png.
    QFile::remove(data->GetGroupLogoFile(2));
    emit data->sgDownGroupLogo(2);
    ASSERT_TRUE(QFile::exists(bk1));
    EXPECT_EQ(QImage(bk1).size(), QImage(":/wblib/res/wblib/bk1.png").size());

    // A downloaded group logo is shown scaled on the logo label; image 1
    // without a download leaves it as it was.
    auto* logo = child<QLabel>(&w, "labAppLogo");
    emit data->sgDownGroupLogo(1);
    EXPECT_TRUE(logo->pixmap(Qt::ReturnByValue).isNull());
    QImage blue(64, 64, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(data->GetGroupLogoFile(1), "PNG"));
    emit data->sgDownGroupLogo(1);
    ASSERT_FALSE(logo->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_EQ(logo->pixmap(Qt::ReturnByValue).size(), logo->size());
    // A downloaded background replaces the default.
    ASSERT_TRUE(blue.save(data->GetGroupLogoFile(2), "PNG"));
    emit data->sgDownGroupLogo(2);
    EXPECT_EQ(QImage(bk1).size(), QSize(64, 64));
    data->SetStatus(kStatusSignedIn, 0);
    data->ResetData(true);
}

TEST(ClassListMenus, RecordingRoomNeedsACourseAndUsesTheFirst)
{
    lib();
    CData* data = CData::instance();
    data->ResetData(true);
    ClassListWidget w;
    ClientLibTestControl::ClearCalls(lib());
    child<QPushButton>(&w, "btnRecorder")->click();
    EXPECT_TRUE(callsNamed("MakeTmpRoom").isEmpty());
    EXPECT_NE(logText().find("make record room failed. no course"), std::string::npos);

    CourseInfo a, b;
    a.courseId = "A";
    a.groupId = "9001";
    b.courseId = "B";
    b.groupId = "9002";
    data->AddCourse(a);
    data->AddCourse(b);
    child<QPushButton>(&w, "btnRecorder")->click();
    const QList<ClientLibCall> made = callsNamed("MakeTmpRoom");
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0].args.value(0).toInt(), 4);
    EXPECT_EQ(made[0].args.value(1).toString(), "9001");
    data->ResetData(true);
}
