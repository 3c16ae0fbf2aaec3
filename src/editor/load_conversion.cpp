#include "editor/load_conversion.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/cp932.h"

namespace dodir {

namespace {

// Second byte of a double-byte character in code page 932.
constexpr bool IsTrailByte(unsigned char b) noexcept {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// True when the last of the n bytes is a lead byte that starts a character; inside tells
// whether the byte before p was such a lead byte. Every lead byte is also a possible trail
// byte, so a lead byte right after a starting lead byte is that character's second byte.
bool EndsOnStartingLead(const char* p, std::size_t n, bool inside) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        inside = inside && IsTrailByte(c) ? false : cp932::IsLeadByte(c);
    }
    return inside;
}

} // namespace

void TConversion::Convert(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\0') continue; // as if it were not there: CR NUL LF stays one break
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        if (c == '\r' || c == '\n') {
            pending_ += "\r\n";
            afterCr_ = c == '\r';
        } else {
            pending_ += c;
            afterCr_ = false;
        }
    }
}

std::size_t TConversion::NextPiece(char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    for (;;) {
        if (!pending_.empty()) {
            std::size_t k = std::min(capacity, pending_.size());
            bool split = false;
            const bool last = atEnd_ && k == pending_.size();
            if (!last && EndsOnStartingLead(pending_.data(), k, midCharacter_)) {
                if (k > 1)
                    --k; // the lead byte opens the next piece
                else if (capacity < 2)
                    split = true; // no room for a whole character: hand it over byte by byte
                else
                    k = 0; // only a lead byte so far: read on
            }
            if (k > 0) {
                std::memcpy(out, pending_.data(), k);
                pending_.erase(0, k);
                midCharacter_ = split;
                return k;
            }
        }
        if (atEnd_) return 0;
        // At most half of the room: each byte read becomes at most two.
        const std::size_t room = capacity > pending_.size() ? capacity - pending_.size() : 0;
        const std::size_t want = std::max<std::size_t>(room / 2, 1);
        scratch_.resize(want);
        const std::size_t got = source_(scratch_.data(), want);
        if (got > want) throw std::length_error("TConversion: the source gave more bytes than asked for");
        if (got == 0)
            atEnd_ = true;
        else
            Convert(scratch_.data(), got);
    }
}

} // namespace dodir
