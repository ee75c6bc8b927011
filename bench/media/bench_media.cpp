// Benchmarks of the push library and the broadcast engine (see run_media_bench.sh).
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/mediacore/AvPtr.h"
#include "libs/mediacore/SeiStamp.h"
#include "libs/rtmppush/RTMPHoster.h"

#include "NginxFixture.h"
#include "TempDir.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds(const rusage& u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double selfCpu()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return cpuSeconds(u);
}

long rssKbOf(const std::string& statusFile)
{
    std::ifstream in(statusFile);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

long rssKb()
{
    return rssKbOf("/proc/self/status");
}

// What malloc has handed out and not had back, in kB: against the resident
// size it tells live allocations from memory the allocator keeps.
long heapInUseKb()
{
    const struct mallinfo2 m = mallinfo2();
    return long((m.uordblks + m.hblkhd) / 1024);
}

pid_t startFfmpeg(const std::vector<std::string>& args)
{
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>("ffmpeg"), const_cast<char*>("-loglevel"),
                                const_cast<char*>("error"), const_cast<char*>("-y")};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    return pid;
}

// Stops the ffmpeg CLI and returns its CPU seconds.
double stopFfmpeg(pid_t pid)
{
    if (pid <= 0)
        return 0;
    kill(pid, SIGINT);
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    return cpuSeconds(u);
}

// Runs the ffmpeg CLI for seconds and returns its CPU seconds.
double ffmpegCpu(const std::vector<std::string>& args, int seconds)
{
    const pid_t pid = startFfmpeg(args);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return stopFfmpeg(pid);
}

// Memory samples of one process: seconds since the start, kB.
struct MemorySeries {
    std::vector<double> at;
    std::vector<long> kb;
    void add(double seconds, long value)
    {
        at.push_back(seconds);
        kb.push_back(value);
    }
};

// Start (the first sample after warm-up), end, peak and the slope of a
// least-squares line through the samples after warm-up.
void memoryLine(const char* what, const MemorySeries& s, double warmUpSeconds)
{
    size_t first = 0;
    while (first < s.at.size() && s.at[first] < warmUpSeconds)
        ++first;
    if (s.at.size() - first < 3) {
        std::printf("%-44s too few samples\n", what);
        return;
    }
    const double n = double(s.at.size() - first);
    double mt = 0, mk = 0;
    long peak = 0;
    for (size_t i = first; i < s.at.size(); ++i) {
        mt += s.at[i] / n;
        mk += double(s.kb[i]) / n;
        peak = std::max(peak, s.kb[i]);
    }
    double num = 0, den = 0;
    for (size_t i = first; i < s.at.size(); ++i) {
        num += (s.at[i] - mt) * (double(s.kb[i]) - mk);
        den += (s.at[i] - mt) * (s.at[i] - mt);
    }
    const long start = s.kb[first], end = s.kb.back();
    std::printf("%-44s start %ld kB (at %.0f s), end %ld kB (%+.1f%%), peak %ld kB, slope %+.2f kB/s\n", what,
                start, s.at[first], end, 100.0 * double(end - start) / double(std::max(start, 1L)), peak,
                den > 0 ? num / den : 0.0);
}

class PushEvents : public RTMPHosterEvent {
public:
    void OnRtmpStreamOK() override { ok++; }
    void OnRtmpStreamReconnecting(int) override {}
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int) override {}
    void OnRtmpStreamClosed() override {}
    void OnAudioData(uint8_t*, int, int, int, int, bool) override {}
    void OnRtmpLog(const char*, int) override {}
    std::atomic<int> ok{0};
};

// Reads the stream as a player and measures now - stamp on every key frame.
void glassToGlass(const std::string& url, int seconds, double* avgMs, double* maxMs)
{
    AVFormatContext* ctx = nullptr;
    *avgMs = *maxMs = -1;
    if (avformat_open_input(&ctx, url.c_str(), nullptr, nullptr) < 0)
        return;
    AVPacket* pkt = av_packet_alloc();
    double sum = 0;
    int n = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end && av_read_frame(ctx, pkt) >= 0) {
        const int64_t stamp = mediacore::readSeiStamp(pkt->data, size_t(pkt->size));
        if (stamp > 0 && n++ > 0) {  // the first key frame waited in the server's cache
            const double d = double(mediacore::epochMs() - stamp);
            sum += d;
            *maxMs = std::max(*maxMs, d);
        }
        av_packet_unref(pkt);
    }
    if (n > 1)
        *avgMs = sum / (n - 1);
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
}

testsupport::NginxFixture::Options rtmpOnly()
{
    testsupport::NginxFixture::Options options;
    options.http = false;
    options.rtmp = true;
    return options;
}

