#include "base/cp932.h"

#include <gtest/gtest.h>

#include <utility>

using namespace dodir;

// "あいう\r\nabc" : three double-byte characters, CR LF and three letters.
static const std::string kMixed = "あいう\r\nabc";

TEST(Cp932Positions, LeadBytesAreTheTwoShiftJisRanges) {
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0x9F));
    EXPECT_FALSE(IsLeadByte(0xA0)); // half-width katakana are single bytes
    EXPECT_FALSE(IsLeadByte(0xDF));
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xFD));
}

TEST(Cp932Positions, TrailBytesAreTheTwoSecondByteRanges) {
    const std::pair<int, bool> rows[] = {{0x3F, false}, {0x40, true}, {0x7E, true}, {0x7F, false},
                                         {0x80, true},  {0xFC, true}, {0xFD, false}};
    for (const auto& [b, trail] : rows) EXPECT_EQ(IsTrailByte(static_cast<unsigned char>(b)), trail) << b;
}

TEST(Cp932Positions, CharactersAndBytesMapBothWays) {
    ASSERT_EQ(kMixed.size(), 11u);
    EXPECT_EQ(CharCount(kMixed), 8u);
    EXPECT_EQ(ByteOffsetOfChar(kMixed, 0), 0u);
    EXPECT_EQ(ByteOffsetOfChar(kMixed, 3), 6u);
    EXPECT_EQ(ByteOffsetOfChar(kMixed, 5), 8u);
    EXPECT_EQ(ByteOffsetOfChar(kMixed, 8), 11u);
    EXPECT_EQ(ByteOffsetOfChar(kMixed, 100), 11u);
    for (std::size_t c = 0; c <= 8; ++c) EXPECT_EQ(CharIndexOfByte(kMixed, ByteOffsetOfChar(kMixed, c)), c);
}

TEST(Cp932Positions, AByteInsideADoubleByteCharacterCountsAsTheNextCharacter) {
    EXPECT_EQ(CharIndexOfByte(kMixed, 1), 1u);
    EXPECT_EQ(CharIndexOfByte(kMixed, 5), 3u);
}

TEST(Cp932Positions, ABackslashTrailByteIsPartOfItsCharacter) {
    const std::string so = "ソ\\"; // 0x83 0x5C then a real backslash
    ASSERT_EQ(so.size(), 3u);
    EXPECT_EQ(CharCount(so), 2u);
    EXPECT_EQ(LastCharStart(so), 2u);
}

TEST(Cp932Positions, ALoneLeadByteAtTheEndIsOneCharacter) {
    const std::string cut = "a\x82";
    EXPECT_EQ(CharCount(cut), 2u);
    EXPECT_EQ(LastCharStart(cut), 1u);
    EXPECT_EQ(ByteOffsetOfChar(cut, 2), 2u);
}

TEST(Cp932Positions, LastCharacterStart) {
    EXPECT_EQ(LastCharStart(""), std::string::npos);
    EXPECT_EQ(LastCharStart("abc"), 2u);
    EXPECT_EQ(LastCharStart("abあ"), 2u);
}

TEST(Cp932Positions, AnOffsetAfterALoneLeadByteIsInsideACharacter) {
    EXPECT_TRUE(EndsInsideCharacter("ab\x83")); // the lead byte of "ソ" without its trail byte
    EXPECT_TRUE(EndsInsideCharacter("ソ\x83"));
    EXPECT_FALSE(EndsInsideCharacter("ソ"));               // 0x83 0x5C: whole
    EXPECT_FALSE(EndsInsideCharacter("ソ\\"));             // then a real backslash
    EXPECT_FALSE(EndsInsideCharacter("\x83\x83\x83\x83")); // two whole characters
    EXPECT_FALSE(EndsInsideCharacter(""));
}
