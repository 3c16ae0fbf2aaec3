#include "base/fonts.h"

#include "base/muldiv.h"

namespace dodir {

int TFont::PointSize(int pixelsPerInch) const { return -MulDivRound(height, 72, pixelsPerInch); }

TFont FontAtResolution(TFont font, int from, int to) {
    if (from > 0 && to > 0) font.height = MulDivRound(font.height, to, from);
    return font;
}

TFont WindowFont() { return TFont{}; }

} // namespace dodir
