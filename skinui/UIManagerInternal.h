#pragma once
// Shared inside the window manager's files.

#include "skinui/UIPtrArray.h"

#include <winapi/wintypes.h>

class CControlUI;

// The pen that frames painted areas when the skin asks to show them.
HPEN uiUpdateRectPen();
// Every live manager of the process (UI thread only).
CUIPtrArray& uiManagerList();
// The control's class name contains part.
bool uiClassContains(CControlUI* pControl, const char16_t* part);
