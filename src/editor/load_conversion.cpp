#include "editor/load_conversion.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

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

// What code page 932 shows for a broken double-byte character: KATAKANA MIDDLE DOT.
constexpr const char* kBrokenCharacter = "\x81\x45";

} // namespace

bool TRtfGroupDepth::Feed(const char* p, std::size_t n) noexcept {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        switch (state_) {
        case TState::Binary:
            // Skips what is left of the raw bytes at once.
            if (const std::size_t skip =
                    static_cast<std::size_t>(std::min<unsigned long long>(binaryLeft_, n - i));
                skip > 0) {
                binaryLeft_ -= skip;
                i += skip - 1;
            }
            if (binaryLeft_ == 0) state_ = TState::Text;
            continue;
        case TState::Escape:
            if (isLetter(c)) {
                state_ = TState::Word;
                wordLength_ = 0;
                word_[wordLength_++] = c;
            } else {
                state_ = c == '\'' ? TState::Hex1 : TState::Text; // a control symbol: \{ \} \\ \'
            }
            continue;
        case TState::Hex1:
        case TState::Hex2:
            // Two hex digits; a brace or backslash in their place still counts as itself.
            if (c != '{' && c != '}' && c != '\\') {
                if (state_ == TState::Hex2 && hexZero_ && c == '0') mayHoldNul_ = true;
                hexZero_ = c == '0';
                state_ = state_ == TState::Hex1 ? TState::Hex2 : TState::Text;
                continue;
            }
            state_ = TState::Text;
            break;
        case TState::Word:
            if (isLetter(c)) {
                if (wordLength_ < sizeof word_) word_[wordLength_] = c;
                ++wordLength_;
                continue;
            }
            negative_ = c == '-';
            parameter_ = 0;
            if (negative_ || isDigit(c)) {
                if (!negative_) parameter_ = static_cast<unsigned long long>(c - '0');
                state_ = TState::Parameter;
                continue;
            }
            state_ = TState::Text;
            if (c == ' ') continue; // the word's delimiter
            break;
        case TState::Parameter:
            if (isDigit(c)) {
                const auto digit = static_cast<unsigned long long>(c - '0');
                constexpr auto kMax = ~0ULL;
                parameter_ = parameter_ > (kMax - digit) / 10 ? kMax : parameter_ * 10 + digit;
                continue;
            }
            state_ = TState::Text;
            if (wordLength_ == 1 && word_[0] == 'u' && (parameter_ % 65536 == 0 || parameter_ > 65535))
                mayHoldNul_ = true;
            if (wordLength_ == 3 && word_[0] == 'b' && word_[1] == 'i' && word_[2] == 'n' && !negative_ &&
                parameter_ > 0) {
                binaryLeft_ = parameter_;
                state_ = TState::Binary;
                if (c == ' ') continue; // the delimiter is not one of the raw bytes
                --i;                    // this byte is the first raw one
                continue;
            }
            if (c == ' ') continue;
            break;
        case TState::Text:
            break;
        }
        // Text, or a byte that ended a control word.
        if (c == '\\')
            state_ = TState::Escape;
        else if (c == '{' && ++depth_ > kMaxDepth)
            return false;
        else if (c == '}' && depth_ > 0)
            --depth_;
    }
    return true;
}

void TConversion::Convert(const char* data, std::size_t size) {
    if (watchGroups_) {
        // Only a document that starts as rich text does is read as rich text.
        if (head_.size() < 6) head_.append(data, std::min(size, 6 - head_.size()));
        const bool richText = head_.starts_with("{\\rtf") || head_.starts_with("{\\urtf");
        const bool undecided = head_.size() < 6 && (std::string_view("{\\urtf").starts_with(head_) ||
                                                    std::string_view("{\\rtf").starts_with(head_));
        if (!undecided && !richText) watchGroups_ = false;
        if (watchGroups_ && !groups_.Feed(data, size)) throw TTooDeep{};
    }
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\0') continue; // as if it were not there: CR NUL LF stays one break
        if (heldLead_) {
            heldLead_ = false;
            if (IsTrailByte(static_cast<unsigned char>(c))) {
                pending_ += leadByte_;
                pending_ += c;
                continue;
            }
            // A lead byte without its second byte would swallow the byte after it (a line
            // break, a tab, a digit) into one broken character: it is shown as the platform
            // shows a broken character, and the byte after it stays.
            pending_ += kBrokenCharacter;
        }
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = false;
        if (c == '\r' || c == '\n') {
            pending_ += "\r\n";
            afterCr_ = c == '\r';
        } else if (!richText_ && cp932::IsLeadByte(static_cast<unsigned char>(c))) {
            heldLead_ = true;
            leadByte_ = c;
        } else {
            pending_ += c;
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
            // Nor does a piece end between CR and LF when it can end before them.
            if (k > 1 && k < pending_.size() && pending_[k - 1] == '\r' && pending_[k] == '\n' &&
                !EndsOnStartingLead(pending_.data(), k - 1, midCharacter_))
                --k;
            if (k > 0) {
                std::memcpy(out, pending_.data(), k);
                pending_.erase(0, k);
                midCharacter_ = split;
                return k;
            }
        }
        if (atEnd_) return 0;
        // At most half of the room: each byte read becomes at most two.
        // A held lead byte still becomes up to two bytes.
        const std::size_t waiting = pending_.size() + (heldLead_ ? 2 : 0);
        const std::size_t room = capacity > waiting ? capacity - waiting : 0;
        const std::size_t want = std::max<std::size_t>(room / 2, 1);
        scratch_.resize(want);
        const std::size_t got = source_(scratch_.data(), want);
        if (got > want) throw std::length_error("TConversion: the source gave more bytes than asked for");
        if (got == 0) {
            atEnd_ = true;
            if (heldLead_) pending_ += leadByte_; // the source's very last byte stays as it is
            heldLead_ = false;
        } else
            Convert(scratch_.data(), got);
    }
}

} // namespace dodir
