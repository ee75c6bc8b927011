#pragma once
// The X server's top-level windows that have a title, as the window-capture
// source lists them.
#include <cstdint>
#include <string>
#include <vector>

namespace broadcast {

struct ListedWindow {
    uint64_t id = 0;
    std::string title;    // the window's own title
    std::string program;  // executable file name of its owner, "?" when unknown
    std::string listed() const { return "[" + program + "]: " + title; }
};

// Empty when no X display can be opened.
std::vector<ListedWindow> listWindows();

// The size of the default screen of the X display; false without a display.
bool screenSize(int* width, int* height);

}  // namespace broadcast
