// bench_player [--runs N] [--seconds S] [--gop FRAMES] [--no-ffplay]
//
// Starts a private nginx-rtmp and publishes a 1280x720 25 fps test picture
// with a tone (key frame every --gop frames) with the ffmpeg CLI, then on the
// same stream:
//  1. the own player: play() to the first rendered picture, N runs (median),
//     each started at a random moment of the key-frame interval;
//     a run without any picture within 15 s counts as a dropped video;
//  2. the ffmpeg CLI: launch to its first decoded frame (-frames:v 1), N runs;
//  3. the own player playing S seconds: CPU seconds and resident memory;
//  4. ffplay playing S seconds (needs a display; run under xvfb-run): the same.
//
// bench_player --av-offset [--seconds S]: plays a stream that flashes white
// and beeps at the start of every second; pictures are timed when they reach
// the frame callback, sound when SDL's disk driver writes it (the device
// pace); prints the median and the largest picture-to-sound offset.
#include "media/IRtmpPlayer.h"
#include "bench/player/BenchProcess.h"
#include "NginxFixture.h"
#include "TestPaths.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <random>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using benchplayer::median;
using benchplayer::processCpu;
using benchplayer::residentMb;
using benchplayer::spawn;
using Clock = std::chrono::steady_clock;

struct Usage {
    double cpu = 0;
    double rssStart = 0;
    double rssMax = 0;
    double rssEnd = 0;
};

Usage sample(int pid, int seconds, const std::function<void()>& tick = {})
{
    Usage u;
    const double cpu0 = processCpu(pid);
    for (int s = 0; s < seconds * 10; ++s) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (tick)
            tick();
        if (s % 10 == 9) {
            const double rss = residentMb(pid);
            if (u.rssStart == 0)
                u.rssStart = rss;
            u.rssMax = std::max(u.rssMax, rss);
            u.rssEnd = rss;
        }
    }
    u.cpu = processCpu(pid) - cpu0;
    return u;
}

std::vector<double> pairOffsets(const std::vector<double>& flashes, const std::vector<double>& beeps)
{
    std::vector<double> offsets;
    for (double f : flashes) {
        double best = 1e9;
        for (double b : beeps)
            if (std::fabs(b - f) < std::fabs(best))
                best = b - f;
        if (std::fabs(best) < 0.5)
            offsets.push_back(best * 1000.0);
    }
    return offsets;
}

