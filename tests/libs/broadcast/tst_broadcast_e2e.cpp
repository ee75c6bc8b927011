// test-labels: xvfb
// test-sources: ../rtmppush/StreamProbe.cpp BroadcastTestSupport.cpp
// The broadcast engine on a real X display against a real RTMP server on
// loopback: what it publishes and records, the windows it lists, its preview,
// and the codes it stops with.
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"
#include "libs/mediacore/AvPtr.h"
#include "tests/libs/broadcast/BroadcastTestSupport.h"

#include "ChildProcess.h"
#include "HttpFixture.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace broadcasttest;
using namespace mediatest;
using testsupport::waitUntil;

namespace {

const char* const kScene = Engine::kScene;
const char* const kDesktop = "桌面捕获";
const char* const kWindow = "应用程序捕获";
const char* const kMic = "standard_audio_input_device";

std::unique_ptr<testsupport::NginxFixture> startNginx(const std::string& appConf = "")
{
    testsupport::NginxFixture::Options options;
    options.http = false;
    options.rtmp = true;
    options.extraRtmpAppConf = appConf;
    auto nginx = std::make_unique<testsupport::NginxFixture>(options);
    EXPECT_TRUE(nginx->start()) << nginx->error();
    return nginx;
}

// "rtmp://127.0.0.1:<port>/live" (the key is passed apart).
std::string serverOf(const testsupport::NginxFixture& nginx)
{
    std::string url = nginx.rtmpUrl("");
    url.pop_back();
    return url;
}

std::string streamInfo(const std::string& url)
{
    return runCapture({"ffprobe", "-v", "error", "-show_entries",
                       "stream=codec_name,width,height,avg_frame_rate,sample_rate", "-of", "compact=p=0:nk=0", url});
}

bool fileContains(const std::string& path, const std::string& needle)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str().find(needle) != std::string::npos;
}

}  // namespace

TEST(BroadcastE2E, DesktopIsPublishedOnThe1080pCanvasWithTheMicrophoneMetered)
{
    auto nginx = startNginx();
    Engine e(Broadcast::kSourceDesktop, kDesktop);
    ASSERT_TRUE(e.engine->StartStreaming(serverOf(*nginx).c_str(), "desk"));
    ASSERT_TRUE(e.waitFor("published")) << e.observer.log.text();

    // Remote audio pushed while publishing is taken.
    auto mul = IMulAudioSourceProperty::create("audio_mulinput_device");
    std::vector<int16_t> tone(960);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t((i / 24) % 2 ? 8000 : -8000);
    EXPECT_TRUE(mul->PushAudioData(7, tone.data(), 16, 48000, 1, 960, 0, 0));

    const std::string info = streamInfo(nginx->rtmpUrl("desk"));
    EXPECT_NE(std::string::npos, info.find("codec_name=h264|width=1920|height=1080|avg_frame_rate=15/1")) << info;
    EXPECT_NE(std::string::npos, info.find("codec_name=aac")) << info;
    const ProbeResult r = probe(nginx->rtmpUrl("desk"), 2500);
    EXPECT_GE(r.keyFrameMs.size(), 2u);
    EXPECT_GT(r.audioPackets, 40);

    {
        std::lock_guard<std::mutex> lock(e.observer.m_lock);
        EXPECT_GT(e.observer.volumeReports, 10);
        ASSERT_NE(nullptr, e.observer.lastVolumeName);
        EXPECT_STREQ(kMic, e.observer.lastVolumeName);  // still valid after the call
    }
    e.engine->StopStreaming(0);
    ASSERT_TRUE(e.waitFor("stopPublish:0"));
    EXPECT_EQ(0, e.observer.log.count("reconnect"));
}

