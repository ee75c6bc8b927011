#pragma once
// Reading skin attribute values: integer lists ("l,t,r,b": one separator
// character after each number), hexadecimal colours with an optional "#",
// and booleans (only the exact text "true").

#include <winapi/wintypes.h>

// Reads n decimal integers; never steps past the terminator.
void UIParseInts(const char16_t* s, LONG* out, int n);
DWORD UIParseColour(const char16_t* s);
bool UIIsTrue(const char16_t* s);
