// Where the main window and everything on it go at a screen resolution: the layout drawn in
// pixels at 96 dpi, scaled by the screen's rule. Built without any platform call.
#pragma once
#include <array>

#include "base/geometry.h"
#include "base/scale.h"

namespace dodir {

// A caption the window paints itself.
struct TLabelPlace {
    TPoint at;
    const char* caption;
    bool large; // the large bold font instead of the window font
};

struct TMainLayout {
    TScale scale;
    // The frame's top-left corner on the screen, and the size inside the frame.
    TPoint position;
    TSize client;
    // Character heights (negative, as the font is asked for) of the window font and of the
    // large captions.
    int fontHeight;
    int largeFontHeight;
    std::array<TLabelPlace, 6> labels;
    TRect edit1, edit2, edit3, button1, button2, statusBar, comboBox1, comboBox2, editor, toolBar, gutter;
    // The toolbar's buttons and separators, and the size its pictures are drawn for.
    TSize toolButton;
    int toolSeparator;
    int toolImage;
    // The right edges of the status bar's first three panels; the last reaches the bar's end.
    std::array<int, 3> statusEdges;
    // How far the gutter lays its numbers out beyond its left edge, so that a number wider
    // than the gutter keeps its last digits in view.
    int gutterOverhang;
};

TMainLayout MainLayout(TScale scale);

// The sizes the toolbar's 16-pixel pictures are drawn in, smallest first.
inline constexpr std::array<int, 4> kToolImageSizes{16, 20, 24, 32};

// Where a frame of `frame` size goes: at `wanted`, pulled left and up as far as needed (not
// past the area's left and top) to lie whole inside `workArea`.
TPoint KeepInside(const TRect& workArea, TPoint wanted, TSize frame);

} // namespace dodir
