// The rules under the update check: path validation, digests, manifest
// entries read with defaults, and the file comparison.
// test-sources: UpdateTestKit.cpp
#include "common/update/SafePath.h"
#include "common/update/UpdateCheck.h"
#include "common/update/UpdateAddress.h"
#include "common/update/UpdateManifest.h"
#include "common/DataFolder.h"
#include "updater/engine/DownloadVerifier.h"
#include "updater/engine/UpdateProgress.h"
#include "common/Sha1.h"
#include "TempDir.h"
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <filesystem>
#include <fstream>

using namespace update;

TEST(SafePath, RelativePathsAreSplitOrRefused)
{
    struct Case {
        std::string path;
        update::safepath::Separators seps;
        bool ok;
        std::vector<std::string> names;
        bool folder;
    } cases[] = {
        {"a.txt", update::safepath::kSlashOrBackslash, true, {"a.txt"}, false},
        {"bin\\32bit\\Veltora", update::safepath::kSlashOrBackslash, true, {"bin", "32bit", "Veltora"}, false},
        {"bin/32bit/Veltora", update::safepath::kSlashOrBackslash, true, {"bin", "32bit", "Veltora"}, false},
        {"sub/", update::safepath::kSlashOnly, true, {"sub"}, true},
        {"..\\x", update::safepath::kSlashOrBackslash, false, {}, false},
        {"a\\..\\x", update::safepath::kSlashOrBackslash, false, {}, false},
        {"a/./x", update::safepath::kSlashOnly, false, {}, false},
        {"/etc/passwd", update::safepath::kSlashOnly, false, {}, false},
        {"\\x", update::safepath::kSlashOrBackslash, false, {}, false},
        {"C:\\x", update::safepath::kSlashOrBackslash, false, {}, false},
        {"a\\b", update::safepath::kSlashOnly, false, {}, false},
        {"a//b", update::safepath::kSlashOnly, false, {}, false},
        {"", update::safepath::kSlashOnly, false, {}, false},
        {"a\nb", update::safepath::kSlashOnly, false, {}, false},
        {std::string(201, 'n'), update::safepath::kSlashOnly, false, {}, false},
        {std::string(200, 'n'), update::safepath::kSlashOnly, true, {std::string(200, 'n')}, false},
        {std::string(1025, 'n'), update::safepath::kSlashOnly, false, {}, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        bool folder = false;
        EXPECT_EQ(update::safepath::split(c.path, c.seps, names, &folder), c.ok) << c.path;
        if (c.ok) {
            EXPECT_EQ(names, c.names) << c.path;
            EXPECT_EQ(folder, c.folder) << c.path;
        }
    }
}

TEST(UpdateManifest, EntriesReadWithDefaults)
{
    const std::string d = "0123456789ABCDEF0123456789abcdef01234567";
    FileEntry e = parseFileEntry(json::parse(R"({"path": "bin\\a", "size": 12.9, "digest": ")" + d + "\"}"), "/inst");
    EXPECT_EQ(e.path, "bin\\a");
    EXPECT_EQ(e.fullPath, "/inst/bin/a");
    EXPECT_EQ(e.size, 12);
    EXPECT_EQ(e.digest, "0123456789abcdef0123456789abcdef01234567");

    e = parseFileEntry(json::parse(R"({"path": 5, "size": "12", "digest": null})"), "/inst");
    EXPECT_EQ(e.path, "");
    EXPECT_EQ(e.fullPath, "");
    EXPECT_EQ(e.size, 0);
    EXPECT_EQ(e.digest, "");

    e = parseFileEntry(json::parse(R"({"path": "..\\x", "size": 1e20, "digest": ")" + d + "0\"}"), "/inst");
    EXPECT_EQ(e.fullPath, "") << "unsafe path";
    EXPECT_LT(e.size, 0) << "a size out of range cannot match any file";
    EXPECT_EQ(e.digest, "") << "41 digits";

    EXPECT_TRUE(manifestFiles(json::parse("[1]"), "/i").empty());
    EXPECT_TRUE(manifestFiles(json::parse(R"({"files": {"a": 1}})"), "/i").empty());
    EXPECT_FALSE(parseVersionReply("not json").valid);
    EXPECT_FALSE(parseVersionReply(R"({"latest-version": "1"})").valid);
    VersionReply v = parseVersionReply(R"({"latest-version": "1.2.json", "minimum-required": "1.0", "x": 1})");
    EXPECT_TRUE(v.valid);
    EXPECT_EQ(v.latest, "1.2.json");
    EXPECT_EQ(v.minimum, "1.0");
}

