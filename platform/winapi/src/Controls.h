#pragma once
// The built-in window classes: "Edit", "tooltips_class32" and
// "SysDateTimePick32".
#include "winapi/winuser.h"

namespace winapi {

void registerSystemClasses();  // once per process
void registerBuiltinClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor);

LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK tooltipProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK datePickerProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace winapi

#include <memory>

#include "platform/winapi/src/Core.h"

namespace winapi {

// The state a built-in control keeps with its window (created at
// WM_NCCREATE, freed with the window).
template <typename T>
T* controlState(HWND hwnd, bool create = false)
{
    auto w = findWindow(hwnd);
    if (!w)
        return nullptr;
    if (!w->controlData && create) {
        w->controlData = new T;
        w->freeControlData = [](void* p) { delete static_cast<T*>(p); };
    }
    return static_cast<T*>(w->controlData);
}

// Sends a WM_COMMAND notification to the control's parent.
void notifyParent(HWND hwnd, WORD code);

// The background of a built-in control: its client rectangle (put in rc)
// filled with the system colour fillSysColor and framed in frame.
void paintFramedClient(HWND hwnd, HDC dc, RECT& rc, int fillSysColor, COLORREF frame);

}  // namespace winapi