TEST(BroadcastE2E, AWindowIsListedByTitleAndCaptured)
{
    QWidget window;
    window.setWindowTitle("vtmaintea");
    window.setStyleSheet("background-color: rgb(93, 192, 186);");
    window.resize(640, 360);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
    QCoreApplication::processEvents();

    auto property = IAppWindowCaptureSourceProperty::create(kWindow, true);
    std::string listed;
    ASSERT_TRUE(waitUntil([&] {
        property->EnumWindows([&](const char* title, const char*) {
            if (std::string(title).find("]: vtmaintea") != std::string::npos)
                listed = title;
            return true;
        });
        return !listed.empty();
    })) << "the window is not listed";
    // The owner is this test program.
    char exe[4096] = {0};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string self = std::string(exe).substr(std::string(exe).rfind('/') + 1);
    EXPECT_EQ("[" + self + "]: vtmaintea", listed);

    auto nginx = startNginx();
    Engine e(Broadcast::kSourceAppWindow, kWindow);
    EXPECT_FALSE(property->SetWindow("no window has this title"));
    ASSERT_TRUE(property->SetWindow(listed.c_str()));
    ASSERT_TRUE(e.engine->StartStreaming(serverOf(*nginx).c_str(), "win"));
    ASSERT_TRUE(e.waitFor("published")) << e.observer.log.text();
    const ProbeResult r = probe(nginx->rtmpUrl("win"), 2500);
    const ProbedStream* video = r.find("h264");
    ASSERT_NE(nullptr, video) << r.error;
    EXPECT_EQ(1920, video->width);
    EXPECT_GT(r.videoPackets, 15);
    // The window's own pixels, not a generated picture: its 16:9 fills the canvas.
    const RgbPicture picture = pictureOf(nginx->rtmpUrl("win"), 480, 270, false);
    ASSERT_FALSE(picture.empty());
    for (const auto& [x, y] : {std::pair{240, 135}, {60, 40}, {420, 40}, {60, 230}, {420, 230}})
        EXPECT_LT(picture.distance(x, y, 0x5dc0ba), 24) << x << "," << y << " " << std::hex << picture.at(x, y);
    window.grab().save(QString::fromStdString(testsupport::screenshotPath("broadcast_captured_window.png")));
}

TEST(BroadcastE2E, ThePreviewPaintsTheSceneIntoTheGivenWindow)
{
    // Something to see on the captured desktop, away from the preview.
    QWidget backdrop;
    backdrop.setWindowFlags(Qt::FramelessWindowHint);
    backdrop.setStyleSheet("background-color: rgb(93, 192, 186);");
    backdrop.setGeometry(0, 0, 700, 450);
    backdrop.show();
    Engine e(Broadcast::kSourceDesktop, kDesktop);
    QWidget preview;
    preview.move(800, 500);
    preview.setAttribute(Qt::WA_NativeWindow);
    preview.setUpdatesEnabled(false);
    preview.resize(480, 360);
    preview.show();
    ASSERT_TRUE(waitUntil([&] { return preview.isVisible(); }));
    auto scenes = e.engine->GetScenes();
    ISceneView* view = scenes->CreateView(uint64_t(preview.winId()));
    ASSERT_NE(nullptr, view);
    view->SetScene(kScene);
    view->SetMode(true);
    view->Start();

    // 16:9 canvas in a 4:3 window: grey bars above and below the picture.
    QImage shot;
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::processEvents();
        shot = QGuiApplication::primaryScreen()->grabWindow(preview.winId()).toImage();
        if (shot.isNull() || shot.pixelColor(240, 10) != QColor(130, 130, 130))
            return false;
        // The backdrop shows in the picture's upper left part.
        for (int y = 46; y < 180; y += 4)
            for (int x = 0; x < 240; x += 4) {
                const QColor c = shot.pixelColor(x, y);
                if (std::abs(c.red() - 93) < 12 && std::abs(c.green() - 192) < 12 && std::abs(c.blue() - 186) < 12)
                    return true;
            }
        return false;
    })) << "the desktop is not painted";
    shot.save(QString::fromStdString(testsupport::screenshotPath("broadcast_preview.png")));

    auto press = [&](int x, int y) {
        auto ev = std::make_shared<SceneMouseEvent>(SceneMouseEvent{0, 0, x, y});
        const char* hit = view->OnMouseDown(ev);
        view->OnMouseUp(ev);
        return hit ? std::string(hit) : std::string("(none)");
    };
    EXPECT_EQ(kDesktop, press(240, 180));
    EXPECT_EQ("(none)", press(240, 10));  // the grey bar
    ASSERT_TRUE(e.waitFor(std::string("unselect:") + kDesktop));
    EXPECT_EQ(1, e.observer.log.count(std::string("select:") + kDesktop));
    scenes->DestroyView(view);
}

