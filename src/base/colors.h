// Colour values: a 24-bit RGB triple (red in bits 0-7) or a reference to a system colour.
#pragma once
#include <cstdint>

namespace dodir {

using TColor = std::uint32_t;

// A system colour reference carries this flag and the platform's colour index.
constexpr TColor kSystemColorFlag = 0x80000000u;
constexpr TColor SystemColor(int index) { return kSystemColorFlag | static_cast<TColor>(index); }
constexpr bool IsSystemColor(TColor c) { return (c & kSystemColorFlag) != 0; }
constexpr int SystemColorIndex(TColor c) { return static_cast<int>(c & 0xFFu); }

// Platform colour indices (COLOR_WINDOW and friends).
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clBtnFace = SystemColor(15);

constexpr TColor RGBColor(int red, int green, int blue) {
    return static_cast<TColor>(red & 0xFF) | (static_cast<TColor>(green & 0xFF) << 8) |
           (static_cast<TColor>(blue & 0xFF) << 16);
}

} // namespace dodir
