#include "common/Sha1.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

inline uint32_t rol(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

inline uint32_t load_be32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

}  // namespace

void Sha1Init(Sha1Context& ctx)
{
    ctx.state[0] = 0x67452301u;
    ctx.state[1] = 0xEFCDAB89u;
    ctx.state[2] = 0x98BADCFEu;
    ctx.state[3] = 0x10325476u;
    ctx.state[4] = 0xC3D2E1F0u;
    ctx.count[0] = ctx.count[1] = 0;
    std::memset(ctx.buffer, 0, sizeof(ctx.buffer));
}

void Sha1Transform(uint32_t state[5], const unsigned char block[64])
{
    uint32_t w[16];
    for (int i = 0; i < 16; ++i)
        w[i] = load_be32(block + 4 * i);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

// Fully unrolled rounds with rotating variable names, so no step moves
// values between registers; the message schedule lives in a 16-word ring.
#define SHA1_W(i) (w[(i) & 15] = rol(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ w[(i) & 15], 1))
#define SHA1_F1(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define SHA1_F2(b, c, d) ((b) ^ (c) ^ (d))
#define SHA1_F3(b, c, d) (((b) & (c)) | ((d) & ((b) | (c))))
#define SHA1_R(a, b, c, d, e, f, k, wi)            \
    do {                                           \
        e += rol(a, 5) + f(b, c, d) + (k) + (wi);  \
        b = rol(b, 30);                            \
    } while (0)
#define SHA1_R5(i, f, k, W)                              \
    SHA1_R(a, b, c, d, e, f, k, W((i)));                 \
    SHA1_R(e, a, b, c, d, f, k, W((i) + 1));             \
    SHA1_R(d, e, a, b, c, f, k, W((i) + 2));             \
    SHA1_R(c, d, e, a, b, f, k, W((i) + 3));             \
    SHA1_R(b, c, d, e, a, f, k, W((i) + 4))
#define SHA1_W0(i) w[(i)]

    SHA1_R5(0, SHA1_F1, 0x5A827999u, SHA1_W0);
    SHA1_R5(5, SHA1_F1, 0x5A827999u, SHA1_W0);
    SHA1_R5(10, SHA1_F1, 0x5A827999u, SHA1_W0);
    SHA1_R(a, b, c, d, e, SHA1_F1, 0x5A827999u, w[15]);
    SHA1_R(e, a, b, c, d, SHA1_F1, 0x5A827999u, SHA1_W(16));
    SHA1_R(d, e, a, b, c, SHA1_F1, 0x5A827999u, SHA1_W(17));
    SHA1_R(c, d, e, a, b, SHA1_F1, 0x5A827999u, SHA1_W(18));
    SHA1_R(b, c, d, e, a, SHA1_F1, 0x5A827999u, SHA1_W(19));
    SHA1_R5(20, SHA1_F2, 0x6ED9EBA1u, SHA1_W);
    SHA1_R5(25, SHA1_F2, 0x6ED9EBA1u, SHA1_W);
    SHA1_R5(30, SHA1_F2, 0x6ED9EBA1u, SHA1_W);
    SHA1_R5(35, SHA1_F2, 0x6ED9EBA1u, SHA1_W);
    SHA1_R5(40, SHA1_F3, 0x8F1BBCDCu, SHA1_W);
    SHA1_R5(45, SHA1_F3, 0x8F1BBCDCu, SHA1_W);
    SHA1_R5(50, SHA1_F3, 0x8F1BBCDCu, SHA1_W);
    SHA1_R5(55, SHA1_F3, 0x8F1BBCDCu, SHA1_W);
    SHA1_R5(60, SHA1_F2, 0xCA62C1D6u, SHA1_W);
    SHA1_R5(65, SHA1_F2, 0xCA62C1D6u, SHA1_W);
    SHA1_R5(70, SHA1_F2, 0xCA62C1D6u, SHA1_W);
    SHA1_R5(75, SHA1_F2, 0xCA62C1D6u, SHA1_W);
#undef SHA1_W0
#undef SHA1_R5
#undef SHA1_R
#undef SHA1_F3
#undef SHA1_F2
#undef SHA1_F1
#undef SHA1_W

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

void Sha1Update(Sha1Context& ctx, const unsigned char* data, unsigned int length)
{
    unsigned int used = (ctx.count[0] >> 3) & 63;
    uint32_t bitsLow = ctx.count[0] + (uint32_t(length) << 3);
    if (bitsLow < ctx.count[0])
        ++ctx.count[1];
    ctx.count[1] += uint32_t(length) >> 29;
    ctx.count[0] = bitsLow;

    unsigned int i = 0;
    if (used + length >= 64) {
        i = 64 - used;
        std::memcpy(ctx.buffer + used, data, i);
        Sha1Transform(ctx.state, ctx.buffer);
        for (; i + 63 < length; i += 64)
            Sha1Transform(ctx.state, data + i);
        used = 0;
    }
    std::memcpy(ctx.buffer + used, data + i, length - i);
}

void Sha1Final(unsigned char digest[20], Sha1Context& ctx)
{
    unsigned char lengthBytes[8];
    for (int i = 0; i < 4; ++i) {
        lengthBytes[i] = static_cast<unsigned char>(ctx.count[1] >> (24 - 8 * i));
        lengthBytes[4 + i] = static_cast<unsigned char>(ctx.count[0] >> (24 - 8 * i));
    }
    const unsigned char pad80 = 0x80;
    Sha1Update(ctx, &pad80, 1);
    const unsigned char zero = 0;
    while (((ctx.count[0] >> 3) & 63) != 56)
        Sha1Update(ctx, &zero, 1);
    Sha1Update(ctx, lengthBytes, 8);
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<unsigned char>(ctx.state[i >> 2] >> (24 - 8 * (i & 3)));
    std::memset(&ctx, 0, sizeof(ctx));
}

namespace sha1 {

std::string toHex(const unsigned char digest[20])
{
    static const char* hex = "0123456789abcdef";
    std::string out(40, '0');
    for (int i = 0; i < 20; ++i) {
        out[2 * i] = hex[digest[i] >> 4];
        out[2 * i + 1] = hex[digest[i] & 15];
    }
    return out;
}

std::string ofBytes(const void* data, size_t length)
{
    Sha1Context ctx;
    Sha1Init(ctx);
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (length > 0) {
        unsigned int chunk = length > 0x40000000u ? 0x40000000u : static_cast<unsigned int>(length);
        Sha1Update(ctx, p, chunk);
        p += chunk;
        length -= chunk;
    }
    unsigned char digest[20];
    Sha1Final(digest, ctx);
    return toHex(digest);
}

std::string ofFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string digest = ofDescriptor(fd);
    ::close(fd);
    return digest;
}

std::string ofDescriptor(int fd)
{
    Sha1Context ctx;
    Sha1Init(ctx);
    static thread_local unsigned char block[1 << 16];
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        Sha1Update(ctx, block, static_cast<unsigned int>(n));
        at += n;
    }
    unsigned char digest[20];
    Sha1Final(digest, ctx);
    return toHex(digest);
}

bool isHexDigest(const std::string& text)
{
    if (text.size() != 40)
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool digestMatches(const std::string& computed, const std::string& expected)
{
    if (!isHexDigest(computed) || !isHexDigest(expected))
        return false;
    for (size_t i = 0; i < 40; ++i)
        if (std::tolower(static_cast<unsigned char>(computed[i])) != std::tolower(static_cast<unsigned char>(expected[i])))
            return false;
    return true;
}

}  // namespace sha1
