// bench_player_screen [--seconds S] [--no-ffplay] [--hd]
//
// Measures the own player and ffplay from outside, the way a viewer sees and
// hears them: a private nginx-rtmp carries a 640x360 25 fps stream whose
// pictures carry their frame number as a row of black and white blocks and
// flash white with a beep at the start of every second (--hd: 1280x720). Each player in turn
// shows it in a window at the screen's top left and plays its sound into a
// private PulseAudio null sink; the ffmpeg CLI records the screen (x11grab)
// and the sink's monitor together, both stamped with the wall clock. The
// recording then gives, for each player:
//   - pictures shown per second (distinct frame numbers on screen),
//   - the A/V offset (beep onset minus flash onset, positive: sound late),
//   - the time from the start of play to the first picture on screen,
// and, sampled while it plays, the player process's CPU and peak memory.
// Run it under a virtual X display: bench/player/run_player_bench.sh with
// --screen.
#include "app/StartupChecks.h"
#include "media/OwnRtmpLivePlayer.h"
#include "media/VideoRenderWidget.h"
#include "bench/player/BenchProcess.h"
#include "NginxFixture.h"
#include "PulseFixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QPalette>
#include <QThreadPool>
#include <QTimer>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace {

using benchplayer::median;
using benchplayer::peakResidentMb;
using benchplayer::processCpu;
using benchplayer::residentMb;
using benchplayer::spawn;

int kWidth = 640;   // --hd: 1280x720
int kHeight = 360;
constexpr int kBits = 16;        // frame-number blocks, 40 pixels wide, top 40 rows
constexpr int kGrabScale = 4;    // the recording keeps a quarter of each side
// Only the picture's top rows are recorded: the frame-number strip and, just
// below it, part of the flash; so few pixels can be grabbed often enough that
// a picture's time on screen is known within a few milliseconds.
constexpr int kGrabRows = 48;
constexpr int kGrabFps = 200;

void end(int pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGINT);  // lets the recorder finish its file
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// VmRSS and the peak VmHWM in MB.
void memoryMb(int pid, double* rss, double* peak)
{
    *rss = residentMb(pid);
    *peak = peakResidentMb(pid);
}

struct Result {
    std::string name;
    double firstPicture = NAN;  // seconds from the start of play
    double picturesPerSecond = NAN;
    double startGap = NAN;  // ms, median gap between new pictures over the first second shown
    double startGapMax = NAN;  // ms, the largest of those gaps
    std::vector<double> offsets;  // ms, sound minus picture
    double cpu = 0;               // seconds over the play
    double rssMax = 0;            // MB, sampled while playing
    double peak = 0;              // MB, the process's high-water mark
    int seconds = 0;
};

// What the recording shows: per grabbed picture its time and frame number
// (-1: no player picture), flash onsets and beep onsets, in wall-clock
// seconds.
struct Recording {
    std::vector<std::pair<double, int>> pictures;
    std::vector<double> flashes;
    std::vector<double> beeps;
};

int frameNumber(const uint8_t* gray, int stride)
{
    // Block centres of the top strip; a picture without the strip's frame
    // (the black window before the first picture) reads as -1.
    const int y = 20 / kGrabScale;
    int n = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x = (bit * 40 + 20) / kGrabScale;
        if (gray[y * stride + x] > 128)
            n |= 1 << bit;
    }
    // A real picture has a mid-grey marker block at the right end of the strip.
    const uint8_t marker = gray[y * stride + (kWidth - 20) / kGrabScale];
    return marker > 80 && marker < 176 ? n : -1;
}

