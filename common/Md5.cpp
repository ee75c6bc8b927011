#include "common/Md5.h"

#include <cstring>

namespace {

const uint32_t kT[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
const int kS[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 5, 9,  14, 20, 5, 9,
                    14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                    4, 11, 16, 23, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

inline uint32_t rol(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

void transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = uint32_t(block[4 * i]) | (uint32_t(block[4 * i + 1]) << 8) | (uint32_t(block[4 * i + 2]) << 16)
             | (uint32_t(block[4 * i + 3]) << 24);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) & 15;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) & 15;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) & 15;
        }
        uint32_t t = d;
        d = c;
        c = b;
        b = b + rol(a + f + kT[i] + m[g], kS[i]);
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void Md5Init(Md5Context& ctx)
{
    ctx.state[0] = 0x67452301;
    ctx.state[1] = 0xefcdab89;
    ctx.state[2] = 0x98badcfe;
    ctx.state[3] = 0x10325476;
    ctx.bitCount = 0;
    std::memset(ctx.buffer, 0, sizeof(ctx.buffer));
}

void Md5Update(Md5Context& ctx, const void* data, size_t length)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    size_t used = (ctx.bitCount >> 3) & 63;
    ctx.bitCount += uint64_t(length) << 3;
    if (used) {
        size_t take = 64 - used < length ? 64 - used : length;
        std::memcpy(ctx.buffer + used, p, take);
        used += take;
        p += take;
        length -= take;
        if (used < 64)
            return;
        transform(ctx.state, ctx.buffer);
    }
    for (; length >= 64; p += 64, length -= 64)
        transform(ctx.state, p);
    std::memcpy(ctx.buffer, p, length);
}

void Md5Final(Md5Context& ctx, unsigned char digest[16])
{
    unsigned char lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<unsigned char>(ctx.bitCount >> (8 * i));
    const unsigned char pad80 = 0x80;
    const unsigned char zeros[64] = {0};
    Md5Update(ctx, &pad80, 1);
    size_t used = (ctx.bitCount >> 3) & 63;
    Md5Update(ctx, zeros, used <= 56 ? 56 - used : 120 - used);
    Md5Update(ctx, lengthBytes, 8);
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<unsigned char>(ctx.state[i >> 2] >> (8 * (i & 3)));
    std::memset(&ctx, 0, sizeof(ctx));
}

namespace md5 {

std::string toHex(const unsigned char digest[16])
{
    static const char* hex = "0123456789abcdef";
    std::string out(32, '0');
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = hex[digest[i] >> 4];
        out[2 * i + 1] = hex[digest[i] & 15];
    }
    return out;
}

std::string ofBytes(const void* data, size_t length)
{
    Md5Context ctx;
    Md5Init(ctx);
    Md5Update(ctx, data, length);
    unsigned char d[16];
    Md5Final(ctx, d);
    return toHex(d);
}

}  // namespace md5
