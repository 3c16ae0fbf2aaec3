#include "app/status_panels.h"

#include <gtest/gtest.h>

using namespace dodir;

TEST(StatusPanels, EachColourTargetHasItsOwnPanel) {
    EXPECT_EQ(StatusPanelOf(TColorTarget::Background), TStatusPanel::Background);
    EXPECT_EQ(StatusPanelOf(TColorTarget::Text), TStatusPanel::Text);
}

TEST(StatusPanels, MousePositionWithSignsAndNoPadding) {
    EXPECT_EQ(MousePositionText(0, 0), "  X:0 Y:0");
    EXPECT_EQ(MousePositionText(123, 45), "  X:123 Y:45");
    EXPECT_EQ(MousePositionText(-7, 1000), "  X:-7 Y:1000");
}

TEST(StatusPanels, CaretLineCountsFromOne) {
    EXPECT_EQ(CaretLineText(0), " 行：1");
    EXPECT_EQ(CaretLineText(41), " 行：42");
}
