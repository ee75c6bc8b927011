// test-labels: xvfb
// The broadcast engine's wrapper: observer calls become signals, the
// microphone's level reports are filtered and throttled on a virtual clock,
// and the real engine publishes to a local RTMP server and records to a
// folder through it.
#include "media/CBroadcastEngine.h"
#include "widgets/MicrophoneVolumeCtrl.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "NginxFixture.h"
#include "QtWait.h"

using testsupport::waitUntil;

namespace {

int64_t s_virtualNow = 0;
int64_t virtualNow()
{
    return s_virtualNow;
}

struct VirtualClock {
    VirtualClock() { CBroadcastEngine::setClockForTests(&virtualNow); }
    ~VirtualClock() { CBroadcastEngine::setClockForTests(nullptr); }
};

// The stream's codecs and picture size as the ffprobe CLI reads them.
QString probeStream(const QString& url)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,width,height", "-of",
                        "compact=p=0:nk=0", url});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// An engine set up with the scene and sources the settings window uses.
void setUpScene(IBroadcastEngine* engine)
{
    const char* scene = "default_scene";
    engine->Initialize();
    engine->Start();
    auto scenes = engine->GetScenes();
    if (!scenes->HasScene(scene))
        scenes->AddScene(scene);
    scenes->SelectScene(scene);
    engine->SetVideoOutput(1920, 1080, 2048);
    engine->AddSource(Broadcast::kSourceAudioInput, "standard_audio_input_device", scene);
    engine->AddSource(Broadcast::kSourceAudioOutput, "standard_audio_output_device", scene);
    engine->AddSource(Broadcast::kSourceMulAudioInput, "audio_mulinput_device", scene);
    engine->AddSource(Broadcast::kSourceDesktop, "桌面捕获", scene);
    engine->SetSourceOrder("桌面捕获", 10);
}

}  // namespace

// Runs first in its own process (each test does under CTest).
TEST(BroadcastEngineWrapper, GetEngineBeforeInstanceMakesNothing)
{
    EXPECT_EQ(nullptr, CBroadcastEngine::getEngine());
    CBroadcastEngine::release();  // nothing to release: no crash, nothing made
    EXPECT_EQ(nullptr, CBroadcastEngine::getEngine());
    EXPECT_EQ(nullptr, MicrophoneVolumeCtrl::AudioLevelSource());

    CBroadcastEngine* wrapper = CBroadcastEngine::instance();
    ASSERT_NE(nullptr, wrapper);
    EXPECT_EQ(wrapper, CBroadcastEngine::instance());
    EXPECT_NE(nullptr, CBroadcastEngine::getEngine());
    EXPECT_EQ(wrapper, MicrophoneVolumeCtrl::AudioLevelSource()) << "registered as the level source";
}

TEST(BroadcastEngineWrapper, OnlyMicrophoneReportsPassAtMostEvery201Ms)
{
    VirtualClock clock;
    CBroadcastEngine* w = CBroadcastEngine::instance();
    QSignalSpy spy(w, &CBroadcastEngine::signalAudioVolume);
    struct Report {
        int64_t at;
        const char* name;
        bool passes;
    };
    const Report reports[] = {
        {1000, "standard_audio_output_device", false},
        {1000, nullptr, false},
        {1000, "standard_audio_input_device_2", false},
        {1000, "standard_audio_input_device", true},
        {1150, "standard_audio_input_device", false},  // 150 ms after the last forwarded one
        {1200, "standard_audio_input_device", false},  // exactly 200 ms
        {1201, "standard_audio_input_device", true},
        {1300, "standard_audio_output_device", false},
        {900, "standard_audio_input_device", false},  // the clock went back
        {1402, "standard_audio_input_device", true},
    };
    int passed = 0;
    for (const Report& r : reports) {
        s_virtualNow = r.at;
        w->OnAudioVolume(r.name, -20.f, -10.f, -6.5f);
        if (r.passes)
            ++passed;
        ASSERT_EQ(passed, spy.count()) << "at " << r.at << " " << (r.name ? r.name : "(null)");
    }
    const QList<QVariant> last = spy.takeLast();
    EXPECT_EQ(QString("standard_audio_input_device"), last.at(0).toString());
    EXPECT_FLOAT_EQ(-20.f, last.at(1).toFloat());
    EXPECT_FLOAT_EQ(-10.f, last.at(2).toFloat());
    EXPECT_FLOAT_EQ(-6.5f, last.at(3).toFloat());
}

TEST(BroadcastEngineWrapper, ReportsFromAnotherThreadReachTheLevelBarQueued)
{
    VirtualClock clock;
    s_virtualNow = 5000;
    CBroadcastEngine* w = CBroadcastEngine::instance();
    MicrophoneVolumeCtrl bar;
    bar.SetDeviceName("standard_audio_input_device");
    bar.StartMonitor();
    QThread* thread = QThread::create([w] {
        // The engine's buffer for the name is gone once the call returns.
        std::string name = "standard_audio_input_device";
        w->OnAudioVolume(name.c_str(), 0.5f, 0.7f, 0.8f);
        name.assign(name.size(), 'x');
    });
    thread->start();
    thread->wait();
    delete thread;
    EXPECT_TRUE(waitUntil([&] { return bar.level() > 0.f; }));
    EXPECT_FLOAT_EQ(0.8f, bar.level()) << "the level is peakHold";
}

