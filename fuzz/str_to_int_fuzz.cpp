// Checks StrToInt against a second reading of the same grammar, written differently: the
// text is cut into blanks, sign, prefix and digit run with string searches, and the range
// is decided by comparing digit strings (length, then lexicographically) instead of by
// watching an accumulator. Only the value and the acceptance are compared, plus the shape
// of the rejection message, which does not depend on how its literal is encoded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/errors.h"
#include "base/str_to_int.h"

namespace {

std::optional<std::int32_t> Reference(std::string s) {
    const auto firstNonBlank = s.find_first_not_of(' ');
    if (firstNonBlank == std::string::npos) return std::nullopt;
    s.erase(0, firstNonBlank);

    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.erase(0, 1);
    }

    bool hex = false;
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        const std::string p(prefix);
        if (s.compare(0, p.size(), p) == 0) {
            hex = true;
            s.erase(0, p.size());
            break;
        }
    }

    const char* digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (s.empty() || s.find_first_not_of(digits) != std::string::npos) return std::nullopt;

    const auto firstNonZero = s.find_first_not_of('0');
    s = firstNonZero == std::string::npos ? std::string() : s.substr(firstNonZero);

    if (hex) {
        // The sign before a hexadecimal number is ignored.
        if (s.size() > 8) return std::nullopt;
        std::uint64_t v = s.empty() ? 0 : std::stoull(s, nullptr, 16);
        if (v >= 0x80000000u) return static_cast<std::int32_t>(static_cast<std::int64_t>(v) - 0x100000000LL);
        return static_cast<std::int32_t>(v);
    }

    const std::string limit = negative ? "2147483648" : "2147483647";
    if (s.size() > limit.size() || (s.size() == limit.size() && s > limit)) return std::nullopt;
    const std::int64_t v = s.empty() ? 0 : std::stoll(s);
    return static_cast<std::int32_t>(negative ? -v : v);
}

[[noreturn]] void Fail(const std::string& input, const char* what) {
    std::fprintf(stderr, "StrToInt mismatch (%s) for %zu bytes:", what, input.size());
    for (const unsigned char c : input) std::fprintf(stderr, " %02X", c);
    std::fprintf(stderr, "\n");
    std::abort();
}

// What follows the quoted text in every rejection message.
const std::string& MessageTail() {
    static const std::string tail = [] {
        try {
            dodir::StrToInt("");
        } catch (const dodir::EConvertError& e) {
            return e.Message().substr(2); // after "''"
        }
        std::abort();
    }();
    return tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = Reference(input);

    std::optional<int> actual;
    try {
        actual = dodir::StrToInt(input);
    } catch (const dodir::EConvertError& e) {
        if (e.Message() != "'" + input + "'" + MessageTail()) Fail(input, "message");
    }

    if (expected.has_value() != actual.has_value()) Fail(input, "acceptance");
    if (expected && *expected != *actual) Fail(input, "value");
    return 0;
}
