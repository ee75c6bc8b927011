// A whole update of 2,000 files / 300 MB from a loopback nginx: the engine's
// download, verification and installation against a shell script doing the
// same with curl, sha1sum and cp (target: no slower).
#include "common/DataFolder.h"
#include "NginxFixture.h"
#include "common/Sha1.h"
#include "TempDir.h"
#include "updater/engine/UpdateEngine.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr size_t kTotalBytes = 300u << 20;

class Silent : public update::IUpdateProgress {
public:
    void post(int kind, std::unique_ptr<update::UpdateProgress>) override { last = kind; }
    void log(const std::string&) override {}
    int last = -1;
};

struct Server {
    testsupport::NginxFixture nginx;
    testsupport::TempDir work;
    std::string list;  // "<sha1> <path>" lines
    bool ok = false;

    Server()
    {
        if (!nginx.start())
            return;
        const std::string html = nginx.httpRoot();
        fs::create_directories(html + "/store/cached");
        fs::create_directories(html + "/version");
        fs::create_directories(html + "/latest");
        std::mt19937_64 random(42);
        nlohmann::json manifest{{"version", "2.0.0"}, {"files", nlohmann::json::array()}};
        std::ofstream listFile(work.path() + "/list");
        std::string bytes;
        for (int i = 0; i < kFiles; ++i) {
            // Sizes vary around the mean; the total is about 300 MB.
            const size_t mean = kTotalBytes / kFiles;
            const size_t size = mean / 2 + random() % mean;
            bytes.resize(size);
            for (size_t k = 0; k + 8 <= size; k += 8) {
                uint64_t v = random();
                std::memcpy(&bytes[k], &v, 8);
            }
            const std::string digest = sha1::ofBytes(bytes.data(), bytes.size());
            std::ofstream(html + "/store/cached/" + digest, std::ios::binary).write(bytes.data(), bytes.size());
            const std::string path = "lib/m" + std::to_string(i / 50) + "/f" + std::to_string(i) + ".dat";
            std::string winPath = path;
            std::replace(winPath.begin(), winPath.end(), '/', '\\');
            manifest["files"].push_back({{"path", winPath}, {"size", size}, {"digest", digest}});
            listFile << digest << " " << path << "\n";
        }
        std::ofstream(html + "/latest/VeltoraTea") << manifest.dump();
        std::ofstream(html + "/version/VeltoraTea")
            << nlohmann::json{{"latest-version", "2.0.0.json"}, {"minimum-required", "1.0"}}.dump();
        list = work.path() + "/list";
        ok = true;
    }
};

Server& server()
{
    static Server s;
    return s;
}

// The server, or null (and the benchmark skipped) when nginx did not start.
Server* readyServer(benchmark::State& state)
{
    Server& s = server();
    if (s.ok)
        return &s;
    state.SkipWithError("nginx did not start");
    return nullptr;
}

// Folders made and removed outside the timing.
struct Folders {
    testsupport::TempDir install;
    testsupport::TempDir temp;
};

void BM_EngineUpdate(benchmark::State& state)
{
    Server* s = readyServer(state);
    if (!s)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        auto home = std::make_unique<testsupport::TempHome>();
        auto folders = std::make_unique<Folders>();
        datafolder::makePath(home->dataFolder());
        std::ofstream(home->dataFolder() + "/config.ini") << "[VeltoraTea]\nUpdateUrl=" << s->nginx.httpUrl() << "\n";
        update::UpdateEngine::Options o;
        o.installFolder = folders->install.path();
        o.tempBase = folders->temp.path();
        auto engine = std::make_unique<update::UpdateEngine>(o);
        Silent receiver;
        engine->SetReceiver(&receiver);
        engine->CheckThread();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        engine->DownloadThread();
        const auto t1 = std::chrono::steady_clock::now();
        engine->InstallThread();
        const auto t2 = std::chrono::steady_clock::now();
        state.PauseTiming();
        state.counters["download_ms"] = std::chrono::duration<double, std::milli>(t1 - t0).count();
        state.counters["install_ms"] = std::chrono::duration<double, std::milli>(t2 - t1).count();
        if (receiver.last != update::kInstallComplete)
            state.SkipWithError("the update did not complete");
        engine.reset();
        folders.reset();
        home.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTotalBytes));
}
BENCHMARK(BM_EngineUpdate)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlSha1sumCp(benchmark::State& state)
{
    Server* s = readyServer(state);
    if (!s)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        auto folders = std::make_unique<Folders>();
        const std::string cmd = std::string(SHELL_FETCH_SCRIPT) + " '" + s->list + "' '" + s->nginx.httpUrl() + "' '" +
                                folders->temp.path() + "' '" + folders->install.path() + "'";
        state.ResumeTiming();
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("the script failed");
        state.PauseTiming();
        folders.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTotalBytes));
}
BENCHMARK(BM_CurlSha1sumCp)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
