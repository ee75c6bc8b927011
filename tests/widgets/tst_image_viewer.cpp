// The picture window: fitting, stepping, zoom limits, quarter turns, the drag
// modes of a press, maximizing by double-click and saving.
#include "widgets/ImageViewer.h"
#include "QtWait.h"
#include "TempDir.h"
#include "tests/widgets/FilePromptAnswers.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "app/PubUtils.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFrame>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

using widgettest::sendMouse;

// A picture whose top-left quarter is red and the rest blue, so a turn shows.
QString writePicture(const testsupport::TempDir& dir, const QString& name, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QPainter(&img).fillRect(QRect(QPoint(0, 0), size / 2), Qt::red);
    const QString path = QString::fromStdString(dir.path()) + "/" + name;
    img.save(path);
    return path;
}

QLabel* zoomLabel(ImageViewer& v) { return v.findChild<QLabel*>("proportionLabel"); }
QPushButton* button(ImageViewer& v, const char* name) { return v.findChild<QPushButton*>(name); }

void wheel(ImageViewer& v, int delta)
{
    const QPoint at = v.rect().center();
    QWheelEvent e(at, v.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&v, &e);
}

class ImageViewerTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
};

}  // namespace

TEST_F(ImageViewerTest, FormAndWindowAsBuilt)
{
    ImageViewer v;
    EXPECT_EQ(v.objectName(), "ImageViewer");
    EXPECT_EQ(v.windowTitle(), "ImageViewer");
    EXPECT_EQ(v.minimumSize(), QSize(640, 560));
    EXPECT_TRUE(v.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(v.windowFlags().testFlag(Qt::Dialog));
    EXPECT_FALSE(v.autoFillBackground());
    EXPECT_EQ(v.GetEdgeRegion(), ImageViewer::EdgeNone);
    EXPECT_TRUE(zoomLabel(v)->isHidden());
    EXPECT_EQ(zoomLabel(v)->text(), "100%");
    EXPECT_EQ(zoomLabel(v)->size(), QSize(100, 36));
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"closeBtn", ""}, {"leftPushBtn", "Left"}, {"rightPushBtn", "Right"},
                   {"rotateBtn", "Rotate"}, {"originalProportionBtn", "1:1"}, {"saveBtn", "Save"}};
    for (const auto& b : buttons) {
        ASSERT_NE(button(v, b.name), nullptr) << b.name;
        EXPECT_EQ(button(v, b.name)->text(), b.text);
    }
    ASSERT_NE(v.findChild<QFrame*>("titleBarFrame"), nullptr);
    ASSERT_NE(v.findChild<QFrame*>("frame"), nullptr);

    v.SetImageList({writePicture(dir, "a.png", QSize(500, 300)), writePicture(dir, "b.png", QSize(300, 500))}, 0);
    v.show();
    EXPECT_EQ(v.size(), QSize(800, 700));
    EXPECT_EQ(v.findChild<QFrame*>("bottomFrame")->height(), 80);
    EXPECT_EQ(v.ImageArea(), QRect(0, 30, 800, 590));
    EXPECT_LE(v.findChild<QFrame*>("frame")->height(), 40);
    widgettest::saveScreenshot(&v, "image-viewer.png");
    v.close();
    EXPECT_TRUE(v.isHidden());
}

TEST_F(ImageViewerTest, EachPictureStartsFittedAndCentredWithTheZoomShownForASecond)
{
    const struct {
        QSize size;
        int percent;
        QSize shown;
    } cases[] = {
        {{4000, 3000}, 16, {656, 492}},  // r = max(3000/590, 4000/800) = 5.08
        {{300, 200}, 100, {300, 200}},   // smaller than the image area
        {{800, 590}, 100, {800, 590}},   // exactly the area: r = 1
        {{1600, 400}, 41, {667, 167}},   // r = 2 from the width
    };
    for (const auto& c : cases) {
        ImageViewer v;
        v.show();
        v.resize(900, 800);
        v.SetImageList({writePicture(dir, "p.png", c.size)}, 0);
        EXPECT_EQ(v.size(), QSize(800, 700));
        EXPECT_EQ(zoomLabel(v)->text(), QString("%1%").arg(c.percent)) << c.size.width();
        EXPECT_EQ(v.GetPictureSize(), c.shown) << c.size.width();
        const QRect area = v.ImageArea();
        EXPECT_EQ(v.GetPicturePos(), QPoint((area.width() - c.shown.width()) / 2,
                                            30 + (area.height() - c.shown.height()) / 2));
        EXPECT_TRUE(zoomLabel(v)->isVisible());
        EXPECT_TRUE(testsupport::waitUntil([&] { return zoomLabel(v)->isHidden(); }, 5000));
    }
}

