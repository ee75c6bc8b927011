// The camera preview window of a desktop share on a real (virtual) screen:
// where it opens, that showing it again leaves it where the teacher put it,
// collapsing and opening the picture around a fixed bottom edge, moving and
// resizing by the mouse, the camera chosen by its id, a camera that cannot
// start said so in the picture's place, and a screenshot.
// test-labels: xvfb
#include "device/CamPreviewWdg.h"

#include "app/CSettings.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

testsupport::TempHome& Home()
{
    static testsupport::TempHome h;
    return h;
}
testsupport::TempHome& g_home = Home();

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// A window over a camera list the test sets (none by default: the machine's
// cameras are not the test's).
struct Preview {
    QList<QCameraInfo> cameras;
    CamPreviewWdg w{nullptr};
    Preview()
    {
        w.SetCameraSource([this] { return cameras; });
    }
    void send(QEvent::Type type, const QPoint& local, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, local, w.mapToGlobal(local), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    }
    // A press at local, a move to global target, a release there.
    void drag(const QPoint& local, const QPoint& target)
    {
        send(QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
        const QPoint to = w.mapFromGlobal(target);
        QMouseEvent move(QEvent::MouseMove, to, target, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, target, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &release);
    }
};

}  // namespace

TEST(CamPreviewForm, ObjectsAndScreenshot)
{
    Preview p;
    EXPECT_EQ("CamPreviewWdg", p.w.objectName());
    EXPECT_EQ(QSize(244, 197), p.w.size());
    EXPECT_TRUE(p.w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(p.w.windowFlags() & Qt::WindowStaysOnTopHint);
    QWidget* bar = p.w.findChild<QWidget*>("toolBarWidget");
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(32, bar->minimumHeight());
    EXPECT_EQ(32, bar->maximumHeight());
    auto* hideBtn = p.w.findChild<QPushButton*>("hideBtn");
    ASSERT_NE(nullptr, hideBtn);
    EXPECT_TRUE(hideBtn->isCheckable());
    EXPECT_EQ(QSize(42, 22), hideBtn->minimumSize());
    EXPECT_TRUE(p.w.findChild<QWidget*>("displayWdg")->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(p.w.findChild<QWidget*>("label")->isVisibleTo(&p.w));
    ASSERT_NE(nullptr, p.w.findChild<QComboBox*>("comboBox"));

    // No camera on the machine of the test: the window shows with the
    // picture off and says so.
    EXPECT_FALSE(p.w.showPreview(true, nullptr));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.w));
    EXPECT_FALSE(hideBtn->isChecked());
    EXPECT_EQ(32, p.w.height());
    EXPECT_FALSE(p.w.CameraMessage().isEmpty());
    // The open picture, as the teacher sees it before a camera answers.
    hideBtn->click();
    EXPECT_EQ(200, p.w.height());
    QCoreApplication::processEvents();
    p.w.grab().save(QString::fromStdString(testsupport::screenshotPath("cam_preview_open.png")));
    hideBtn->click();
    QCoreApplication::processEvents();
    p.w.grab().save(QString::fromStdString(testsupport::screenshotPath("cam_preview_collapsed.png")));
}

