// Text conversion, the UTF-16 string functions and wsprintf.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>

#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "winapi/winuser.h"

using namespace winapi;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen)
{
    if (!src || (codePage != CP_ACP && codePage != CP_UTF8 && codePage != CP_OEMCP) || dstLen < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen < 0 ? std::strlen(src) + 1 : size_t(srcLen);
    bool invalid = false;
    std::u16string w = fromUtf8(src, n, &invalid);
    if (invalid && (flags & MB_ERR_INVALID_CHARS)) {
        SetLastError(1113);  // ERROR_NO_UNICODE_TRANSLATION
        return 0;
    }
    if (dstLen == 0)
        return int(w.size());
    if (!dst || w.size() > size_t(dstLen)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(w.begin(), w.end(), dst);
    return int(w.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen, LPCSTR,
                        LPBOOL usedDefault)
{
    if (!src || (codePage != CP_ACP && codePage != CP_UTF8 && codePage != CP_OEMCP) || dstLen < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen < 0 ? length16(src) + 1 : size_t(srcLen);
    bool invalid = false;
    std::string s = toUtf8(src, n, &invalid);
    if (usedDefault)
        *usedDefault = FALSE;
    if (invalid && (flags & WC_ERR_INVALID_CHARS)) {
        SetLastError(1113);
        return 0;
    }
    if (dstLen == 0)
        return int(s.size());
    if (!dst || s.size() > size_t(dstLen)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, s.data(), s.size());
    return int(s.size());
}

int lstrlenW(LPCWSTR s) { return int(length16(s)); }

LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src)
{
    if (!dst || !src)
        return nullptr;
    size_t n = length16(src);
    std::memmove(dst, src, (n + 1) * sizeof(char16_t));
    return dst;
}

LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int max)
{
    if (!dst || !src || max <= 0)
        return dst;
    int i = 0;
    for (; i < max - 1 && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src)
{
    if (!dst || !src)
        return nullptr;
    lstrcpyW(dst + length16(dst), src);
    return dst;
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) { return wcscmp(a ? a : u"", b ? b : u""); }
int lstrcmpiW(LPCWSTR a, LPCWSTR b) { return _wcsicmp(a ? a : u"", b ? b : u""); }

size_t wcslen(const char16_t* s) { return length16(s); }

int wcscmp(const char16_t* a, const char16_t* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return int(*a) - int(*b);
}

int wcsncmp(const char16_t* a, const char16_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i] || !a[i])
            return int(a[i]) - int(b[i]);
    }
    return 0;
}

int _wcsnicmp(const char16_t* a, const char16_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        int x = int(std::towlower(wint_t(a[i]))), y = int(std::towlower(wint_t(b[i])));
        if (x != y || !a[i])
            return x - y;
    }
    return 0;
}

int _wcsicmp(const char16_t* a, const char16_t* b) { return _wcsnicmp(a, b, size_t(-1)); }

const char16_t* wcschr(const char16_t* s, char16_t c)
{
    for (;; ++s) {
        if (*s == c)
            return s;
        if (!*s)
            return nullptr;
    }
}

char16_t* wcschr(char16_t* s, char16_t c) { return const_cast<char16_t*>(wcschr(static_cast<const char16_t*>(s), c)); }

const char16_t* wcsrchr(const char16_t* s, char16_t c)
{
    const char16_t* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (!*s)
            return found;
    }
}

const char16_t* wcsstr(const char16_t* s, const char16_t* find)
{
    size_t n = length16(find);
    if (n == 0)
        return s;
    for (; *s; ++s)
        if (wcsncmp(s, find, n) == 0)
            return s;
    return nullptr;
}

char16_t* wcsstr(char16_t* s, const char16_t* find)
{
    return const_cast<char16_t*>(wcsstr(static_cast<const char16_t*>(s), find));
}

char16_t* wcscpy(char16_t* dst, const char16_t* src) { return lstrcpyW(dst, src); }

char16_t* wcsncpy(char16_t* dst, const char16_t* src, size_t n)
{
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        dst[i] = src[i];
    for (; i < n; ++i)
        dst[i] = 0;
    return dst;
}

char16_t* wcscat(char16_t* dst, const char16_t* src) { return lstrcatW(dst, src); }

namespace {
// Parses with the narrow C functions over the ASCII part of the text.
template <typename T, typename F>
T parseNumber(const char16_t* s, char16_t** end, F fn)
{
    std::string ascii;
    const char16_t* p = s;
    while (*p && *p < 0x80)
        ascii.push_back(char(*p++));
    char* e = nullptr;
    errno = 0;
    T v = fn(ascii.c_str(), &e);
    if (end)
        *end = const_cast<char16_t*>(s + (e - ascii.c_str()));
    return v;
}
}  // namespace

long wcstol16(const char16_t* s, char16_t** end, int base)
{
    return parseNumber<long>(s, end, [base](const char* a, char** e) { return std::strtol(a, e, base); });
}

unsigned long wcstoul16(const char16_t* s, char16_t** end, int base)
{
    return parseNumber<unsigned long>(s, end, [base](const char* a, char** e) { return std::strtoul(a, e, base); });
}

