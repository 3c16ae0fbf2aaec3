#include "app/main_layout.h"

#include <algorithm>

namespace dodir {

namespace {

constexpr TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}

} // namespace

TMainLayout MainLayout(TScale s) {
    TMainLayout m{};
    m.scale = s;
    m.position = s(TPoint{242, 202});
    m.client = s(TSize{688, 460});
    m.fontHeight = -s.FontHeight();
    m.largeFontHeight = s(-19);
    m.labels = {{
        {s(TPoint{368, 416}), "R：", true},
        {s(TPoint{432, 416}), "G：", true},
        {s(TPoint{496, 416}), "B：", true},
        {s(TPoint{8, 400}), "背景色", false},
        {s(TPoint{120, 400}), "文字色", false},
        {s(TPoint{368, 400}), "ユ－ザ－定義", false},
    }};
    m.edit1 = s(Bounds(392, 416, 33, 20));
    m.edit2 = s(Bounds(456, 416, 33, 20));
    m.edit3 = s(Bounds(520, 416, 33, 20));
    m.button1 = s(Bounds(560, 416, 57, 17));
    m.button2 = s(Bounds(624, 416, 57, 17));
    m.statusBar = s(Bounds(0, 442, 688, 18));
    m.comboBox1 = s(Bounds(8, 416, 97, 20));
    m.comboBox2 = s(Bounds(120, 416, 97, 20));
    m.editor = s(Bounds(32, 24, 649, 369));
    m.toolBar = s(Bounds(0, 0, 688, 25));
    m.gutter = s(Bounds(0, 24, 33, 369));
    m.toolButton = s(TSize{23, 22});
    m.toolSeparator = s(5);
    m.toolImage = DrawnSize(s, 16, kToolImageSizes);
    m.statusEdges = {s(150), s(300), s(450)};
    m.gutterOverhang = s(100);
    return m;
}

TPoint KeepInside(const TRect& area, TPoint at, TSize frame) {
    return {std::max(area.left, std::min(at.x, area.right - frame.width)),
            std::max(area.top, std::min(at.y, area.bottom - frame.height))};
}

} // namespace dodir
