// The letterboxed picture widget and the live-play base record.
#include "media/OwnRtmpLivePlayer.h"
#include "media/VideoRenderWidget.h"
#include "TestPaths.h"

#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

TEST(VideoRenderWidget, PictureIsLetterboxedAndCentred)
{
    struct Case {
        QSize widget;
        QRect target;
    };
    const Case cases[] = {
        {{400, 300}, {0, 37, 400, 225}},
        {{300, 400}, {0, 116, 300, 168}},
        {{1000, 300}, {233, 0, 533, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VideoRenderWidget::targetRect(QRect(QPoint(0, 0), c.widget), QSize(1280, 720)), c.target);
}

TEST(VideoRenderWidget, PaintsThePictureOverTheBackground)
{
    VideoRenderWidget widget;
    widget.resize(400, 300);
    widget.setStyleSheet("background: black");
    widget.setAttribute(Qt::WA_StyledBackground);
    const QImage empty = widget.grab().toImage();
    QImage picture(1280, 720, QImage::Format_ARGB32);
    picture.fill(QColor(0, 200, 0));
    widget.setPicture(picture);
    const QImage shown = widget.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(200, 150)), QColor(0, 200, 0));
    EXPECT_EQ(QColor(shown.pixel(200, 40)), QColor(0, 200, 0));
    EXPECT_NE(QColor(shown.pixel(200, 20)), QColor(0, 200, 0));  // above the letterbox
    EXPECT_EQ(shown.pixel(200, 20), empty.pixel(200, 20));
}

TEST(VideoRenderWidget, PlayingClearsThePictureAndRunsTheRepaintTimerWhileShown)
{
    VideoRenderWidget widget;
    QImage picture(16, 9, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    widget.setPicture(picture);
    widget.setPlaying(true);
    EXPECT_TRUE(widget.picture().isNull());
    EXPECT_TRUE(widget.timerRunning());
    widget.show();
    widget.hide();
    EXPECT_FALSE(widget.timerRunning());
    widget.show();
    EXPECT_TRUE(widget.timerRunning());
    widget.setPlaying(false);
    EXPECT_FALSE(widget.timerRunning());
    widget.fitOverlay();
    EXPECT_EQ(widget.overlayWidget()->geometry(), widget.rect());
    EXPECT_EQ(widget.overlayWidget()->parentWidget(), &widget);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST(VideoRenderWidget, EveryArrivingPictureIsPaintedWithoutWaitingForTheTimer)
{
    VideoRenderWidget widget;
    widget.resize(160, 90);
    widget.setPlaying(true);
    widget.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    widget.installEventFilter(&counter);
    QImage picture(16, 9, QImage::Format_ARGB32);
    for (int i = 0; i < 25; ++i) {
        picture.fill(QColor(i * 10, 0, 0));
        widget.setPicture(picture);
        const int before = counter.paints;
        // The queued repaint runs on the next pass of the event loop: no
        // timer (200 ms) could have fired in between.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_GT(counter.paints, before) << "picture " << i;
    }
    // A burst before the loop runs is painted once, with the latest picture.
    for (int i = 0; i < 5; ++i)
        widget.setPicture(picture);
    const int before = counter.paints;
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before + 1);
}

TEST(VideoRenderWidget, PlayingWithoutPicturesShowsTheSoundOnlyPlaceholder)
{
    VideoRenderWidget widget;
    widget.resize(320, 180);
    widget.setStyleSheet("background: black");
    widget.setAttribute(Qt::WA_StyledBackground);
    widget.setPlaying(true);
    EXPECT_TRUE(widget.showsPlaceholder());
    const QImage placeholder = widget.grab().toImage();
    placeholder.save(QString::fromStdString(testsupport::screenshotPath("video-sound-only-placeholder.png")));
    EXPECT_EQ(QColor(placeholder.pixel(5, 170)), QColor(0x2b, 0x2b, 0x2b));  // clear of the overlay child
    int accent = 0;  // the drawn loudspeaker in the designed colour
    for (int y = 0; y < placeholder.height(); ++y)
        for (int x = 0; x < placeholder.width(); ++x)
            accent += QColor(placeholder.pixel(x, y)) == QColor(0x5d, 0xc0, 0xba);
    EXPECT_GT(accent, 100);
    QImage picture(16, 9, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    widget.setPicture(picture);
    EXPECT_FALSE(widget.showsPlaceholder());
    EXPECT_EQ(QColor(widget.grab().toImage().pixel(160, 90)), QColor(Qt::blue));
    widget.setPlaying(false);
    EXPECT_FALSE(widget.showsPlaceholder());
}

TEST(RtmpLivePlayer, BaseRecordAndDelay)
{
    OwnRtmpLivePlayer player;
    EXPECT_EQ(player.GetDelayTime(), 5000);
    RtmpPlayParam param = player.GetPlayParam();
    EXPECT_FALSE(param.flag);
    EXPECT_TRUE(param.playUrl.isEmpty());
    EXPECT_EQ(param.renderWidget, nullptr);
    param.flag = true;
    param.playUrl = "rtmp://example/live/a";
    param.playExtra = "x";
    EXPECT_TRUE(player.SetPlayParam(param));
    const RtmpPlayParam back = player.GetPlayParam();
    EXPECT_TRUE(back.flag);
    EXPECT_EQ(back.playUrl, "rtmp://example/live/a");
    EXPECT_EQ(back.playExtra, "x");
    EXPECT_FALSE(player.IsPlaying());
}
