#pragma once
// UTF-8 <-> UTF-16 conversion and path spelling shared by the layer.
#include <string>

#include "winapi/wintypes.h"

namespace winapi {

// Invalid sequences become U+FFFD; *invalid (when given) reports them.
std::u16string fromUtf8(const char* s, size_t len, bool* invalid = nullptr);
inline std::u16string fromUtf8(const std::string& s) { return fromUtf8(s.data(), s.size()); }
std::string toUtf8(const char16_t* s, size_t len, bool* invalid = nullptr);
std::string toUtf8(const char16_t* s);
inline std::string toUtf8(const std::u16string& s) { return toUtf8(s.data(), s.size()); }
size_t length16(const char16_t* s);
// A Windows-spelled path as a POSIX one: "\" becomes "/".
std::string posixPath(const std::string& path);
std::string posixPath(const char16_t* path);
// WM_GETTEXT: copies up to max - 1 characters and a terminator.
LRESULT copyTextOut(const std::u16string& text, WPARAM max, LPARAM buffer);
// Copies a string with its terminator into a buffer of `size` units, cut
// to size - 1 when longer (then ERROR_INSUFFICIENT_BUFFER); returns the
// length copied, or `size` when cut.
template <typename Char>
DWORD copyTruncated(const std::basic_string<Char>& s, Char* buffer, DWORD size);
// Case folding of one UTF-16 unit for comparisons of names.
char16_t fold16(char16_t c);

}  // namespace winapi
