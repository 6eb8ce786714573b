#include "terminal/BellLimiter.h"

#include <gtest/gtest.h>

namespace t8 {
namespace {

using namespace std::chrono_literals;

TEST(BellLimiterTest, AFloodRingsOncePerIntervalAndLoneBellsAlways) {
    BellLimiter bells;
    const BellLimiter::Clock::time_point start{1h};
    int rung = 0;
    for (int i = 0; i < 10000; ++i) { // a second of bells 0.1 ms apart
        rung += bells.Ring(start + i * 100us) ? 1 : 0;
    }
    EXPECT_EQ(rung, 10);
    EXPECT_TRUE(bells.Ring(start + 1500ms));
    EXPECT_FALSE(bells.Ring(start + 1599ms));
    EXPECT_TRUE(bells.Ring(start + 1600ms)) << "measured from the last bell that rang";
    EXPECT_TRUE(bells.Ring(start + 5s));
}

} // namespace
} // namespace t8
