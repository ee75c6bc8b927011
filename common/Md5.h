#pragma once
// MD5 (RFC 1321), used for file digests of uploads and for cache names of
// downloaded URLs.
#include <cstdint>
#include <string>

struct Md5Context {
    uint32_t state[4];
    uint64_t bitCount;
    unsigned char buffer[64];
};

void Md5Init(Md5Context& ctx);
void Md5Update(Md5Context& ctx, const void* data, size_t length);
void Md5Final(Md5Context& ctx, unsigned char digest[16]);

namespace md5 {
// 32 lower-case hexadecimal digits.
std::string toHex(const unsigned char digest[16]);
std::string ofBytes(const void* data, size_t length);
}  // namespace md5
