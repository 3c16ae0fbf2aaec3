#include "app/gutter_numbers.h"

#include <algorithm>

namespace dodir {

int GutterRowsThatFit(int clientHeight, int firstRowTop, int rowHeight) {
    const int height = std::max(clientHeight - firstRowTop, 0);
    if (rowHeight <= 0) return height;
    return (height + rowHeight - 1) / rowHeight;
}

TGutterNumbers GutterNumbers(int firstVisibleLine, int lineCount, int rowsThatFit) {
    if (lineCount < firstVisibleLine) return {firstVisibleLine + 1, firstVisibleLine};
    // In 64 bits: a line count near INT_MAX plus the rows must not overflow.
    const long long last = std::min(static_cast<long long>(lineCount) + 1,
                                    static_cast<long long>(firstVisibleLine) + std::max(rowsThatFit, 1));
    return {firstVisibleLine + 1, static_cast<int>(last)};
}

} // namespace dodir
