// System information: parsing of /proc and os-release texts, the CPU-load
// sample (zero elapsed time included), and the live machine's answers.
#include "app/SystemInfo.h"
#include "TempDir.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <chrono>

using namespace sysinfo;

namespace {
testsupport::TempHome g_home;  // goes, and cleans up, when the program ends
}

TEST(SystemInfo, ParsesProcTexts)
{
    EXPECT_EQ(CpuNameFrom("processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Core(TM) i5 CPU @ 2.40GHz\n"),
              "Intel(R) Core(TM) i5 CPU @ 2.40GHz");
    EXPECT_EQ(CpuNameFrom("processor : 0\nBogoMIPS : 48.00\nHardware : BCM2835\n"), "BCM2835");
    EXPECT_EQ(CpuNameFrom(""), "");

    uint64_t total = 0, avail = 0;
    ASSERT_TRUE(MemoryFrom("MemTotal:       16315312 kB\nMemFree:  100 kB\nMemAvailable:    8157656 kB\n", total, avail));
    EXPECT_EQ(total, 16315312ull * 1024);
    EXPECT_EQ(avail, 8157656ull * 1024);
    EXPECT_EQ(FormatMemoryInfo(total, avail), "Total:15932MB Available:7966MB");
    EXPECT_EQ(MemoryLoad(total, avail), 50u);
    // Old kernels: free + buffers + cached.
    ASSERT_TRUE(MemoryFrom("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n", total, avail));
    EXPECT_EQ(avail, 400ull * 1024);
    EXPECT_FALSE(MemoryFrom("garbage\n", total, avail));
    EXPECT_EQ(FormatMemoryInfo(2147483647ull, 0), "Total:2047MB Available:0MB");  // remainder dropped
    EXPECT_EQ(MemoryLoad(0, 0), 0u);
    EXPECT_EQ(MemoryLoad(100, 200), 0u);

    struct Case {
        const char* release;
        bool ok;
        uint32_t a, b, c, d;
    } cases[] = {
        {"6.1.0-18-amd64", true, 6, 1, 0, 18},
        {"5.15.0-91-generic", true, 5, 15, 0, 91},
        {"6.6.7", true, 6, 6, 7, 0},
        {"4.19", true, 4, 19, 0, 0},
        {"weird", false, 0, 0, 0, 0},
        {"7", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        uint32_t a = 0, b = 0, x = 0, d = 0;
        EXPECT_EQ(KernelVersionFrom(c.release, a, b, x, d), c.ok) << c.release;
        if (c.ok) {
            EXPECT_EQ(FormatSystemVersion(a, b, x, d), FormatSystemVersion(c.a, c.b, c.c, c.d)) << c.release;
        }
    }
    EXPECT_EQ(FormatSystemVersion(10, 0, 19041, 1), "window 10.0 Build 19041 (Revision:1)");

    EXPECT_EQ(OsNameFrom("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(OsNameFrom("NAME='Alpine'\n"), "Alpine");
    EXPECT_EQ(OsNameFrom(""), "");
}

TEST(SystemInfo, CpuLoadSamples)
{
    CpuLoadSampler s;
    EXPECT_EQ(s.Sample(1000, 500, 4), 0);               // the first call
    EXPECT_EQ(s.Sample(1000, 900, 4), 0);               // no time passed: the last answer, no division
    EXPECT_EQ(s.Sample(2000000000, 1000000500, 4), 50);  // half of one processor
    EXPECT_EQ(s.Sample(2000000000, 1000000500, 4), 50);  // again no time: kept
    EXPECT_EQ(s.Sample(3000000000, 3000000500, 4), 200);  // two processors busy
    EXPECT_EQ(s.Sample(4000000000, 3000000500, 0), 200);  // no processor count: kept
}

TEST(SystemInfo, LiveMachine)
{
    EXPECT_TRUE(QRegularExpression("^Total:\\d+MB Available:\\d+MB$").match(GetMemoryInfo()).hasMatch())
        << GetMemoryInfo().toStdString();
    EXPECT_LE(GetMemoryLoad(), 100u);
    EXPECT_TRUE(QRegularExpression("^window \\d+\\.\\d+ Build \\d+ \\(Revision:\\d+\\)$")
                    .match(GetSystemVersion())
                    .hasMatch());
    uint32_t a = 0, b = 0, c = 0, d = 0;
    EXPECT_TRUE(GetKernel32Version(a, b, c, d));
    EXPECT_GE(a, 3u);
    EXPECT_FALSE(GetOsName().isEmpty());
    GetGpuName();  // may well be empty in a container; must not fail

    EXPECT_EQ(GetProcessCpuUsage(), 0);
    // Keep one processor busy for a moment of CPU time.
    auto cpuNow = [] {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec * 1000000000LL + ts.tv_nsec;
    };
    const long long start = cpuNow();
    volatile double x = 0;
    while (cpuNow() - start < 100000000LL)
        x = x + 1.0;
    int usage = GetProcessCpuUsage();
    EXPECT_GT(usage, 0);
}
