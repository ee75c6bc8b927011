// Download throughput of the download worker against `curl -o`, from a
// loopback nginx, and the worker's peak memory for growing file sizes
// (which must stay flat: the body streams into the cache file).
//
//   bench_download [--benchmark_filter=...]
// Counters: bytes_per_second; peak_rss_growth_MB (resident set growth
// during one download, from /proc/self/status VmHWM after resetting it).
#include "app/DownThread.h"
#include "NginxFixture.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

testsupport::NginxFixture* g_nginx = nullptr;
testsupport::TempDir* g_out = nullptr;

constexpr long long kMB = 1024 * 1024;

// A file of size bytes served by nginx as /<name>; made once per size.
std::string servedFile(long long size)
{
    const std::string name = "file-" + std::to_string(size / kMB) + "mb.bin";
    const std::string path = g_nginx->httpRoot() + "/" + name;
    if (access(path.c_str(), R_OK) != 0) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::string block(kMB, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = char((i * 2654435761u) >> 13);  // not all zeros, no compression games
        for (long long done = 0; done < size; done += kMB)
            std::fwrite(block.data(), 1, size_t(std::min<long long>(kMB, size - done)), f);
        std::fclose(f);
    }
    return g_nginx->httpUrl("/" + name);
}

long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    return 0;
}

void resetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_DownThread(benchmark::State& state)
{
    const long long size = state.range(0) * kMB;
    const std::string url = servedFile(size);
    QThreadPool pool;
    double growthMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string cached;
        if (DownThread::HasCacheFile(url, cached))
            std::remove(cached.c_str());
        state.ResumeTiming();
        const long before = statusKb("VmRSS:");
        resetPeakRss();
        DownThread d(url, 0, true);
        d.Start(&pool);
        pool.waitForDone();
        const long peak = statusKb("VmHWM:");
        growthMb = std::max(growthMb, double(peak - before) / 1024.0);
        if (!d.Succeeded() || d.GetLocalFile().isEmpty()) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["peak_rss_growth_MB"] = growthMb;
}

void BM_CurlCli(benchmark::State& state)
{
    const long long size = state.range(0) * kMB;
    const std::string url = servedFile(size);
    const std::string curl = testsupport::findProgram("curl");
    if (curl.empty()) {
        state.SkipWithError("curl is not installed");
        return;
    }
    const std::string out = g_out->path() + "/curl.bin";
    for (auto _ : state) {
        pid_t pid = fork();
        if (pid == 0) {
            execl(curl.c_str(), curl.c_str(), "-s", "-o", out.c_str(), url.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

}  // namespace

BENCHMARK(BM_DownThread)->Arg(1)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CurlCli)->Arg(1)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    testsupport::TempHome home;  // logs and the download cache stay in a temporary folder
    QCoreApplication app(argc, argv);
    testsupport::NginxFixture nginx;
    if (!nginx.start()) {
        std::fprintf(stderr, "nginx: %s\n", nginx.error().c_str());
        return 1;
    }
    testsupport::TempDir out;
    g_nginx = &nginx;
    g_out = &out;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
