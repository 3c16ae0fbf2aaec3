// Points, sizes and rectangles in pixels, and where a window goes on a monitor.
#pragma once

namespace dodir {

struct TPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int width = 0;
    int height = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
};

// The origin that centres `size` across `area` and leaves 1/`parts` of the free height
// above it: 2 centres, 3 puts it a third down. Halves are truncated toward zero, so a
// window larger than the area starts before it.
TPoint CentreIn(const TRect& area, TSize size, int parts = 2);

// A window at `at` inside `from` moved to the same offset inside `to`, then pulled left
// and up where its right or bottom edge would leave `to`.
TPoint CarryOver(const TRect& from, const TRect& to, TPoint at, TSize size);

} // namespace dodir