TEST_F(ImageViewerTest, ArrowsStepThroughTheListAndBadInputChangesNothing)
{
    const QString a = writePicture(dir, "a.png", QSize(200, 100));
    const QString b = writePicture(dir, "b.png", QSize(100, 200));
    const QString c = writePicture(dir, "c.png", QSize(300, 300));
    const QString broken = QString::fromStdString(dir.write("broken.png", "not a picture"));
    ImageViewer v;
    v.show();
    QPushButton* left = button(v, "leftPushBtn");
    QPushButton* right = button(v, "rightPushBtn");

    v.SetImageList({a}, 0);
    EXPECT_FALSE(left->isEnabled());
    EXPECT_FALSE(right->isEnabled());

    v.SetImageList({a, b, c}, 0);
    EXPECT_FALSE(left->isEnabled());
    EXPECT_TRUE(right->isEnabled());
    v.on_leftPushBtn_clicked();  // index 0: nothing
    EXPECT_EQ(v.GetImageIndex(), 0);
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(v.GetImageIndex(), 1);
    EXPECT_EQ(v.GetPictureSize(), QSize(100, 200));
    EXPECT_TRUE(left->isEnabled());
    EXPECT_TRUE(right->isEnabled());
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(v.GetImageIndex(), 2);
    EXPECT_TRUE(left->isEnabled());
    EXPECT_FALSE(right->isEnabled());
    v.on_rightPushBtn_clicked();  // last: nothing
    EXPECT_EQ(v.GetImageIndex(), 2);

    for (int bad : {-1, 3, 99}) {
        v.SetImageList({a, b}, bad);
        EXPECT_EQ(v.GetImageIndex(), 2) << bad;
        EXPECT_EQ(v.GetPictureSize(), QSize(300, 300)) << bad;
    }
    // A file that does not load leaves the previous picture in place.
    v.SetImageList({a, broken}, 1);
    EXPECT_EQ(v.GetPictureSize(), QSize(300, 300));
    EXPECT_TRUE(testsupport::waitUntil([&] { return zoomLabel(v)->isHidden(); }, 5000));
}

TEST_F(ImageViewerTest, WheelZoomStopsAtTheSideLimitsMeasuredUnrotated)
{
    ImageViewer v;
    v.show();
    // Zooming out a 100 x 400 picture stops before the width drops below 20.
    v.SetImageList({writePicture(dir, "narrow.png", QSize(100, 400))}, 0);
    v.on_rotateBtn_clicked();  // shown 400 x 100 (fitted anew); the limit still reads the width 100
    for (int i = 0; i < 400; ++i)
        wheel(v, -120);
    const float low = v.GetScale();
    EXPECT_GE(std::lround(100 * low), 20);
    EXPECT_LT(std::lround(100 * low * 0.99), 20);
    EXPECT_EQ(v.GetPictureSize(), QSize(int(std::lround(400 * low)), int(std::lround(100 * low))));
    EXPECT_EQ(zoomLabel(v)->text(), QString("%1%").arg(int(low * 100)));

    // Zooming in a 1000 x 300 picture stops before the width exceeds 3000.
    v.SetImageList({writePicture(dir, "wide.png", QSize(1000, 300))}, 0);
    for (int i = 0; i < 400; ++i)
        wheel(v, 120);
    const float high = v.GetScale();
    EXPECT_LE(std::lround(1000 * high), 3000);
    EXPECT_GT(std::lround(1000 * high / 0.99), 3000);

    // A zero delta changes nothing.
    wheel(v, 0);
    EXPECT_EQ(v.GetScale(), high);
}

