// The updater's window on the headless backend against a local update
// server: the check, the download and the installation as the user sees
// them, the buttons at the end, and the failure paths, each ending with the
// manual download button, nothing installed and "ver" unchanged.
// test-labels: e2e
// test-sources: UpdateTestKit.cpp
// test-libs: korvanel_window korvanel_skin
#include "HttpFixture.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "WinapiWait.h"
#include "common/Sha1.h"
#include "skinui/UIContainer.h"
#include "tests/updater/UpdateTestKit.h"
#include "updater/window/MainWindow.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <winapi/platform.h>

#include <chrono>
#include <fstream>
#include <thread>

using namespace korvanel;
using namespace update;

namespace {

constexpr DWORD kWindowStyle = 0x10CF0000;

using testsupport::pumpUntil;

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A program that notes it ran by writing marker.
std::string markerScript(const std::string& marker, const std::string& text)
{
    // Written aside and renamed, so the file is whole once it exists.
    return "#!/bin/sh\necho " + text + " > '" + marker + ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n";
}

// A window that tests can reach into.
class TestWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    CUIWindowManager& manager() { return m_PaintManager; }
    CControlUI* control(const char16_t* name) { return m_PaintManager.FindControl(name); }
    // Clicks the named control where it shows on the virtual screen.
    void clickOn(const char16_t* name)
    {
        CControlUI* c = control(name);
        ASSERT_NE(c, nullptr);
        RECT w;
        ::GetWindowRect(GetHWND(), &w);
        const RECT& r = c->GetPos();
        winapi::advanceClock(1000);  // never taken for the second half of a double click
        winapi::headless::click(w.left + (r.left + r.right) / 2, w.top + (r.top + r.bottom) / 2);
    }
    bool finished = false;

protected:
    void OnFinalMessage(HWND hWnd) override
    {
        MainWindow::OnFinalMessage(hWnd);
        finished = true;
    }
};

class UpdaterWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.server().set_mount_point("/", html.path());
        ASSERT_TRUE(server.start());
        install = std::make_unique<kit::Install>(server.url());
        marker = install->outside() + "/started";
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));
    }

    void TearDown() override
    {
        close();
        server.stop();
    }

    // Ends the window and takes the quit its end posted off the queue.
    void close()
    {
        if (window && ::IsWindow(window->GetHWND()))
            ::DestroyWindow(window->GetHWND());
        window.reset();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
            ::DispatchMessageW(&msg);
        EXPECT_FALSE(winapi::quitPending());
    }

    void open()
    {
        window = std::make_unique<TestWindow>(install->options());
        ASSERT_NE(window->Create(nullptr, u"", kWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT),
                  nullptr);
        window->CenterWindow();
    }

    void shot(const std::string& name)
    {
        winapi::pumpMessages();
        winapi::dumpWindowPng(window->GetHWND(), testsupport::screenshotPath(name));
    }

    std::u16string text(const char16_t* name) { return window->control(name)->GetText().GetData(); }
    bool visible(const char16_t* name) { return window->control(name)->IsVisible(); }
    int rows() { return static_cast<CContainerUI*>(window->control(u"updateMsgList"))->GetCount(); }

    testsupport::TempDir html;
    testsupport::HttpFixture server;
    std::unique_ptr<kit::Install> install;
    std::unique_ptr<TestWindow> window;
    std::string marker;
};

}  // namespace

TEST_F(UpdaterWindow, UpdateRunsToTheEndAndStartsTheNewProgram)
{
    const std::vector<kit::ReleaseFile> old = {{"bin\\32bit\\Veltora", markerScript(marker, "old")}, {"a.txt", "a"}};
    install->installRelease("1.0.0", old);
    chmod((install->root() + "/bin/32bit/Veltora").c_str(), 0755);
    const std::vector<kit::ReleaseFile> release = {{"bin\\32bit\\Veltora", markerScript(marker, "new")},
                                                   {"a.txt", "b"},
                                                   {"docs\\notes.txt", std::string(5000, 'n')}};
    kit::publish(html.path(), "VeltoraTea", "1.1.0", release);
    // The last file is held back until the bar has been looked at.
    const std::string notes = release[2].bytes;
    const std::string notesPath = "/store/cached/" + sha1::ofBytes(notes.data(), notes.size());
    std::remove((html.path() + notesPath).c_str());
    server.server().Get(notesPath, [&](const httplib::Request&, httplib::Response& res) {
        server.waitForRelease();
        res.set_content(notes, "application/octet-stream");
    });

    open();
    EXPECT_EQ(text(u"labTitle"), u"Miravo老师端升级中...");
    EXPECT_FALSE(visible(u"btnOK"));
    EXPECT_FALSE(visible(u"btnClose"));
    shot("updater-check.png");

    // Two of three files are in: the bar is two thirds full.
    ASSERT_TRUE(pumpUntil([&] { return text(u"progressTip") == u"66%"; }));
    EXPECT_TRUE(visible(u"progressTip"));
    EXPECT_FALSE(visible(u"currentAction"));
    EXPECT_TRUE(visible(u"stateLayout"));
    EXPECT_EQ(window->control(u"currentState")->GetFixedWidth(), 300);
    shot("updater-download.png");
    server.releaseStalled();

    ASSERT_TRUE(pumpUntil([&] { return window->view().okVisible; }));
    EXPECT_EQ(window->view().stage, Stage::Finished);
    EXPECT_EQ(text(u"currentAction"), u"安装完成");
    EXPECT_TRUE(visible(u"currentAction"));
    EXPECT_FALSE(visible(u"stateLayout"));
    EXPECT_EQ(text(u"btnOK"), u"进入体验");
    EXPECT_TRUE(visible(u"btnOK"));
    EXPECT_FALSE(visible(u"btnNext"));
    // Remote version, three downloads, three installed files, the end.
    EXPECT_EQ(rows(), 8);
    EXPECT_EQ(install->read("a.txt"), "b");
    EXPECT_EQ(install->ver(), kit::manifestBody("1.1.0", release));
    shot("updater-installed.png");

    window->clickOn(u"btnOK");
    ASSERT_TRUE(pumpUntil([&] { return window->finished && exists(marker); }));
    EXPECT_EQ(testsupport::readFile(marker), "new\n");
    EXPECT_TRUE(winapi::quitPending());
}

