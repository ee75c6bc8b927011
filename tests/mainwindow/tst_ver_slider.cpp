// The volume pop-up over the in-memory volume backend: mute and restore by
// the icon, values applied once, the microphone mode, and deactivation.
#include "mainwindow/popups/VerSliderWidget.h"
#include "platform/MemoryVolumeBackend.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace {

MemoryVolumeBackend* g_backend = nullptr;

uint32_t Level(VolumeDevice kind, const char* id)
{
    uint32_t v = 0;
    EXPECT_TRUE(g_backend->GetVolume(kind, id, v));
    return v;
}

class VerSliderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A scale of 0..100, so that levels read back exactly.
        auto backend = std::make_unique<MemoryVolumeBackend>(100, false);
        backend->AddDevice(VolumeDevice::Capture, "Desk Mic", "mic", 40);
        backend->AddDevice(VolumeDevice::Playback, "Speakers", "spk", 70);
        g_backend = backend.get();
        VolumeBackend::Install(std::move(backend));
    }
    void SetUp() override
    {
        g_backend->SetVolume(VolumeDevice::Capture, "mic", 40);
        g_backend->SetVolume(VolumeDevice::Playback, "spk", 70);
    }
    static QSlider* Slider(VerSliderWidget& w) { return w.findChild<QSlider*>("verticalSlider"); }
    static void ClickIcon(VerSliderWidget& w) { QTest::mouseClick(w.findChild<QLabel*>("labDev"), Qt::LeftButton); }
};

}  // namespace

TEST_F(VerSliderTest, IconMutesAndRestoresTheSpeaker)
{
    VerSliderWidget w;
    QSignalSpy changes(&w, &VerSliderWidget::sgValueChange);
    EXPECT_TRUE(w.IsSpeakerMode());
    EXPECT_EQ(w.size(), QSize(24, 126));
    EXPECT_EQ(Slider(w)->value(), 70);
    EXPECT_EQ(w.Value(), 70);

    ClickIcon(w);  // at 70: remembers 70, mutes
    EXPECT_EQ(Slider(w)->value(), 0);
    EXPECT_EQ(Level(VolumeDevice::Playback, "spk"), 0u);
    EXPECT_EQ(w.property("preValue").toInt(), 70);
    ClickIcon(w);  // back to 70
    EXPECT_EQ(Slider(w)->value(), 70);
    EXPECT_EQ(Level(VolumeDevice::Playback, "spk"), 70u);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0][0].toInt(), 0);
    EXPECT_EQ(changes[1][0].toInt(), 70);

    Slider(w)->setValue(70);  // the current value: nothing applied
    EXPECT_EQ(changes.count(), 2);
    w.onUpdateTimer();
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(VerSliderTest, MutedWithoutStoredLevelComesBackAtFive)
{
    g_backend->SetVolume(VolumeDevice::Playback, "spk", 0);
    VerSliderWidget w;
    ASSERT_EQ(Slider(w)->value(), 0);
    ClickIcon(w);
    EXPECT_EQ(Slider(w)->value(), 5);
    EXPECT_EQ(Level(VolumeDevice::Playback, "spk"), 5u);
    shelltest::UseProgramStyle();
    w.show();
    shelltest::Screenshot(&w, "volume_slider_speaker.png");
}

TEST_F(VerSliderTest, MicrophoneModeDrivesTheCaptureLevel)
{
    VerSliderWidget w;
    w.SetMode(false);
    EXPECT_FALSE(w.IsSpeakerMode());
    EXPECT_EQ(Slider(w)->value(), 40);
    QSignalSpy changes(&w, &VerSliderWidget::sgValueChange);
    Slider(w)->setValue(33);
    EXPECT_EQ(Level(VolumeDevice::Capture, "mic"), 33u);
    EXPECT_EQ(Level(VolumeDevice::Playback, "spk"), 70u);  // speaker untouched
    EXPECT_EQ(changes.count(), 1);

    // Shown again, it reads the system value anew.
    g_backend->SetVolume(VolumeDevice::Capture, "mic", 12);
    w.show();
    EXPECT_EQ(Slider(w)->value(), 12);
    shelltest::Screenshot(&w, "volume_slider_microphone.png");
    // Losing activation hides it.
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    EXPECT_FALSE(w.isVisible());
}
