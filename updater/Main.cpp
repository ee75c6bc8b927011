// The updater program: sets up crash dumps, COM and libcurl, shows the
// update window and runs its message loop until the window is gone. The
// command line is not read: the program's own folder is the installation.
#include "common/CrashDumper.h"
#include "common/DataFolder.h"
#include "skinui/UIManager.h"
#include "updater/window/MainWindow.h"

#include <curl/curl.h>
#include <winapi/platform.h>
#include <winapi/winapi.h>

#include <memory>
#include <string>

namespace {

// <data folder>/crashDumps, made when missing.
std::string GetCrashDumpFolder()
{
    const std::string folder = datafolder::path() + "/crashDumps";
    datafolder::makePath(folder);
    return folder;
}

const std::string g_crashDumpFolder = GetCrashDumpFolder();
CrashDumper g_crashDumper(false, g_crashDumpFolder.c_str());

constexpr DWORD kWindowStyle = 0x10CF0000;  // visible, overlapped window
constexpr UINT kIconResource = 107;

}  // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    curl_global_init(CURL_GLOBAL_ALL);
    // Timers and clicks follow the real clock on either backend.
    if (winapi::selectBackendAuto() == winapi::Backend::Headless)
        winapi::setClockMode(winapi::ClockMode::Real);
    CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr));

    auto window = std::make_unique<korvanel::MainWindow>();
    if (!window->Create(nullptr, u"", kWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
        std::fprintf(stderr, "cannot create the update window\n");
        curl_global_cleanup();
        return 1;
    }
    window->SetIcon(kIconResource);
    window->CenterWindow();
    CUIWindowManager::RunMessageLoop();

    CUIWindowManager::Shutdown();
    window.reset();  // the engine's worker has ended with the window
    curl_global_cleanup();
    ::CoUninitialize();
    return 0;
}
