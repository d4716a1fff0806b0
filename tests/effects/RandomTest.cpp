#include <gtest/gtest.h>

#include <algorithm>

#include "effects/Random.h"

using zel::Random;

TEST(Random, DocumentedSequenceRangeAndUnitMapping) {
    // The first draws of next = next * 1103515245 + 12345, (next / 65536) % 32768 from state 1.
    Random generator;
    for (int expected : {16838, 5758, 10113, 17515, 31051}) EXPECT_EQ(generator.next(), expected);

    Random copy = generator;
    int lowest = Random::MAX, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = generator.next();
        ASSERT_EQ(copy.next(), r) << "a copy replays the same draws";
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, Random::MAX);

    EXPECT_EQ(Random::unit(0), 0.0f);
    EXPECT_EQ(Random::unit(Random::MAX), 1.0f);
    EXPECT_FLOAT_EQ(Random::unit(16383), 16383.0f / 32767.0f);
    EXPECT_EQ(Random::unit(-5), 0.0f);
    EXPECT_EQ(Random::unit(40000), 1.0f);
}
