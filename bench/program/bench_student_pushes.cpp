// Four students' cameras published the way the demo class's simulated
// students publish them (the push library, 320 x 240, no microphone of
// their own, 48 kHz mono), for a number of seconds; prints the CPU seconds
// they took. run_room_bench.sh takes this off the program's own figure.
//   bench_student_pushes <rtmp base "rtmp://host:port/app/"> <seconds>
#include "libs/rtmppush/RTMPHoster.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class Quiet : public RTMPHosterEvent {
public:
    void OnRtmpStreamOK() override { ok = true; }
    void OnRtmpStreamReconnecting(int) override {}
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int) override {}
    void OnRtmpStreamClosed() override {}
    void OnAudioData(uint8_t*, int, int, int, int, bool) override {}
    void OnRtmpLog(const char*, int) override {}
    std::atomic<bool> ok{false};  // written on the library's threads
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <rtmp base> <seconds>\n", argv[0]);
        return 2;
    }
    const std::string base = argv[1];
    const int seconds = std::max(1, std::atoi(argv[2]));
    std::vector<std::unique_ptr<Quiet>> events;
    std::vector<RTMPHoster*> hosters;
    for (int i = 0; i < 4; ++i) {
        events.push_back(std::make_unique<Quiet>());
        RTMPHoster* h = RTMPHoster::Create(*events.back());
        if (!h) {
            std::fprintf(stderr, "no push could be made\n");
            return 1;
        }
        h->SetVideoMode(0);
        h->SetMicCapture(false);
        h->SetAudioFormat(48000, 1, false);
        if (h->StartRtmpStream((base + "bench_student" + std::to_string(i)).c_str()) != RTMPHOSTER_OK) {
            std::fprintf(stderr, "student %d cannot publish to %s\n", i, base.c_str());
            RTMPHoster::Destory(h);
            return 1;
        }
        hosters.push_back(h);
    }
    // Counted from the moment all four publish, as in the room.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (auto& e : events)
        while (!e->ok && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double cpu0 = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = cpuSeconds() - cpu0;
    for (RTMPHoster* h : hosters)
        RTMPHoster::Destory(h);
    std::printf("%.3f\n", cpu);
    return 0;
}
