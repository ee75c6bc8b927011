#pragma once
// What shows the top-level windows: the headless backend keeps everything in
// memory; the X11 backend mirrors each top-level window (with its children
// composed in) in a real X window. All calls come from the window's thread.
#include <memory>

#include "platform/winapi/src/Core.h"

namespace winapi {

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual bool isHeadless() const = 0;
    virtual void screenSize(int* width, int* height) = 0;
    virtual RECT workArea() = 0;
    virtual void created(Window&) {}
    virtual void destroyed(Window&) {}
    virtual void shown(Window&, bool) {}
    virtual void moved(Window&) {}
    virtual void shapeChanged(Window&) {}
    virtual void opacityChanged(Window&) {}
    virtual void titleChanged(Window&) {}
    virtual void iconChanged(Window&) {}
    virtual void raised(Window&) {}
    // Pixels of a top-level window changed inside rect (window coordinates).
    virtual void dirty(Window&, const RECT&) {}
    virtual void setCursor(HCURSOR) {}
    // Called before a thread waits for messages: push pending pictures.
    virtual void flush() {}
};

DisplayBackend& backend();

// Composes a top-level or child window with its visible children into an
// opaque ARGB32 surface of the window's size (caller destroys it).
cairo_surface_t* composeWindow(const Window& w);

}  // namespace winapi

namespace winapi {
// Opens the X display; null when it cannot be opened.
std::unique_ptr<DisplayBackend> createX11Backend();
}  // namespace winapi