TEST(BroadcastEngineWrapper, ObserverCallsBecomeSignalsWithTheirArguments)
{
    CBroadcastEngine* w = CBroadcastEngine::instance();
    QSignalSpy publishStop(w, &CBroadcastEngine::signalStopPublish);
    QSignalSpy recordStop(w, &CBroadcastEngine::signalStopRecord);
    QSignalSpy selection(w, &CBroadcastEngine::signalSourceSelectionChange);
    QSignalSpy size(w, &CBroadcastEngine::signalOutputSizeChange);
    QSignalSpy activate(w, &CBroadcastEngine::signalActivateAudioSource);
    QSignalSpy deactivate(w, &CBroadcastEngine::signalDeactivatAudioSource);

    w->OnStopPublish(-3, nullptr);
    w->OnStopPublish(-7, "服务器断开");
    w->OnStopRecord(-4, nullptr);
    w->OnSourceSelectionChange("桌面捕获", true);
    w->OnOutputSizeChange(1280, 720);
    w->OnActivateAudioSource("standard_audio_input_device");
    w->OnDeactivateAudioSource("standard_audio_output_device");
    w->OnPublishStatistics(2000, 1);  // ignored
    w->OnRecordStatistics(10, 100);   // ignored

    ASSERT_EQ(2, publishStop.count());
    EXPECT_EQ(-3, publishStop.at(0).at(0).toInt());
    EXPECT_TRUE(publishStop.at(0).at(1).toString().isEmpty());
    EXPECT_EQ(-7, publishStop.at(1).at(0).toInt());
    EXPECT_EQ(QString("服务器断开"), publishStop.at(1).at(1).toString());
    ASSERT_EQ(1, recordStop.count());
    EXPECT_EQ(-4, recordStop.at(0).at(0).toInt());
    EXPECT_TRUE(recordStop.at(0).at(1).toString().isEmpty());
    ASSERT_EQ(1, selection.count());
    EXPECT_EQ(QString("桌面捕获"), selection.at(0).at(0).toString());
    EXPECT_TRUE(selection.at(0).at(1).toBool());
    ASSERT_EQ(1, size.count());
    EXPECT_EQ(1280, size.at(0).at(0).toInt());
    EXPECT_EQ(720, size.at(0).at(1).toInt());
    ASSERT_EQ(1, activate.count());
    EXPECT_EQ(QString("standard_audio_input_device"), activate.at(0).at(0).toString());
    ASSERT_EQ(1, deactivate.count());
    EXPECT_EQ(QString("standard_audio_output_device"), deactivate.at(0).at(0).toString());
}

TEST(BroadcastEngineWrapper, PublishesToAnRtmpServerAndRecordsThenReleases)
{
    testsupport::NginxFixture::Options options;
    options.http = false;
    options.rtmp = true;
    testsupport::NginxFixture nginx(options);
    ASSERT_TRUE(nginx.start()) << nginx.error();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    CBroadcastEngine* w = CBroadcastEngine::instance();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    ASSERT_NE(nullptr, engine);
    setUpScene(engine);

    int published = 0, recording = 0;
    QList<int> publishStops, recordStops;
    QObject receiver;  // GUI thread: the engine's threads deliver queued
    QObject::connect(w, &CBroadcastEngine::signalStartPublishSuccess, &receiver, [&] { ++published; });
    QObject::connect(w, &CBroadcastEngine::signalStopPublish, &receiver,
                     [&](int code, QString) { publishStops << code; });
    QObject::connect(w, &CBroadcastEngine::signalStartRecordSuccess, &receiver, [&] { ++recording; });
    QObject::connect(w, &CBroadcastEngine::signalStopRecord, &receiver, [&](int code, QString) { recordStops << code; });

    std::string server = nginx.rtmpUrl("");
    server.pop_back();
    ASSERT_TRUE(engine->StartStreaming(server.c_str(), "wrapped"));
    ASSERT_TRUE(waitUntil([&] { return published == 1 || !publishStops.isEmpty(); }, 30000));
    ASSERT_EQ(1, published) << "stopped with " << (publishStops.isEmpty() ? 0 : publishStops.first());
    const QString info = probeStream(QString::fromStdString(nginx.rtmpUrl("wrapped")));
    EXPECT_TRUE(info.contains("codec_name=h264|width=1920|height=1080")) << info.toStdString();
    EXPECT_TRUE(info.contains("codec_name=aac")) << info.toStdString();

    engine->SetRecordPath(QDir::toNativeSeparators(folder.path()).toUtf8().constData());
    ASSERT_TRUE(engine->SetRecordFormat("flv"));
    ASSERT_TRUE(engine->StartRecording());
    ASSERT_TRUE(waitUntil([&] { return recording == 1; }, 30000));
    const QString file = QString::fromStdString(engine->GetRecordPath());
    QThread::msleep(1500);  // a little of the scene in the file
    engine->StopRecording();
    ASSERT_TRUE(waitUntil([&] { return !recordStops.isEmpty(); }, 30000));
    EXPECT_EQ(0, recordStops.first());
    EXPECT_TRUE(file.endsWith(".flv")) << file.toStdString();
    EXPECT_TRUE(probeStream(file).contains("codec_name=h264")) << file.toStdString();

    engine->StopStreaming(0);
    ASSERT_TRUE(waitUntil([&] { return !publishStops.isEmpty(); }, 30000));
    EXPECT_EQ(0, publishStops.first());

    engine->Stop();
    CBroadcastEngine::release();
    EXPECT_EQ(nullptr, CBroadcastEngine::getEngine());
    CBroadcastEngine::release();  // twice: nothing left to free
    EXPECT_EQ(w, CBroadcastEngine::instance()) << "the wrapper stays";
}
