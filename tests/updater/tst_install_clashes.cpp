// Releases whose entries clash (a file where a folder is needed, in the
// release itself, in an archive or in the installation) and renames that fail
// in the middle of the installation: the old release stays whole, with its
// "ver", and nothing of the new one is left behind.
// test-labels: e2e
// test-sources: UpdateTestKit.cpp
#include "NginxFixture.h"
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>

using namespace update;
using kit::ReleaseFile;

namespace fs = std::filesystem;

namespace {

// Every entry below the installation: its kind, mode and bytes.
std::map<std::string, std::string> snapshot(const std::string& root)
{
    std::map<std::string, std::string> out;
    for (const std::string& rel : kit::listTree(root)) {
        const std::string full = root + "/" + rel;
        struct stat st;
        if (lstat(full.c_str(), &st) != 0)
            continue;
        char mode[16];
        std::snprintf(mode, sizeof mode, "%o ", static_cast<unsigned>(st.st_mode));
        out[rel] = mode + (S_ISREG(st.st_mode) ? testsupport::readFile(full) : std::string());
    }
    return out;
}

class InstallClashes : public ::testing::Test {
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

    std::unique_ptr<UpdateEngine> engine(StagedInstall::RenameFn rename = {})
    {
        UpdateEngine::Options o = install->options();
        o.renameFile = std::move(rename);
        auto e = std::make_unique<UpdateEngine>(o);
        e->SetReceiver(&recorder);
        return e;
    }

    testsupport::NginxFixture nginx;
    std::unique_ptr<kit::Install> install;
    kit::Recorder recorder;
};

// A path that is a file for one entry and a folder for another is refused
// before any file of the installation changes, with a log line naming it.
TEST_F(InstallClashes, FileAndFolderOfOnePathAreRefusedBeforeAnythingChanges)
{
    struct Case {
        const char* name;
        std::vector<ReleaseFile> files;
        int failure;
        std::string named;  // the log names this path (a manifest path, or one below the installation)
    };
    const std::vector<Case> cases = {
        {"file then a file below it", {{"a.txt", "new a"}, {"tools", "f"}, {"tools\\x.exe", "x"}}, kCheckFailed, "tools"},
        {"file below first", {{"a.txt", "new a"}, {"tools\\x.exe", "x"}, {"tools", "f"}}, kCheckFailed, "tools"},
        {"deeper folder", {{"a\\b\\c.txt", "c"}, {"a\\b", "f"}, {"a.txt", "new a"}}, kCheckFailed, "a\\b"},
        {"file where an archive unpacks", {{"a.txt", "new a"}, {"plug", "f"}, {"*<zip>\\plug", kit::makeZip({{"x", "x"}})}},
         kCheckFailed, "plug"},
        {"archive holds a file and a file below it",
         {{"a.txt", "new a"}, {"*<zip>\\p", kit::makeZip({{"lnk", "file"}, {"lnk/x", "below"}})}}, kInstallFailed, "p/lnk"},
        {"archive holds the file below first",
         {{"a.txt", "new a"}, {"*<zip>\\p", kit::makeZip({{"lnk/x", "below"}, {"lnk", "file"}})}}, kInstallFailed, "p/lnk"},
        {"archive folder entry where a file goes",
         {{"a.txt", "new a"}, {"p\\lnk", "file"}, {"*<zip>\\p", kit::makeZip({{"lnk/", "", 0, true}})}}, kInstallFailed,
         "p/lnk"},
        {"archive file below a file of the release",
         {{"a.txt", "new a"}, {"p\\lnk", "file"}, {"*<zip>\\p", kit::makeZip({{"lnk/x", "below"}})}}, kInstallFailed, "p/lnk"},
        {"installed file where a folder is needed", {{"a.txt", "new a"}, {"data\\x.txt", "x"}}, kInstallFailed, "data"},
        {"installed file deep where a folder is needed", {{"a.txt", "new a"}, {"data\\in\\x.txt", "x"}}, kInstallFailed,
         "data"},
        {"installed folder where a file goes", {{"a.txt", "new a"}, {"dir", "a file"}}, kInstallFailed, "dir"},
    };
    install->installRelease("1.0.0", {{"a.txt", "old a"}, {"data", "an installed file"}, {"dir\\in.txt", "in"}});
    const std::string oldVer = install->ver();
    const auto before = snapshot(install->root());
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        recorder.clear();
        publish("1.1." + std::to_string(i), c.files);
        auto e = engine();
        EXPECT_EQ(kit::runAllStages(*e, recorder), c.failure) << c.name << "\n" << recorder.logText();
        EXPECT_TRUE(recorder.texts(kFileInstalled).empty()) << c.name;
        EXPECT_EQ(snapshot(install->root()), before) << c.name;
        EXPECT_EQ(install->ver(), oldVer) << c.name;
        const std::string log = recorder.logText();
        const std::string named = c.failure == kCheckFailed ? "\"" + c.named + "\"" : install->root() + "/" + c.named;
        EXPECT_NE(log.find(named), std::string::npos) << c.name << ": the log does not name " << named << "\n" << log;
        EXPECT_NE(log.find("refused"), std::string::npos) << c.name << "\n" << log;
    }
}