bool readRecording(const std::string& file, Recording* rec)
{
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, file.c_str(), nullptr, nullptr) < 0)
        return false;
    avformat_find_stream_info(fmt, nullptr);
    std::vector<AVCodecContext*> codecs(fmt->nb_streams, nullptr);
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(fmt->streams[i]->codecpar->codec_id);
        if (!codec)
            continue;
        codecs[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(codecs[i], fmt->streams[i]->codecpar);
        avcodec_open2(codecs[i], codec, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool bright = false;
    double grabbedBefore = NAN;  // the previous grab's time
    double quietSince = -1;
    while (av_read_frame(fmt, packet) >= 0) {
        AVCodecContext* codec = codecs[packet->stream_index];
        const double tb = av_q2d(fmt->streams[packet->stream_index]->time_base);
        if (codec && avcodec_send_packet(codec, packet) >= 0) {
            while (avcodec_receive_frame(codec, frame) >= 0) {
                const double t = double(frame->best_effort_timestamp) * tb;
                if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
                    // A change seen in this grab happened between the
                    // previous grab and this one: its middle is the estimate.
                    const double at = std::isnan(grabbedBefore) ? t : (grabbedBefore + t) / 2;
                    grabbedBefore = t;
                    const int n = frameNumber(frame->data[0], frame->linesize[0]);
                    rec->pictures.emplace_back(at, n);
                    // The flash, just below the strip.
                    const uint8_t flash =
                        frame->data[0][((kGrabRows - 4) / kGrabScale) * frame->linesize[0] + kWidth / 2 / kGrabScale];
                    const bool now = n >= 0 && flash > 128;
                    if (now && !bright)
                        rec->flashes.push_back(at);
                    bright = now;
                } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO && frame->format == AV_SAMPLE_FMT_S16) {
                    const int channels = frame->ch_layout.nb_channels;
                    const auto* s = reinterpret_cast<const int16_t*>(frame->data[0]);
                    for (int i = 0; i < frame->nb_samples; ++i) {
                        const double at = t + double(i) / frame->sample_rate;
                        if (std::abs(int(s[i * channels])) > 3000) {
                            if (quietSince >= 0 && at - quietSince > 0.3)
                                rec->beeps.push_back(at);
                            quietSince = -1;
                        } else if (quietSince < 0) {
                            quietSince = at;
                        }
                    }
                }
                av_frame_unref(frame);
            }
        }
        av_packet_unref(packet);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext*& c : codecs)
        avcodec_free_context(&c);
    avformat_close_input(&fmt);
    return true;
}

void analyse(const Recording& rec, double playStart, double from, double to, Result* r)
{
    for (const auto& p : rec.pictures) {
        if (p.second >= 0 && p.first >= playStart) {
            r->firstPicture = p.first - playStart;
            break;
        }
    }
    std::vector<double> gaps;
    double changedAt = -1;
    int previous = -2;
    for (const auto& p : rec.pictures) {
        if (p.second < 0 || std::isnan(r->firstPicture) || p.first < playStart + r->firstPicture)
            continue;
        if (p.first > playStart + r->firstPicture + 1.0)
            break;
        if (p.second != previous) {
            if (changedAt >= 0)
                gaps.push_back((p.first - changedAt) * 1000);
            changedAt = p.first;
        }
        previous = p.second;
    }
    r->startGap = median(gaps);
    if (!gaps.empty())
        r->startGapMax = *std::max_element(gaps.begin(), gaps.end());
    int distinct = 0;
    int last = -2;
    for (const auto& p : rec.pictures) {
        if (p.first < from || p.first > to || p.second < 0)
            continue;
        if (p.second != last)
            ++distinct;
        last = p.second;
    }
    r->picturesPerSecond = double(distinct) / (to - from);
    for (double f : rec.flashes) {
        if (f < from || f > to)
            continue;
        double best = 1e9;
        for (double b : rec.beeps)
            if (std::fabs(b - f) < std::fabs(best))
                best = b - f;
        if (std::fabs(best) < 0.5)
            r->offsets.push_back(best * 1000.0);
    }
}

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

double wallSeconds() { return double(av_gettime()) / 1e6; }

// Records the screen's top left and the sink's monitor.
struct Session {
    std::string display;
    std::string file;
    int recorder = 0;

    int soundRecorder = 0;

