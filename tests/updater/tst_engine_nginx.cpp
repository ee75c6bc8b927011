// The updater's engine against a real web server: check, download and
// installation end to end, with hostile manifests and archives.
// test-labels: e2e
// test-sources: UpdateTestKit.cpp
#include "NginxFixture.h"
#include "common/Sha1.h"
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <algorithm>

using namespace update;
using kit::ReleaseFile;

namespace {

const std::string kElf = std::string("\x7f" "ELF\x02\x01\x01", 7) + std::string(100, '\0');

class EngineNginx : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nginx.start()) << nginx.error();
        install = std::make_unique<kit::Install>(nginx.httpUrl());
    }

    void publish(const std::string& version, const std::vector<ReleaseFile>& files)
    {
        kit::publish(nginx.httpRoot(), "VeltoraTea", version, files);
    }

    std::unique_ptr<UpdateEngine> engine()
    {
        auto e = std::make_unique<UpdateEngine>(install->options());
        e->SetReceiver(&recorder);
        return e;
    }

    unsigned modeOf(const std::string& rel)
    {
        struct stat st;
        return stat((install->root() + "/" + rel).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    }

    testsupport::NginxFixture nginx;
    std::unique_ptr<kit::Install> install;
    kit::Recorder recorder;
};

TEST_F(EngineNginx, CurrentInstallationEndsTheCheck)
{
    const std::vector<ReleaseFile> files = {{"a.txt", "same"}};
    install->installRelease("1.2.0", files);
    publish("1.2.0", files);
    auto e = engine();
    EXPECT_EQ(e->CheckThread(), -1);
    EXPECT_EQ(recorder.kinds(), (std::vector<int>{kRemoteVersion, kUpToDate}));
    EXPECT_EQ(recorder.texts(kRemoteVersion), std::vector<std::string>{"1.2.0.json"});
}

