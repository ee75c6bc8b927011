#pragma once
// Waiting on the Windows-API-shaped layer: pumps this thread's window
// messages until a condition holds or the time is up (real clock; for
// windows on the X server or waiting on worker threads).
#include <winapi/platform.h>

#include <chrono>
#include <thread>

namespace testsupport {

template <class Cond>
bool pumpUntil(Cond cond, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        winapi::pumpMessages();
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    winapi::pumpMessages();
    return cond();
}

} // namespace testsupport
