// Code page 932 (Shift-JIS) byte and character positions.
#pragma once
#include <cstddef>
#include <string_view>

namespace dodir {

// The code page's number, as the platform's conversions take it.
inline constexpr unsigned kCodePage932 = 932;

// A lead byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A trail byte can be the second byte of a double-byte character (every lead byte can).
constexpr bool IsTrailByte(unsigned char b) noexcept {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Number of characters in text; a lead byte at the very end counts as one character.
std::size_t CharCount(std::string_view text) noexcept;

// Byte offset of the character with index charPos; past the end gives text.size().
std::size_t ByteOffsetOfChar(std::string_view text, std::size_t charPos) noexcept;

// Character index that holds byte offset bytePos; an offset inside a double-byte
// character counts as the character after it. Past the end gives CharCount(text).
std::size_t CharIndexOfByte(std::string_view text, std::size_t bytePos) noexcept;

// Offset of the first byte of the last character of text (its lead byte when it is
// double-byte); npos for an empty text.
std::size_t LastCharStart(std::string_view text) noexcept;

// Whether text ends in a lead byte whose trail byte is missing: the offset text.size() of a
// longer text that starts with it then lies inside a double-byte character.
bool EndsInsideCharacter(std::string_view text) noexcept;

} // namespace dodir
