// Crash dumps: a child process that faults leaves a dump file and ends with a
// non-zero status; after Disable it takes the default path and writes none.
#include "common/CrashDumper.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using testsupport::TempDir;

namespace {

volatile int g_zero = 0;
volatile int* volatile g_null = nullptr;

int recurse(int depth)
{
    volatile char pad[1024];
    pad[0] = char(depth);
    if (g_zero == 12345)  // never: keeps the recursion unbounded but not obviously so
        return 0;
    return recurse(depth + 1) + pad[0];
}

void fault(int sig)
{
    switch (sig) {
    case SIGSEGV: *g_null = 1; break;
    case SIGFPE: g_zero = 10 / g_zero; break;
    case SIGILL: __builtin_trap();
    case SIGABRT: std::abort();
    case 0: recurse(0); break;  // stack overflow
    default: ::raise(sig); break;
    }
}

// Runs body in a child process; returns its wait status.
template <typename Body>
int inChild(Body body)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        struct rlimit none = {0, 0};
        ::setrlimit(RLIMIT_CORE, &none);  // the default path must leave no core file here
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

std::vector<std::string> filesIn(const std::string& dir, const std::string& suffix = "")
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != ".." && (suffix.empty() || (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)))
                names.push_back(n);
        }
        ::closedir(d);
    }
    return names;
}

std::string localStamp(time_t t)
{
    char buf[32];
    struct tm tm;
    ::localtime_r(&t, &tm);
    std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &tm);
    return buf;
}

}  // namespace

TEST(CrashDumper, EachFatalSignalLeavesADumpAndNonZeroStatus)
{
    struct Case {
        int sig;
        const char* name;
    } cases[] = {{SIGSEGV, "SIGSEGV"}, {SIGBUS, "SIGBUS"}, {SIGILL, "SIGILL"},
                 {SIGFPE, "SIGFPE"},   {SIGABRT, "SIGABRT"}, {0, "SIGSEGV"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sig ? c.name : "stack overflow");
        TempDir dir;
        const std::string folder = dir.path() + "/crashDumps";
        time_t before = ::time(nullptr);
        int status = inChild([&] {
            CrashDumper dumper(false, folder.c_str());
            fault(c.sig);
        });
        time_t after = ::time(nullptr);
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_NE(WEXITSTATUS(status), 0);

        std::vector<std::string> dumps = filesIn(folder);
        ASSERT_EQ(dumps.size(), 1u);
        const std::string& name = dumps[0];
        ASSERT_EQ(name.size(), 18u) << name;  // 14 digits + ".dmp"
        EXPECT_EQ(name.substr(14), ".dmp");
        std::string stamp = name.substr(0, 14);
        EXPECT_GE(stamp, localStamp(before));
        EXPECT_LE(stamp, localStamp(after));

        std::string text = testsupport::readFile(folder + "/" + name);
        EXPECT_NE(text.find(std::string("signal ") + std::to_string(c.sig ? c.sig : SIGSEGV) + " " + c.name),
                  std::string::npos);
        EXPECT_NE(text.find("[registers]\nrip 0x"), std::string::npos);
        EXPECT_NE(text.find("[backtrace]\n"), std::string::npos);
        EXPECT_NE(text.find("[maps]\n"), std::string::npos);
        EXPECT_NE(text.find("[stack]"), std::string::npos);  // a line of the memory map
    }
}

TEST(CrashDumper, DisabledTakesTheDefaultPath)
{
    TempDir dir;
    const std::string folder = dir.path() + "/crashDumps";
    for (int sig : {SIGSEGV, SIGABRT}) {
        int status = inChild([&] {
            CrashDumper dumper(false, folder.c_str());
            CrashDumper::Disable();
            fault(sig);
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), sig);
    }
    EXPECT_TRUE(filesIn(folder).empty());
    // A destroyed dumper is no longer the handler either, and its thread
    // has its former signal stack back (the dumper's own is freed).
    stack_t before;
    ASSERT_EQ(0, sigaltstack(nullptr, &before));
    {
        CrashDumper d(false, folder.c_str());
        EXPECT_EQ(CrashDumper::Current(), &d);
        stack_t during;
        ASSERT_EQ(0, sigaltstack(nullptr, &during));
        EXPECT_NE(before.ss_sp, during.ss_sp);
    }
    EXPECT_EQ(CrashDumper::Current(), nullptr);
    stack_t after;
    ASSERT_EQ(0, sigaltstack(nullptr, &after));
    EXPECT_EQ(before.ss_sp, after.ss_sp);
    EXPECT_EQ(before.ss_flags, after.ss_flags);
}

TEST(CrashDumper, MissingFolderDumpsBesideTheProgram)
{
    TempDir dir;
    const std::string folder = dir.path() + "/crashDumps";
    char exe[4096] = {0};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string exePath = exe;
    std::string exeDir = exePath.substr(0, exePath.rfind('/'));
    std::string exeName = exePath.substr(exePath.rfind('/') + 1);
    for (const std::string& old : filesIn(exeDir, ".dmp"))
        if (old.rfind(exeName + ".", 0) == 0)
            ::unlink((exeDir + "/" + old).c_str());

    int status = inChild([&] {
        CrashDumper dumper(false, folder.c_str());
        ::rmdir(folder.c_str());  // deleted after start
        fault(SIGSEGV);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    std::vector<std::string> dumps;
    for (const std::string& n : filesIn(exeDir, ".dmp"))
        if (n.rfind(exeName + ".", 0) == 0)
            dumps.push_back(n);
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0].size(), exeName.size() + 1 + 14 + 4);
    ::unlink((exeDir + "/" + dumps[0]).c_str());
}

TEST(CrashDumper, DumpNamesAndNoOverwrite)
{
    TempDir dir;
    const std::string folder = dir.path() + "/crashDumps";
    CrashDumper d(false, folder.c_str());
    EXPECT_STREQ(d.DumpFolder(), folder.c_str());
    // 2024-01-31 23:59:59 local time.
    struct tm tm = {};
    tm.tm_year = 124;
    tm.tm_mon = 0;
    tm.tm_mday = 31;
    tm.tm_hour = 23;
    tm.tm_min = 59;
    tm.tm_sec = 59;
    tm.tm_isdst = -1;
    time_t t = ::mktime(&tm);
    char path[8192];
    d.DumpPathFor(t, path, sizeof path);
    EXPECT_EQ(std::string(path), folder + "/20240131235959");
    CrashDumper::Disable();

    // Dumps already there for the coming seconds are kept; the new one is
    // written beside them.
    time_t now = ::time(nullptr);
    std::vector<std::string> placed;
    for (int i = -1; i < 10; ++i) {
        std::string name = localStamp(now + i) + ".dmp";
        FILE* f = std::fopen((folder + "/" + name).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("earlier dump", f);
        std::fclose(f);
        placed.push_back(name);
    }
    int status = inChild([&] {
        CrashDumper dumper(false, folder.c_str());
        fault(SIGSEGV);
    });
    ASSERT_TRUE(WIFEXITED(status));
    for (const std::string& name : placed)
        EXPECT_EQ(testsupport::readFile(folder + "/" + name), "earlier dump");
    std::vector<std::string> dumps = filesIn(folder);
    ASSERT_EQ(dumps.size(), placed.size() + 1);
    bool found = false;
    for (const std::string& n : dumps)
        found = found || (n.size() == 20 && n.substr(14) == "-1.dmp");
    EXPECT_TRUE(found);
}