TEST_F(ImageViewerTest, FourQuarterTurnsComeBackAndOneToOneShowsTheNaturalSize)
{
    ImageViewer v;
    v.show();
    v.SetImageList({writePicture(dir, "big.png", QSize(1600, 400))}, 0);
    auto topLeftColour = [&] {
        return v.grab().toImage().pixelColor(v.GetPicturePos() + QPoint(5, 5));
    };
    const QColor start = topLeftColour();
    EXPECT_EQ(start, QColor(Qt::red));
    const QSize startSize = v.GetPictureSize();
    v.on_rotateBtn_clicked();
    // Fitted anew, on the size as loaded: the turned picture is 400 x 1600 at that scale.
    EXPECT_EQ(v.GetPictureSize().height(), int(std::lround(1600 * v.GetScale())));
    EXPECT_EQ(v.GetPictureSize().width(), int(std::lround(400 * v.GetScale())));
    EXPECT_NE(topLeftColour(), start);  // the red quarter went to the top-right
    widgettest::saveScreenshot(&v, "image-viewer-turned.png");
    for (int i = 0; i < 3; ++i)
        v.on_rotateBtn_clicked();
    EXPECT_EQ(v.GetPictureSize(), startSize);
    EXPECT_EQ(topLeftColour(), start);

    v.on_rotateBtn_clicked();
    v.on_originalProportionBtn_clicked();  // unturned and unscaled, not fitted
    EXPECT_EQ(v.GetScale(), 1.0f);
    EXPECT_EQ(v.GetPictureSize(), QSize(1600, 400));
    EXPECT_EQ(zoomLabel(v)->text(), "100%");
    EXPECT_EQ(v.GetPicturePos(), QPoint((800 - 1600) / 2, 30 + (590 - 400) / 2));
}

