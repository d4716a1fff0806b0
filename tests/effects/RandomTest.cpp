#include <gtest/gtest.h>

#include <algorithm>

#include "effects/Random.h"

using zel::Random;

TEST(Random, FollowsTheDocumentedSequenceFromStateOne) {
    // The first draws of next = next * 1103515245 + 12345, (next / 65536) % 32768 from 1.
    Random generator;
    EXPECT_EQ(generator.next(), 16838);
    EXPECT_EQ(generator.next(), 5758);
    EXPECT_EQ(generator.next(), 10113);
    EXPECT_EQ(generator.next(), 17515);
    EXPECT_EQ(generator.next(), 31051);
}

TEST(Random, StaysInRangeAndCopiesReplayTheSameDraws) {
    Random generator(123456789u);
    Random copy = generator;
    int seenLow = Random::MAX, seenHigh = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = generator.next();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, Random::MAX);
        ASSERT_EQ(copy.next(), r);
        seenLow = std::min(seenLow, r);
        seenHigh = std::max(seenHigh, r);
    }
    // The whole range is reached, not a narrow band of it.
    EXPECT_LT(seenLow, 10);
    EXPECT_GT(seenHigh, Random::MAX - 10);
}

TEST(Random, UnitMapsTheRangeOntoZeroToOneAndClamps) {
    EXPECT_FLOAT_EQ(Random::unit(0), 0.0f);
    EXPECT_FLOAT_EQ(Random::unit(Random::MAX), 1.0f);
    EXPECT_FLOAT_EQ(Random::unit(16383), 16383.0f / 32767.0f);
    EXPECT_FLOAT_EQ(Random::unit(-5), 0.0f);
    EXPECT_FLOAT_EQ(Random::unit(40000), 1.0f);
}
