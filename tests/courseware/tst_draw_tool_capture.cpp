// test-labels: xvfb
// The tool bar's screen capture on a real X display: the area chosen in the
// capture dialog lands on the board as a picture once the dialog closed;
// a cancelled capture inserts nothing.
#include "tests/courseware/DrawToolTestUtil.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "QtWait.h"
#include "widgets/ScreenshotControlWidget.h"
#include "widgets/ScreenshotCtrl.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

using drawtest::DrawToolTest;
using namespace drawtest;
using widgettest::sendMouse;

namespace {

// Drives the next capture dialog: a selection, then OK or cancel.
void driveCapture(bool ok)
{
    widgettest::whenShown<ScreenshotCtrl>([ok](ScreenshotCtrl* dlg) {
        sendMouse(dlg, QEvent::MouseButtonPress, QPoint(50, 60), Qt::LeftButton, Qt::LeftButton);
        sendMouse(dlg, QEvent::MouseMove, QPoint(250, 160), Qt::NoButton, Qt::LeftButton);
        sendMouse(dlg, QEvent::MouseButtonRelease, QPoint(250, 160), Qt::LeftButton, Qt::NoButton);
        dlg->GetControlBar()->findChild<QPushButton*>(ok ? "okBtn" : "cancelBtn")->click();
    });
}

}  // namespace

TEST_F(DrawToolTest, CapturedAreaIsInsertedAsAPictureAfterTheDialogCloses)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X display";
    makeBar();
    bar->InitToolBar();

    driveCapture(false);
    bar->on_screenshotBtn_clicked();
    EXPECT_EQ(itemCount(), 0);

    driveCapture(true);
    bar->on_screenshotBtn_clicked();
    EXPECT_EQ(itemCount(), 0);  // queued: delivered after the dialog has gone
    // Insertions land in order: once the accepted area is on the board, a
    // stray insertion of the cancelled capture would be too.
    ASSERT_TRUE(testsupport::waitUntil([] { return itemCount() >= 1; }, 5000));
    EXPECT_EQ(itemCount(), 1);
}
