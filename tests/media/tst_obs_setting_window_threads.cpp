// test-labels: xvfb tsan
// Remote voices reach the broadcast settings window on the client
// library's audio thread while its own timer, the level reports and a
// device refresh run on the GUI thread.
#include "media/OBSSettingWindow.h"

#include "app/CData.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(SettingWindowThreads, RemoteAudioMeetsTheTimerAndDeviceRefresh)
{
    QTemporaryDir dataHome;
    ASSERT_TRUE(dataHome.isValid());
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    QWidget mainWindow;
    mainWindow.setObjectName("mainWindow");
    auto* recorder = new QPushButton(&mainWindow);
    recorder->setObjectName("btnRecorder");
    CData::instance()->SetRecording(false);
    std::atomic<int64_t> now{0};
    {
        OBSSettingWindow window(&mainWindow);
        window.timer()->stop();
        window.setClockForTests([&now] { return now.load(); });

        std::atomic<bool> done{false};
        std::vector<uchar> frame(480 * 2 * 2, 0);  // 10 ms of 48 kHz stereo 16-bit silence
        std::thread audio([&] {
            for (int i = 0; i < 400 && !done.load(); ++i)
                window.MixAudioData("1001", frame.data(), 16, 48000, 2, 480, i * 10, 0);
        });
        for (int i = 0; i < 60; ++i) {
            now += 1000;
            window.onUpdateTimer();
            window.onUpdateVolume("standard_audio_input_device", 0.1f, 0.2f, 0.2f);
            if (i % 20 == 0)
                window.on_refreshInputDeviceBtn_clicked();
        }
        done.store(true);
        audio.join();
        EXPECT_GT(window.lastAudioMs(), 0);
    }
    CData::instance()->SetRecording(false);
}
