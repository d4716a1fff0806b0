// A NaN coordinate or bound is never inside a box.

#include <gtest/gtest.h>

#include <cmath>

#include "math/BoundingBox.h"

TEST(BoundingBoxNaN, NaNIsOutside) {
    const zel::BoundingBox box(0, 0, 0, 1, 1, 1);
    EXPECT_TRUE(box.contains(1, 1, 1));
    EXPECT_FALSE(box.contains(NAN, 0.5f, 0.5f) || box.contains(0.5f, NAN, 0.5f) || box.contains(0.5f, 0.5f, NAN));
    EXPECT_FALSE(zel::BoundingBox(NAN, 0, 0, 1, 1, 1).contains(0.5f, 0.5f, 0.5f));
}
