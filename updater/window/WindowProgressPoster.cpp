#include "updater/window/WindowProgressPoster.h"

namespace korvanel {

void WindowProgressPoster::post(int kind, std::unique_ptr<update::UpdateProgress> record)
{
    const HWND window = m_window.load();
    if (!window)
        return;  // the record goes with the unique pointer
    if (::PostMessageW(window, UM_UPDATE_PROGRESS, static_cast<WPARAM>(kind),
                       reinterpret_cast<LPARAM>(record.get())))
        record.release();  // the window's now
}

int WindowProgressPoster::discardQueued(HWND window)
{
    int n = 0;
    MSG msg;
    while (::PeekMessageW(&msg, window, UM_UPDATE_PROGRESS, UM_UPDATE_PROGRESS, PM_REMOVE)) {
        delete reinterpret_cast<update::UpdateProgress*>(msg.lParam);
        ++n;
    }
    return n;
}

}  // namespace korvanel
