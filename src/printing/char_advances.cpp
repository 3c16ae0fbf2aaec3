#include "printing/char_advances.h"

#include "base/cp932.h"

namespace dodir {

namespace {

constexpr std::size_t kCodes = 0x10000;

// The character at `at`: its code (a single byte, or lead * 256 + trail) and its length, 0
// for a lead byte that ends the run alone.
struct TChar {
    std::size_t code, bytes;
};
TChar CharAt(std::string_view run, std::size_t at) {
    const auto byte = static_cast<unsigned char>(run[at]);
    if (!cp932::IsLeadByte(byte)) return {byte, 1};
    if (at + 1 == run.size()) return {byte, 0};
    return {byte * 256u + static_cast<unsigned char>(run[at + 1]), 2};
}

} // namespace

bool TCharAdvances::Measure(std::string_view run, std::span<int> ends) const {
    if (advances_.empty()) return false;
    int width = 0;
    for (std::size_t at = 0; at < run.size();) {
        const TChar c = CharAt(run, at);
        if (c.bytes == 0 || advances_[c.code] == kUnknown) return false;
        width += advances_[c.code];
        at += c.bytes;
        ends[at - 1] = width;
    }
    return true;
}

void TCharAdvances::Remember(std::string_view run, std::span<const int> ends) {
    if (advances_.empty()) advances_.assign(kCodes, kUnknown);
    int before = 0;
    for (std::size_t at = 0; at < run.size();) {
        const TChar c = CharAt(run, at);
        if (c.bytes == 0) return;
        at += c.bytes;
        advances_[c.code] = ends[at - 1] - before;
        before = ends[at - 1];
    }
}

void TCharAdvances::Forget() noexcept { advances_.clear(); }

} // namespace dodir