TEST(UpdateManifest, LocalManifestWithoutVersionOrFiles)
{
    testsupport::TempDir dir;
    std::string version = "x";
    FileMap files;
    EXPECT_FALSE(readLocalManifest(dir.path() + "/missing", "/i", version, files));
    version.clear();
    EXPECT_TRUE(readLocalManifest(dir.write("ver", "{not json"), "/i", version, files));
    EXPECT_EQ(version, "");
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(readLocalManifest(dir.write("ver2", kit::manifestBody("1.4.7", {{"a", "x"}, {"a", "y"}})), "/i",
                                  version, files));
    EXPECT_EQ(version, "1.4.7.json");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files["a"].size, 1);
}

TEST(UpdateManifest, Comparison)
{
    auto entry = [](const std::string& path, const std::string& digest, int size = 1) {
        FileEntry e;
        e.path = path;
        e.digest = digest;
        e.size = size;
        return e;
    };
    const std::string d1(40, '1'), d2(40, '2');
    FileMap local{{"same", entry("same", d1)}, {"changed", entry("changed", d1)}, {"Case", entry("Case", d1)},
                  {"extra", entry("extra", d1)}, {"nodigest", entry("nodigest", "")}};
    std::vector<FileEntry> latest{entry("same", d1, 999),  // a size difference alone is no update
                                  entry("changed", d2), entry("case", d1), entry("new", d2),
                                  entry("nodigest", "")};
    Comparison c = compareFiles(latest, local);
    std::vector<std::string> paths;
    for (const FileEntry& e : c.downloads)
        paths.push_back(e.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"changed", "case", "new", "nodigest"}));
    EXPECT_EQ(c.localOnly.size(), 2u);  // "Case" and "extra"
    EXPECT_TRUE(c.needsUpdate());

    Comparison onlyExtra = compareFiles({entry("same", d1)}, {{"same", entry("same", d1)}, {"x", entry("x", d1)}});
    EXPECT_TRUE(onlyExtra.downloads.empty());
    EXPECT_TRUE(onlyExtra.needsUpdate());
}

TEST(UpdateAddress, DeploymentFileNamesTheUpdateHost)
{
    testsupport::TempDir dir;
    const std::string file = dir.write("endpoints.ini", "[production]\nupdate=http://127.0.0.1:8123\n");
    {
        testsupport::ScopedEnv env("VELTORA_ENDPOINTS", file);
        EXPECT_EQ(update::UpdateEngine::defaultUpdateUrl(), "http://127.0.0.1:8123");
    }
    const std::string bad = dir.write("bad.ini", "[production]\nupdate=file:///etc\n");
    testsupport::ScopedEnv env("VELTORA_ENDPOINTS", bad);
    EXPECT_EQ(update::UpdateEngine::defaultUpdateUrl(), "http://update.example:80");
}

TEST(UpdateAddress, SettingsAreReadWhole)
{
    testsupport::TempHome home;
    const std::string url = "https://updates.example.org/a/rather/long/path/for/the/update/server/of/this/school";
    const std::string name = "一个很长的产品名称一个很长的产品名称";  // longer than 49 bytes, multi-byte
    std::filesystem::create_directories(std::filesystem::path(datafolder::settingsFile()).parent_path());
    std::ofstream(datafolder::settingsFile()) << "[VeltoraTea]\nUpdateUrl=" << url << "\nAppName=" << name << "\n";
    const update::UpdateSettings s = update::ReadUpdateSettings();
    EXPECT_EQ(s.updateUrl, url);
    EXPECT_EQ(s.appName, name);
}

TEST(UpdateProgress, DownloadPercentage)
{
    struct Case {
        double total, done, percent;
    } cases[] = {{0, 0, 100}, {0, 3, 100}, {-1, 0, 100}, {4, 1, 25}, {4, 4, 100}, {4, 9, 100}, {4, -1, 0}};
    for (const Case& c : cases) {
        auto r = update::countRecord(c.total, c.done);
        EXPECT_DOUBLE_EQ(r->percent(), c.percent) << c.total << " " << c.done;
    }
    update::UpdateProgress nan;
    nan.total = std::nan("");
    EXPECT_DOUBLE_EQ(nan.percent(), 100.0);
}

