#include "common/VersionOrder.h"

#include <gtest/gtest.h>

TEST(VersionOrder, Table)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;  // sign of compare(a, b)
    } cases[] = {
        {"1.0.9", "1.0.10", -1},
        {"1.0.10", "1.0.9", 1},
        {"1.0.10", "1.0.10", 0},
        {"1.2", "1.2.0", 0},
        {"1.2", "1.2.0.1", -1},
        {"2", "1.99.99", 1},
        {"", "0", 0},
        {"", "0.0.1", -1},
        {"garbage", "0", 0},
        {"1.x.3", "1.0.3", 0},
        {"1.0.3-beta", "1.0.3", 0},
        {"v1.1", "1.0.9", 1},
        {"01.002", "1.2", 0},
        {"99999999999999999999999.1", "1", 1},
    };
    for (const auto& c : cases) {
        int r = version::compare(c.a, c.b);
        int sign = (r > 0) - (r < 0);
        EXPECT_EQ(sign, c.expected) << c.a << " vs " << c.b;
        int back = version::compare(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.expected) << c.b << " vs " << c.a;
    }
    EXPECT_TRUE(version::isNewer("1.0.10", "1.0.9"));
    EXPECT_FALSE(version::isNewer("1.0.9", "1.0.9"));
}
