// The whole update by clicks on a real X display: the installed program,
// started against a local update server that offers a newer release, shows
// the update prompt over its login window; a click on "立即更新" starts the
// updater (its copy "KorvanelTmp") and ends the program. With an installed
// version the update is optional (both buttons); without a local manifest
// it is required (only "立即更新", at the same place). Screenshots of the
// prompt on the screen are kept under the build folder.
// test-labels: xvfb
#include "ChildProcess.h"
#include "HttpFixture.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "common/Sha1.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using testsupport::processesOf;
using testsupport::waitFor;
std::string run(const std::string& command) { return testsupport::commandOutput(command); }


void writeFile(const std::string& path, const std::string& bytes)
{
    run("mkdir -p \"$(dirname '" + path + "')\"");
    std::ofstream(path, std::ios::binary) << bytes;
}



struct Geometry {
    int x = 0, y = 0, w = 0, h = 0;
};

// The visible window with this exact title, if any.
bool findWindow(const std::string& title, Geometry& g)
{
    const std::string id = run("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null | head -1");
    if (id.empty())
        return false;
    const std::string shell = run("xdotool getwindowgeometry --shell " + id);
    return std::sscanf(shell.c_str(), "WINDOW=%*d\nX=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y, &g.w, &g.h) == 4;
}

}  // namespace

TEST(UpdateByClicks, PromptThenUpdateStartsTheUpdaterAndEndsTheProgram)
{
    if (!std::getenv("DISPLAY") || testsupport::findProgram("xdotool").empty() ||
        testsupport::findProgram("import").empty())
        GTEST_SKIP() << "needs an X display, xdotool and import";

    // A newer release on the update server: one added file.
    testsupport::TempDir html;
    const std::string notes = "Veltora 2.0.0\n";
    const std::string digest = sha1::ofBytes(notes.data(), notes.size());
    writeFile(html.path() + "/store/cached/" + digest, notes);
    writeFile(html.path() + "/version/VeltoraTea", R"({"latest-version":"2.0.0.json","minimum-required":"1.0.0"})");
    writeFile(html.path() + "/latest/VeltoraTea",
              R"({"version":"2.0.0","files":[{"path":"bin\\32bit\\release-notes.txt","size":)" +
                  std::to_string(notes.size()) + R"(,"digest":")" + digest + R"("}]})");
    testsupport::HttpFixture server;
    server.server().set_mount_point("/", html.path());
    ASSERT_TRUE(server.start());

    const struct {
        const char* name;
        const char* installedManifest;  // null: none
        const char* shot;
    } cases[] = {
        {"newer", R"({"version":"1.4.7","files":[]})", "update_by_clicks_newer.png"},
        {"required", nullptr, "update_by_clicks_required.png"},
    };
    for (const auto& c : cases) {
        // The installation as it is shipped, and a home whose settings
        // point at the server.
        testsupport::TempDir root;
        run("cmake --install '" + testsupport::binaryDir() + "' --prefix '" + root.path() + "' >/dev/null 2>&1");
        const std::string program = root.path() + "/bin/32bit/Veltora";
        ASSERT_EQ(access(program.c_str(), X_OK), 0) << program;
        testsupport::TempHome home;
        writeFile(home.dataFolder() + "/config.ini", "[VeltoraTea]\nUpdateUrl=" + server.url() + "\n");
        if (c.installedManifest)
            writeFile(home.dataFolder() + "/ver", c.installedManifest);

        const std::string copy = root.path() + "/KorvanelTmp";
        struct Reaper {
            std::string path;
            QProcess* process;
            ~Reaper()
            {
                for (pid_t pid : processesOf(path))
                    kill(pid, SIGKILL);
                if (process->state() != QProcess::NotRunning) {
                    process->kill();
                    process->waitForFinished(10000);
                }
            }
        };
        QProcess veltora;
        Reaper reaper{copy, &veltora};
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.remove("QT_QPA_PLATFORM");
        veltora.setProcessEnvironment(env);
        veltora.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        veltora.setStandardOutputFile(QProcess::nullDevice());
        veltora.start(QString::fromStdString(program), QStringList());
        ASSERT_TRUE(veltora.waitForStarted(10000)) << c.name;

        // The prompt comes up over the login window ("Form" is its title).
        Geometry login, prompt;
        ASSERT_TRUE(waitFor([&] { return findWindow("vtlogintea", login); })) << c.name;
        ASSERT_TRUE(waitFor([&] { return findWindow("Form", prompt); })) << c.name << ": no update prompt";
        EXPECT_EQ(prompt.w, 311) << c.name;
        EXPECT_EQ(prompt.h, 337) << c.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        run("import -window root -crop " + std::to_string(login.w + 40) + "x" + std::to_string(login.h + 40) + "+" +
            std::to_string(login.x - 20) + "+" + std::to_string(login.y - 20) + " '" +
            testsupport::screenshotPath(c.shot) + "' 2>/dev/null");

        // "立即更新": the right half of the button row, or the whole row when
        // it is the only button.
        run("xdotool mousemove --sync " + std::to_string(prompt.x + 233) + " " + std::to_string(prompt.y + 315) +
            " sleep 0.3 click 1");
        EXPECT_TRUE(waitFor([&] { return !processesOf(copy).empty(); })) << c.name << ": the updater did not start";
        EXPECT_TRUE(veltora.waitForFinished(30000)) << c.name << ": the program did not end";
    }
}