TEST_F(UpdaterWindow, CurrentInstallationOffersTheProgramAtOnce)
{
    const std::vector<kit::ReleaseFile> files = {{"bin\\32bit\\Veltora", markerScript(marker, "same")}};
    install->installRelease("1.1.0", files);
    chmod((install->root() + "/bin/32bit/Veltora").c_str(), 0755);
    kit::publish(html.path(), "VeltoraTea", "1.1.0", files);

    open();
    ASSERT_TRUE(pumpUntil([&] { return window->view().okVisible; }));
    EXPECT_EQ(text(u"currentAction"), u"软件已经是最新版本");
    EXPECT_EQ(text(u"btnOK"), u"确定");
    EXPECT_FALSE(visible(u"stateLayout"));
    shot("updater-current.png");
    window->clickOn(u"btnOK");
    ASSERT_TRUE(pumpUntil([&] { return window->finished && exists(marker); }));
}

TEST_F(UpdaterWindow, MissingProgramIsReportedAndTheWindowStays)
{
    install->installRelease("1.1.0", {{"a.txt", "a"}});
    kit::publish(html.path(), "VeltoraTea", "1.1.0", {{"a.txt", "a"}});
    open();
    ASSERT_TRUE(pumpUntil([&] { return window->view().okVisible; }));
    window->clickOn(u"btnOK");
    ASSERT_TRUE(pumpUntil([&] { return text(u"currentAction").rfind(u"无法启动主程序", 0) == 0; }));
    EXPECT_FALSE(window->finished);
    EXPECT_TRUE(visible(u"btnOK"));
    shot("updater-no-program.png");
}

TEST_F(UpdaterWindow, FailuresEndWithTheManualDownloadButton)
{
    // The page opener notes the address it was asked to open.
    const std::string opened = install->outside() + "/opened";
    const std::string opener = install->tempBase() + "/opener";
    {
        std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > '" << opened << ".tmp' && mv '" << opened << ".tmp' '"
                              << opened << "'\n";
    }
    chmod(opener.c_str(), 0755);
    testsupport::ScopedEnv openerEnv("WINAPI_URL_OPENER", opener);
    {
        std::ofstream(install->dataFolder() + "/config.ini", std::ios::app)
            << "DownloadURL=http://127.0.0.1:9/download_pc.html\n";
    }

    struct Case {
        const char* name;
        const char16_t* action;
    };
    const Case cases[] = {
        {"digest-mismatch", u"更新校验失败, 点击确定手动下载最新版本"},
        {"damaged-archive", u"安装更新失败, 点击确定重新下载安装包"},
        {"server-down", u"版本检查失败, 点击确定手动下载最新版本"},  // last: the server stays down
    };
    const std::vector<kit::ReleaseFile> old = {{"a.txt", "a"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(opened.c_str());
        install->installRelease("1.0.0", old);
        const std::string verBefore = install->ver();
        const std::vector<std::string> treeBefore = kit::listTree(install->root());
        const std::string name = c.name;
        std::vector<kit::ReleaseFile> release = {{"a.txt", "b"}, {"b.txt", "new"}};
        if (name == "damaged-archive")
            release.push_back({"*<zip>\\plugins", "PK\x03\x04 this is not a zip archive"});
        kit::publish(html.path(), "VeltoraTea", "1.1.0", release);
        if (name == "server-down")
            server.stop();
        if (name == "digest-mismatch") {  // the store holds other bytes of the same size
            std::ofstream(html.path() + "/store/cached/" + sha1::ofBytes("new", 3), std::ios::trunc) << "old";
        }

        open();
        ASSERT_TRUE(pumpUntil([&] { return window->view().okVisible; }));
        EXPECT_EQ(window->view().stage, Stage::Failed);
        EXPECT_EQ(text(u"currentAction"), c.action);
        EXPECT_EQ(text(u"btnOK"), u"确定");
        EXPECT_EQ(install->ver(), verBefore);
        EXPECT_EQ(kit::listTree(install->root()), treeBefore);
        EXPECT_EQ(install->read("a.txt"), "a");
        shot("updater-failed-" + name + ".png");

        window->clickOn(u"btnOK");
        ASSERT_TRUE(pumpUntil([&] { return window->finished && exists(opened); }));
        EXPECT_EQ(testsupport::readFile(opened), "http://127.0.0.1:9/download_pc.html\n");
        close();
    }
}
