#include "base/texts.h"

#include "base/cp932.h"

namespace dodir {

std::string ErrorBoxText(const std::string& message) {
    const auto last = cp932::LastCharStart(message);
    if (last == std::string::npos) return message;
    if (static_cast<unsigned char>(message[last]) > 0x2E) return message + ".";
    return message;
}

std::string MousePositionText(int x, int y) { return "  X:" + std::to_string(x) + " Y:" + std::to_string(y); }

std::string CaretLineText(int caretLine) {
    return " 行：" + std::to_string(static_cast<long long>(caretLine) + 1);
}

} // namespace dodir
