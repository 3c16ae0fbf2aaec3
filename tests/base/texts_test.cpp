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

TEST(MessageTemplate, TakesTheArgumentVerbatim) {
    EXPECT_EQ(FormatMessage1("ファイル %s は開けません", "C:\\a%s.txt"), "ファイル C:\\a%s.txt は開けません");
    EXPECT_EQ(FormatMessage1("no slot", "x"), "no slot");
}