double wcstod16(const char16_t* s, char16_t** end)
{
    return parseNumber<double>(s, end, [](const char* a, char** e) { return std::strtod(a, e); });
}

int _wtoi(const char16_t* s) { return s ? int(wcstol16(s, nullptr, 10)) : 0; }
long _wtol(const char16_t* s) { return s ? wcstol16(s, nullptr, 10) : 0; }
double _wtof(const char16_t* s) { return s ? wcstod16(s, nullptr) : 0.0; }

char16_t* _wcslwr(char16_t* s)
{
    for (char16_t* p = s; p && *p; ++p)
        *p = char16_t(std::towlower(wint_t(*p)));
    return s;
}

char16_t* _wcsupr(char16_t* s)
{
    for (char16_t* p = s; p && *p; ++p)
        *p = char16_t(std::towupper(wint_t(*p)));
    return s;
}

namespace {

// The wsprintf format language: %[-][0][width][.precision][h|l|ll|I64]type
// with d i u x X c s S p and %%; %s takes UTF-16 text, %S / %hs narrow.
std::u16string formatWide(const char16_t* fmt, va_list args)
{
    std::u16string out;
    if (!fmt)
        return out;
    for (const char16_t* p = fmt; *p; ++p) {
        if (*p != u'%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == u'%') {
            out.push_back(u'%');
            continue;
        }
        bool left = false, zero = false;
        while (*p == u'-' || *p == u'0') {
            if (*p == u'-')
                left = true;
            else
                zero = true;
            ++p;
        }
        int width = 0, precision = -1;
        while (*p >= u'0' && *p <= u'9')
            width = width * 10 + (*p++ - u'0');
        if (*p == u'.') {
            ++p;
            precision = 0;
            while (*p >= u'0' && *p <= u'9')
                precision = precision * 10 + (*p++ - u'0');
        }
        int size = 0;  // 0 int, 1 long, 2 long long, -1 short / narrow
        if (*p == u'h') {
            size = -1;
            ++p;
        } else if (*p == u'l') {
            size = 1;
            ++p;
            if (*p == u'l') {
                size = 2;
                ++p;
            }
        } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            size = 2;
            p += 3;
        }
        std::u16string piece;
        char buf[64];
        switch (*p) {
        case u'd':
        case u'i': {
            long long v = size == 2 ? va_arg(args, long long) : (size == 1 ? va_arg(args, long) : va_arg(args, int));
            std::snprintf(buf, sizeof buf, "%lld", v);
            piece = fromUtf8(buf);
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            unsigned long long v = size == 2 ? va_arg(args, unsigned long long)
                                             : (size == 1 ? va_arg(args, unsigned long) : va_arg(args, unsigned));
            std::snprintf(buf, sizeof buf, *p == u'u' ? "%llu" : (*p == u'x' ? "%llx" : "%llX"), v);
            piece = fromUtf8(buf);
            break;
        }
        case u'p':
            std::snprintf(buf, sizeof buf, "%p", va_arg(args, void*));
            piece = fromUtf8(buf);
            break;
        case u'c':
            piece.push_back(char16_t(va_arg(args, int)));
            break;
        case u's':
        case u'S': {
            bool narrow = *p == u'S' || size == -1;
            if (narrow) {
                const char* s = va_arg(args, const char*);
                piece = fromUtf8(s ? s : "(null)");
            } else {
                const char16_t* s = va_arg(args, const char16_t*);
                piece = s ? s : u"(null)";
            }
            if (precision >= 0 && piece.size() > size_t(precision))
                piece.resize(size_t(precision));
            zero = false;
            break;
        }
        default:
            // An unknown conversion is copied as it stands.
            piece.push_back(u'%');
            if (*p)
                piece.push_back(*p);
            else
                --p;
            break;
        }
        if (int(piece.size()) < width) {
            size_t pad = size_t(width) - piece.size();
            if (left)
                piece.append(pad, u' ');
            else if (zero && !piece.empty() && piece[0] == u'-')
                piece.insert(1, pad, u'0');
            else
                piece.insert(0, pad, zero ? u'0' : u' ');
        }
        out += piece;
    }
    return out;
}

}  // namespace

int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args)
{
    if (!buffer)
        return 0;
    std::u16string s = formatWide(format, args);
    // wsprintf writes at most 1024 characters.
    if (s.size() > 1024)
        s.resize(1024);
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = 0;
    return int(s.size());
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvsprintfW(buffer, format, args);
    va_end(args);
    return n;
}

int vswprintf16(char16_t* buffer, size_t size, const char16_t* format, va_list args)
{
    if (!buffer || size == 0)
        return -1;
    std::u16string s = formatWide(format, args);
    bool fits = s.size() < size;
    size_t n = std::min(s.size(), size - 1);
    std::copy(s.begin(), s.begin() + long(n), buffer);
    buffer[n] = 0;
    return fits ? int(n) : -1;
}

int swprintf16(char16_t* buffer, size_t size, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vswprintf16(buffer, size, format, args);
    va_end(args);
    return n;
}
