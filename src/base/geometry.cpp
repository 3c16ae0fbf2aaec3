#include "base/geometry.h"

namespace dodir {

TPoint CentreIn(const TRect& area, TSize size, int parts) {
    return {area.left + (area.Width() - size.width) / 2, area.top + (area.Height() - size.height) / parts};
}

TPoint CarryOver(const TRect& from, const TRect& to, TPoint at, TSize size) {
    TPoint moved{to.left + (at.x - from.left), to.top + (at.y - from.top)};
    if (moved.x + size.width > to.right) moved.x = to.right - size.width;
    if (moved.y + size.height > to.bottom) moved.y = to.bottom - size.height;
    return moved;
}

} // namespace dodir
