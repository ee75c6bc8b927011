// The whole update of a release of 2,000 files of 150 KiB from a loopback
// nginx: the engine (check, download, verification, installation, "ver")
// beside a minimal updater doing the same work on the same server in the
// same run: fetch the manifest, download each digest once, verify size and
// SHA-1, write to a temporary name beside the target and rename it. The two
// take turns, each into a fresh installation, for a number of rounds; the
// medians and their ratio are printed (target: engine / minimal <= 1.0).
//
//   bench_update_vs_minimal [rounds] [files] [bytes per file]
#include "NginxFixture.h"
#include "TempDir.h"
#include "common/DataFolder.h"
#include "common/Sha1.h"
#include "updater/engine/UpdateEngine.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class Silent : public update::IUpdateProgress {
public:
    void post(int kind, std::unique_ptr<update::UpdateProgress>) override { last = kind; }
    void log(const std::string&) override {}
    int last = -1;
};

// The served release: /version/VeltoraTea, /latest/VeltoraTea, /store/cached/<sha1>.
bool publishRelease(const std::string& html, int files, size_t bytesPerFile)
{
    fs::create_directories(html + "/store/cached");
    fs::create_directories(html + "/version");
    fs::create_directories(html + "/latest");
    std::mt19937_64 random(42);
    nlohmann::json manifest{{"version", "2.0.0"}, {"files", nlohmann::json::array()}};
    std::string bytes(bytesPerFile, '\0');
    for (int i = 0; i < files; ++i) {
        for (size_t k = 0; k + 8 <= bytes.size(); k += 8) {
            const uint64_t v = random();
            std::memcpy(&bytes[k], &v, 8);
        }
        const std::string digest = sha1::ofBytes(bytes.data(), bytes.size());
        std::ofstream(html + "/store/cached/" + digest, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const std::string path = "lib\\m" + std::to_string(i / 50) + "\\f" + std::to_string(i) + ".dat";
        manifest["files"].push_back({{"path", path}, {"size", bytes.size()}, {"digest", digest}});
    }
    std::ofstream(html + "/latest/VeltoraTea") << manifest.dump();
    std::ofstream(html + "/version/VeltoraTea")
        << nlohmann::json{{"latest-version", "2.0.0.json"}, {"minimum-required", "1.0"}}.dump();
    return true;
}

// ---- the minimal updater --------------------------------------------------

size_t appendTo(char* data, size_t size, size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

bool fetch(CURL* curl, const std::string& url, std::string& body)
{
    body.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    long status = 0;
    return curl_easy_perform(curl) == CURLE_OK && curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
           status == 200;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

bool minimalUpdate(const std::string& baseUrl, const std::string& install)
{
    CURL* curl = curl_easy_init();
    std::string body;
    bool ok = fetch(curl, baseUrl + "/latest/VeltoraTea", body);
    const nlohmann::json manifest = ok ? nlohmann::json::parse(body, nullptr, false) : nlohmann::json();
    std::map<std::string, std::string> placed;  // digest -> the file it was installed as
    if (ok && manifest.is_object() && manifest["files"].is_array()) {
        for (const auto& item : manifest["files"]) {
            std::string rel = item["path"].get<std::string>();
            std::replace(rel.begin(), rel.end(), '\\', '/');
            const std::string digest = item["digest"].get<std::string>();
            const std::string target = install + "/" + rel;
            auto seen = placed.find(digest);
            if (seen != placed.end()) {
                std::ifstream in(seen->second, std::ios::binary);
                body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            } else if (!fetch(curl, baseUrl + "/store/cached/" + digest, body)) {
                ok = false;
                break;
            }
            if (body.size() != item["size"].get<size_t>() || sha1::ofBytes(body.data(), body.size()) != digest) {
                ok = false;
                break;
            }
            fs::create_directories(fs::path(target).parent_path());
            const std::string temp = target + ".tmp";
            if (!writeFile(temp, body) || std::rename(temp.c_str(), target.c_str()) != 0) {
                ok = false;
                break;
            }
            placed.emplace(digest, target);
        }
    } else {
        ok = false;
    }
    curl_easy_cleanup(curl);
    return ok;
}

// ---- the engine ------------------------------------------------------------

struct EngineTimes {
    double total = 0, check = 0, download = 0, install = 0;
    bool ok = false;
};

EngineTimes engineUpdate(const std::string& baseUrl, const std::string& install, const std::string& tempBase)
{
    EngineTimes t;
    testsupport::TempHome home;
    datafolder::makePath(home.dataFolder());
    std::ofstream(home.dataFolder() + "/config.ini") << "[VeltoraTea]\nUpdateUrl=" << baseUrl << "\n";
    update::UpdateEngine::Options o;
    o.installFolder = install;
    o.tempBase = tempBase;
    update::UpdateEngine engine(o);
    Silent receiver;
    engine.SetReceiver(&receiver);
    const auto t0 = Clock::now();
    engine.CheckThread();
    t.check = msSince(t0);
    const auto t1 = Clock::now();
    engine.DownloadThread();
    t.download = msSince(t1);
    const auto t2 = Clock::now();
    engine.InstallThread();
    t.install = msSince(t2);
    t.total = msSince(t0);
    t.ok = receiver.last == update::kInstallComplete;
    return t;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int files = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    const size_t bytesPerFile = argc > 3 ? static_cast<size_t>(std::max(1, std::atoi(argv[3]))) : 150 * 1024;
    curl_global_init(CURL_GLOBAL_DEFAULT);

    testsupport::NginxFixture nginx;
    if (!nginx.start()) {
        std::fprintf(stderr, "nginx did not start: %s\n", nginx.error().c_str());
        return 2;
    }
    publishRelease(nginx.httpRoot(), files, bytesPerFile);
    const std::string url = nginx.httpUrl();
    std::printf("%d files of %zu bytes (%.0f MiB) from %s, %d rounds\n", files, bytesPerFile,
                double(files) * double(bytesPerFile) / (1 << 20), url.c_str(), rounds);
    std::printf("%-6s %12s %12s %12s %12s %12s\n", "round", "engine ms", "check", "download", "install", "minimal ms");

    std::vector<double> engineMs, minimalMs;
    for (int r = 0; r < rounds; ++r) {
        // Alternating order, so neither always runs on a warmer machine.
        EngineTimes e;
        double m = 0;
        bool minimalOk = false;
        for (int turn = 0; turn < 2; ++turn) {
            testsupport::TempDir install, temp;
            if ((turn == 0) == (r % 2 == 0)) {
                e = engineUpdate(url, install.path(), temp.path());
            } else {
                const auto t0 = Clock::now();
                minimalOk = minimalUpdate(url, install.path());
                m = msSince(t0);
            }
        }
        if (!e.ok || !minimalOk) {
            std::fprintf(stderr, "round %d: the %s update did not complete\n", r, e.ok ? "minimal" : "engine's");
            return 1;
        }
        engineMs.push_back(e.total);
        minimalMs.push_back(m);
        std::printf("%-6d %12.0f %12.0f %12.0f %12.0f %12.0f\n", r + 1, e.total, e.check, e.download, e.install, m);
    }
    const double em = median(engineMs), mm = median(minimalMs);
    std::printf("median engine %.0f ms, minimal %.0f ms: engine / minimal = %.2fx (target <= 1.00x)\n", em, mm,
                mm > 0 ? em / mm : 0.0);
    curl_global_cleanup();
    return 0;
}
