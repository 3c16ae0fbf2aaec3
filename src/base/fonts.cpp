#include "base/fonts.h"

#include "base/muldiv.h"

namespace dodir {

int TFont::PointSize(int pixelsPerInch) const { return -MulDivRound(height, 72, pixelsPerInch); }

int TFont::HeightForPoints(int points, int pixelsPerInch) { return -MulDivRound(points, pixelsPerInch, 72); }

TFont WindowFont() { return TFont{}; }

} // namespace dodir