TEST_F(EngineNginx, NewerReleaseWithChangedNewAndRemovedFiles)
{
    install->installRelease("1.0.0", {{"a.txt", "old a"}, {"bin\\run.sh", "#!/bin/sh\necho old\n"},
                                      {"gone.txt", "dropped later"}, {"keep.txt", "unchanged"}});
    install->writeFile("bin/run.sh", "#!/bin/sh\necho old\n", 0750);
    const std::vector<ReleaseFile> release = {{"a.txt", "new a"},
                                              {"bin\\run.sh", "#!/bin/sh\necho new\n"},
                                              {"keep.txt", "unchanged"},
                                              {"lib\\x64\\tool", kElf},
                                              {"lib\\x64\\readme.txt", "#!not at the start? no: starts with #!"},
                                              {"doc\\notes.txt", "plain text"}};
    publish("1.1.0", release);

    auto e = engine();
    // Drive the stages on the worker thread as the window does.
    ASSERT_TRUE(e->StartCheck());
    ASSERT_EQ(recorder.waitFor({kUpdateAvailable, kUpToDate, kCheckFailed}), kUpdateAvailable);
    std::vector<std::string> listed;
    e->Wait();
    for (const FileEntry& f : e->downloadList())
        listed.push_back(f.path);
    EXPECT_EQ(listed, (std::vector<std::string>{"a.txt", "bin\\run.sh", "lib\\x64\\tool", "lib\\x64\\readme.txt",
                                                "doc\\notes.txt"}));
    ASSERT_TRUE(e->StartDownload());
    ASSERT_EQ(recorder.waitFor({kAllDownloaded, kDownloadFailed, kVerifyFailed}), kAllDownloaded);
    ASSERT_TRUE(e->StartInstall());
    ASSERT_EQ(recorder.waitFor({kInstallComplete, kInstallFailed, kVerifyFailed}), kInstallComplete)
        << recorder.logText();
    e->Wait();

    EXPECT_EQ(install->read("a.txt"), "new a");
    EXPECT_EQ(install->read("bin/run.sh"), "#!/bin/sh\necho new\n");
    EXPECT_EQ(install->read("lib/x64/tool"), kElf);
    EXPECT_EQ(install->read("gone.txt"), "dropped later");  // never deleted
    EXPECT_EQ(modeOf("bin/run.sh"), 0750u);                 // a replaced file keeps its mode
    EXPECT_EQ(modeOf("lib/x64/tool"), 0755u);               // new ELF file
    EXPECT_EQ(modeOf("lib/x64/readme.txt"), 0755u);         // new file starting with "#!"
    EXPECT_EQ(modeOf("doc/notes.txt"), 0644u);
    EXPECT_EQ(install->ver(), kit::manifestBody("1.1.0", release));

    // Progress: one report before each file and a final one; success comes last.
    std::vector<double> done;
    for (const kit::Report& r : recorder.reports())
        if (r.kind == kDownloadProgress) {
            EXPECT_EQ(r.total, 5);
            done.push_back(r.done);
        }
    EXPECT_EQ(done, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(recorder.texts(kFileInstalled), listed);
    EXPECT_EQ(recorder.kinds().back(), kInstallComplete);
    EXPECT_TRUE(kit::listTree(install->tempBase()).empty()) << "temporary files are removed";
    for (const std::string& f : kit::listTree(install->root()))
        EXPECT_EQ(f.find(".korvanel"), std::string::npos) << "no staging left in the installation: " << f;

    // A second run finds the installation current.
    recorder.clear();
    auto again = engine();
    again->CheckThread();
    EXPECT_EQ(recorder.kinds(), (std::vector<int>{kRemoteVersion, kUpToDate}));
}

TEST_F(EngineNginx, VersionsCompareNumerically)
{
    struct Case {
        const char* local;
        const char* latest;
        int outcome;
    } cases[] = {
        {"1.0.9", "1.0.10", kUpdateAvailable},
        {"1.0.10", "1.0.9", kUpToDate},
        {"1.0.10", "1.0.10", kUpToDate},
        {"1.9", "1.10.0", kUpdateAvailable},
    };
    for (const Case& c : cases) {
        recorder.clear();
        install->installRelease(c.local, {{"a.txt", std::string("a ") + c.local}});
        publish(c.latest, {{"a.txt", std::string("a ") + c.latest}});
        engine()->CheckThread();
        EXPECT_EQ(recorder.kinds().back(), c.outcome) << c.local << " vs " << c.latest;
    }
}

TEST_F(EngineNginx, WithoutLocalManifestTheInstallationIsScanned)
{
    install->writeFile("a.txt", "same");
    install->writeFile("logs/app.log", "skipped");
    install->writeFile("Logs/x.txt", "scanned");
    install->writeFile("log.txt", "a file named log is scanned");
    publish("2.0.0", {{"a.txt", "same"}, {"Logs\\x.txt", "scanned"}, {"log.txt", "a file named log is scanned"}});
    auto e = engine();
    e->CheckThread();
    EXPECT_EQ(recorder.kinds(), (std::vector<int>{kRemoteVersion, kScanFolder, kScanFolder, kUpToDate}));
    EXPECT_EQ(recorder.texts(kScanFolder), (std::vector<std::string>{install->root(), install->root() + "/Logs"}));

    // One extra local file: an update with nothing to fetch, which writes "ver".
    install->writeFile("extra.txt", "not in the release");
    recorder.clear();
    e = engine();
    EXPECT_EQ(kit::runAllStages(*e, recorder), kInstallComplete);
    EXPECT_TRUE(e->downloadList().empty());
    EXPECT_EQ(recorder.kinds(true), (std::vector<int>{kRemoteVersion, kScanFolder, kScanFolder, kUpdateAvailable,
                                                      kDownloadProgress, kAllDownloaded, kInstallComplete}));
    EXPECT_FALSE(install->ver().empty());
}

TEST_F(EngineNginx, ArchiveEntriesAreUnpacked)
{
    const std::string zip = kit::makeZip({{"sub/", "", 0, true},
                                          {"sub/a.txt", "in a folder"},
                                          {"b.bin", kElf},
                                          {"c.sh", "#!/bin/sh\n", 0100700}});
    install->installRelease("1.0.0", {{"a.txt", "a"}});
    const std::vector<ReleaseFile> release = {{"a.txt", "a"}, {"*<zip>\\plugins\\audio", zip}};
    publish("1.1.0", release);
    auto e = engine();
    ASSERT_EQ(kit::runAllStages(*e, recorder), kInstallComplete) << recorder.logText();
    const std::string base = install->root() + "/plugins/audio/";
    EXPECT_EQ(recorder.texts(kFileUnpacked),
              (std::vector<std::string>{base + "sub/a.txt", base + "b.bin", base + "c.sh"}));
    EXPECT_EQ(install->read("plugins/audio/sub/a.txt"), "in a folder");
    EXPECT_EQ(modeOf("plugins/audio/b.bin"), 0755u);
    EXPECT_EQ(install->ver(), kit::manifestBody("1.1.0", release));
}

TEST_F(EngineNginx, SharedDigestsAndFilesAroundTheBufferSize)
{
    const size_t buffer = UpdateEngine::kDownloadBuffer;
    install->installRelease("1.0.0", {{"a.txt", "a"}});
    const std::vector<ReleaseFile> release = {{"twin1.txt", "same bytes"},
                                              {"sub\\twin2.txt", "same bytes"},
                                              {"exact.bin", std::string(buffer, 'e')},
                                              {"over.bin", std::string(buffer + 1, 'o')},
                                              {"empty.txt", ""}};
    publish("1.1.0", release);
    auto e = engine();
    ASSERT_EQ(kit::runAllStages(*e, recorder), kInstallComplete) << recorder.logText();
    for (const ReleaseFile& f : release) {
        std::string rel = f.path;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        EXPECT_EQ(install->read(rel), f.bytes) << rel;
    }
    EXPECT_EQ(recorder.texts(kFileDownloaded).size(), release.size());
}

// A manifest or an archive that tries to write outside the installation ends
// in one failure report; nothing is written anywhere and "ver" stays old.
TEST_F(EngineNginx, HostileManifestsAndArchivesWriteNothing)
{
    const std::string longName(300, 'n');
    // Paths that could leave the installation by their letters are refused
    // with the manifest, before anything is fetched; the rest (a link inside
    // the installation, archive contents) when installing.
    struct Case {
        std::vector<ReleaseFile> files;
        int failure;
    };
    const std::vector<Case> hostile = {
        {{{"..\\outside.txt", "x"}}, kCheckFailed},
        {{{"a\\..\\..\\outside.txt", "x"}}, kCheckFailed},
        {{{"/tmp/outside.txt", "x"}}, kCheckFailed},
        {{{"\\outside.txt", "x"}}, kCheckFailed},
        {{{"C:\\outside.txt", "x"}}, kCheckFailed},
        {{{"link\\outside.txt", "x"}}, kInstallFailed},  // "link" leads outside
        {{{longName, "x"}}, kCheckFailed},
        {{{"ok.txt", "fine"}, {"*<zip>\\..\\..\\up", kit::makeZip({{"a.txt", "x"}})}}, kCheckFailed},
        {{{"*<zip>\\" + std::string(130, 'f'), kit::makeZip({{"a.txt", "x"}})}}, kCheckFailed},
        {{{"*<zip>\\p", kit::makeZip({{"ok.txt", "x"}, {"../outside.txt", "x"}})}}, kInstallFailed},
        {{{"*<zip>\\p", kit::makeZip({{"/tmp/outside.txt", "x"}})}}, kInstallFailed},
        {{{"*<zip>\\p", kit::makeZip({{"a\\..\\..\\outside.txt", "x"}})}}, kInstallFailed},
        {{{"*<zip>\\p", kit::makeZip({{"evil-link", "/etc/passwd", 0120777}})}}, kInstallFailed},
        {{{"*<zip>\\p", kit::makeZip({{"d/" + longName, "x"}})}}, kInstallFailed},
        {{{"*<zip>\\p", std::string("PK\x03\x04 this is no archive")}}, kInstallFailed},
    };
    install->installRelease("1.0.0", {{"a.txt", "a"}});
    std::filesystem::create_directory_symlink(install->outside(), install->root() + "/link");
    const std::string oldVer = install->ver();
    const auto oldTree = kit::listTree(install->root());
    for (size_t i = 0; i < hostile.size(); ++i) {
        recorder.clear();
        publish("1.0." + std::to_string(i + 1), hostile[i].files);
        auto e = engine();
        EXPECT_EQ(kit::runAllStages(*e, recorder), hostile[i].failure) << "case " << i << "\n" << recorder.logText();
        EXPECT_EQ(recorder.kinds().back(), hostile[i].failure);
        if (hostile[i].failure == kCheckFailed) {
            EXPECT_TRUE(recorder.texts(kFileDownloaded).empty()) << "case " << i;
        }
        EXPECT_TRUE(recorder.texts(kFileInstalled).empty()) << "case " << i;
        EXPECT_TRUE(recorder.texts(kFileUnpacked).empty()) << "case " << i;
        EXPECT_EQ(install->ver(), oldVer) << "case " << i;
        EXPECT_TRUE(kit::listTree(install->outside()).empty()) << "case " << i;
        EXPECT_FALSE(testsupport::fileExists("/tmp/outside.txt"));
        EXPECT_EQ(kit::listTree(install->root()), oldTree) << "case " << i;
    }
}

TEST_F(EngineNginx, ATargetThatCannotBeReplacedStopsTheInstallationBeforeAnyFileMoves)
{
    install->installRelease("1.0.0", {{"a.txt", "old a"}, {"z.txt", "old z"}});
    std::filesystem::create_directories(install->root() + "/data/inner");
    publish("1.1.0", {{"a.txt", "new a"}, {"data", "a file where a folder stands"}, {"z.txt", "new z"}});
    const std::string oldVer = install->ver();
    auto e = engine();
    EXPECT_EQ(kit::runAllStages(*e, recorder), kInstallFailed) << recorder.logText();
    EXPECT_TRUE(recorder.texts(kFileInstalled).empty());
    EXPECT_EQ(install->read("a.txt"), "old a");
    EXPECT_EQ(install->read("z.txt"), "old z");
    EXPECT_TRUE(std::filesystem::is_directory(install->root() + "/data/inner"));
    EXPECT_EQ(install->ver(), oldVer);
}

TEST_F(EngineNginx, ACancelledEngineChecksAgainAndStaleTemporaryFoldersGo)
{
    install->installRelease("1.0.0", {{"a.txt", "old a"}});
    publish("1.1.0", {{"a.txt", "new a"}});
    // A folder an earlier run was killed with (its process is gone), one of a
    // live process, and one that is not ours.
    const std::string base = install->tempBase();
    const std::string prefix = base + "/VeltoraTea-";
    std::filesystem::create_directories(prefix + "dead01");
    std::ofstream(prefix + "dead01/.owner") << 999999 << "\n";
    std::filesystem::create_directories(prefix + "live01");
    std::ofstream(prefix + "live01/.owner") << getpid() << "\n";
    std::filesystem::create_directories(base + "/Other-dead01");
    std::ofstream(base + "/Other-dead01/.owner") << 999999 << "\n";

    auto e = engine();
    e->Cancel();
    ASSERT_TRUE(e->StartCheck());
    ASSERT_EQ(recorder.waitFor({kUpdateAvailable, kUpToDate, kCheckFailed}), kUpdateAvailable) << recorder.logText();
    ASSERT_TRUE(e->StartDownload());
    ASSERT_EQ(recorder.waitFor({kAllDownloaded, kDownloadFailed, kVerifyFailed}), kAllDownloaded);
    e->Wait();
    EXPECT_FALSE(std::filesystem::exists(prefix + "dead01"));
    EXPECT_TRUE(std::filesystem::exists(prefix + "live01"));
    EXPECT_TRUE(std::filesystem::exists(base + "/Other-dead01"));
    std::filesystem::remove_all(prefix + "live01");
    std::filesystem::remove_all(base + "/Other-dead01");
}

TEST_F(EngineNginx, BrokenDownloadsAreFailures)
{
    install->installRelease("1.0.0", {{"a.txt", "a"}});
    const std::vector<ReleaseFile> release = {{"a.txt", "new"}, {"b.txt", "bbb"}};
    struct Case {
        const char* name;
        std::function<void()> spoil;
        int failure;
        bool downloaded;  // the failure comes from the installation stage
    } cases[] = {
        {"store file missing (404)",
         [&] { std::filesystem::remove(nginx.httpRoot() + "/store/cached/" + sha1::ofBytes("bbb", 3)); },
         kDownloadFailed, false},
        {"store file altered, same size",
         [&] { std::ofstream(nginx.httpRoot() + "/store/cached/" + sha1::ofBytes("bbb", 3)) << "xxx"; },
         kVerifyFailed, true},
        {"store file longer than the manifest says",
         [&] { std::ofstream(nginx.httpRoot() + "/store/cached/" + sha1::ofBytes("bbb", 3)) << "bbbb"; },
         kVerifyFailed, false},
        {"store file shorter",
         [&] { std::ofstream(nginx.httpRoot() + "/store/cached/" + sha1::ofBytes("bbb", 3)) << "b"; },
         kVerifyFailed, true},
    };
    for (const Case& c : cases) {
        recorder.clear();
        publish("1.1.0", release);
        c.spoil();
        auto e = engine();
        EXPECT_EQ(kit::runAllStages(*e, recorder), c.failure) << c.name << "\n" << recorder.logText();
        const std::vector<int> kinds = recorder.kinds();
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kAllDownloaded), c.downloaded ? 1 : 0) << c.name;
        EXPECT_EQ(install->read("a.txt"), "a") << c.name;
        EXPECT_FALSE(testsupport::fileExists(install->root() + "/b.txt")) << c.name;
        EXPECT_EQ(install->ver(), kit::manifestBody("1.0.0", {{"a.txt", "a"}})) << c.name;
    }
}

}  // namespace
