// What the screen's resolution does to a layout drawn in pixels at 96 dpi around a window
// font 12 pixels high: the font's height follows dpi / 96, and when that height is not 12
// every position and length follows height / 12, rounded as the platform's MulDiv rounds.
#pragma once
#include <span>

#include "base/geometry.h"
#include "base/muldiv.h"

namespace dodir {

class TScale {
  public:
    static constexpr int kDesignDpi = 96;
    static constexpr int kDesignFontHeight = 12;

    // The layout as drawn: 96 dpi.
    constexpr TScale() = default;
    // A resolution of 0 or less, which no screen reports, counts as 96 dpi.
    constexpr explicit TScale(int dpi)
        : dpi_(dpi > 0 ? dpi : kDesignDpi), fontHeight_(MulDivRound(kDesignFontHeight, dpi_, kDesignDpi)) {}

    constexpr int Dpi() const noexcept { return dpi_; }
    // The window font's height in pixels.
    constexpr int FontHeight() const noexcept { return fontHeight_; }
    constexpr bool Unscaled() const noexcept { return fontHeight_ == kDesignFontHeight; }

    // A position or length of the 96-dpi layout (a font height too, negative or not).
    constexpr int operator()(int pixels) const {
        return Unscaled() ? pixels : MulDivRound(pixels, fontHeight_, kDesignFontHeight);
    }
    constexpr TPoint operator()(TPoint p) const { return {(*this)(p.x), (*this)(p.y)}; }
    constexpr TSize operator()(TSize s) const { return {(*this)(s.width), (*this)(s.height)}; }
    // Place and size scale each on their own, as a control's left, top, width and height.
    constexpr TRect operator()(const TRect& r) const {
        const int left = (*this)(r.left), top = (*this)(r.top);
        return {left, top, left + (*this)(r.Width()), top + (*this)(r.Height())};
    }

  private:
    int dpi_ = kDesignDpi;
    int fontHeight_ = kDesignFontHeight;
};

// Of the sizes a picture is drawn in (smallest first), the one to show where the 96-dpi
// layout has `designSize`: the largest not above the scaled size, so that a picture is never
// stretched; the smallest when all are above it.
constexpr int DrawnSize(TScale scale, int designSize, std::span<const int> drawnSizes) {
    const int wanted = scale(designSize);
    int size = drawnSizes.front();
    for (int n : drawnSizes)
        if (n <= wanted) size = n;
    return size;
}

} // namespace dodir
