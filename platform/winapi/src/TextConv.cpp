#include "platform/winapi/src/TextConv.h"

#include <algorithm>
#include <cwctype>

#include "winapi/winbase.h"

namespace winapi {

size_t length16(const char16_t* s)
{
    size_t n = 0;
    if (s)
        while (s[n])
            ++n;
    return n;
}

std::u16string fromUtf8(const char* s, size_t len, bool* invalid)
{
    std::u16string out;
    out.reserve(len);
    if (invalid)
        *invalid = false;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    size_t i = 0;
    while (i < len) {
        unsigned c = p[i];
        uint32_t cp = 0;
        size_t extra = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            if (invalid)
                *invalid = true;
            ++i;
            continue;
        }
        bool ok = i + extra < len || extra == 0;
        for (size_t k = 1; ok && k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (ok && ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
                   cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            if (invalid)
                *invalid = true;
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string toUtf8(const char16_t* s, size_t len, bool* invalid)
{
    std::string out;
    out.reserve(len * 3);
    if (invalid)
        *invalid = false;
    for (size_t i = 0; i < len; ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < len && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            if (invalid)
                *invalid = true;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string toUtf8(const char16_t* s) { return s ? toUtf8(s, length16(s)) : std::string(); }

std::string posixPath(const std::string& path)
{
    std::string p = path;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

std::string posixPath(const char16_t* path) { return posixPath(toUtf8(path)); }

LRESULT copyTextOut(const std::u16string& text, WPARAM max, LPARAM buffer)
{
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (!out || max == 0)
        return 0;
    size_t n = std::min<size_t>(text.size(), size_t(max) - 1);
    std::copy(text.begin(), text.begin() + long(n), out);
    out[n] = 0;
    return LRESULT(n);
}

template <typename Char>
DWORD copyTruncated(const std::basic_string<Char>& s, Char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (s.size() >= size) {
        std::copy(s.begin(), s.begin() + long(size - 1), buffer);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = 0;
    return DWORD(s.size());
}

template DWORD copyTruncated<char>(const std::string&, char*, DWORD);
template DWORD copyTruncated<char16_t>(const std::u16string&, char16_t*, DWORD);

char16_t fold16(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    return char16_t(std::towlower(wint_t(c)));
}

}  // namespace winapi
