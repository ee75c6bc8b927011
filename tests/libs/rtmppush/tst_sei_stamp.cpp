// The key-frame time stamp: written where readers look for it, read back
// exactly, and never read past the end of a packet.
#include "libs/mediacore/SeiStamp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace mediacore;

TEST(SeiStamp, WrittenStampIsReadBackAtItsFixedOffset)
{
    for (int64_t ms : {0LL, 1700000000123LL, 9999999999999LL}) {
        std::vector<uint8_t> unit = makeSeiStamp(ms);
        ASSERT_EQ(0, std::memcmp(unit.data() + kSeiMarkerOffset, "seiii", 5));
        EXPECT_EQ(ms, readSeiStamp(unit.data(), unit.size())) << ms;
    }
    // Out-of-range times are clamped to what 13 digits hold.
    std::vector<uint8_t> big = makeSeiStamp(123456789012345LL);
    EXPECT_EQ(9999999999999LL, readSeiStamp(big.data(), big.size()));
    std::vector<uint8_t> neg = makeSeiStamp(-5);
    EXPECT_EQ(0, readSeiStamp(neg.data(), neg.size()));
}

TEST(SeiStamp, ReadStaysInsideThePacket)
{
    struct Case {
        const char* name;
        size_t markerAt;
        size_t packetSize;  // bytes of the packet the reader is given
        const char* digits;
        int64_t expected;
    };
    const Case cases[] = {
        {"first offset searched", 18, 64, "1700000000123", 1700000000123LL},
        {"last offset searched", 39, 64, "1700000000123", 1700000000123LL},
        {"before the window", 17, 64, "1700000000123", -1},
        {"after the window", 40, 64, "1700000000123", -1},
        {"digits cut by the packet end", 30, 30 + 5 + 12, "1700000000123", -1},
        {"marker cut by the packet end", 30, 33, "1700000000123", -1},
        {"exactly fits", 30, 30 + 5 + 13, "1700000000123", 1700000000123LL},
        {"not all digits", 20, 64, "17000000x0123", -1},
    };
    for (const Case& c : cases) {
        // The buffer is larger than the packet and holds digits past its end,
        // so a reader that overran would find them.
        std::string buffer(128, '7');
        buffer.replace(c.markerAt, 5, "seiii");
        buffer.replace(c.markerAt + 5, 13, c.digits);
        EXPECT_EQ(c.expected, readSeiStamp(reinterpret_cast<const uint8_t*>(buffer.data()), c.packetSize))
            << c.name;
    }
    EXPECT_EQ(-1, readSeiStamp(nullptr, 100));
}
