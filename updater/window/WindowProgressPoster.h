#pragma once
// Hands the engine's reports to the updater window: each becomes a posted
// UM_UPDATE_PROGRESS (wParam = the kind, lParam = the record, which the
// window frees). A record that cannot be posted (no window any more) is
// freed here. post() runs on the engine's worker thread.
#include "updater/engine/UpdateProgress.h"

#include <winapi/winapi.h>

#include <atomic>

namespace korvanel {

// The updater window's private message.
constexpr UINT UM_UPDATE_PROGRESS = WM_USER + 0x400;
static_assert(UM_UPDATE_PROGRESS == 0x800, "the window's progress message is 0x800");

class WindowProgressPoster : public update::IUpdateProgress {
public:
    // The receiving window; null stops posting (every record is then freed).
    void setWindow(HWND window) { m_window = window; }
    void post(int kind, std::unique_ptr<update::UpdateProgress> record) override;

    // Frees the records still queued for window on this thread (called by
    // the window thread once no worker runs any more).
    static int discardQueued(HWND window);

private:
    std::atomic<HWND> m_window{nullptr};  // atomic: set by the window thread, read by the worker
};

}  // namespace korvanel