TEST_F(ImageViewerTest, APressChoosesMovePanOrResize)
{
    ImageViewer v;
    v.show();
    v.move(100, 100);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));

    // A small picture: a press on it or on the title bar moves the window.
    v.SetImageList({writePicture(dir, "small.png", QSize(200, 100))}, 0);
    for (QPoint at : {QPoint(400, 325), QPoint(300, 10), QPoint(100, 650)}) {
        const QPoint start = v.pos();
        sendMouse(&v, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        EXPECT_EQ(v.GetDragMode(), ImageViewer::DragMove) << at.x() << "," << at.y();
        sendMouse(&v, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, v.mapToGlobal(at) + QPoint(30, 20));
        sendMouse(&v, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, v.mapToGlobal(at));
        EXPECT_EQ(v.pos(), start + QPoint(30, 20));
    }

    // A picture larger than the image area: panning both ways, held at its edges.
    v.SetImageList({writePicture(dir, "large.png", QSize(2000, 1500))}, 0);
    v.on_originalProportionBtn_clicked();
    const QPoint centred = v.GetPicturePos();
    EXPECT_EQ(centred, QPoint((800 - 2000) / 2, 30 + (590 - 1500) / 2));
    const QPoint at(400, 300);
    sendMouse(&v, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(v.GetDragMode(), ImageViewer::DragPanBoth);
    sendMouse(&v, QEvent::MouseMove, at + QPoint(-50, -40), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.GetPicturePos(), centred + QPoint(-50, -40));
    sendMouse(&v, QEvent::MouseMove, at + QPoint(-5000, -5000), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.GetPicturePos(), QPoint(800 - 2000, 700 - 80 - 1500));  // right and bottom edges held
    sendMouse(&v, QEvent::MouseMove, at + QPoint(5000, 5000), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.GetPicturePos(), QPoint(0, 30));  // left edge and title bar held
    sendMouse(&v, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);

    // Wide but low: only sideways on the picture.
    v.SetImageList({writePicture(dir, "wide.png", QSize(1600, 300))}, 0);
    v.on_originalProportionBtn_clicked();
    sendMouse(&v, QEvent::MouseButtonPress, QPoint(400, 325), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(v.GetDragMode(), ImageViewer::DragPanX);
    const int y = v.GetPicturePos().y();
    sendMouse(&v, QEvent::MouseMove, QPoint(460, 355), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.GetPicturePos(), QPoint(-400 + 60, y));
    sendMouse(&v, QEvent::MouseButtonRelease, QPoint(460, 355), Qt::LeftButton, Qt::NoButton);

    // The right edge resizes the window; the width does not drop to the minimum.
    const QRect g = v.geometry();
    const QPoint edge(g.right() - 1, g.center().y());
    sendMouse(&v, QEvent::MouseMove, v.mapFromGlobal(edge), Qt::NoButton, Qt::NoButton, edge);
    EXPECT_EQ(v.GetEdgeRegion(), ImageViewer::EdgeRight);
    EXPECT_EQ(v.cursor().shape(), Qt::SizeHorCursor);
    sendMouse(&v, QEvent::MouseButtonPress, v.mapFromGlobal(edge), Qt::LeftButton, Qt::LeftButton, edge);
    EXPECT_EQ(v.GetDragMode(), ImageViewer::DragResize);
    sendMouse(&v, QEvent::MouseMove, v.mapFromGlobal(edge), Qt::NoButton, Qt::LeftButton, edge + QPoint(100, 0));
    EXPECT_EQ(v.width(), edge.x() + 100 - g.left());
    sendMouse(&v, QEvent::MouseMove, v.mapFromGlobal(edge), Qt::NoButton, Qt::LeftButton,
              QPoint(g.left() + 300, edge.y()));
    EXPECT_EQ(v.width(), edge.x() + 100 - g.left());  // refused below the minimum width
    sendMouse(&v, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
    // Hovering the inside gives the arrow back.
    sendMouse(&v, QEvent::MouseMove, QPoint(300, 300), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(v.GetEdgeRegion(), ImageViewer::EdgeNone);
    EXPECT_EQ(v.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ImageViewerTest, DoubleClickMaximizesAtNaturalSizeAndBackRefits)
{
    ImageViewer v;
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
    v.SetImageList({writePicture(dir, "big.png", QSize(2400, 1200))}, 0);
    const QSize fitted = v.GetPictureSize();

    // Inside the bottom bar a double-click does nothing.
    sendMouse(&v, QEvent::MouseButtonDblClick, QPoint(100, 660), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(v.isMaximized());

    sendMouse(&v, QEvent::MouseButtonDblClick, QPoint(400, 300), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(v.isMaximized());
    EXPECT_EQ(v.GetPictureSize(), QSize(2400, 1200));
    const QRect avail = v.screen()->availableGeometry();
    EXPECT_EQ(v.GetPicturePos(), QPoint((avail.width() - 2400) / 2, (avail.height() - 80 - 1200) / 2));

    sendMouse(&v, QEvent::MouseButtonDblClick, QPoint(400, 300), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(v.isMaximized());
    EXPECT_TRUE(testsupport::waitUntil([&] { return v.GetPictureSize() == fitted; }, 5000));
    EXPECT_TRUE(zoomLabel(v)->isVisible());
}

TEST_F(ImageViewerTest, SaveWritesThePictureAsLoadedUnderTheNameGiven)
{
    widgettest::FilePromptAnswers answers;
    {
        ImageViewer empty;
        empty.on_saveBtn_clicked();  // no picture: no question, nothing written
        EXPECT_TRUE(answers.asked.isEmpty());
    }

    ImageViewer v;
    v.show();
    v.SetImageList({writePicture(dir, "src.png", QSize(640, 320))}, 0);
    v.on_rotateBtn_clicked();  // neither the turn nor the zoom is saved
    const QString base = QString::fromStdString(dir.path()) + "/";
    const struct {
        QString typed;
        QString written;
        const char* format;
    } cases[] = {
        {base + "plain", base + "plain.png", "png"},
        {base + "photo.JPG", base + "photo.JPG", "jpeg"},
        {base + "shot.png", base + "shot.png", "png"},
        {base + "notes.txt", base + "notes.txt.png", "png"},
    };
    for (const auto& c : cases) {
        answers.names << c.typed;
        v.on_saveBtn_clicked();
        ASSERT_TRUE(QFile::exists(c.written)) << c.typed.toStdString();
        QImageReader reader(c.written);
        EXPECT_EQ(reader.format(), c.format) << c.typed.toStdString();
        EXPECT_EQ(reader.size(), QSize(640, 320)) << c.typed.toStdString();
    }
    ASSERT_EQ(answers.asked.size(), 4);
    EXPECT_TRUE(answers.asked[0].save);
    EXPECT_EQ(answers.asked[0].parent, &v);
    EXPECT_EQ(answers.asked[0].caption, "Save image");
    EXPECT_EQ(answers.asked[0].dir, QString::fromStdString(PubUtils::GetTempDir()));
    EXPECT_EQ(answers.asked[0].filter, "Images (*.png *.jpg)");

    // A cancelled question writes nothing; a folder that does not exist
    // fails without a word.
    const int before = QDir(base).count();
    v.on_saveBtn_clicked();
    answers.names << base + "missing/x.png";
    v.on_saveBtn_clicked();
    EXPECT_EQ(QDir(base).count(), before);
    EXPECT_EQ(answers.asked.size(), 6);
}
