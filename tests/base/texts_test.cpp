#include "base/texts.h"

#include <gtest/gtest.h>

#include "base/errors.h"

using namespace dodir;

TEST(ErrorBoxText, EndingsAboveThePeriodGetOne) {
    EXPECT_EQ(ErrorBoxText("'abc' は整数ではありません"), "'abc' は整数ではありません.");
    EXPECT_EQ(ErrorBoxText("abc"), "abc.");
    EXPECT_EQ(ErrorBoxText("x9"), "x9.");
    EXPECT_EQ(ErrorBoxText("文。"), "文。.");
    EXPECT_EQ(ErrorBoxText("/"), "/."); // 0x2F is the first byte above "."
}

TEST(ErrorBoxText, EndingsAtOrBelowThePeriodAreLeftAlone) {
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("really!"), "really!");
    EXPECT_EQ(ErrorBoxText("(x)"), "(x)");
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText("a "), "a ");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorBoxText, TheLeadByteOfADoubleByteEndingDecides) {
    // "ソ" is 0x83 0x5C: its trail byte is a backslash, its lead byte is above ".".
    EXPECT_EQ(ErrorBoxText("ソ"), "ソ.");
    // A text ending in a single 0x2E after double-byte characters is left alone.
    EXPECT_EQ(ErrorBoxText("ファイル."), "ファイル.");
}

TEST(ErrorBoxText, ConversionMessageWithEmptyEntry) {
    EXPECT_EQ(ErrorBoxText(FormatMessage1("'%s' は整数ではありません", "")), "'' は整数ではありません.");
}

TEST(StatusTexts, MousePositionWithSignsAndNoPadding) {
    EXPECT_EQ(MousePositionText(0, 0), "  X:0 Y:0");
    EXPECT_EQ(MousePositionText(123, 45), "  X:123 Y:45");
    EXPECT_EQ(MousePositionText(-7, 1000), "  X:-7 Y:1000");
}

TEST(StatusTexts, CaretLineCountsFromOne) {
    EXPECT_EQ(CaretLineText(0), " 行：1");
    EXPECT_EQ(CaretLineText(41), " 行：42");
}

TEST(StatusTexts, MessageTemplateTakesTheArgumentVerbatim) {
    EXPECT_EQ(FormatMessage1("ファイル %s は開けません", "C:\\a%s.txt"), "ファイル C:\\a%s.txt は開けません");
    EXPECT_EQ(FormatMessage1("no slot", "x"), "no slot");
}