void benchPush(int seconds)
{
    testsupport::NginxFixture nginx(rtmpOnly());
    if (!nginx.start()) {
        std::printf("nginx: %s\n", nginx.error().c_str());
        return;
    }
    // Start to first OK, a few times.
    double startSum = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        PushEvents events;
        RTMPHoster* h = RTMPHoster::Create(events);
        const std::string url = nginx.rtmpUrl("start" + std::to_string(i));
        const auto t0 = Clock::now();
        h->StartRtmpStream(url.c_str());
        while (events.ok == 0 && Clock::now() - t0 < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        startSum += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        RTMPHoster::Destory(h);
    }
    std::printf("%-44s %8.1f ms (target < 1000)\n", "push start to first OK event", startSum / runs);

    // CPU and memory over the run, delay measured by a player meanwhile.
    PushEvents events;
    RTMPHoster* h = RTMPHoster::Create(events);
    h->SetVideoMode(1);
    const std::string url = nginx.rtmpUrl("bench");
    const double cpu0 = selfCpu();
    h->StartRtmpStream(url.c_str());
    MemorySeries rss;
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        const auto t0 = Clock::now();
        while (!done) {
            rss.add(std::chrono::duration<double>(Clock::now() - t0).count(), rssKb());
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });
    double avg = 0, max = 0;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    glassToGlass(url, seconds - 1, &avg, &max);
    const double libCpu = selfCpu() - cpu0;
    done = true;
    sampler.join();
    RTMPHoster::Destory(h);
    std::printf("%-44s %8.1f ms average, %.1f ms max (target < 1000)\n", "glass-to-glass delay (key-frame stamps)",
                avg, max);
    const double cliCpu = ffmpegCpu({"-re", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=15", "-re", "-f", "lavfi",
                                     "-i", "anullsrc=r=48000:cl=mono", "-c:v", "libx264", "-preset", "veryfast",
                                     "-tune", "zerolatency", "-b:v", "600k", "-maxrate", "600k", "-bufsize", "600k",
                                     "-g", "15", "-c:a", "aac", "-b:a", "64k", "-f", "flv", nginx.rtmpUrl("cli")},
                                    seconds);
    std::printf("%-44s %8.2f s library, %.2f s ffmpeg CLI: %.2fx (target <= 1.05x)\n", "push CPU, 640x480@15",
                libCpu, cliCpu, cliCpu > 0 ? libCpu / cliCpu : 0);
    memoryLine("push memory", rss, seconds / 5.0);
}

class QuietObserver : public IBroadcastEngineObserver {
public:
    void OnActivateAudioSource(const char*) override {}
    void OnDeactivateAudioSource(const char*) override {}
    void OnAudioVolume(const char*, float, float, float) override {}
    void OnSourceSelectionChange(const char*, bool) override {}
    void OnSceneInitialled() override {}
    void OnOutputSizeChange(int, int) override {}
    void OnPublishStatistics(int, int) override {}
    void OnRecordStatistics(int, int) override {}
    void OnStartPublishSuccess() override {}
    void OnStopPublish(int, const char*) override {}
    void OnReconnectStream() override {}
    void OnReconnectStreamSuccess() override {}
    void OnStartRecordSuccess() override {}
    void OnStopRecord(int, const char*) override {}
};

// The ffmpeg CLI doing the engine's work: the desktop with a test picture
// over its lower right corner at 15 fps, scaled bilinear as the engine
// scales, encoded as the engine encodes (x264
// veryfast/zerolatency, a forced IDR frame each second and none in between,
// constant bit rate, YUV 4:2:0; AAC 96 kbit/s, 48 kHz mono) and sent both
// to the RTMP server and into a fragmented MP4 file.
std::vector<std::string> referenceArgs(int kbps, const std::string& rtmpUrl, const std::string& file)
{
    const char* display = std::getenv("DISPLAY");
    const std::string rate = std::to_string(kbps) + "k";
    return {"-f", "x11grab", "-framerate", "15", "-i", display ? display : ":0", "-re", "-f", "lavfi", "-i",
            "testsrc=size=1280x720:rate=15", "-f", "lavfi", "-i", "anullsrc=r=48000:cl=mono", "-filter_complex",
            "sws_flags=bilinear;[0:v]scale=1920:1080:force_original_aspect_ratio=decrease:flags=bilinear,"
            "pad=1920:1080:-1:-1[desk];[1:v]scale=640:360:flags=bilinear[cam];"
            "[desk][cam]overlay=1280:720:shortest=1,format=yuv420p[v]",
            "-map", "[v]", "-map", "2:a", "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency",
            "-pix_fmt", "yuv420p", "-bf", "0", "-b:v", rate, "-maxrate", rate, "-bufsize", rate, "-g", "31",
            "-x264-params", "scenecut=0", "-forced-idr", "1", "-force_key_frames", "expr:gte(t,n_forced)",
            "-c:a", "aac", "-b:a", "96k", "-ar", "48000", "-ac", "1", "-f", "tee",
            "[f=flv]" + rtmpUrl + "|[f=mp4:movflags=frag_keyframe+empty_moov+default_base_moof]" + file};
}