TEST(BroadcastE2E, RecordingsInEveryFormatPlayToTheirEnd)
{
    testsupport::TempDir dir;
    Engine e(Broadcast::kSourceDesktop, kDesktop);
    e.engine->SetRecordPath(dir.path().c_str());
    EXPECT_FALSE(e.engine->SetRecordFormat("avi"));
    int recordings = 0;
    for (const char* format : {"flv", "mp4", "mkv", "ts"}) {
        ASSERT_TRUE(e.engine->SetRecordFormat(format));
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(e.engine->StartRecording()) << format;
        const std::string file = e.engine->GetRecordPath();
        ASSERT_TRUE(e.waitFor("recording", ++recordings)) << format;
        EXPECT_FALSE(e.engine->StartRecording()) << "a second recording at once";
        QThread::msleep(3000);
        e.engine->StopRecording();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        ASSERT_TRUE(e.waitFor("stopRecord:0", recordings)) << format << " " << e.observer.log.text();
        EXPECT_EQ(dir.path(), e.engine->GetRecordPath());
        EXPECT_EQ("." + std::string(format), file.substr(file.rfind('.'))) << file;
        const double duration = ffprobeDuration(file);
        EXPECT_NEAR(seconds, duration, 1.0) << format;
        const ProbeResult r = probe(file, 10000);
        EXPECT_NEAR(seconds * 1000, double(r.lastMs), 1000.0) << format;
        EXPECT_NE(nullptr, r.find("h264")) << format;
        EXPECT_NE(nullptr, r.find("aac")) << format;
        if (std::string(format) == "mp4") {
            EXPECT_FALSE(fileContains(file, "moof")) << "a cleanly stopped mp4 is a regular one";
        }
        QThread::msleep(1100);  // file names are made of the second
    }
    // A folder that does not exist: the recording fails at once.
    e.engine->SetRecordPath((dir.path() + "/missing").c_str());
    EXPECT_FALSE(e.engine->StartRecording());
    ASSERT_TRUE(e.waitFor("stopRecord:-1"));
}

// Run as a child by the next test: records until it is killed.
TEST(BroadcastChild, RecordsUntilKilled)
{
    const char* dir = std::getenv("VELTORA_BROADCAST_RECORD_DIR");
    if (!dir)
        GTEST_SKIP() << "runs only as the child of KilledMp4RecordingStaysPlayable";
    Engine e(Broadcast::kSourceDesktop, kDesktop);
    e.engine->SetRecordPath(dir);
    e.engine->SetRecordFormat("mp4");
    ASSERT_TRUE(e.engine->StartRecording());
    QThread::sleep(120);
}

