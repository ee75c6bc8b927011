// What the window's buttons do: the next stage, starting the main program,
// the manual download page.
#include "updater/window/MainWindow.h"

#include "skinui/controls/UIButton.h"
#include "updater/engine/UpdateProgress.h"

#include <cstdio>

namespace korvanel {

std::string MainWindow::programPath() const { return m_engine.installFolder() + "/bin/32bit/Veltora"; }

void MainWindow::OnClick(UINotifyMsg& msg)
{
    CControlUI* sender = msg.pSender;
    if (!sender)
        return;
    if (sender == m_btnOK || sender == m_btnClose) {
        if (m_stages.pressOk() == FinalAction::StartProgram) {
            if (!startProgram()) {
                // Say so and stay: the user can try again or close.
                m_stages.programStartFailed(update::utf16(programPath()));
                showView();
                return;
            }
        } else {
            openDownloadPage();
        }
        Close(1);
    } else if (sender == m_btnNext) {
        startStage(m_stages.pressNext().start);
        showView();
    }
}

bool MainWindow::startProgram()
{
    // The program's path as the application and no command line: started
    // with that argument list alone, never through a shell.
    const std::u16string program = update::utf16(programPath());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                          &startup, &info)) {
        std::printf("cannot start %s\n", programPath().c_str());
        std::fflush(stdout);
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

void MainWindow::openDownloadPage()
{
    // GetDownloadUrl answers only http and https addresses.
    const std::string url = m_engine.GetDownloadUrl();
    if (url.empty()) {
        std::printf("no manual download page configured\n");
        std::fflush(stdout);
        return;
    }
    const std::u16string wide = update::utf16(url);
    ::ShellExecuteW(m_hWnd, u"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace korvanel
