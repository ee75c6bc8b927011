#pragma once
// UTF-8 <-> UTF-16 conversion at the skin library's edges (file names,
// archive member names, file contents). Invalid sequences become U+FFFD.

#include <string>

std::u16string UIUtf8ToUtf16(const char* s, size_t len);
std::u16string UIUtf8ToUtf16(const std::string& s);
std::string UIUtf16ToUtf8(const char16_t* s, int len = -1);
