// The installation killed at any moment, or running out of file space: every
// installed file is wholly old or wholly new, "ver" names the new release only
// when every file is new, and a rerun completes the update.
// test-labels: e2e
// test-sources: UpdateTestKit.cpp
#include "NginxFixture.h"
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

using namespace update;
using kit::ReleaseFile;

namespace {

// In the child: every report goes to the parent as one byte; in step mode the
// child then waits for the parent's answer ('s' step on, 'f' run freely).
class PipeReceiver : public IUpdateProgress {
public:
    PipeReceiver(int out, int in) : m_out(out), m_in(in) {}
    void post(int kind, std::unique_ptr<UpdateProgress>) override
    {
        m_last = kind;
        char k = static_cast<char>(kind);
        if (write(m_out, &k, 1) != 1)
            _exit(3);
        if (m_step) {
            char a = 0;
            if (read(m_in, &a, 1) != 1)
                _exit(3);
            m_step = a == 's';
        }
    }
    void log(const std::string&) override {}
    int last() const { return m_last; }

private:
    int m_last = -1;
    int m_out;
    int m_in;
    bool m_step = true;
};

std::vector<ReleaseFile> release(const std::string& tag)
{
    std::vector<ReleaseFile> files;
    for (int i = 0; i < 8; ++i)
        files.push_back({"bin\\part" + std::to_string(i) + ".dat", std::string(300000 + i, static_cast<char>('a' + i)) + tag});
    files.push_back({"stays.txt", "unchanged"});
    return files;
}

class EngineKill : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nginx.start()) << nginx.error();
        install = std::make_unique<kit::Install>(nginx.httpUrl());
        kit::publish(nginx.httpRoot(), "VeltoraTea", "2.0.0", newFiles);
        resetToOld();
    }

    void resetToOld() { install->installRelease("1.0.0", oldFiles); }

    struct Child {
        pid_t pid = -1;
        int fromChild = -1;
        int toChild = -1;
    };

    // Runs check, download and installation in a child process; the
    // installation only after a complete download. A file size limit, when
    // given, holds from the download on (the downloads are the files the
    // installation moves into place).
    Child spawn(rlim_t fileLimit = RLIM_INFINITY)
    {
        int up[2], down[2];
        EXPECT_EQ(pipe(up), 0);
        EXPECT_EQ(pipe(down), 0);
        pid_t pid = fork();
        if (pid == 0) {
            close(up[0]);
            close(down[1]);
            {
                PipeReceiver receiver(up[1], down[0]);
                UpdateEngine engine(install->options());
                engine.SetReceiver(&receiver);
                engine.CheckThread();
                if (fileLimit != RLIM_INFINITY) {
                    signal(SIGXFSZ, SIG_IGN);
                    rlimit lim{fileLimit, fileLimit};
                    setrlimit(RLIMIT_FSIZE, &lim);
                }
                engine.DownloadThread();
                if (receiver.last() == kAllDownloaded)
                    engine.InstallThread();
            }
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        return {pid, up[0], down[1]};
    }

    // Reads reports; answers each with 's', or with 'f' at freeAt; returns the
    // reports seen until stopAt (the child then blocks) or the end.
    std::vector<int> drive(const Child& c, int stopKind, int stopCount, int freeAt = -1)
    {
        std::vector<int> seen;
        int count = 0;
        char k;
        while (read(c.fromChild, &k, 1) == 1) {
            seen.push_back(k);
            if (k == stopKind && ++count == stopCount)
                return seen;
            char a = k == freeAt ? 'f' : 's';
            if (write(c.toChild, &a, 1) != 1)
                break;
            if (k == freeAt)
                return seen;
        }
        return seen;
    }

    void finish(const Child& c, bool kill)
    {
        if (kill)
            ::kill(c.pid, SIGKILL);
        close(c.toChild);
        int status = 0;
        waitpid(c.pid, &status, 0);
        close(c.fromChild);
    }

    // Every file wholly old or wholly new; a new "ver" only with all files new.
    void expectConsistent(const std::string& when)
    {
        bool allNew = true;
        for (size_t i = 0; i < newFiles.size(); ++i) {
            std::string rel = newFiles[i].path;
            std::replace(rel.begin(), rel.end(), '\\', '/');
            const std::string now = install->read(rel);
            EXPECT_TRUE(now == oldFiles[i].bytes || now == newFiles[i].bytes) << when << ": " << rel;
            allNew = allNew && now == newFiles[i].bytes;
        }
        const std::string ver = install->ver();
        EXPECT_TRUE(ver == kit::manifestBody("1.0.0", oldFiles) || (allNew && ver == kit::manifestBody("2.0.0", newFiles)))
            << when;
    }

    void expectRerunCompletes(const std::string& when)
    {
        kit::Recorder recorder;
        UpdateEngine engine(install->options());
        engine.SetReceiver(&recorder);
        const int last = kit::runAllStages(engine, recorder);
        EXPECT_TRUE(last == kInstallComplete || last == kUpToDate) << when << "\n" << recorder.logText();
        for (const ReleaseFile& f : newFiles) {
            std::string rel = f.path;
            std::replace(rel.begin(), rel.end(), '\\', '/');
            EXPECT_EQ(install->read(rel), f.bytes) << when;
        }
        EXPECT_EQ(install->ver(), kit::manifestBody("2.0.0", newFiles)) << when;
        for (const std::string& f : kit::listTree(install->root()))
            EXPECT_EQ(f.find(".korvanel"), std::string::npos) << when << ": staging left behind: " << f;
    }

    testsupport::NginxFixture nginx;
    std::unique_ptr<kit::Install> install;
    std::vector<ReleaseFile> oldFiles = release("old");
    std::vector<ReleaseFile> newFiles = [] {
        auto f = release("new");
        f.back().bytes = "unchanged";
        return f;
    }();
};