// A rename that fails at any step of the commit puts back every file the
// commit had replaced and removes what it had added: the old release stays
// whole and "ver" stays old. A later run completes the update.
TEST_F(InstallClashes, ARenameFailingAtEachStepPutsTheOldReleaseBack)
{
    const std::vector<ReleaseFile> oldFiles = {
        {"a.txt", "old a"}, {"bin\\run.sh", "#!/bin/sh\necho old\n"}, {"keep.txt", "unchanged"}};
    const std::vector<ReleaseFile> newFiles = {
        {"a.txt", "new a"},
        {"bin\\run.sh", "#!/bin/sh\necho new\n"},
        {"keep.txt", "unchanged"},
        {"new\\deep\\b.txt", "b"},
        {"copy\\of\\a.txt", "new a"},  // the same digest as a.txt
        {"*<zip>\\plug\\in", kit::makeZip({{"one.txt", "1"}, {"sub/two.txt", "2"}})},
    };
    publish("2.0.0", newFiles);

    // Counts the renames of a complete installation first.
    install->installRelease("1.0.0", oldFiles);
    install->writeFile("bin/run.sh", "#!/bin/sh\necho old\n", 0750);
    const auto before = snapshot(install->root());
    const std::string oldVer = install->ver();
    size_t renames = 0;
    {
        auto e = engine([&renames](const std::string& from, const std::string& to) {
            ++renames;
            return std::rename(from.c_str(), to.c_str()) == 0;
        });
        ASSERT_EQ(kit::runAllStages(*e, recorder), kInstallComplete) << recorder.logText();
    }
    ASSERT_EQ(renames, 6u);  // a.txt, run.sh, b.txt, the copy and the archive's two files
    const auto after = snapshot(install->root());

    for (size_t failAt = 0; failAt < renames; ++failAt) {
        fs::remove_all(install->root());
        fs::create_directories(install->root());
        install->installRelease("1.0.0", oldFiles);
        install->writeFile("bin/run.sh", "#!/bin/sh\necho old\n", 0750);
        recorder.clear();
        size_t call = 0;
        auto e = engine([&call, failAt](const std::string& from, const std::string& to) {
            if (call++ == failAt) {
                errno = EIO;
                return false;
            }
            return std::rename(from.c_str(), to.c_str()) == 0;
        });
        EXPECT_EQ(kit::runAllStages(*e, recorder), kInstallFailed) << "step " << failAt << "\n" << recorder.logText();
        EXPECT_EQ(snapshot(install->root()), before) << "step " << failAt << "\n" << recorder.logText();
        EXPECT_EQ(install->ver(), oldVer) << "step " << failAt;
        EXPECT_NE(recorder.logText().find("cannot move the new file"), std::string::npos) << recorder.logText();
    }

    // The last failed run left nothing that stops the next one.
    recorder.clear();
    auto e = engine();
    ASSERT_EQ(kit::runAllStages(*e, recorder), kInstallComplete) << recorder.logText();
    EXPECT_EQ(snapshot(install->root()), after);
    EXPECT_EQ(install->ver(), kit::manifestBody("2.0.0", newFiles));
}

}  // namespace
