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
