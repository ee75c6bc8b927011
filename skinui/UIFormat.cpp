// The library's bounded wide formatter: never writes past the destination.

#include "UIString.h"

#include <cstdint>

namespace {

struct Out
{
    char16_t* dest;
    int cap; // units available for text (excluding the terminator)
    int len = 0;

    void put(char16_t c)
    {
        if (len < cap)
            dest[len++] = c;
    }
    bool full() const { return len >= cap; }
};

void putPadded(Out& out, const char16_t* body, int bodyLen, const char16_t* prefix, int prefixLen,
               int width, bool left, bool zero)
{
    const int total = bodyLen + prefixLen;
    int pad = width > total ? width - total : 0;
    if (!left && !zero)
        for (; pad > 0; --pad)
            out.put(u' ');
    for (int i = 0; i < prefixLen; ++i)
        out.put(prefix[i]);
    if (!left && zero)
        for (; pad > 0; --pad)
            out.put(u'0');
    for (int i = 0; i < bodyLen; ++i)
        out.put(body[i]);
    for (; pad > 0; --pad)
        out.put(u' ');
}

// Decodes one UTF-8 sequence; returns the code point or 0xFFFD.
uint32_t nextUtf8(const unsigned char*& p)
{
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = 0;
    uint32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return cp;
}

} // namespace

int UIFormatV(char16_t* dest, int cchDest, const char16_t* format, va_list args)
{
    if (!dest || cchDest <= 0)
        return 0;
    Out out{dest, cchDest - 1};
    if (!format) {
        dest[0] = 0;
        return 0;
    }
    const char16_t* f = format;
    while (*f && !out.full()) {
        if (*f != u'%') {
            out.put(*f++);
            continue;
        }
        ++f;
        if (*f == u'%') {
            out.put(u'%');
            ++f;
            continue;
        }
        bool left = false, zero = false, plus = false, blank = false, alt = false;
        for (;; ++f) {
            if (*f == u'-')
                left = true;
            else if (*f == u'0')
                zero = true;
            else if (*f == u'+')
                plus = true;
            else if (*f == u' ')
                blank = true;
            else if (*f == u'#')
                alt = true;
            else
                break;
        }
        int width = 0;
        if (*f == u'*') {
            width = va_arg(args, int);
            if (width < 0) {
                left = true;
                width = -width;
            }
            ++f;
        } else {
            while (*f >= u'0' && *f <= u'9' && width < 100000)
                width = width * 10 + (*f++ - u'0');
        }
        int precision = -1;
        if (*f == u'.') {
            ++f;
            precision = 0;
            if (*f == u'*') {
                precision = va_arg(args, int);
                ++f;
            } else {
                while (*f >= u'0' && *f <= u'9' && precision < 100000)
                    precision = precision * 10 + (*f++ - u'0');
            }
        }
        int size = 0; // 0 int, 1 long, 2 long long, -1 short
        if (*f == u'l') {
            ++f;
            size = 1;
            if (*f == u'l') {
                ++f;
                size = 2;
            }
        } else if (*f == u'h') {
            ++f;
            size = -1;
        } else if (*f == u'I' && f[1] == u'6' && f[2] == u'4') {
            f += 3;
            size = 2;
        }
        const char16_t conv = *f;
        if (!conv)
            break;
        ++f;
        char16_t body[72];
        int bodyLen = 0;
        char16_t prefix[2];
        int prefixLen = 0;
        switch (conv) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'p': {
            bool isSigned = conv == u'd' || conv == u'i';
            uint64_t mag = 0;
            bool negative = false;
            if (conv == u'p') {
                mag = reinterpret_cast<uintptr_t>(va_arg(args, void*));
            } else if (isSigned) {
                int64_t v = size == 2 ? va_arg(args, long long) : size == 1 ? va_arg(args, long) : va_arg(args, int);
                if (size == -1)
                    v = static_cast<short>(v);
                negative = v < 0;
                mag = negative ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
            } else {
                uint64_t v = size == 2 ? va_arg(args, unsigned long long)
                           : size == 1 ? va_arg(args, unsigned long)
                                       : va_arg(args, unsigned int);
                if (size == -1)
                    v = static_cast<unsigned short>(v);
                mag = v;
            }
            const unsigned base = (conv == u'x' || conv == u'X' || conv == u'p') ? 16 : 10;
            const char* digits = conv == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            char16_t tmp[64];
            int n = 0;
            do {
                tmp[n++] = static_cast<char16_t>(digits[mag % base]);
                mag /= base;
            } while (mag && n < 64);
            if (precision == 0 && n == 1 && tmp[0] == u'0')
                n = 0;
            while (n < precision && n < 64)
                tmp[n++] = u'0';
            for (int i = n - 1; i >= 0; --i)
                body[bodyLen++] = tmp[i];
            if (negative)
                prefix[prefixLen++] = u'-';
            else if (isSigned && plus)
                prefix[prefixLen++] = u'+';
            else if (isSigned && blank)
                prefix[prefixLen++] = u' ';
            else if (alt && base == 16 && conv != u'p') {
                prefix[prefixLen++] = u'0';
                prefix[prefixLen++] = conv;
            }
            putPadded(out, body, bodyLen, prefix, prefixLen, width, left, zero && precision < 0);
            break;
        }
        case u'c': {
            body[0] = static_cast<char16_t>(va_arg(args, int));
            putPadded(out, body, 1, prefix, 0, width, left, false);
            break;
        }
        case u's':
        case u'S': {
            // Strings are streamed, not buffered: measure first for padding.
            if (conv == u's' && size != -1) {
                const char16_t* s = va_arg(args, const char16_t*);
                if (!s)
                    s = u"(null)";
                int n = 0;
                while (s[n] && (precision < 0 || n < precision))
                    ++n;
                int pad = width > n ? width - n : 0;
                if (!left)
                    for (; pad > 0; --pad)
                        out.put(u' ');
                for (int i = 0; i < n; ++i)
                    out.put(s[i]);
                for (; pad > 0; --pad)
                    out.put(u' ');
            } else {
                const char* s = va_arg(args, const char*);
                if (!s)
                    s = "(null)";
                const auto* p = reinterpret_cast<const unsigned char*>(s);
                // Count code units first so the padding is right.
                int n = 0;
                for (const unsigned char* q = p; *q && (precision < 0 || n < precision);) {
                    const uint32_t cp = nextUtf8(q);
                    n += cp >= 0x10000 ? 2 : 1;
                }
                int pad = width > n ? width - n : 0;
                if (!left)
                    for (; pad > 0; --pad)
                        out.put(u' ');
                int written = 0;
                while (*p && written < n) {
                    uint32_t cp = nextUtf8(p);
                    if (cp >= 0x10000) {
                        cp -= 0x10000;
                        out.put(static_cast<char16_t>(0xD800 + (cp >> 10)));
                        out.put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
                        written += 2;
                    } else {
                        out.put(static_cast<char16_t>(cp));
                        ++written;
                    }
                }
                for (; pad > 0; --pad)
                    out.put(u' ');
            }
            break;
        }
        default:
            // Unknown conversion: written as is.
            out.put(conv);
            break;
        }
    }
    dest[out.len] = 0;
    return out.len;
}

int UIFormat(char16_t* dest, int cchDest, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = UIFormatV(dest, cchDest, format, args);
    va_end(args);
    return n;
}
