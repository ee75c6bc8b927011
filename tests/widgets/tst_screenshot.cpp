// test-labels: xvfb
// Screen-area capture on a real X display: the frozen and darkened screen,
// the selection dragged out with injected mouse events within its size
// limits, the tips and the confirmation bar, resizing and moving the finished
// selection, and what OK, cancel and Escape leave behind.
#include "widgets/ScreenshotControlWidget.h"
#include "widgets/ScreenshotCtrl.h"
#include "widgets/ScreenshotInductorWidget.h"
#include "widgets/ScreenshotRectWidget.h"
#include "app/PubUtils.h"
#include "QtWait.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDesktopWidget>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

using widgettest::sendMouse;

const QColor kMarker(200, 30, 160);

// A plain coloured window at a known place, for the grab to find.
class MarkerWindow : public QWidget {
public:
    MarkerWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, kMarker);
        setPalette(p);
        setGeometry(100, 100, 300, 200);
    }
};

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X display";
        marker.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&marker));
        // The marker is on screen once a grab of it shows its colour.
        ASSERT_TRUE(testsupport::waitUntil([] {
            const QImage g = QGuiApplication::primaryScreen()->grabWindow(0, 150, 150, 4, 4).toImage();
            return g.pixelColor(1, 1) == kMarker;
        }));
    }
    void TearDown() override
    {
        for (const QString& f : written)
            QFile::remove(f);
    }

    // Press at from, move to to, release there (dialog coordinates).
    static void dragOut(ScreenshotCtrl& dlg, QPoint from, QPoint to, bool release = true)
    {
        sendMouse(&dlg, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        if (to != from)
            sendMouse(&dlg, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        if (release)
            sendMouse(&dlg, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    // A drag on the finished selection, p and q in dialog coordinates.
    static void dragSelection(ScreenshotRectWidget* sel, QPoint p, QList<QPoint> path)
    {
        auto local = [sel](QPoint d) { return sel->mapFromParent(d); };
        sendMouse(sel, QEvent::MouseMove, local(p), Qt::NoButton, Qt::NoButton, p);
        sendMouse(sel, QEvent::MouseButtonPress, local(p), Qt::LeftButton, Qt::LeftButton, p);
        for (QPoint q : path)
            sendMouse(sel, QEvent::MouseMove, local(q), Qt::NoButton, Qt::LeftButton, q);
        sendMouse(sel, QEvent::MouseButtonRelease, local(path.last()), Qt::LeftButton, Qt::NoButton, path.last());
    }

    MarkerWindow marker;
    QStringList written;
};

}  // namespace

TEST_F(ScreenshotTest, FreezesTheWholeScreenDarkenedAndWaitsForAPress)
{
    ScreenshotCtrl dlg;
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dlg.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(dlg.hasMouseTracking());
    EXPECT_TRUE(dlg.isVisible());
    const QRect desk = QApplication::desktop()->geometry();
    EXPECT_EQ(dlg.GetScreenRect(), desk);
    ASSERT_EQ(dlg.GetFullScreenImage()->size(), desk.size());
    EXPECT_EQ(dlg.GetFullScreenImage()->toImage().pixelColor(150, 150), kMarker);
    // Drawn darkened: rgba(0, 0, 0, 160) over the frozen image.
    const QColor dark = dlg.grab().toImage().pixelColor(150, 150);
    EXPECT_NEAR(dark.red(), kMarker.red() * 95 / 255, 3);
    EXPECT_NEAR(dark.blue(), kMarker.blue() * 95 / 255, 3);
    EXPECT_EQ(dlg.GetSelection(), nullptr);
    EXPECT_TRUE(dlg.GetSizeTip()->isHidden());
    EXPECT_TRUE(dlg.GetLimitTip()->isHidden());
    EXPECT_TRUE(dlg.GetControlBar()->isHidden());
    EXPECT_EQ(dlg.GetControlBar()->size(), QSize(122, 27));
    EXPECT_EQ(dlg.GetControlBar()->windowTitle(), "Form");
    for (const char* name : {"okBtn", "cancelBtn"}) {
        auto* b = dlg.GetControlBar()->findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_FALSE(b->isCheckable());
    }
    dlg.close();
}

TEST_F(ScreenshotTest, DraggingOutFollowsThePointerWithinTheSizeLimits)
{
    const struct {
        QPoint from, to;
        QRect want;
        QString limit;  // empty: the limit tip is hidden while dragging
    } cases[] = {
        {{200, 200}, {200, 200}, {200, 200, 32, 32}, "already reach minimum width & minimum height"},
        {{200, 200}, {500, 400}, {200, 200, 300, 200}, ""},
        {{300, 300}, {150, 250}, {150, 250, 150, 50}, ""},  // up and left: mirrored on the press point
        {{100, 300}, {132, 500}, {100, 300, 32, 200}, "already reach minimum width"},
        {{10, 100}, {1500, 300}, {10, 100, 1280, 200}, "already reach maximum width"},
        {{10, 10}, {1400, 900}, {10, 10, 1280, 590}, "already reach maximum width & maximum height"},
    };
    for (const auto& c : cases) {
        ScreenshotCtrl dlg;
        QSignalSpy finished(&dlg, &ScreenshotCtrl::sigScreenshotFinished);
        dragOut(dlg, c.from, c.to, false);
        ScreenshotRectWidget* sel = dlg.GetSelection();
        ASSERT_NE(sel, nullptr);
        EXPECT_TRUE(sel->isVisible());
        EXPECT_EQ(sel->geometry(), c.want) << c.to.x() << "," << c.to.y();
        EXPECT_EQ(dlg.GetSizeTip()->GetText(), QString("%1 X %2").arg(c.want.width()).arg(c.want.height()));
        EXPECT_EQ(dlg.GetSizeTip()->pos(), QPoint(c.want.left(), std::max(0, c.want.top() - 22)));
        EXPECT_EQ(dlg.GetLimitTip()->isVisible(), !c.limit.isEmpty());
        if (!c.limit.isEmpty()) {
            EXPECT_EQ(dlg.GetLimitTip()->GetText(), c.limit);
        }
        EXPECT_TRUE(dlg.GetControlBar()->isHidden());
        if (c.to == QPoint(1400, 900))
            widgettest::saveScreenshot(&dlg, "screenshot-selecting-limit.png");

        sendMouse(&dlg, QEvent::MouseButtonRelease, c.to, Qt::LeftButton, Qt::NoButton);
        EXPECT_TRUE(dlg.GetLimitTip()->isHidden());
        ASSERT_TRUE(dlg.GetControlBar()->isVisible());
        EXPECT_EQ(dlg.GetControlBar()->pos(), QPoint(std::max(0, c.want.right() - 122), c.want.bottom()));
        // After the release the pointer no longer drives the selection, and a
        // second press starts no second one.
        sendMouse(&dlg, QEvent::MouseMove, c.to + QPoint(40, 40), Qt::NoButton, Qt::NoButton);
        dragOut(dlg, QPoint(5, 5), QPoint(60, 60));
        EXPECT_EQ(dlg.GetSelection(), sel);
        EXPECT_EQ(sel->geometry(), c.want);
        EXPECT_EQ(dlg.findChildren<ScreenshotRectWidget*>().size(), 1);
        EXPECT_EQ(finished.count(), 0);
        dlg.close();
    }
}

TEST_F(ScreenshotTest, OkCopiesSavesAndReportsTheSelectedImageOnce)
{
    ScreenshotCtrl dlg;
    QSignalSpy finished(&dlg, &ScreenshotCtrl::sigScreenshotFinished);
    dragOut(dlg, QPoint(120, 130), QPoint(320, 250));
    widgettest::saveScreenshot(&dlg, "screenshot-finished.png");
    QTest::mouseClick(dlg.GetControlBar()->findChild<QPushButton*>("okBtn"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(finished.count(), 1);
    const QString path = finished.at(0).at(0).toString();
    written << path;
    const QFileInfo info(path);
    EXPECT_EQ(info.absolutePath(), QString::fromStdString(PubUtils::GetTempDir()) + "/screenshot");
    EXPECT_TRUE(QRegularExpression("^\\{[0-9a-f-]{36}\\}\\.png$").match(info.fileName()).hasMatch())
        << info.fileName().toStdString();
    const QImage saved(path);
    ASSERT_EQ(saved.size(), QSize(200, 120));
    EXPECT_EQ(saved.pixelColor(10, 10), kMarker);  // the frozen screen, not darkened, no outline
    EXPECT_EQ(saved.pixelColor(100, 60), kMarker);
    EXPECT_EQ(QApplication::clipboard()->pixmap().size(), QSize(200, 120));
}

TEST_F(ScreenshotTest, EscapeCancelAndOkWithoutSelectionLeaveNothing)
{
    QApplication::clipboard()->setText("kept");
    const QDir folder(QString::fromStdString(PubUtils::GetTempDir()) + "/screenshot");
    const int filesBefore = folder.entryList(QDir::Files).size();
    const struct {
        const char* how;
        bool select;
    } cases[] = {{"escape", true}, {"cancel", true}, {"ok", false}};
    for (const auto& c : cases) {
        ScreenshotCtrl dlg;
        QSignalSpy finished(&dlg, &ScreenshotCtrl::sigScreenshotFinished);
        if (c.select)
            dragOut(dlg, QPoint(120, 130), QPoint(320, 250));
        if (QString(c.how) == "escape") {
            QTest::keyClick(&dlg, Qt::Key_A);  // other keys do nothing
            EXPECT_TRUE(dlg.isVisible());
            QTest::keyClick(&dlg, Qt::Key_Escape);
        } else if (QString(c.how) == "cancel") {
            QTest::mouseClick(dlg.GetControlBar()->findChild<QPushButton*>("cancelBtn"), Qt::LeftButton);
        } else {
            dlg.slotOnOkBtnClicked();
        }
        EXPECT_FALSE(dlg.isVisible()) << c.how;
        EXPECT_EQ(finished.count(), 0) << c.how;
        EXPECT_EQ(QApplication::clipboard()->text(), "kept") << c.how;
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), filesBefore);
}

TEST_F(ScreenshotTest, TheFinishedSelectionResizesByItsEdgesAndMovesInsideTheScreen)
{
    ScreenshotCtrl dlg;
    const QRect S = dlg.GetScreenRect();
    dragOut(dlg, QPoint(300, 300), QPoint(500, 450));
    ScreenshotRectWidget* sel = dlg.GetSelection();
    ASSERT_EQ(sel->geometry(), QRect(300, 300, 200, 150));

    // Hover: region and cursor by the 6-pixel bands.
    const struct {
        QPoint at;
        int region;
        Qt::CursorShape cursor;
    } hover[] = {
        {{303, 303}, ScreenshotRectWidget::TopLeft, Qt::SizeFDiagCursor},
        {{497, 447}, ScreenshotRectWidget::BottomRight, Qt::SizeFDiagCursor},
        {{301, 446}, ScreenshotRectWidget::BottomLeft, Qt::SizeBDiagCursor},
        {{499, 306}, ScreenshotRectWidget::TopRight, Qt::SizeBDiagCursor},
        {{306, 380}, ScreenshotRectWidget::Left, Qt::SizeHorCursor},
        {{493, 380}, ScreenshotRectWidget::Right, Qt::SizeHorCursor},
        {{400, 300}, ScreenshotRectWidget::Top, Qt::SizeVerCursor},
        {{400, 449}, ScreenshotRectWidget::Bottom, Qt::SizeVerCursor},
        {{400, 380}, ScreenshotRectWidget::Inside, Qt::SizeAllCursor},
        {{307, 380}, ScreenshotRectWidget::Inside, Qt::SizeAllCursor},
    };
    for (const auto& h : hover) {
        EXPECT_EQ(sel->HitTest(h.at), h.region) << h.at.x() << "," << h.at.y();
        EXPECT_EQ(sel->cursor().shape(), h.cursor) << h.at.x() << "," << h.at.y();
    }

    // The right edge: only the width changes.
    dragSelection(sel, QPoint(498, 380), {QPoint(530, 390), QPoint(560, 400)});
    EXPECT_EQ(sel->geometry(), QRect(300, 300, 260, 150));
    // The top edge over many small moves: the other sides stay where they are.
    dragSelection(sel, QPoint(400, 301), {QPoint(400, 295), QPoint(400, 290), QPoint(401, 285), QPoint(402, 280)});
    EXPECT_EQ(sel->geometry(), QRect(300, 280, 260, 170));
    // The top-left corner past its limit shows the limit tip while resizing only.
    sendMouse(sel, QEvent::MouseMove, sel->mapFromParent(QPoint(301, 281)), Qt::NoButton, Qt::NoButton,
              QPoint(301, 281));
    sendMouse(sel, QEvent::MouseButtonPress, sel->mapFromParent(QPoint(301, 281)), Qt::LeftButton, Qt::LeftButton,
              QPoint(301, 281));
    sendMouse(sel, QEvent::MouseMove, sel->mapFromParent(QPoint(545, 430)), Qt::NoButton, Qt::LeftButton,
              QPoint(545, 430));
    EXPECT_EQ(sel->geometry().size(), QSize(32, 32));
    EXPECT_TRUE(dlg.GetLimitTip()->isVisible());
    EXPECT_EQ(dlg.GetLimitTip()->GetText(), "already reach minimum width & minimum height");
    sendMouse(sel, QEvent::MouseButtonRelease, sel->mapFromParent(QPoint(545, 430)), Qt::LeftButton, Qt::NoButton,
              QPoint(545, 430));

    // Moving by the inside stays within the screen; the bar follows, and
    // the limit tip goes (it shows only while an edge is dragged).
    const QRect before = sel->geometry();
    const QPoint inside = before.center();
    dragSelection(sel, inside, {inside + QPoint(40, 30)});
    EXPECT_EQ(sel->geometry(), before.translated(40, 30));
    EXPECT_TRUE(dlg.GetLimitTip()->isHidden());
    const QRect moved = sel->geometry();
    dragSelection(sel, moved.center(), {moved.center() + QPoint(5000, 5000)});
    EXPECT_EQ(sel->geometry(), QRect(QPoint(S.width() - moved.width(), S.height() - moved.height()), moved.size()));
    // Touching the bottom-right corner, the bar sits inside the selection's corner.
    const QRect r = sel->geometry();
    EXPECT_EQ(dlg.GetControlBar()->geometry(), QRect(r.right() - 122, S.height() - 27, 122, 27));
    EXPECT_EQ(dlg.GetSizeTip()->GetText(), QString("%1 X %2").arg(r.width()).arg(r.height()));
    widgettest::saveScreenshot(&dlg, "screenshot-corner.png");
    dragSelection(sel, sel->geometry().center(), {QPoint(-5000, -5000)});
    EXPECT_EQ(sel->pos(), QPoint(0, 0));
    dlg.close();
}
