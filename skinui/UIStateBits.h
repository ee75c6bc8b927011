#pragma once
// State bits of buttons, options, edits, sliders and each part of a scroll
// bar (one 32-bit word per control or part).
#include <winapi/wintypes.h>

enum UIStateBit : UINT {
    UISTATE_FOCUSED = 0x01,
    UISTATE_SELECTED = 0x02,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
    UISTATE_READONLY = 0x20,
    UISTATE_CAPTURED = 0x40,
};

// True for the mouse event types (move to scroll wheel).
inline bool UIIsMouseEvent(int type)
{
    return type > 8 && type < 19;
}
