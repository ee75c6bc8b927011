// SHA-1 throughput on a 256 MB file, beside the system's sha1sum on the same
// file (reported as a counter: our MB/s divided by sha1sum's MB/s).
#include "common/Sha1.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const size_t kFileSize = 256u << 20;

const std::string& testFile()
{
    static std::string path = [] {
        char tmpl[] = "/tmp/veltora-sha1-bench-XXXXXX";
        int fd = mkstemp(tmpl);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 2654435761u) >> 13);
        for (size_t i = 0; i < kFileSize / block.size(); ++i)
            if (write(fd, block.data(), block.size()) < 0)
                break;
        close(fd);
        return std::string(tmpl);
    }();
    return path;
}

double sha1sumSeconds()
{
    static double secs = [] {
        std::string cmd = "sha1sum " + testFile() + " >/dev/null";
        // Warm the page cache first, then time the second run.
        if (std::system(cmd.c_str()) != 0)
            return 0.0;
        auto start = std::chrono::steady_clock::now();
        if (std::system(cmd.c_str()) != 0)
            return 0.0;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }();
    return secs;
}

void BM_Sha1File(benchmark::State& state)
{
    const std::string& path = testFile();
    double ours = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(sha1::ofFile(path));
        ours += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
    double ref = sha1sumSeconds();
    if (ref > 0 && runs > 0)
        state.counters["ratio_vs_sha1sum"] = ref / (ours / runs);
}
BENCHMARK(BM_Sha1File)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sha1Memory(benchmark::State& state)
{
    std::string data(size_t(state.range(0)), 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(sha1::ofBytes(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Sha1Memory)->Arg(64)->Arg(4096)->Arg(1 << 20);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    unlink(testFile().c_str());
    return 0;
}
