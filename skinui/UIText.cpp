#include "skinui/UIText.h"

#include <winapi/winbase.h>

#include <climits>

std::u16string UIUtf8ToUtf16(const char* s, size_t len)
{
    std::u16string out;
    if (!s || len == 0 || len > static_cast<size_t>(INT_MAX))
        return out;
    const int n = MultiByteToWideChar(CP_UTF8, 0, s, static_cast<int>(len), nullptr, 0);
    if (n <= 0)
        return out;
    out.resize(static_cast<size_t>(n));
    const int got = MultiByteToWideChar(CP_UTF8, 0, s, static_cast<int>(len), &out[0], n);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

std::u16string UIUtf8ToUtf16(const std::string& s)
{
    return UIUtf8ToUtf16(s.data(), s.size());
}

std::string UIUtf16ToUtf8(const char16_t* s, int len)
{
    std::string out;
    if (!s)
        return out;
    if (len < 0)
        len = lstrlenW(s);
    if (len == 0)
        return out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, s, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return out;
    out.resize(static_cast<size_t>(n));
    const int got = WideCharToMultiByte(CP_UTF8, 0, s, len, &out[0], n, nullptr, nullptr);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}