TEST_F(EngineKill, KilledAtEachStepOfTheInstallation)
{
    struct Point {
        const char* name;
        int kind;
        int count;
    } points[] = {
        {"downloads done, nothing installed", kAllDownloaded, 1},
        {"first file in place", kFileInstalled, 1},
        {"half the files in place", kFileInstalled, 4},
        {"every file in place, no ver yet", kFileInstalled, 8},
        {"ver written", kInstallComplete, 1},
    };
    for (const Point& p : points) {
        resetToOld();
        Child c = spawn();
        std::vector<int> seen = drive(c, p.kind, p.count);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), p.kind) << p.name;
        finish(c, /*kill=*/true);
        expectConsistent(p.name);
        if (p.kind != kInstallComplete) {
            EXPECT_EQ(install->ver(), kit::manifestBody("1.0.0", oldFiles)) << p.name;
        }
        expectRerunCompletes(p.name);
    }
}

TEST_F(EngineKill, KilledAtRandomMoments)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 6; ++round) {
        resetToOld();
        Child c = spawn();
        drive(c, -1, 0, /*freeAt=*/kAllDownloaded);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        finish(c, true);
        const std::string name = "round " + std::to_string(round);
        expectConsistent(name);
        expectRerunCompletes(name);
    }
}

TEST_F(EngineKill, RunningOutOfFileSpaceLeavesTheOldInstallation)
{
    const auto before = kit::listTree(install->root());
    Child c = spawn(/*fileLimit=*/100000);
    std::vector<int> seen = drive(c, -1, 0);
    finish(c, false);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), kDownloadFailed);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kFileInstalled), 0);
    for (size_t i = 0; i < oldFiles.size(); ++i) {
        std::string rel = oldFiles[i].path;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        EXPECT_EQ(install->read(rel), oldFiles[i].bytes);
    }
    EXPECT_EQ(install->ver(), kit::manifestBody("1.0.0", oldFiles));
    EXPECT_EQ(kit::listTree(install->root()), before);
    expectRerunCompletes("after the disk filled up");
}

}  // namespace
