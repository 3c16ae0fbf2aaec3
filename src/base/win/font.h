// Platform fonts and colours made from the program's descriptions.
#pragma once
#include <windows.h>

#include "base/fonts.h"

namespace dodir::win {

// The logical font of a description: face, height, weight, style and character set.
LOGFONTA LogFontOf(const TFont& font);
// The 24-bit value of a colour; a system colour is looked up at the moment of the call.
inline COLORREF ColorToRGB(TColor color) {
    return IsSystemColor(color) ? ::GetSysColor(SystemColorIndex(color)) : static_cast<COLORREF>(color);
}
// A new font object for a description; the caller owns it (UniqueFont).
HFONT CreateFontOf(const TFont& font);

} // namespace dodir::win
