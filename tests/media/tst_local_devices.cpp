// The machine's devices through the room's media path (engine -> client
// library -> media core): the generated camera's preview drawn into a
// widget, and, on a private sound server, the chosen microphone's level, the
// test sound played on the chosen speaker, and devices that vanish.
// test-labels: e2e
#include "app/Room.h"
#include "ChildProcess.h"
#include "ClientLibTestControl.h"
#include "media/IMediaEngine.h"
#include "PulseFixture.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

QString threadName(const QString& task)
{
    QFile f("/proc/self/task/" + task + "/comm");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().trimmed()) : QString();
}

// The process's unnamed threads: the main thread and the plain threads the
// libraries start (Qt's and the whiteboard's threads carry names).
int threadCount()
{
    const QString main = threadName(QString::number(getpid()));
    int n = 0;
    for (const QString& t : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        n += threadName(t) == main ? 1 : 0;
    return n;
}

IMediaEngine* clientLibEngine()
{
    home();
    static QWidget board;
    if (!Room::instance()->GetClientLib())
        Room::instance()->InitLib(&board);
    IMediaEngine::selectEngine(kMediaEngineClientLib);
    return IMediaEngine::instance();
}

QString nameOf(const QList<DevicePair>& list, const QString& wanted)
{
    for (const DevicePair& d : list)
        if (d.first == wanted)
            return d.second;
    return QString();
}

// Runs a command to its end; its standard output.
std::string run(const std::string& command) { return testsupport::commandOutput(command); }

// The highest level reported within ms.
float peakWithin(QSignalSpy& spy, int ms)
{
    spy.clear();
    float peak = 0.0f;
    testsupport::waitUntil(
        [&] {
            for (const auto& args : spy)
                peak = std::max(peak, args.value(0).toFloat());
            spy.clear();
            return false;
        },
        ms);
    return peak;
}

}  // namespace

TEST(LocalDevices, GeneratedCameraPreviewDrawsIntoTheWidgetAndEndsWithStopOrWidget)
{
    qRegisterMetaType<quintptr>("quintptr");
    IMediaEngine* engine = clientLibEngine();
    QList<DevicePair> cameras;
    engine->getVideoDevices(cameras);
    ASSERT_FALSE(cameras.isEmpty());
    EXPECT_EQ(engine->canPreviewVideo(), 1);
    ASSERT_TRUE(engine->setCurVideoDevice(cameras.first().second));

    const int before = threadCount();
    QSignalSpy drawn(engine, &IMediaEngine::sigPreviewPictureArrived);
    auto* view = new QWidget;
    view->resize(320, 240);
    view->show();
    const quintptr window = reinterpret_cast<quintptr>(view);
    engine->previewVideo(window, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return drawn.count() > 0; }));
    EXPECT_EQ(drawn.first().value(0).value<quintptr>(), window);
    EXPECT_EQ(drawn.count(), 1);  // once per start

    // The picture in the widget is the camera's, not a flat fill.
    const QImage shot = view->grab().toImage();
    shot.save(QString::fromStdString(testsupport::screenshotPath("local_devices_camera_preview.png")));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 8)
        for (int x = 0; x < shot.width(); x += 8)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 6);

    engine->previewVideo(window, false);
    EXPECT_TRUE(testsupport::waitUntil([&] { return threadCount() <= before; })) << threadCount() << " / " << before;

    // A widget that goes ends its preview.
    engine->previewVideo(window, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return drawn.count() == 2; }));
    delete view;
    EXPECT_TRUE(testsupport::waitUntil([&] { return threadCount() <= before; })) << threadCount() << " / " << before;
}

TEST(LocalDevices, ChosenMicrophoneLevelSpeakerSoundAndVanishingDevices)
{
    testsupport::PulseFixture pulse;
    if (!pulse.installed())
        GTEST_SKIP() << "pulseaudio is not installed";
    ASSERT_TRUE(pulse.start()) << pulse.error();
    qputenv("PULSE_SERVER", QByteArray::fromStdString(pulse.server()));
    // A microphone that hears what is played into the null sink.
    const std::string module = pulse.addSinkMicrophone("veltora_tone_mic", "ToneMic");
    ASSERT_FALSE(module.empty()) << "pactl could not add the microphone";
    IMediaEngine* engine = clientLibEngine();

    QList<DevicePair> mics, speakers;
    engine->getInputAudioDevices(mics);
    engine->getOutputAudioDevices(speakers);
    ASSERT_TRUE(nameOf(mics, "ToneMic") == "ToneMic");
    ASSERT_EQ(mics.size(), 2) << "the machine's microphones, not the data set's";
    ASSERT_EQ(speakers.size(), 1);
    const QString silent = mics.first().first == "ToneMic" ? mics.last().first : mics.first().first;

    const int before = threadCount();
    int tone = pulse.playTone(60);
    ASSERT_GT(tone, 0);
    QSignalSpy levels(engine, &IMediaEngine::sigMicrophoneVolumeChange);
    QSignalSpy lost(engine, &IMediaEngine::sigLocalDeviceLost);

    // The silent microphone stays low while the tone plays; the chosen tone
    // microphone moves the level.
    ASSERT_TRUE(engine->setCurInputAudioDevice(silent));
    engine->enableMicrophoneMonitor(true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return levels.count() > 5; }));
    EXPECT_LT(peakWithin(levels, 600), 0.01f);
    ASSERT_TRUE(engine->setCurInputAudioDevice("ToneMic"));
    EXPECT_GT(peakWithin(levels, 1500), 0.05f);  // the tone's amplitude is 1/8
    testsupport::stopChild(tone, 2000);
    ASSERT_TRUE(testsupport::waitUntil([&] { return peakWithin(levels, 300) < 0.01f; }));

    // The speaker test's sound reaches the chosen speaker (heard through its
    // monitor), and stops when asked.
    testsupport::TempDir dir;
    const std::string sound = dir.path() + "/tone.mp3";
    run("ffmpeg -v error -f lavfi -i sine=frequency=660:duration=3 -y " + sound);
    ASSERT_TRUE(engine->setCurOutputAudioDevice(speakers.first().second));
    engine->playAudioFile(QString::fromStdString(sound));
    EXPECT_GT(peakWithin(levels, 1500), 0.03f);
    engine->stopAudioFile();
    EXPECT_TRUE(testsupport::waitUntil([&] { return peakWithin(levels, 300) < 0.01f; }));

    // Unplugged while monitored: the sound server moves the capture to
    // another microphone, the list no longer has it and it cannot be chosen;
    // then the sound server goes away altogether: a message, no hang.
    run("pactl unload-module " + module);
    mics.clear();
    engine->getInputAudioDevices(mics);
    EXPECT_TRUE(nameOf(mics, "ToneMic").isEmpty());
    EXPECT_FALSE(engine->setCurInputAudioDevice("ToneMic"));
    ASSERT_TRUE(engine->setCurInputAudioDevice(silent));
    ASSERT_TRUE(testsupport::waitUntil([&] { return levels.count() > 5; }));
    pulse.stop();
    ASSERT_TRUE(testsupport::waitUntil([&] { return lost.count() > 0; }, 5000));
    EXPECT_TRUE(lost.first().value(0).toString().contains(silent)) << lost.first().value(0).toString().toStdString();
    engine->playAudioFile(QString::fromStdString(sound));  // no server: refused, logged
    engine->enableMicrophoneMonitor(false);
    engine->stopAudioFile();
    EXPECT_TRUE(testsupport::waitUntil([&] { return threadCount() <= before; })) << threadCount() << " / " << before;
    qunsetenv("PULSE_SERVER");
}
