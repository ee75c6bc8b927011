#include "tests/updater/UpdateTestKit.h"

#include "common/DataFolder.h"
#include "common/Sha1.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kit {

void Recorder::post(int kind, std::unique_ptr<update::UpdateProgress> record)
{
    Report r{kind, {}, {}, 0, 0, record != nullptr};
    if (record) {
        r.narrow = record->narrowText;
        r.text = record->text;
        r.total = record->total;
        r.done = record->done;
    }
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_reports.push_back(std::move(r));
    }
    m_cv.notify_all();
}

void Recorder::log(const std::string& line)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_log.push_back(line);
}

std::vector<Report> Recorder::reports() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_reports;
}

std::vector<int> Recorder::kinds(bool withProgress) const
{
    std::vector<int> out;
    for (const Report& r : reports())
        if (withProgress || r.kind != update::kDownloadProgress)
            out.push_back(r.kind);
    return out;
}

std::vector<std::string> Recorder::texts(int kind) const
{
    std::vector<std::string> out;
    for (const Report& r : reports())
        if (r.kind == kind)
            out.push_back(r.narrow);
    return out;
}

std::string Recorder::logText() const
{
    std::lock_guard<std::mutex> g(m_lock);
    std::string out;
    for (const std::string& l : m_log)
        out += l + "\n";
    return out;
}

int Recorder::waitFor(const std::vector<int>& kinds, size_t from, int maxMs) const
{
    std::unique_lock<std::mutex> g(m_lock);
    int found = -1;
    m_cv.wait_for(g, std::chrono::milliseconds(maxMs), [&] {
        for (size_t i = from; i < m_reports.size(); ++i)
            if (std::find(kinds.begin(), kinds.end(), m_reports[i].kind) != kinds.end()) {
                found = m_reports[i].kind;
                return true;
            }
        return false;
    });
    return found;
}

void Recorder::clear()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_reports.clear();
    m_log.clear();
}

std::string manifestBody(const std::string& version, const std::vector<ReleaseFile>& files, bool upperDigests)
{
    nlohmann::json m;
    m["version"] = version;
    m["files"] = nlohmann::json::array();
    for (const ReleaseFile& f : files) {
        std::string d = sha1::ofBytes(f.bytes.data(), f.bytes.size());
        if (upperDigests)
            std::transform(d.begin(), d.end(), d.begin(), ::toupper);
        m["files"].push_back({{"path", f.path}, {"size", f.bytes.size()}, {"digest", d}});
    }
    return m.dump(1);
}

std::string versionReply(const std::string& latest, const std::string& minimum)
{
    return nlohmann::json{{"latest-version", latest}, {"minimum-required", minimum}}.dump();
}

static void writeBytes(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void publish(const std::string& htmlRoot, const std::string& appName, const std::string& version,
             const std::vector<ReleaseFile>& files, const std::string& minimum)
{
    writeBytes(htmlRoot + "/version/" + appName, versionReply(version + ".json", minimum));
    writeBytes(htmlRoot + "/latest/" + appName, manifestBody(version, files));
    for (const ReleaseFile& f : files)
        writeBytes(htmlRoot + "/store/cached/" + sha1::ofBytes(f.bytes.data(), f.bytes.size()), f.bytes);
}

std::string makeZip(const std::vector<ZipItem>& items)
{
    testsupport::TempDir dir;
    const std::string path = dir.path() + "/a.zip";
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    EXPECT_NE(z, nullptr);
    for (const ZipItem& it : items) {
        zip_int64_t idx;
        if (it.folder) {
            idx = zip_dir_add(z, it.name.c_str(), ZIP_FL_ENC_RAW);
        } else {
            zip_source_t* src = zip_source_buffer(z, it.bytes.data(), it.bytes.size(), 0);
            idx = zip_file_add(z, it.name.c_str(), src, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE);
        }
        EXPECT_GE(idx, 0) << it.name << ": " << zip_strerror(z);
        if (idx >= 0 && it.mode)
            zip_file_set_external_attributes(z, static_cast<zip_uint64_t>(idx), 0, ZIP_OPSYS_UNIX,
                                             static_cast<zip_uint32_t>(it.mode) << 16);
    }
    EXPECT_EQ(zip_close(z), 0);
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Install::Install(const std::string& updateUrl, const std::string& appName)
{
    datafolder::makePath(m_home.dataFolder());
    writeBytes(m_home.dataFolder() + "/config.ini",
               "[VeltoraTea]\nUpdateUrl=" + updateUrl + "\nAppName=" + appName + "\n");
}

void Install::installRelease(const std::string& version, const std::vector<ReleaseFile>& files)
{
    for (const ReleaseFile& f : files) {
        std::string rel = f.path;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        writeFile(rel, f.bytes);
    }
    writeBytes(dataFolder() + "/ver", manifestBody(version, files));
}

void Install::writeFile(const std::string& rel, const std::string& bytes, unsigned mode)
{
    const std::string p = root() + "/" + rel;
    writeBytes(p, bytes);
    chmod(p.c_str(), mode);
}

std::string Install::read(const std::string& rel) const { return testsupport::readFile(root() + "/" + rel); }

std::string Install::ver() const { return testsupport::readFile(dataFolder() + "/ver"); }

update::UpdateEngine::Options Install::options(long lowSpeedSec) const
{
    update::UpdateEngine::Options o;
    o.installFolder = root();
    o.tempBase = tempBase();
    o.limits.connectTimeoutSec = 5;
    o.limits.lowSpeedTimeSec = lowSpeedSec;
    return o;
}

std::vector<std::string> listTree(const std::string& folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        out.push_back(fs::relative(it->path(), folder).string());
    std::sort(out.begin(), out.end());
    return out;
}

int runAllStages(update::UpdateEngine& engine, Recorder& recorder)
{
    engine.CheckThread();
    int last = recorder.kinds().empty() ? -1 : recorder.kinds().back();
    if (last != update::kUpdateAvailable)
        return last;
    engine.DownloadThread();
    last = recorder.kinds().back();
    if (last != update::kAllDownloaded)
        return last;
    engine.InstallThread();
    return recorder.kinds().back();
}

}  // namespace kit
