// One teacher share and four students' streams played at once, the way the
// room runs them (the room's pusher with the generated camera picture, the
// room's widget players drawing into widgets), against the ffmpeg CLI doing
// the same work (one encoder publishing the same picture size, rate and bit
// rate, four decoders reading the students' streams), on a loopback
// nginx-rtmp. The students themselves are ffmpeg publishers outside both
// sides. Prints CPU seconds and peak resident memory of each side.
//   bench_room_streams [--seconds N]     (default 20)
#include "app/CData.h"
#include "media/AnyCorePusher.h"
#include "media/AvPlayer.h"
#include "media/QAVPlayer.h"
#include "media/QtAVRtmpPlayer.h"
#include "NginxFixture.h"
#include "TempDir.h"
#include "bench/player/BenchProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kStudents = 4;

std::vector<std::string> studentPublisher(const std::string& url, int index)
{
    return {"ffmpeg", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
            "testsrc2=size=320x240:rate=15", "-re", "-f", "lavfi", "-i",
            "sine=frequency=" + std::to_string(300 + 100 * index) + ":sample_rate=48000", "-c:v", "libx264",
            "-preset", "veryfast", "-tune", "zerolatency", "-b:v", "300k", "-g", "15", "-c:a", "aac", "-b:a", "48k",
            "-ac", "1", "-f", "flv", url};
}

void stopAll(std::vector<int>& pids)
{
    for (int pid : pids) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pids.clear();
}

// Runs the event loop (and the session's tick, once a second) for seconds.
void runFor(int seconds)
{
    QElapsedTimer t;
    t.start();
    int tick = 0;
    while (t.elapsed() < seconds * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (t.elapsed() / 1000 > tick)
            emit CData::instance()->sgTimerUpdate(++tick);
        QThread::msleep(5);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::max(5, std::atoi(argv[i + 1]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testsupport::TempHome home;
    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    options.rtmpApp = "video";
    testsupport::NginxFixture nginx(options);
    if (!nginx.start()) {
        std::fprintf(stderr, "nginx: %s\n", nginx.error().c_str());
        return 1;
    }
    CData::instance()->SetLoginVar({"tok", "live", "teacher1", "T", "g1", "3"});
    std::vector<int> students;
    for (int i = 0; i < kStudents; ++i)
        students.push_back(benchplayer::spawn(studentPublisher(nginx.rtmpUrl("student" + std::to_string(i)), i)));
    QThread::sleep(2);

    // The program: the share and four plays.
    const double cpu0 = benchplayer::processCpu(getpid());
    {
        QWidget window;
        window.resize(1280, 480);
        window.show();
        AnyCorePusher pusher;
        RtmpPushParam push = pusher.GetPushParam();
        push.pushUrl = QString::fromStdString(nginx.rtmpUrl("teacher"));
        push.videoMode = 1;
        auto* display = new QWidget(&window);
        display->setGeometry(0, 0, 320, 240);
        push.displayWidget = display;
        pusher.SetPushParam(push);
        pusher.StartTask();
        std::vector<std::unique_ptr<QtAVRtmpPlayer>> players;
        for (int i = 0; i < kStudents; ++i) {
            auto* tile = new QWidget(&window);
            tile->setGeometry(320 * i, 240, 320, 240);
            tile->show();
            players.push_back(std::make_unique<QtAVRtmpPlayer>());
            RtmpPlayParam p = players.back()->GetPlayParam();
            p.playUrl = QString::fromStdString(nginx.rtmpUrl("student" + std::to_string(i)));
            p.renderWidget = tile;
            players.back()->SetPlayParam(p);
            players.back()->StartTask();
        }
        runFor(seconds);
        std::printf("pictures shown by the four players:");
        for (auto& p : players)
            std::printf(" %lld", static_cast<long long>(p->player()->player()->picturesShown()));
        std::printf("; pushing: %s\n", pusher.IsPushing() ? "yes" : "no");
        std::fflush(stdout);  // before the CLI processes are forked
        for (auto& p : players)
            p->StopTask();
        pusher.StopTask();
        runFor(1);
    }
    const double programCpu = benchplayer::processCpu(getpid()) - cpu0;
    const double programMb = benchplayer::peakResidentMb(getpid());

    // The ffmpeg CLI doing the same.
    std::vector<int> cli;
    cli.push_back(benchplayer::spawn({"ffmpeg", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
                                      "testsrc=size=640x480:rate=15", "-re", "-f", "lavfi", "-i",
                                      "anullsrc=r=48000:cl=mono", "-c:v", "libx264", "-preset", "veryfast", "-tune",
                                      "zerolatency", "-b:v", "600k", "-maxrate", "600k", "-bufsize", "600k", "-g",
                                      "15", "-c:a", "aac", "-b:a", "64k", "-f", "flv", nginx.rtmpUrl("cli")}));
    for (int i = 0; i < kStudents; ++i)
        cli.push_back(benchplayer::spawn({"ffmpeg", "-loglevel", "error", "-i",
                                          nginx.rtmpUrl("student" + std::to_string(i)), "-f", "null", "-"}));
    QThread::sleep(unsigned(seconds));
    double cliCpu = 0;
    double cliMb = 0;
    for (int pid : cli) {
        cliCpu += benchplayer::processCpu(pid);
        cliMb += benchplayer::peakResidentMb(pid);
    }
    stopAll(cli);
    stopAll(students);

    std::printf("one share + %d plays, %d s\n", kStudents, seconds);
    std::printf("%-28s %8.2f s program, %.2f s ffmpeg CLI: %.2fx (target <= 1.0x)\n", "CPU", programCpu, cliCpu,
                cliCpu > 0 ? programCpu / cliCpu : 0);
    std::printf("%-28s %8.1f MB program, %.1f MB ffmpeg CLI (sum of 5): %.2fx\n", "peak resident memory", programMb,
                cliMb, cliMb > 0 ? programMb / cliMb : 0);
    return 0;
}
