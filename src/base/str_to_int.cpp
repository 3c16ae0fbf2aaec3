#include "base/str_to_int.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/errors.h"

namespace dodir {

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Length of the hexadecimal prefix at the start of rest, 0 when there is none.
std::size_t HexPrefixLength(std::string_view rest) {
    if (rest.starts_with("0x") || rest.starts_with("0X")) return 2;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) return 1;
    return 0;
}

// The whole of digits must be hexadecimal digits; at most eight count after leading zeros.
std::optional<int> ReadHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (const char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        if (significant == 0 && d == 0) continue;
        if (++significant > 8) return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return static_cast<int>(value); // two's complement: 0xFFFFFFFF is -1
}

// The whole of digits must be decimal digits; the signed value must fit in 32 bits.
std::optional<int> ReadDecimal(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

std::optional<int> Read(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    if (const std::size_t prefix = HexPrefixLength(rest); prefix > 0) return ReadHex(rest.substr(prefix));
    return ReadDecimal(rest, negative);
}

} // namespace

int StrToInt(const std::string& text) {
    if (const auto value = Read(text)) return *value;
    throw EConvertError(FormatMessage1("'%s' は整数ではありません", text));
}

} // namespace dodir