TEST(BroadcastE2E, AKilledMp4RecordingStaysPlayable)
{
    testsupport::TempDir dir;
    char exe[4096] = {0};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    int pid = fork();
    if (pid == 0) {
        testsupport::prepareChild(true);
        setenv("VELTORA_BROADCAST_RECORD_DIR", dir.path().c_str(), 1);
        execl(exe, exe, "--gtest_filter=BroadcastChild.RecordsUntilKilled", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    std::string file;
    const bool appeared = waitUntil([&] {
        if (DIR* d = opendir(dir.path().c_str())) {
            while (dirent* ent = readdir(d))
                if (std::string(ent->d_name).find(".mp4") != std::string::npos)
                    file = dir.path() + "/" + ent->d_name;
            closedir(d);
        }
        return !file.empty();
    }, 20000);
    if (!appeared)
        testsupport::stopChild(pid, 100);
    ASSERT_TRUE(appeared);
    QThread::sleep(20);  // the recording runs for 20 s
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const ProbeResult r = probe(file, 20000);
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_NE(nullptr, r.find("h264"));
    EXPECT_GE(r.lastMs, 18000) << "the recording lost more than its last seconds";
}

TEST(BroadcastE2E, PublishingStopsWithTheCodeOfItsFailure)
{
    // Not an RTMP address: -1 at once.
    {
        Engine e(Broadcast::kSourceDesktop, kDesktop);
        EXPECT_FALSE(e.engine->StartStreaming("http://127.0.0.1/live", "k"));
        ASSERT_TRUE(e.waitFor("stopPublish:-1"));
    }
    // A port nobody listens on: -2.
    {
        auto closed = startNginx();
        const std::string server = serverOf(*closed);
        closed->stop();
        Engine e(Broadcast::kSourceDesktop, kDesktop);
        ASSERT_TRUE(e.engine->StartStreaming(server.c_str(), "k"));
        ASSERT_TRUE(e.waitFor("stopPublish:-2")) << e.observer.log.text();
        EXPECT_EQ(0, e.observer.log.count("published"));
    }
    // A stream key the server refuses: -3.
    {
        testsupport::HttpFixture auth;
        auth.server().Post("/publish", [](const httplib::Request& req, httplib::Response& res) {
            res.status = req.get_param_value("name") == "refused" ? 403 : 200;
        });
        ASSERT_TRUE(auth.start());
        auto guarded = startNginx("      on_publish " + auth.url("/publish") + ";");
        Engine e(Broadcast::kSourceDesktop, kDesktop);
        ASSERT_TRUE(e.engine->StartStreaming(serverOf(*guarded).c_str(), "refused"));
        ASSERT_TRUE(e.waitFor("stopPublish:-3")) << e.observer.log.text();
    }
    // The server goes away while publishing: reconnection, then -5.
    {
        auto nginx = startNginx();
        Engine e(Broadcast::kSourceDesktop, kDesktop);
        ASSERT_TRUE(e.engine->StartStreaming(serverOf(*nginx).c_str(), "gone"));
        ASSERT_TRUE(e.waitFor("published")) << e.observer.log.text();
        nginx->stop();
        ASSERT_TRUE(e.waitFor("stopPublish:-5", 1, 40000)) << e.observer.log.text();
        EXPECT_EQ(1, e.observer.log.count("reconnect"));
        std::lock_guard<std::mutex> lock(e.observer.m_lock);
        EXPECT_FALSE(e.observer.lastPublishText.empty());
    }
}

TEST(BroadcastE2E, AReconnectedStreamIsReported)
{
    auto nginx = startNginx();
    Engine e(Broadcast::kSourceDesktop, kDesktop);
    ASSERT_TRUE(e.engine->StartStreaming(serverOf(*nginx).c_str(), "again"));
    ASSERT_TRUE(e.waitFor("published")) << e.observer.log.text();
    nginx->stop();
    ASSERT_TRUE(e.waitFor("reconnect", 1, 20000)) << e.observer.log.text();
    ASSERT_TRUE(nginx->start()) << nginx->error();
    ASSERT_TRUE(e.waitFor("reconnected", 1, 20000)) << e.observer.log.text();
    EXPECT_EQ(1, e.observer.log.count("published")) << "a reconnection is not a new start";
    EXPECT_EQ(0, e.observer.log.count("stopPublish:-5"));
    const ProbeResult r = probe(nginx->rtmpUrl("again"), 2000);
    EXPECT_GT(r.videoPackets, 5) << "the stream goes on after the reconnection";
    e.engine->StopStreaming(0);
    ASSERT_TRUE(e.waitFor("stopPublish:0"));
}

TEST(BroadcastE2E, AnEngineWithoutObserverPublishesAndStops)
{
    auto nginx = startNginx();
    IBroadcastEngine* engine = IBroadcastEngine::create(nullptr);
    ASSERT_NE(nullptr, engine);
    engine->Start();
    auto scenes = engine->GetScenes();
    scenes->AddScene(kScene);
    scenes->SelectScene(kScene);
    engine->AddSource(Broadcast::kSourceMulAudioInput, "audio_mulinput_device", kScene);
    ASSERT_TRUE(engine->StartStreaming(serverOf(*nginx).c_str(), "quiet"));
    // Connected: the engine's start report has nobody to go to.
    const ProbeResult r = probe(nginx->rtmpUrl("quiet"), 2000);
    EXPECT_GT(r.videoPackets, 5) << r.error;
    engine->StopStreaming(0);
    EXPECT_FALSE(engine->StartStreaming("http://127.0.0.1/live", "k")) << "refused, reported to nobody";
    engine->Stop();
    IBroadcastEngine::release(engine);
}
