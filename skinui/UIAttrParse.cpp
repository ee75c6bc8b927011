#include "skinui/UIAttrParse.h"

#include <winapi/winbase.h>

void UIParseInts(const char16_t* s, LONG* out, int n)
{
    char16_t* p = const_cast<char16_t*>(s ? s : u"");
    for (int i = 0; i < n; ++i) {
        out[i] = static_cast<LONG>(wcstol16(p, &p, 10));
        if (i + 1 < n && *p)
            ++p;
    }
}

DWORD UIParseColour(const char16_t* s)
{
    if (!s)
        return 0;
    if (*s == u'#')
        ++s;
    return static_cast<DWORD>(wcstoul16(s, nullptr, 16));
}

bool UIIsTrue(const char16_t* s)
{
    return s && wcscmp(s, u"true") == 0;
}
