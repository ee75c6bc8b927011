#include "common/Sha1.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace {

std::string digestOf(const std::string& s) { return sha1::ofBytes(s.data(), s.size()); }

}  // namespace

TEST(Sha1, KnownVectors)
{
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(digestOf(c.input), c.digest) << "input of " << c.input.size() << " bytes";
}

TEST(Sha1, PiecewiseEqualsWhole)
{
    std::mt19937 rng(7);
    std::string data(10007, '\0');
    for (auto& ch : data)
        ch = static_cast<char>(rng());
    const std::string whole = digestOf(data);
    for (unsigned piece : {1u, 3u, 63u, 64u, 65u, 127u, 4096u}) {
        Sha1Context ctx;
        Sha1Init(ctx);
        for (size_t off = 0; off < data.size(); off += piece) {
            unsigned n = static_cast<unsigned>(std::min<size_t>(piece, data.size() - off));
            Sha1Update(ctx, reinterpret_cast<const unsigned char*>(data.data()) + off, n);
        }
        unsigned char d[20];
        Sha1Final(d, ctx);
        EXPECT_EQ(sha1::toHex(d), whole) << "piece " << piece;
    }
}

TEST(Sha1, LargeFileStreamed)
{
    testsupport::TempDir dir;
    // 20 MiB of 'a' streamed from disk equals the in-memory digest.
    std::string block(1 << 20, 'a');
    std::string path = dir.file("big.bin");
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 20; ++i)
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    Sha1Context ctx;
    Sha1Init(ctx);
    for (int i = 0; i < 20; ++i)
        Sha1Update(ctx, reinterpret_cast<const unsigned char*>(block.data()), static_cast<unsigned>(block.size()));
    unsigned char d[20];
    Sha1Final(d, ctx);
    EXPECT_EQ(sha1::ofFile(path), sha1::toHex(d));
    EXPECT_EQ(sha1::ofFile(dir.file("missing")), "");
}

TEST(Sha1, DigestComparison)
{
    const std::string good = "a9993e364706816aba3e25717850c26c9cd0d89d";
    EXPECT_TRUE(sha1::digestMatches(good, "A9993E364706816ABA3E25717850C26C9CD0D89D"));
    EXPECT_FALSE(sha1::digestMatches(good, good.substr(0, 39)));
    EXPECT_FALSE(sha1::digestMatches(good, good + "0"));
    EXPECT_FALSE(sha1::digestMatches(good, "g9993e364706816aba3e25717850c26c9cd0d89d"));
    EXPECT_FALSE(sha1::digestMatches(good, ""));
}
