#pragma once
// Control of the layer itself: which backend shows the windows, the clock
// behind GetTickCount and the timers, and (headless backend) the virtual
// screen, input injection and pictures of windows for tests.
#include <cstdint>
#include <string>
#include <vector>

#include "winapi/wintypes.h"

namespace winapi {

enum class Backend {
    Headless,  // virtual screen in memory: the default
    X11,       // real windows on the X server named by DISPLAY
};

// Chooses the backend before the first window is created. X11 fails (false,
// headless stays) when the display cannot be opened. Auto: X11 when DISPLAY
// opens, else headless; the variable WINAPI_BACKEND=headless|x11 overrides.
bool selectBackend(Backend backend);
Backend selectBackendAuto();
Backend currentBackend();

// The clock behind GetTickCount, message times, timers, hover and double
// clicks. Manual (the headless default): time moves only by advanceClock.
// Real: the monotonic clock (the X11 default).
enum class ClockMode { Manual, Real };
void setClockMode(ClockMode mode);
ClockMode clockMode();
// Moves the manual clock forward and wakes every waiting message loop.
void advanceClock(uint32_t ms);
// Milliseconds of the current clock (GetTickCount's value).
uint32_t clockNow();

// Dispatches everything this thread's queue holds now (posted messages,
// input, due timers, paints) without waiting; returns the number of
// messages dispatched. A WM_QUIT met on the way is put back (see hasQuit).
int pumpMessages();
// True when WM_QUIT was posted on this thread and not yet retrieved.
bool quitPending(int* exitCode = nullptr);

namespace headless {

// The virtual screen (default 1920 x 1080 with the work area 0,0-1920,1040).
void setScreen(int width, int height, const RECT& workArea);

// Input in screen coordinates, delivered like a real device: hit testing,
// capture, hover and leave tracking, double clicks, caption dragging. Call
// them on the thread that owns the windows (they look at window geometry);
// the messages reach the windows' queues and pumpMessages() dispatches them.
void mouseMove(int x, int y);
void mouseDown(int x, int y, int button = 0);  // 0 left, 1 right, 2 middle
void mouseUp(int x, int y, int button = 0);
void click(int x, int y, int button = 0);
void mouseWheel(int x, int y, int delta);
// A key going down / up; ch is the character it types (0: none).
void keyDown(int virtualKey, char16_t ch = 0);
void keyUp(int virtualKey);
// Types text: a key down, its character and a key up per character.
void typeText(const std::u16string& text);

}  // namespace headless

// The window as it shows on screen: its own pixels with its visible
// children on top, opaque (alpha 255), row by row, 0xAARRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
Picture captureWindow(HWND hwnd);
// Writes captureWindow(hwnd) as a PNG file.
bool dumpWindowPng(HWND hwnd, const std::string& path);

// Resources embedded by winapi_add_resources(): registered at start-up.
// type and name: a string, or "#<number>" for a numeric id.
void registerResource(const char16_t* type, const char16_t* name, const unsigned char* data, size_t size);

}  // namespace winapi
