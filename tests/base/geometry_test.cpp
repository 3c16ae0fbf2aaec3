#include "base/geometry.h"

#include <gtest/gtest.h>

using namespace dodir;

TEST(Placement, CentringHalvesTheDifferenceTruncatingTowardZero) {
    EXPECT_EQ(CentreIn({0, 0, 1024, 768}, {301, 151}), (TPoint{361, 308}));
    // Larger than the area: the window starts before it, by half the excess rounded to zero.
    EXPECT_EQ(CentreIn({0, 0, 101, 100}, {300, 301}), (TPoint{-99, -100}));
    // On a monitor away from the origin, and a third of the way down.
    EXPECT_EQ(CentreIn({-1280, 100, 0, 1124}, {400, 300}, 3), (TPoint{-840, 341}));
    // A point (zero size) goes to the middle.
    EXPECT_EQ(CentreIn({1280, 0, 2560, 1024}, {0, 0}), (TPoint{1920, 512}));
}

TEST(Placement, CarryingOverKeepsTheOffsetAndPullsBackInside) {
    const TRect left{0, 0, 1280, 1024}, right{1280, 0, 2304, 768};
    EXPECT_EQ(CarryOver(left, right, {100, 50}, {200, 100}), (TPoint{1380, 50}));
    // Past the right and bottom edges of the smaller monitor: moved back onto it.
    EXPECT_EQ(CarryOver(left, right, {900, 700}, {200, 100}), (TPoint{2104, 668}));
    EXPECT_EQ(CarryOver(right, left, {1380, 50}, {200, 100}), (TPoint{100, 50}));
}