    // Two recorders, so that neither waits for the other's data (the sink
    // gives nothing while idle); both stamp with the wall clock.
    bool startRecording()
    {
        unlink(file.c_str());
        unlink((file + ".wav").c_str());
        recorder = spawn({"ffmpeg", "-hide_banner", "-y", "-thread_queue_size", "256", "-f", "x11grab", "-framerate",
                          std::to_string(kGrabFps), "-video_size",
                          std::to_string(kWidth) + "x" + std::to_string(kGrabRows), "-i",
                          display + "+0,0", "-copyts", "-vf",
                          "format=gray,scale=" + std::to_string(kWidth / kGrabScale) + ":" +
                              std::to_string(kGrabRows / kGrabScale) + ":flags=neighbor",
                          "-c:v", "rawvideo", "-f", "nut", file},
                         (file + ".log").c_str());
        soundRecorder = spawn({"ffmpeg", "-hide_banner", "-y", "-thread_queue_size", "256", "-f", "pulse",
                               "-fragment_size", "1024", "-i",
                               std::string(testsupport::PulseFixture::kSink) + ".monitor", "-copyts",
                               "-c:a", "pcm_s16le", "-f", "nut", file + ".wav"},
                              (file + ".wav.log").c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return recorder > 0 && soundRecorder > 0;
    }
    void stopRecording()
    {
        end(recorder);
        end(soundRecorder);
    }
    bool read(Recording* rec) { return readRecording(file, rec) && readRecording(file + ".wav", rec); }
};

// Runs the event loop for the given time, calling tick every 100 ms.
void pumpFor(double seconds, const std::function<void()>& tick)
{
    QEventLoop loop;
    QTimer sampler;
    if (tick) {
        QObject::connect(&sampler, &QTimer::timeout, tick);
        sampler.start(100);
    }
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

void report(const Result& r)
{
    double worst = 0;
    for (double o : r.offsets)
        worst = std::max(worst, std::fabs(o));
    printf("%-10s: first picture %.0f ms (then new pictures every %.0f ms, at most %.0f ms apart, over its first second); %.1f pictures/s; A/V offset (sound minus picture) median %+.0f ms, "
           "largest |%.0f| ms over %zu marks; CPU %.0f%% of a core; RSS max %.0f MB, peak (VmHWM) %.0f MB\n",
           r.name.c_str(), r.firstPicture * 1000, r.startGap, r.startGapMax, r.picturesPerSecond, median(r.offsets), worst, r.offsets.size(),
           100 * r.cpu / r.seconds, r.rssMax, r.peak);
    printf("%-10s  offsets in ms:", "");
    for (double o : r.offsets)
        printf(" %.0f", o);
    printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = 30;
    bool ffplay = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (a == "--no-ffplay")
            ffplay = false;
        else if (a == "--hd")
            kWidth = 1280, kHeight = 720;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* display = getenv("DISPLAY");
    if (!display) {
        fprintf(stderr, "needs an X display (run_player_bench.sh --screen)\n");
        return 1;
    }
    testsupport::PulseFixture pulse;
    if (!pulse.start()) {
        fprintf(stderr, "pulseaudio: %s\n", pulse.error().c_str());
        return 1;
    }
    setenv("PULSE_SERVER", pulse.server().c_str(), 1);
    setenv("PULSE_SINK", testsupport::PulseFixture::kSink, 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    // As the program starts: no GL integration (BENCH_GL=1 keeps Qt's default to compare).
    if (!getenv("BENCH_GL"))
        PrepareRasterGraphics();
    QApplication app(argc, argv);

    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    testsupport::NginxFixture nginx(options);
    if (!nginx.start()) {
        fprintf(stderr, "nginx: %s\n", nginx.error().c_str());
        return 1;
    }
    const std::string url = nginx.rtmpUrl("screen");
    // Top strip: the frame number in 16 blocks (bit 0 left), then a grey
    // marker at the right end; below it black, white for the first two
    // frames of a second.
    const std::string picture =
        "color=c=black:s=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
        ":r=25,format=yuv420p,geq=lum='if(lt(Y\\,40)\\,if(gte(X\\," + std::to_string(kWidth - 40) + ")\\,128\\,255*mod(floor(N/pow(2\\,floor(X/"
        "40)))\\,2))\\,if(lt(mod(N\\,25)\\,2)\\,235\\,16))':cb=128:cr=128";
    const int publisher =
        spawn({"ffmpeg", "-hide_banner", "-re", "-f", "lavfi", "-i", picture, "-re", "-f", "lavfi", "-i",
               "sine=f=1000:r=48000,volume=volume='if(lt(mod(t\\,1)\\,0.08)\\,1\\,0)':eval=frame", "-c:v",
               "libx264", "-preset", "ultrafast", "-tune", "zerolatency", "-g", "25", "-pix_fmt", "yuv420p", "-c:a",
               "aac", "-f", "flv", url});
    std::this_thread::sleep_for(std::chrono::seconds(3));

    Session session{display, "/tmp/bench_player_screen_" + std::to_string(getpid()) + ".nut"};
    std::vector<Result> results;

    // The own player in this process.
    {
        Result r;
        r.name = "own";
        r.seconds = seconds;
        QWidget window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.setGeometry(0, 0, kWidth, kHeight);
        // A black window (a style sheet would reach the player's overlay child too).
        QPalette black = window.palette();
        black.setColor(QPalette::Window, Qt::black);
        window.setPalette(black);
        window.setAutoFillBackground(true);
        VideoRenderWidget* video = new VideoRenderWidget;
        video->setParent(&window);
        video->setGeometry(0, 0, kWidth, kHeight);
        PaintCounter paints;
        video->installEventFilter(&paints);
        window.show();
        pumpFor(0.5, {});
        double before = 0, beforePeak = 0;
        memoryMb(getpid(), &before, &beforePeak);
        printf("own player's process before play: RSS %.0f MB\n", before);
        session.startRecording();
        OwnRtmpLivePlayer live;
        RtmpPlayParam param = live.GetPlayParam();
        param.playUrl = QString::fromStdString(url);
        param.renderWidget = video;
        live.SetPlayParam(param);
        const double playStart = wallSeconds();
        const double cpu0 = processCpu(getpid());
        live.StartTask();
        pumpFor(seconds, [&] {
            double rss = 0, peak = 0;
            memoryMb(getpid(), &rss, &peak);
            r.rssMax = std::max(r.rssMax, rss);
        });
        r.cpu = processCpu(getpid()) - cpu0;
        double rss = 0;
        memoryMb(getpid(), &rss, &r.peak);
        if (const char* smaps = getenv("BENCH_SMAPS")) {
            std::ifstream in("/proc/self/smaps");
            std::ofstream out(smaps);
            out << in.rdbuf();
        }
        printf("own player handed %d pictures to the window in %d s; %d paints\n", live.picturesShown(), seconds,
               paints.count);
        live.StopTask();
        window.hide();
        session.stopRecording();
        Recording rec;
        if (session.read(&rec))
            analyse(rec, playStart, playStart + 5, playStart + seconds - 1, &r);
        results.push_back(r);
    }
    QThreadPool::globalInstance()->waitForDone();
    pumpFor(1.0, {});

    if (ffplay) {
        Result r;
        r.name = "ffplay";
        r.seconds = seconds;
        session.startRecording();
        const double playStart = wallSeconds();
        const int pid = spawn({"ffplay", "-hide_banner", "-loglevel", "error", "-noborder", "-left", "0", "-top",
                               "0", "-x", std::to_string(kWidth), "-y", std::to_string(kHeight), url});
        const double until = playStart + seconds;
        double cpu0 = -1;
        while (wallSeconds() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (cpu0 < 0)
                cpu0 = processCpu(pid);
            double rss = 0, peak = 0;
            memoryMb(pid, &rss, &peak);
            r.rssMax = std::max(r.rssMax, rss);
            r.peak = std::max(r.peak, peak);
        }
        r.cpu = processCpu(pid) - cpu0;
        end(pid);
        session.stopRecording();
        Recording rec;
        if (session.read(&rec))
            analyse(rec, playStart, playStart + 5, playStart + seconds - 1, &r);
        results.push_back(r);
    }
    end(publisher);
    if (!getenv("BENCH_KEEP_RECORDING")) {
        unlink(session.file.c_str());
        unlink((session.file + ".wav").c_str());
    }

    printf("\nstream: %dx%d 25 fps with sound, key frame every 25 frames, loopback nginx-rtmp; measured on "
           "screen (x11grab) and at the PulseAudio null sink's monitor, one wall clock; marks counted from 5 s "
           "after the start\n",
           kWidth, kHeight);
    for (const Result& r : results)
        report(r);
    return 0;
}
