// test-labels: tsan
// The microphone level bar: its bars, the lit part, and the levels the
// broadcast engine reports for its source from another thread.
#include "widgets/MicrophoneVolumeCtrl.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "QtWait.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

namespace {

// Stands in for the broadcast engine: the same level signal.
class FakeEngine : public QObject {
    Q_OBJECT
public:
    int listeners() const { return receivers(SIGNAL(signalAudioVolume(QString, float, float, float))); }
signals:
    void signalAudioVolume(QString sourceName, float magnitude, float peak, float peakHold);
};

QColor colourOf(const QImage& image, const QRect& r)
{
    return image.pixelColor(r.center());
}

}  // namespace

TEST(MicrophoneVolumeCtrl, BarsFitTheWidthAndTheLevelLightsTheFirstOnes)
{
    const struct {
        bool icon;
        float level;
        int lit;
    } cases[] = {
        {true, 0.5f, 7},
        {true, 0.0f, 0},
        {true, 1.0f, 14},
        {true, 1.7f, 14},
        {true, -0.4f, 0},
        {true, std::numeric_limits<float>::quiet_NaN(), 0},
        {false, 0.5f, 7},
    };
    for (const auto& c : cases) {
        MicrophoneVolumeCtrl bar;
        bar.resize(c.icon ? 200 : 180, 24);
        if (!c.icon)
            bar.SetBarStyle(6, 16, false);
        bar.slotUpdateVolume(c.level);
        EXPECT_EQ(bar.barCount(), 14);
        EXPECT_EQ(bar.litBarCount(), c.lit) << c.level;
        EXPECT_EQ(bar.barRect(0), c.icon ? QRect(32, 4, 6, 16) : QRect(12, 4, 6, 16));
        EXPECT_EQ(bar.barRect(1).x() - bar.barRect(0).x(), 12);
        const QImage image = bar.grab().toImage();
        const QColor unlit(c.icon ? "#25262A" : "#DBDBE2");
        for (int i = 0; i < bar.barCount(); ++i)
            EXPECT_EQ(colourOf(image, bar.barRect(i)), i < c.lit ? QColor("#26BB75") : unlit) << i;
    }

    MicrophoneVolumeCtrl centred;
    centred.SetBarStyle(4, 10, false);
    centred.resize(120, 30);
    EXPECT_EQ(centred.barRect(0), QRect(12, 10, 4, 10));

    MicrophoneVolumeCtrl shown;
    shown.setStyleSheet("background: #FFFFFF;");
    shown.resize(200, 24);
    shown.slotUpdateVolume(0.5f);
    shown.show();
    widgettest::saveScreenshot(&shown, "mic-level-bar.png");
}

TEST(MicrophoneVolumeCtrl, ShowsOnlyItsOwnSourceFromTheEngineThread)
{
    FakeEngine engine;
    MicrophoneVolumeCtrl::SetAudioLevelSource(&engine);
    MicrophoneVolumeCtrl bar;
    bar.resize(200, 24);
    bar.StartMonitorDefaultDevice();
    bar.StartMonitor();  // again: still one connection
    EXPECT_EQ(engine.listeners(), 1);
    EXPECT_EQ(bar.DeviceName(), "standard_audio_input_device");

    // The engine reports from its own thread; the name it passes lives in a
    // buffer the engine reuses at once.
    std::thread worker([&] {
        char name[64];
        std::strcpy(name, "standard_audio_output_device");
        emit engine.signalAudioVolume(QString::fromUtf8(name), 0.9f, 0.9f, 0.9f);
        std::strcpy(name, "standard_audio_input_device");
        emit engine.signalAudioVolume(QString::fromUtf8(name), 0.1f, 0.2f, 0.75f);
        std::memset(name, 'x', sizeof(name) - 1);
        name[sizeof(name) - 1] = 0;
    });
    worker.join();
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar.level() > 0.0f; }));
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(bar.level(), 0.75f);  // the third value, for this source only
    EXPECT_EQ(bar.litBarCount(), 10);

    bar.SetMonitorEnabled(false);
    emit engine.signalAudioVolume("standard_audio_input_device", 0.f, 0.f, 0.2f);
    EXPECT_FLOAT_EQ(bar.level(), 0.75f);
    MicrophoneVolumeCtrl::SetAudioLevelSource(nullptr);
}

// Stands in for the media engine: its microphone level signal.
class FakeMediaEngine : public QObject {
    Q_OBJECT
public:
    int listeners() const { return receivers(SIGNAL(sigMicrophoneVolumeChange(float))); }
signals:
    void sigMicrophoneVolumeChange(float volume);
};

TEST(MicrophoneVolumeCtrl, DefaultDeviceAlsoFollowsTheMediaEngineMicrophone)
{
    FakeMediaEngine media;
    MicrophoneVolumeCtrl::SetMicrophoneLevelSource(&media);
    MicrophoneVolumeCtrl bar;
    bar.resize(200, 24);
    bar.StartMonitorDefaultDevice();
    bar.StartMonitorDefaultDevice();  // again: still one connection
    EXPECT_EQ(media.listeners(), 1);
    emit media.sigMicrophoneVolumeChange(0.5f);
    EXPECT_FLOAT_EQ(bar.level(), 0.5f);
    bar.SetMonitorEnabled(false);
    emit media.sigMicrophoneVolumeChange(0.9f);
    EXPECT_FLOAT_EQ(bar.level(), 0.5f);
    MicrophoneVolumeCtrl::SetMicrophoneLevelSource(nullptr);
}

TEST(MicrophoneVolumeCtrl, WithoutAnEngineStartsNothing)
{
    MicrophoneVolumeCtrl::SetAudioLevelSource(nullptr);
    MicrophoneVolumeCtrl bar;
    bar.StartMonitorDefaultDevice();
    EXPECT_EQ(bar.level(), 0.0f);
    QObject notAnEngine;
    MicrophoneVolumeCtrl::SetAudioLevelSource(&notAnEngine);
    bar.StartMonitor();  // no level signal: logged, nothing connected
    MicrophoneVolumeCtrl::SetAudioLevelSource(nullptr);
}

#include "tst_level_bar.moc"