// A stage that ends by an exception still ends with its failure report, so
// the window always gets a button.
TEST(UpdateEngineStages, AnExceptionEndsTheStageWithItsFailure)
{
    class ThrowingOnce : public kit::Recorder {
    public:
        void post(int kind, std::unique_ptr<UpdateProgress> record) override
        {
            if (!thrown.exchange(true))
                throw std::runtime_error("receiver out of memory");
            kit::Recorder::post(kind, std::move(record));
        }
        std::atomic<bool> thrown{false};
    };
    kit::Install install("http://127.0.0.1:9");
    const struct {
        bool (UpdateEngine::*start)();
        int failure;
    } stages[] = {{&UpdateEngine::StartCheck, kCheckFailed},
                  {&UpdateEngine::StartDownload, kDownloadFailed},
                  {&UpdateEngine::StartInstall, kInstallFailed}};
    for (const auto& stage : stages) {
        ThrowingOnce recorder;
        UpdateEngine engine(install.options());
        engine.SetReceiver(&recorder);
        ASSERT_TRUE((engine.*stage.start)());
        engine.Wait();
        ASSERT_FALSE(recorder.kinds(true).empty()) << stage.failure;
        EXPECT_EQ(recorder.kinds(true).back(), stage.failure);
        EXPECT_NE(recorder.logText().find("receiver out of memory"), std::string::npos);
    }
}

TEST(UpdateManifest, APathThatIsAFileAndAFolderIsRefused)
{
    auto manifest = [](const std::vector<std::string>& paths) {
        json m{{"version", "2"}, {"files", json::array()}};
        for (const std::string& p : paths)
            m["files"].push_back({{"path", p}, {"size", 1}, {"digest", std::string(40, 'a')}});
        return m;
    };
    struct Case {
        std::vector<std::string> paths;
        std::string clash;  // the refused path, quoted in the reason; "" when accepted
    } cases[] = {
        {{"tools", "tools\\x.exe"}, "tools"},
        {{"tools\\x.exe", "tools"}, "tools"},
        {{"a\\b\\c\\d.txt", "a\\b"}, "a\\b"},
        {{"a/b/c.txt", "a\\b"}, "a\\b"},
        {{"plug", "*<zip>\\plug\\in"}, "plug"},
        {{"*<zip>\\plug", "plug"}, "plug"},
        {{"tools\\x.exe", "tools\\y.exe", "toolsx", "tool"}, ""},
        {{"a.txt", "a.txt"}, ""},
        {{"*<zip>\\", "a.txt"}, ""},
        {{"Tools", "tools\\x.exe"}, ""},  // paths compare byte for byte
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(checkManifest(manifest(c.paths), "/inst", why), c.clash.empty()) << c.paths.front() << ": " << why;
        if (!c.clash.empty()) {
            EXPECT_NE(why.find("\"" + c.clash + "\""), std::string::npos) << why;
        }
    }
}

TEST(DownloadVerifier, OnlyTheVerySameMatchingFileCountsAsChecked)
{
    testsupport::TempDir dir;
    const std::string good = dir.write("good", "content");
    const std::string wrongDigest = dir.write("wrong", "content");
    const std::string wrongSize = dir.write("short", "cont");
    const std::string rewritten = dir.write("rewritten", "content");
    const std::string digest = sha1::ofBytes("content", 7);
    update::DownloadVerifier verifier;
    verifier.add(good, 7, digest);
    verifier.add(wrongDigest, 7, sha1::ofBytes("CONTENT", 7));
    verifier.add(wrongSize, 7, digest);
    verifier.add(rewritten, 7, digest);
    const update::DownloadVerifier::Checked checked = verifier.finish();
    // Replaced by other bytes of the same size after the check.
    std::filesystem::rename(dir.write("other", "CONTENT"), rewritten);
    EXPECT_TRUE(update::DownloadVerifier::stillChecked(checked, good));
    EXPECT_FALSE(update::DownloadVerifier::stillChecked(checked, wrongDigest));
    EXPECT_FALSE(update::DownloadVerifier::stillChecked(checked, wrongSize));
    EXPECT_FALSE(update::DownloadVerifier::stillChecked(checked, rewritten));
    EXPECT_FALSE(update::DownloadVerifier::stillChecked(checked, dir.path() + "/never-added"));
}
