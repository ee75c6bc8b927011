// The whole update on a real X display: the main program's check finds a
// newer release, its update path copies the updater to "KorvanelTmp" and
// starts it; the updater's window shows the download and the end, and a
// click on "进入体验" starts the new main program. Screenshots of each stage
// are kept under the build folder.
// test-labels: xvfb
// test-sources: UpdateTestKit.cpp
// test-libs: veltora_app
#include "ChildProcess.h"
#include "HttpFixture.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "app/AppUpdater.h"
#include "app/UpdateChecker.h"
#include "app/UpdateMessage.h"
#include "common/Sha1.h"
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

using testsupport::processesOf;
using testsupport::waitFor;
std::string run(const std::string& command) { return testsupport::commandOutput(command); }

constexpr int kWidth = 500;
constexpr int kHeight = 400;




struct Rgb {
    int r = -1, g = -1, b = -1;
};

// One pixel of the screen, as 8-bit channels.
Rgb pixel(int x, int y)
{
    const std::string out = run("import -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                                " -depth 8 txt:- 2>/dev/null");
    Rgb c;
    const size_t at = out.find(": (");
    if (at == std::string::npos || std::sscanf(out.c_str() + at, ": (%d,%d,%d", &c.r, &c.g, &c.b) != 3)
        return Rgb{};
    return c;
}

bool teal(const Rgb& c) { return c.g > c.r + 40 && c.b > c.r + 40; }
bool amber(const Rgb& c) { return c.r > 200 && c.g > 120 && c.g < 210 && c.b < 110; }

}  // namespace

TEST(UpdaterOnX, MainProgramStartsTheUpdaterWhichInstallsAndStartsTheNewProgram)
{
    const std::string updaterBinary = testsupport::binaryDir() + "/updater/KorvanelTea";
    if (!std::getenv("DISPLAY") || testsupport::findProgram("xdotool").empty() ||
        testsupport::findProgram("import").empty())
        GTEST_SKIP() << "needs an X display, xdotool and import";
    ASSERT_EQ(access(updaterBinary.c_str(), X_OK), 0) << updaterBinary;
    int argc = 1;
    char name[] = "tst_updater_xvfb";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    testsupport::TempDir html;
    testsupport::HttpFixture server;
    server.server().set_mount_point("/", html.path());
    ASSERT_TRUE(server.start());
    kit::Install install(server.url());
    const std::string marker = install.outside() + "/started";
    std::string updaterBytes;
    {
        std::ifstream in(updaterBinary, std::ios::binary);
        updaterBytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    auto script = [&](const char* text) {
        return "#!/bin/sh\necho " + std::string(text) + " > '" + marker + ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n";
    };
    install.installRelease("1.0.0", {{"KorvanelTea", updaterBytes}, {"bin\\32bit\\Veltora", script("old")}});
    chmod((install.root() + "/KorvanelTea").c_str(), 0755);
    chmod((install.root() + "/bin/32bit/Veltora").c_str(), 0755);
    const std::vector<kit::ReleaseFile> release = {{"KorvanelTea", updaterBytes},
                                                   {"bin\\32bit\\Veltora", script("new")},
                                                   {"bin\\32bit\\release-notes.txt", "Veltora 1.1.0\n"}};
    kit::publish(html.path(), "VeltoraTea", "1.1.0", release);
    // The notes wait until the download has been looked at.
    const std::string notesPath = "/store/cached/" + sha1::ofBytes(release[2].bytes.data(), release[2].bytes.size());
    std::remove((html.path() + notesPath).c_str());
    server.server().Get(notesPath, [&](const httplib::Request&, httplib::Response& res) {
        server.waitForRelease(60000);
        res.set_content(release[2].bytes, "application/octet-stream");
    });

    // The main program's check finds the release.
    UpdateChecker checker(install.root() + "/bin/32bit");
    checker.SetPoster([](int, UpdateMessage* record) { delete record; });
    ASSERT_TRUE(checker.Start());
    checker.Wait();
    ASSERT_TRUE(checker.HasNewVersion());

    // Its update path copies and starts the updater.
    const std::string copy = install.root() + "/KorvanelTmp";
    ASSERT_EQ(AppUpdater::RunUpdaterFrom(QString::fromStdString(install.root() + "/bin/32bit")).toStdString(), copy);
    struct Reaper {
        std::string path;
        ~Reaper()
        {
            for (pid_t pid : processesOf(path))
                kill(pid, SIGKILL);
        }
    } reaper{copy};

    // The window is centred on the screen.
    int screenW = 0, screenH = 0;
    ASSERT_EQ(std::sscanf(run("xdotool getdisplaygeometry").c_str(), "%d %d", &screenW, &screenH), 2);
    const int x = (screenW - kWidth) / 2;
    const int y = (screenH - kHeight) / 2;
    const std::string crop = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "+" + std::to_string(x) + "+" +
                             std::to_string(y);
    auto shot = [&](const std::string& file) {
        run("import -window root -crop " + crop + " '" + testsupport::screenshotPath(file) + "' 2>/dev/null");
    };

    // One of two files in (the updater itself is unchanged): the bar, in the
    // place of the hidden action text, is half full.
    ASSERT_TRUE(waitFor([&] { return teal(pixel(x + 20 + 100, y + 221)); })) << "no progress bar";
    EXPECT_FALSE(teal(pixel(x + 20 + 350, y + 221)));
    EXPECT_TRUE(teal(pixel(x + 250, y + 20)));  // the title bar
    shot("updater-xvfb-download.png");
    server.releaseStalled();

    // "进入体验" appears once the files and "ver" are in place.
    ASSERT_TRUE(waitFor([&] { return amber(pixel(x + 250, y + 368)); })) << "no button";
    EXPECT_EQ(install.ver(), kit::manifestBody("1.1.0", release));
    EXPECT_EQ(install.read("bin/32bit/release-notes.txt"), "Veltora 1.1.0\n");
    shot("updater-xvfb-installed.png");

    run("xdotool mousemove --sync " + std::to_string(x + 250) + " " + std::to_string(y + 368) +
        " sleep 0.2 click 1");
    ASSERT_TRUE(waitFor([&] { return access(marker.c_str(), F_OK) == 0; })) << "the new program did not start";
    EXPECT_EQ(testsupport::readFile(marker), "new\n");
    EXPECT_TRUE(waitFor([&] { return processesOf(copy).empty(); })) << "the updater did not end";
}
