#include <gtest/gtest.h>

#include "play/crt_random.h"

namespace {

TEST(CrtRandom, ReproducesTheDesignPlatformsSequence) {
    crt::srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(crt::rand(), value);
    // Reseeding starts the same sequence again.
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
}

TEST(CrtRandom, StaysWithinFifteenBitsForAnySeed) {
    for (uint32_t seed : {0u, 7u, 99u, 0xFFFFFFFFu}) {
        crt::srand(seed);
        for (int i = 0; i < 1000; ++i) {
            const int v = crt::rand();
            ASSERT_GE(v, 0);
            ASSERT_LE(v, crt::RandMax);
        }
    }
    crt::srand(0);
    EXPECT_EQ(crt::rand(), 38);
}

}  // namespace
