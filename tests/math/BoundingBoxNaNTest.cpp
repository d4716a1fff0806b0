// A NaN coordinate or bound is never inside a box.

#include <gtest/gtest.h>

#include <limits>

#include "math/BoundingBox.h"

using zel::BoundingBox;

TEST(BoundingBoxNaN, NaNIsOutside) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const BoundingBox box(0, 0, 0, 1, 1, 1);
    EXPECT_TRUE(box.contains(1, 1, 1));
    EXPECT_FALSE(box.contains(nan, 0.5f, 0.5f));
    EXPECT_FALSE(box.contains(0.5f, nan, 0.5f));
    EXPECT_FALSE(box.contains(0.5f, 0.5f, nan));
    EXPECT_FALSE(BoundingBox(nan, 0, 0, 1, 1, 1).contains(0.5f, 0.5f, 0.5f));
    EXPECT_FALSE(box.containsBox(BoundingBox(0, 0, 0, nan, 1, 1)));
}