// The teacher's desktop with a camera over its lower right corner, published
// and recorded at 1080p (the camera here is the engine's generated picture,
// as on a machine without one; the CLI's is its test source of the same
// size). CPU: the engine, then the CLI, each for seconds. Memory (memory):
// both at once, their resident sizes sampled every five seconds.
void benchBroadcast(int seconds, bool withCli, bool memory)
{
    constexpr int kKbps = 2048;
    testsupport::NginxFixture nginx(rtmpOnly());
    if (!nginx.start()) {
        std::printf("nginx: %s\n", nginx.error().c_str());
        return;
    }
    testsupport::TempDir dir;
    QuietObserver observer;
    IBroadcastEngine* e = IBroadcastEngine::create(&observer);
    e->Start();
    auto scenes = e->GetScenes();
    scenes->AddScene("default_scene");
    scenes->SelectScene("default_scene");
    e->SetVideoOutput(1920, 1080, kKbps);
    e->AddSource(Broadcast::kSourceAudioInput, "standard_audio_input_device", "default_scene");
    e->AddSource(Broadcast::kSourceDesktop, "desktop", "default_scene");
    e->AddSource(Broadcast::kSourceCamera, "camera", "default_scene");
    e->SetSourceOrder("camera", 20);
    e->SetSourceRect("camera", SceneRect{1280, 720, 640, 360});
    e->SetRecordPath(dir.path().c_str());
    e->SetRecordFormat("mp4");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto reference = referenceArgs(kKbps, nginx.rtmpUrl("cli"), dir.path() + "/cli.mp4");
    const double cpu0 = selfCpu();
    e->StartStreaming(nginx.rtmpUrl("").c_str(), "desk");
    e->StartRecording();
    const pid_t cli = memory && withCli ? startFfmpeg(reference) : 0;
    const std::string cliStatus = "/proc/" + std::to_string(cli) + "/status";
    MemorySeries engineRss, engineHeap, cliRss;
    const int every = memory ? 5 : 1;
    const auto t0 = Clock::now();
    for (int i = 0; i <= seconds; i += every) {
        const double at = std::chrono::duration<double>(Clock::now() - t0).count();
        engineRss.add(at, rssKb());
        engineHeap.add(at, heapInUseKb());
        if (cli > 0)
            cliRss.add(at, rssKbOf(cliStatus));
        std::this_thread::sleep_until(t0 + std::chrono::seconds(i + every));
    }
    const double libCpu = selfCpu() - cpu0;
    const double warmUp = std::min(30.0, seconds / 5.0);
    e->Stop();
    IBroadcastEngine::release(e);
    if (memory) {
        stopFfmpeg(cli);
        memoryLine("broadcast engine resident memory", engineRss, warmUp);
        memoryLine("broadcast engine heap in use", engineHeap, warmUp);
        if (cli > 0)
            memoryLine("ffmpeg CLI resident memory", cliRss, warmUp);
        return;
    }
    memoryLine("broadcast memory", engineRss, warmUp);
    if (!withCli) {
        std::printf("%-44s %8.2f s library\n", "1080p desktop + camera publish + record CPU", libCpu);
        return;
    }
    const double cliCpu = ffmpegCpu(reference, seconds);
    std::printf("%-44s %8.2f s library, %.2f s ffmpeg CLI: %.2fx (target <= 0.8x)\n",
                "1080p desktop + camera publish + record CPU", libCpu, cliCpu, cliCpu > 0 ? libCpu / cliCpu : 0);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = "all";
    int seconds = 20;
    bool withCli = true;
    bool memory = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::max(5, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--engine-only"))
            withCli = false;
        else if (!std::strcmp(argv[i], "--memory"))
            memory = true;
        else
            mode = argv[i];
    }
    av_log_set_level(AV_LOG_ERROR);
    if (mode == "push" || mode == "all")
        benchPush(seconds);
    if (mode == "broadcast" || mode == "all")
        benchBroadcast(seconds, withCli, memory);
    return 0;
}
