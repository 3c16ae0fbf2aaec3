#include "base/texts.h"

#include "base/cp932.h"

namespace dodir {

std::string ErrorBoxText(const std::string& message) {
    const auto last = LastCharStart(message);
    if (last == std::string::npos) return message;
    if (static_cast<unsigned char>(message[last]) > 0x2E) return message + ".";
    return message;
}

} // namespace dodir