TEST(CamPreviewGeometry, PlacedOnceThenKeptAndCollapsingKeepsTheBottomEdge)
{
    const QRect a = Available();
    Preview p;
    p.w.showPreview(false, nullptr);
    // Placed at three quarters across and a third down, before the picture
    // switch collapses it around its bottom edge.
    const int x = a.left() + (a.width() - 244) * 3 / 4;
    const int y = a.top() + (a.height() - 197) / 3;
    EXPECT_EQ(QRect(x, y + 197 - 32, 244, 32), p.w.geometry());

    // Opening grows it upwards to 200; a second showing leaves it there.
    p.w.on_hideBtn_clicked(true);
    EXPECT_EQ(QRect(x, y + 197 - 200, 244, 200), p.w.geometry());
    p.w.move(a.left() + 40, a.top() + 300);
    const QRect kept = p.w.geometry();
    p.w.on_hideBtn_clicked(true);
    p.w.showPreview(false, nullptr);
    p.w.on_hideBtn_clicked(true);
    EXPECT_EQ(kept, p.w.geometry()) << "showing it again does not move it";

    // A 300 pixel picture collapses to the tool bar and comes back.
    p.w.setGeometry(a.left() + 40, a.top() + 100, 244, 300);
    const int bottom = p.w.geometry().bottom();
    p.w.hidePreview();
    EXPECT_FALSE(p.w.isVisible());
    EXPECT_EQ(32, p.w.height());
    EXPECT_EQ(bottom, p.w.geometry().bottom());
    p.w.hidePreview();
    EXPECT_EQ(bottom, p.w.geometry().bottom()) << "hiding twice changes nothing";
    p.w.show();
    p.w.on_hideBtn_clicked(true);
    EXPECT_EQ(300, p.w.height());
    EXPECT_EQ(bottom, p.w.geometry().bottom());
}

TEST(CamPreviewGeometry, AWindowLargerThanTheScreenIsNotPlaced)
{
    const QRect a = Available();
    Preview p;
    p.w.setGeometry(a.left() + 5, a.top() + 7, a.width() + 10, 300);
    p.w.showPreview(false, nullptr);
    EXPECT_EQ(a.left() + 5, p.w.x());
}

TEST(CamPreviewMouse, EdgesResizeAndTheRestMoves)
{
    const QRect a = Available();
    Preview p;
    p.w.showPreview(true, nullptr);
    p.w.on_hideBtn_clicked(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.w));
    const QRect start(a.left() + 200, a.top() + 200, 244, 200);

    struct Case {
        const char* name;
        QPoint press;   // local
        QPoint target;  // global, from the window's top-left
        QRect expected;
    };
    const Case cases[] = {
        {"top-left corner", {3, 3}, {-20, -30}, QRect(start.left() - 20, start.top() - 30, 264, 230)},
        {"bottom-right corner", {241, 197}, {264, 230}, QRect(start.left(), start.top(), 264, 230)},
        {"right edge", {241, 100}, {300, 100}, QRect(start.left(), start.top(), 300, 200)},
        {"middle moves", {120, 100}, {130, 90}, start.translated(10, -10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.w.setGeometry(start);
        QCoreApplication::processEvents();
        p.drag(c.press, start.topLeft() + c.target);
        EXPECT_EQ(c.expected, p.w.geometry());
        EXPECT_EQ(Qt::ArrowCursor, p.w.cursor().shape());
    }

    // The top edge dragged to y 0, or too low on the screen, stays put.
    for (int y : {0, QApplication::desktop()->size().height() - 50}) {
        p.w.setGeometry(start);
        p.drag({120, 2}, {start.left() + 120, y});
        EXPECT_EQ(start, p.w.geometry()) << y;
    }
}

TEST(CamPreviewCamera, TheChoiceIsFoundAgainByItsId)
{
    const QStringList ids{"/dev/video0", "/dev/video2", "/dev/video4"};
    struct Case {
        const char* name;
        QStringList ids;
        QVariant stored;
        int expected;
    };
    const Case cases[] = {
        {"by id", ids, "/dev/video2", 1},
        {"by id after re-plugging moved it", {"/dev/video4", "/dev/video2"}, "/dev/video2", 1},
        {"an index of older versions", ids, 2, 2},
        {"an index out of range", ids, 7, 0},
        {"a camera that is gone", ids, "/dev/video9", 0},
        {"nothing stored", ids, QVariant(), 0},
        {"no camera", {}, "/dev/video0", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CamPreviewWdg::PickCamera(c.ids, c.stored)) << c.name;
}

TEST(CamPreviewCamera, ACameraThatCannotStartIsSaidSo)
{
    Preview p;
    p.w.showPreview(true, nullptr);
    // No such device: the picture's place says the camera does not work.
    p.w.setCamera(QCameraInfo("/dev/no-such-camera"));
    EXPECT_TRUE(testsupport::waitUntil([&] { return !p.w.CameraMessage().isEmpty(); }, 5000));
}
