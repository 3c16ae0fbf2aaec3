#include "app/main_layout.h"

#include <gtest/gtest.h>

using namespace dodir;

namespace {

bool operator==(const TRect& a, const TRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

// The font follows dpi / 96; every place and length follows the font's height / 12, halves
// rounded away from zero; the pictures take the largest drawn size that is not stretched.
TEST(MainLayout, ScalesByTheFontHeightAtEachResolution) {
    struct Row {
        int dpi, font, large;
        TPoint position;
        TSize client;
        TRect editor, gutter;
        TSize button;
        int image, firstEdge;
    };
    const Row rows[] = {
        {96, 12, -19, {242, 202}, {688, 460}, {32, 24, 681, 393}, {0, 24, 33, 393}, {23, 22}, 16, 150},
        {100, 13, -21, {262, 219}, {745, 498}, {35, 26, 738, 426}, {0, 26, 36, 426}, {25, 24}, 16, 163},
        {120, 15, -24, {303, 253}, {860, 575}, {40, 30, 851, 491}, {0, 30, 41, 491}, {29, 28}, 20, 188},
        {144, 18, -29, {363, 303}, {1032, 690}, {48, 36, 1022, 590}, {0, 36, 50, 590}, {35, 33}, 24, 225},
        {192, 24, -38, {484, 404}, {1376, 920}, {64, 48, 1362, 786}, {0, 48, 66, 786}, {46, 44}, 32, 300},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        const TMainLayout m = MainLayout(TScale(row.dpi));
        EXPECT_EQ(m.fontHeight, -row.font);
        EXPECT_EQ(m.largeFontHeight, row.large);
        EXPECT_EQ(m.position, row.position);
        EXPECT_EQ(m.client, row.client);
        EXPECT_TRUE(m.editor == row.editor);
        EXPECT_TRUE(m.gutter == row.gutter);
        EXPECT_EQ(m.toolButton, row.button);
        EXPECT_EQ(m.toolImage, row.image);
        EXPECT_EQ(m.statusEdges[0], row.firstEdge);
        // Every control and caption of the 96-dpi layout, scaled by the same rule.
        const TMainLayout design = MainLayout(TScale());
        const TScale s = m.scale;
        for (auto [got, drawn] : {std::pair{m.edit1, design.edit1},
                                  {m.edit3, design.edit3},
                                  {m.button2, design.button2},
                                  {m.statusBar, design.statusBar},
                                  {m.comboBox2, design.comboBox2},
                                  {m.toolBar, design.toolBar}})
            EXPECT_TRUE(got == s(drawn));
        for (std::size_t k = 0; k < m.labels.size(); ++k) EXPECT_EQ(m.labels[k].at, s(design.labels[k].at));
    }
}

TEST(MainLayout, AFrameLargerThanTheRoomLeftIsPulledBackIntoTheWorkArea) {
    const TRect area{0, 0, 1280, 1024};
    EXPECT_EQ(KeepInside(area, {242, 202}, {700, 500}), (TPoint{242, 202}));
    EXPECT_EQ(KeepInside(area, {484, 404}, {1390, 960}), (TPoint{0, 64}));
    EXPECT_EQ(KeepInside(TRect{100, 30, 1380, 1054}, {484, 404}, {1000, 900}), (TPoint{380, 154}));
}
