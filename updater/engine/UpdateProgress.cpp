#include "updater/engine/UpdateProgress.h"

#include <cstdio>

namespace update {

void IUpdateProgress::log(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::unique_ptr<UpdateProgress> narrowRecord(const std::string& text)
{
    auto r = std::make_unique<UpdateProgress>();
    r->narrowText = text;
    return r;
}

std::unique_ptr<UpdateProgress> textRecord(const std::u16string& text)
{
    auto r = std::make_unique<UpdateProgress>();
    r->text = text;
    return r;
}

double UpdateProgress::percent() const
{
    if (!(total > 0))
        return 100.0;
    const double p = done / total * 100.0;
    return p != p ? 0.0 : (p < 0 ? 0.0 : (p > 100 ? 100.0 : p));
}

std::unique_ptr<UpdateProgress> countRecord(double total, double done)
{
    auto r = std::make_unique<UpdateProgress>();
    r->total = total;
    r->done = done;
    return r;
}

std::u16string utf16(const std::string& utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80; };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
            cp = ((c & 0x1Fu) << 6) | (utf8[i + 1] & 0x3F);
            len = 2;
            if (cp < 0x80) cp = 0xFFFD;
        } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            cp = ((c & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = ((c & 0x07u) << 18) | ((utf8[i + 1] & 0x3Fu) << 12) | ((utf8[i + 2] & 0x3Fu) << 6) |
                 (utf8[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

}  // namespace update
