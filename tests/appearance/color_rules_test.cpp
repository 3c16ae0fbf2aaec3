#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appearance/color_rules.h"
#include "base/errors.h"

using namespace dodir;

namespace {
const std::string kRed = "Rに0～255の整数を入力してください。";
const std::string kGreen = "Gに0～255の整数を入力してください。";
const std::string kBlue = "Bに0～255の整数を入力してください。";
} // namespace

TEST(PresetColors, EachItemGivesItsValuesAndStatusTextForEitherTarget) {
    struct Row {
        const char* name;
        int red, green, blue;
    };
    const Row rows[] = {{"黒", 0, 0, 0},   {"白", 255, 255, 255}, {"赤", 255, 0, 0},   {"青", 0, 0, 255},
                        {"緑", 0, 128, 0}, {"黄", 255, 255, 0},   {"紫", 128, 0, 128}, {"灰", 128, 128, 128}};
    ASSERT_EQ(PresetNames().size(), std::size(rows));
    for (int k = 0; k < static_cast<int>(std::size(rows)); ++k) {
        const Row& row = rows[k];
        const std::string values = "R:" + std::to_string(row.red) + " G:" + std::to_string(row.green) +
                                   " B:" + std::to_string(row.blue);
        EXPECT_EQ(PresetNames()[static_cast<std::size_t>(k)], row.name);
        const auto background = PresetColor(TColorTarget::Background, k);
        const auto text = PresetColor(TColorTarget::Text, k);
        ASSERT_TRUE(background && text);
        EXPECT_EQ(background->color, RGBColor(row.red, row.green, row.blue));
        EXPECT_EQ(background->statusText, "背景色" + values);
        EXPECT_EQ(text->color, background->color);
        EXPECT_EQ(text->statusText, "文字色" + values);
    }
    // No item selected (-1) or past the list: nothing to apply.
    EXPECT_FALSE(PresetColor(TColorTarget::Background, -1));
    EXPECT_FALSE(PresetColor(TColorTarget::Text, 8));
}

TEST(CustomColors, ValuesFrom0To255MakeTheColourWhateverTheNotation) {
    const auto c = CustomColor("$FF", "0x80", "+5");
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(c.color, RGBColor(255, 128, 5));
    EXPECT_EQ(CustomColor("0", "255", "0").color, RGBColor(0, 255, 0));
    EXPECT_TRUE(CustomColor("0", "255", "0").problems.empty());
}

TEST(CustomColors, EachValueOutOfRangeHasItsMessageInRedGreenBlueOrder) {
    EXPECT_EQ(CustomColor("300", "-5", "999").problems, (std::vector<std::string>{kRed, kGreen, kBlue}));
    EXPECT_EQ(CustomColor("255", "256", "-1").problems, (std::vector<std::string>{kGreen, kBlue}));
    // The extremes of the conversion convert, then fail the range.
    EXPECT_EQ(CustomColor("-2147483648", "0", "$FFFFFFFF").problems, (std::vector<std::string>{kRed, kBlue}));
}

TEST(CustomColors, TheFirstTextThatIsNoIntegerFailsBeforeAnyRangeCheck) {
    struct Row {
        const char *r, *g, *b, *error;
    };
    const Row rows[] = {
        {"abc", "300", "0", "'abc' は整数ではありません"},
        {"1", "", "x", "'' は整数ではありません"},
        {"1", "2", "12 ", "'12 ' は整数ではありません"},
        {"2147483648", "y", "0", "'2147483648' は整数ではありません"},
        {"999", "1", "\t1", "'\t1' は整数ではありません"},
    };
    for (const auto& row : rows) {
        try {
            CustomColor(row.r, row.g, row.b);
            ADD_FAILURE() << row.error;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), row.error);
        }
    }
}

TEST(CustomColors, TheStatusTextEchoesTheTextsAsTyped) {
    EXPECT_EQ(CustomStatusText(TColorTarget::Background, " 12", "0x80", "+5"), "  背景色R: 12 G:0x80 B:+5");
    EXPECT_EQ(CustomStatusText(TColorTarget::Text, "10", "$14", "0x1e"), "  文字色R:10 G:$14 B:0x1e");
    EXPECT_EQ(ColorStatusText(TColorTarget::Text, 0, 0, 0), "文字色R:0 G:0 B:0");
}
