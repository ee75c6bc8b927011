// Manifest comparison of 20,000 entries: parsing the latest manifest and the
// local one and working out the download list (target: under 100 ms).
#include "common/Sha1.h"
#include "common/update/UpdateManifest.h"

#include <benchmark/benchmark.h>

namespace {

std::string makeManifest(int files, int changeEvery)
{
    update::json m;
    m["version"] = "2.0.0";
    m["files"] = update::json::array();
    for (int i = 0; i < files; ++i) {
        const std::string content = "file " + std::to_string(i) + (changeEvery && i % changeEvery == 0 ? " new" : "");
        m["files"].push_back({{"path", "lib\\module" + std::to_string(i / 100) + "\\part" + std::to_string(i) + ".dat"},
                              {"size", content.size()},
                              {"digest", sha1::ofBytes(content.data(), content.size())}});
    }
    return m.dump();
}

void BM_CompareManifests(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string latest = makeManifest(n, 10);
    const std::string local = makeManifest(n, 0);
    for (auto _ : state) {
        update::FileMap localFiles;
        for (update::FileEntry& e : update::manifestFiles(update::parseJson(local), "/opt/veltora"))
            localFiles.emplace(e.path, std::move(e));
        update::Comparison c =
            update::compareFiles(update::manifestFiles(update::parseJson(latest), "/opt/veltora"), std::move(localFiles));
        benchmark::DoNotOptimize(c.downloads.size());
    }
}
BENCHMARK(BM_CompareManifests)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CompareOnly(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto latest = update::manifestFiles(update::parseJson(makeManifest(n, 10)), "/opt/veltora");
    update::FileMap localFiles;
    for (update::FileEntry& e : update::manifestFiles(update::parseJson(makeManifest(n, 0)), "/opt/veltora"))
        localFiles.emplace(e.path, std::move(e));
    for (auto _ : state) {
        update::Comparison c = update::compareFiles(latest, localFiles);
        benchmark::DoNotOptimize(c.downloads.size());
    }
}
BENCHMARK(BM_CompareOnly)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ParseOnly(benchmark::State& state)
{
    const std::string latest = makeManifest(static_cast<int>(state.range(0)), 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(update::parseJson(latest).size());
}
BENCHMARK(BM_ParseOnly)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
