#include "app/status_panels.h"

namespace dodir {

std::string MousePositionText(int x, int y) { return "  X:" + std::to_string(x) + " Y:" + std::to_string(y); }

std::string CaretLineText(int caretLine) {
    return " 行：" + std::to_string(static_cast<long long>(caretLine) + 1);
}

} // namespace dodir
