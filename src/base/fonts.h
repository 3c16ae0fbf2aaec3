// A font as the program describes it: face, pixel height, character set, colour, style.
#pragma once
#include <string>

#include "base/colors.h"

namespace dodir {

enum FontCharset : int { ANSI_CHARSET_ = 0, DEFAULT_CHARSET_ = 1, SHIFTJIS_CHARSET_ = 128 };

struct TFont {
    std::string name = "ＭＳ Ｐゴシック";
    int height = -12; // pixels; negative is the character height without internal leading
    int charset = SHIFTJIS_CHARSET_;
    TColor color = clWindowText;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    // Size in points at the given resolution, rounded as MulDiv does.
    int PointSize(int pixelsPerInch) const;

    bool operator==(const TFont&) const = default;
};

// The same font counted at another resolution: its pixel height follows `to` / `from`, rounded
// as MulDiv does, so that its size in points stays.
TFont FontAtResolution(TFont font, int from, int to);

// The main window's font, inherited by its controls.
TFont WindowFont();

} // namespace dodir