int avOffset(const std::string& url, int seconds)
{
    const std::string audioFile = "/tmp/bench_player_av_" + std::to_string(getpid()) + ".raw";
    unlink(audioFile.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audioFile.c_str(), 1);
    const int publisher = spawn(
        {"ffmpeg", "-hide_banner", "-re", "-f", "lavfi", "-i",
         "color=c=black:s=320x240:r=25,drawbox=c=white:t=fill:enable='lt(mod(t,1),0.08)'", "-re", "-f", "lavfi",
         "-i", "sine=f=1000:r=48000,volume=volume='if(lt(mod(t,1),0.08),1,0)':eval=frame", "-c:v", "libx264",
         "-preset", "ultrafast", "-tune", "zerolatency", "-g", "25", "-pix_fmt", "yuv420p", "-c:a", "aac", "-f",
         "flv", url});
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto t0 = Clock::now();
    auto since = [&] { return std::chrono::duration<double>(Clock::now() - t0).count(); };
    std::mutex lock;
    std::vector<double> flashes, beeps;
    bool bright = false;
    auto player = createRtmpPlayer();
    player->setVideoFrameCallback([&](void* pixels, int width, int height) {
        const auto* p = static_cast<const uint8_t*>(pixels) + (size_t(height / 2) * width + width / 2) * 4;
        const bool now = p[0] > 128 && p[1] > 128 && p[2] > 128;
        if (now && !bright) {
            std::lock_guard<std::mutex> l(lock);
            flashes.push_back(since());
        }
        bright = now;
    });
    player->play(url, [](bool, int) {});
    // Follow what SDL writes: a beep starts where sound follows silence.
    size_t readBytes = 0;
    int quiet = 0;
    while (since() < seconds) {
        std::ifstream in(audioFile, std::ios::binary);
        in.seekg(0, std::ios::end);
        const size_t size = size_t(in.tellg() > 0 ? size_t(in.tellg()) : 0);
        if (size > readBytes + 1) {
            const double seen = since();
            std::vector<int16_t> samples((size - readBytes) / 2);
            in.seekg(std::streamoff(readBytes));
            in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
            for (size_t i = 0; i < samples.size(); ++i) {
                if (std::abs(int(samples[i])) > 3000) {
                    if (quiet > 4410)
                        beeps.push_back(seen + double(i) / 44100.0);
                    quiet = 0;
                } else {
                    ++quiet;
                }
            }
            readBytes += samples.size() * 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    player.reset();
    QThreadPool::globalInstance()->waitForDone();
    kill(publisher, SIGTERM);
    waitpid(publisher, nullptr, 0);
    unlink(audioFile.c_str());
    std::vector<double> offsets;
    {
        std::lock_guard<std::mutex> l(lock);
        offsets = pairOffsets(flashes, beeps);
    }
    double worst = 0;
    printf("offsets in ms, in order:");
    for (double o : offsets) {
        worst = std::max(worst, std::fabs(o));
        printf(" %.0f", o);
    }
    printf("\n");
    printf("audio/video offset (sound minus picture): median %.0f ms, largest %.0f ms over %zu flashes (%zu beeps)\n",
           median(offsets), worst, offsets.size(), beeps.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    int runs = 10, seconds = 60, gop = 25;
    bool ffplay = true;
    bool avMode = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (a == "--gop" && i + 1 < argc)
            gop = std::atoi(argv[++i]);
        else if (a == "--no-ffplay")
            ffplay = false;
        else if (a == "--av-offset")
            avMode = true;
    }
    if (!getenv("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "dummy", 1);

    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    testsupport::NginxFixture nginx(options);
    if (!nginx.start()) {
        fprintf(stderr, "nginx: %s\n", nginx.error().c_str());
        return 1;
    }
    const std::string url = nginx.rtmpUrl("bench");
    const double baselineMb = residentMb(getpid());
    if (avMode)
        return avOffset(url, seconds);
    const int publisher = spawn({"ffmpeg", "-hide_banner", "-re", "-f", "lavfi", "-i",
                                 "testsrc2=size=1280x720:rate=25", "-f", "lavfi", "-i",
                                 "sine=frequency=1000:sample_rate=48000", "-c:v", "libx264", "-preset", "ultrafast",
                                 "-tune", "zerolatency", "-g", std::to_string(gop), "-pix_fmt", "yuv420p", "-c:a",
                                 "aac", "-f", "flv", url});
    std::this_thread::sleep_for(std::chrono::seconds(3));

    // A user presses play at any moment of the key-frame interval. Runs
    // back to back would all start just after a key frame (each ends at its
    // first picture) and so measure the whole interval every time: each run
    // starts after a random pause within one interval instead (fixed seed,
    // the same pauses for both players).
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> phaseMs(0, gop * 40);
    auto randomPhase = [&] { std::this_thread::sleep_for(std::chrono::milliseconds(phaseMs(rng))); };

    // 1. The own player.
    std::vector<double> ownFirst;
    int dropped = 0;
    for (int r = 0; r < runs; ++r) {
        randomPhase();
        std::atomic<int64_t> firstUs{-1};
        const auto start = Clock::now();
        auto player = createRtmpPlayer();
        player->setVideoFrameCallback([&](void*, int, int) {
            int64_t expected = -1;
            firstUs.compare_exchange_strong(
                expected, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
        });
        player->play(url, [](bool, int) {});
        while (firstUs.load() < 0 && Clock::now() - start < std::chrono::seconds(15))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (firstUs.load() < 0)
            ++dropped;
        else
            ownFirst.push_back(firstUs.load() / 1000.0);
        player.reset();
        QThreadPool::globalInstance()->waitForDone();
    }

    // 2. The ffmpeg CLI.
    std::vector<double> cliFirst;
    int cliDropped = 0;
    rng.seed(20261210);
    for (int r = 0; r < runs; ++r) {
        randomPhase();
        const auto start = Clock::now();
        const int pid = spawn({"ffmpeg", "-hide_banner", "-i", url, "-frames:v", "1", "-f", "null", "-"});
        int status = 0;
        bool done = false;
        while (!done && Clock::now() - start < std::chrono::seconds(20)) {
            done = waitpid(pid, &status, WNOHANG) == pid;
            if (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (!done) {
            // No video within 20 s (it decided on the streams without it).
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ++cliDropped;
            continue;
        }
        cliFirst.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    // 3. The own player for a while.
    Usage own;
    double ownPeak = 0;  // the process's high-water mark after playing
    {
        auto player = createRtmpPlayer();
        std::atomic<int> frames{0};
        player->setVideoFrameCallback([&](void*, int, int) { frames.fetch_add(1); });
        player->play(url, [](bool, int) {});
        own = sample(getpid(), seconds);
        ownPeak = benchplayer::peakResidentMb(getpid());
        printf("own player rendered %d pictures in %d s\n", frames.load(), seconds);
        player.reset();
        QThreadPool::globalInstance()->waitForDone();
    }

    // 4. ffplay for a while.
    Usage ref;
    bool ffplayRan = false;
    if (ffplay && getenv("DISPLAY")) {
        const int pid = spawn({"ffplay", "-hide_banner", "-loglevel", "error", url});
        ref = sample(pid, seconds);
        ffplayRan = true;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    kill(publisher, SIGTERM);
    waitpid(publisher, nullptr, 0);

    printf("\nstream: 1280x720 25 fps, key frame every %d frames, loopback nginx-rtmp\n", gop);
    printf("first picture, own player : median %.0f ms over %zu runs (video dropped in %d of %d runs)\n",
           median(ownFirst), ownFirst.size(), dropped, runs);
    printf("first frame, ffmpeg CLI   : median %.0f ms over %zu runs (no video within 20 s in %d of %d runs)\n",
           median(cliFirst), cliFirst.size(), cliDropped, runs);
    printf("bench process before any play: RSS %.0f MB\n", baselineMb);
    printf("own player, %d s          : CPU %.1f s (%.0f%% of a core), RSS start %.0f MB max %.0f MB end %.0f MB, "
           "peak (VmHWM) %.0f MB\n",
           seconds, own.cpu, 100 * own.cpu / seconds, own.rssStart, own.rssMax, own.rssEnd, ownPeak);
    if (ffplayRan)
        printf("ffplay, %d s              : CPU %.1f s (%.0f%% of a core), RSS start %.0f MB max %.0f MB end %.0f MB\n",
               seconds, ref.cpu, 100 * ref.cpu / seconds, ref.rssStart, ref.rssMax, ref.rssEnd);
    else
        printf("ffplay                    : not run (no DISPLAY; use run_player_bench.sh)\n");
    return 0;
}
