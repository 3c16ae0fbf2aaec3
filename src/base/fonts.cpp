#include "base/fonts.h"

#include "base/muldiv.h"

namespace dodir {

int TFont::PointSize(int pixelsPerInch) const { return -MulDivRound(height, 72, pixelsPerInch); }

TFont WindowFont() { return TFont{}; }

} // namespace dodir
