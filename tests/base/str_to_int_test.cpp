#include "base/str_to_int.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"

using namespace dodir;

namespace {

// The message of the conversion error for text, or "(accepted)" when it converts.
std::string ErrorOf(const std::string& text) {
    try {
        StrToInt(text);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(accepted)";
}

bool Rejects(const std::string& text) { return ErrorOf(text) != "(accepted)"; }

} // namespace

TEST(StrToIntBlanks, LeadingSpacesAreSkipped) {
    EXPECT_EQ(StrToInt(" 12"), 12);
    EXPECT_EQ(StrToInt("     7"), 7);
    EXPECT_EQ(StrToInt("  -3"), -3);
    EXPECT_EQ(StrToInt(" $FF"), 255);
}

TEST(StrToIntBlanks, OnlyCode32CountsAsABlank) {
    EXPECT_TRUE(Rejects("\t12"));
    EXPECT_TRUE(Rejects(" \t12"));
    EXPECT_TRUE(Rejects("\n12"));
    EXPECT_TRUE(Rejects("\r\n12"));
    EXPECT_TRUE(Rejects("\xA0"
                        "12"));
    EXPECT_TRUE(Rejects("　12")); // ideographic space (0x81 0x40)
}

TEST(StrToIntBlanks, NoBlankBetweenSignAndDigits) {
    EXPECT_TRUE(Rejects("- 5"));
    EXPECT_TRUE(Rejects("+ 5"));
    EXPECT_TRUE(Rejects("-  $10"));
    EXPECT_TRUE(Rejects("0x 10"));
    EXPECT_TRUE(Rejects("$ 10"));
}

TEST(StrToIntSign, OneOptionalSign) {
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("-5"), -5);
    EXPECT_EQ(StrToInt("-0"), 0);
    EXPECT_EQ(StrToInt("+0"), 0);
    EXPECT_EQ(StrToInt("-1"), -1);
}

TEST(StrToIntSign, MoreThanOneSignOrALoneSignIsRejected) {
    EXPECT_TRUE(Rejects("+-5"));
    EXPECT_TRUE(Rejects("--5"));
    EXPECT_TRUE(Rejects("++5"));
    EXPECT_TRUE(Rejects("-"));
    EXPECT_TRUE(Rejects("+"));
    EXPECT_TRUE(Rejects("  -"));
    EXPECT_TRUE(Rejects("5-"));
}

TEST(StrToIntSign, SignBeforeHexadecimalIsIgnored) {
    EXPECT_EQ(StrToInt("-$10"), 16);
    EXPECT_EQ(StrToInt("-0x10"), 16);
    EXPECT_EQ(StrToInt("+$10"), 16);
    EXPECT_EQ(StrToInt("-xff"), 255);
    EXPECT_EQ(StrToInt("-$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-$80000000"), INT_MIN);
    EXPECT_EQ(StrToInt(" -0X7FFFFFFF"), INT_MAX);
}

TEST(StrToIntDecimal, DigitsWithLeadingZeros) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("255"), 255);
    EXPECT_EQ(StrToInt("0255"), 255);
    EXPECT_EQ(StrToInt("000"), 0);
    EXPECT_EQ(StrToInt("-007"), -7);
    EXPECT_EQ(StrToInt("256"), 256);
    EXPECT_EQ(StrToInt("300"), 300);
    EXPECT_EQ(StrToInt("999"), 999);
    EXPECT_EQ(StrToInt("1234567890"), 1234567890);
}

TEST(StrToIntDecimal, OnlyAsciiDigits) {
    EXPECT_TRUE(Rejects("abc"));
    EXPECT_TRUE(Rejects("1.0"));
    EXPECT_TRUE(Rejects("1e3"));
    EXPECT_TRUE(Rejects("1,000"));
    EXPECT_TRUE(Rejects("１２")); // full-width digits
    EXPECT_TRUE(Rejects("FF"));   // hexadecimal digits need a prefix
    EXPECT_TRUE(Rejects("0$10"));
    EXPECT_TRUE(Rejects("00x10")); // only a single leading 0 belongs to the prefix
}

