#include "base/cp932.h"

namespace dodir {

namespace {
std::size_t CharSize(std::string_view text, std::size_t at) noexcept {
    return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}
} // namespace

std::size_t CharCount(std::string_view text) noexcept {
    std::size_t chars = 0;
    for (std::size_t at = 0; at < text.size(); at += CharSize(text, at)) ++chars;
    return chars;
}

std::size_t ByteOffsetOfChar(std::string_view text, std::size_t charPos) noexcept {
    std::size_t at = 0;
    for (std::size_t c = 0; c < charPos && at < text.size(); ++c) at += CharSize(text, at);
    return at;
}

std::size_t CharIndexOfByte(std::string_view text, std::size_t bytePos) noexcept {
    std::size_t at = 0, chars = 0;
    while (at < bytePos && at < text.size()) {
        at += CharSize(text, at);
        ++chars;
    }
    return chars;
}

std::size_t LastCharStart(std::string_view text) noexcept {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at += CharSize(text, at)) last = at;
    return last;
}

bool EndsInsideCharacter(std::string_view text) noexcept {
    const std::size_t last = LastCharStart(text);
    return last != std::string_view::npos && last + 1 == text.size() &&
           IsLeadByte(static_cast<unsigned char>(text[last]));
}

} // namespace dodir
