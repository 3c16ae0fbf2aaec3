// Platform fonts made from the program's font descriptions.
#pragma once
#include <windows.h>

#include "base/fonts.h"

namespace dodir::win {

// The logical font of a description: face, height, weight, style and character set.
LOGFONTA LogFontOf(const TFont& font);
// A new font object for a description; the caller owns it (UniqueFont).
HFONT CreateFontOf(const TFont& font);

} // namespace dodir::win