TEST(StrToIntDecimal, RangeIsThirtyTwoBitsWithTheSignApplied) {
    EXPECT_EQ(StrToInt("2147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("+2147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
    EXPECT_EQ(StrToInt("-2147483647"), -INT_MAX);
    EXPECT_EQ(StrToInt("0000000000000000002147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("-000000000000002147483648"), INT_MIN);
    EXPECT_TRUE(Rejects("2147483648"));
    EXPECT_TRUE(Rejects("+2147483648"));
    EXPECT_TRUE(Rejects("-2147483649"));
    EXPECT_TRUE(Rejects("4294967295"));
    EXPECT_TRUE(Rejects("4294967296")); // would wrap to 0 in 32 bits
    EXPECT_TRUE(Rejects("12345678901"));
    EXPECT_TRUE(Rejects("99999999999999999999999999"));
    EXPECT_TRUE(Rejects("18446744073709551617")); // would wrap to 1 in 64 bits
}

TEST(StrToIntHexadecimal, EveryPrefixIntroducesHexDigits) {
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("xff"), 255);
    EXPECT_EQ(StrToInt("0x80"), 128);
    EXPECT_EQ(StrToInt("X1a"), 26);
    EXPECT_EQ(StrToInt("0XaB"), 171);
    EXPECT_EQ(StrToInt("$0"), 0);
    EXPECT_EQ(StrToInt("0x0"), 0);
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("$abcdef"), 0xABCDEF);
    EXPECT_EQ(StrToInt("$123456"), 0x123456);
}

TEST(StrToIntHexadecimal, PrefixNeedsHexDigitsAfterIt) {
    EXPECT_TRUE(Rejects("$"));
    EXPECT_TRUE(Rejects("x"));
    EXPECT_TRUE(Rejects("X"));
    EXPECT_TRUE(Rejects("0x"));
    EXPECT_TRUE(Rejects("0X"));
    EXPECT_TRUE(Rejects("-$"));
    EXPECT_TRUE(Rejects("$G"));
    EXPECT_TRUE(Rejects("0xg1"));
    EXPECT_TRUE(Rejects("$-1"));
    EXPECT_TRUE(Rejects("$+1"));
    EXPECT_TRUE(Rejects("$$1"));
    EXPECT_TRUE(Rejects("x$1"));
    EXPECT_TRUE(Rejects("0x0x1"));
    EXPECT_TRUE(Rejects("0$1"));
    EXPECT_TRUE(Rejects("h10"));
}

TEST(StrToIntHexadecimal, EightSignificantDigitsAsTwosComplement) {
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("$80000000"), INT_MIN);
    EXPECT_EQ(StrToInt("$7FFFFFFF"), INT_MAX);
    EXPECT_EQ(StrToInt("0xFFFFFFFE"), -2);
    EXPECT_EQ(StrToInt("$12345678"), 0x12345678);
    EXPECT_TRUE(Rejects("$100000000"));
    EXPECT_TRUE(Rejects("$FFFFFFFFF"));
    EXPECT_TRUE(Rejects("0x123456789"));
}

TEST(StrToIntHexadecimal, LeadingZerosAreNotSignificant) {
    EXPECT_EQ(StrToInt("$000000001"), 1);
    EXPECT_EQ(StrToInt("$0000000000FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("0x00000000000"), 0);
    EXPECT_EQ(StrToInt("x0000000080000000"), INT_MIN);
    EXPECT_TRUE(Rejects("$0000000100000000"));
}

TEST(StrToIntTrailing, NothingMayFollowTheDigits) {
    EXPECT_TRUE(Rejects("12 "));
    EXPECT_TRUE(Rejects("12a"));
    EXPECT_TRUE(Rejects("$FFg"));
    EXPECT_TRUE(Rejects("0x10 "));
    EXPECT_TRUE(Rejects("5\t"));
    EXPECT_TRUE(Rejects("5\r\n"));
    EXPECT_TRUE(Rejects("5円"));
    EXPECT_TRUE(Rejects(std::string("1\0", 2)));
    EXPECT_TRUE(Rejects(std::string("\0"
                                    "1",
                                    2)));
}

TEST(StrToIntEmpty, NoDigitsAtAll) {
    EXPECT_TRUE(Rejects(""));
    EXPECT_TRUE(Rejects(" "));
    EXPECT_TRUE(Rejects("    "));
}

TEST(StrToIntMessage, QuotesTheTextExactlyAsGiven) {
    EXPECT_EQ(ErrorOf("abc"), "'abc' は整数ではありません");
    EXPECT_EQ(ErrorOf(""), "'' は整数ではありません");
    EXPECT_EQ(ErrorOf("12 "), "'12 ' は整数ではありません");
    EXPECT_EQ(ErrorOf(" 2147483648"), "' 2147483648' は整数ではありません");
    EXPECT_EQ(ErrorOf("%s"), "'%s' は整数ではありません");
    EXPECT_EQ(ErrorOf("赤"), "'赤' は整数ではありません");
}

TEST(StrToIntMessage, IsAConvertError) {
    EXPECT_THROW(StrToInt("abc"), EConvertError);
    EXPECT_THROW(StrToInt("2147483648"), Exception);
}

// The examples of the custom colour boxes: what each box text converts to before the range test.
TEST(StrToIntColourBoxes, TextsOfTheCustomColourBoxes) {
    EXPECT_EQ(StrToInt("255"), 255); // the boxes' starting text
    EXPECT_EQ(StrToInt("300"), 300);
    EXPECT_EQ(StrToInt("-5"), -5);
    EXPECT_EQ(StrToInt("999"), 999);
    EXPECT_EQ(StrToInt(" 12"), 12);
    EXPECT_TRUE(Rejects("12 "));
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("xff"), 255);
    EXPECT_EQ(StrToInt("0x80"), 128);
    EXPECT_TRUE(Rejects("2147483648"));
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN); // converts; the range test rejects it later
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);        // converts; the range test rejects it later
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-1"), -1);
    EXPECT_EQ(StrToInt("256"), 256);
    EXPECT_EQ(ErrorOf(""), "'' は整数ではありません");
    EXPECT_EQ(ErrorOf("abc"), "'abc' は整数ではありません");
}
