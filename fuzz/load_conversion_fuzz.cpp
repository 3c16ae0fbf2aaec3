// Checks TConversion against a whole-buffer reading of the same rules: the input is first
// stripped of its NUL bytes, then each lead byte not followed by a second byte becomes the
// broken-character mark (but the very last byte) and each line break (CR LF, a lone CR, a
// lone LF) is written as CR LF. The conversion instead sees the input through reads of sizes the fuzzer picks
// and hands it over in pieces of capacities the fuzzer picks; the pieces joined must equal
// the reference, and each piece must respect the capacity, the half-the-room read rule and
// the lead byte rule. The rich-text conversion is checked against its filter of NUL escapes.
//
// Input layout: byte 0 = n (number of plan bytes, taken mod 32), then n plan bytes, then
// the document. Plan byte i (cycled) gives both the capacity of piece i (1 + low 6 bits,
// or 4096 when it is 0xFF) and the most bytes read i of the source may give (1 + high 4 bits,
// or unlimited when they are 0xF).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/load_conversion.h"

namespace {

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

std::string Reference(const std::string& input, bool markBroken = true) {
    std::string noNul;
    for (char c : input)
        if (c != '\0') noNul.push_back(c);
    std::string out;
    std::size_t i = 0;
    while (i < noNul.size()) {
        if (markBroken && IsLead(static_cast<unsigned char>(noNul[i])) && i + 1 < noNul.size()) {
            // A lead byte and its second byte, or the broken-character mark.
            const bool trail = IsTrail(static_cast<unsigned char>(noNul[i + 1]));
            out.append(trail ? noNul.substr(i, 2) : std::string("\x81\x45"));
            i += trail ? 2 : 1;
        } else if (noNul.compare(i, 2, "\r\n") == 0) {
            out.append("\r\n");
            i += 2;
        } else if (noNul[i] == '\r' || noNul[i] == '\n') {
            out.append("\r\n");
            i += 1;
        } else {
            out.push_back(noNul[i]);
            i += 1;
        }
    }
    return out;
}

// Offsets in text at which a character starts, walking the whole text from its start.
std::vector<bool> CharacterStarts(const std::string& text) {
    std::vector<bool> starts(text.size() + 1, false);
    std::size_t i = 0;
    while (i < text.size()) {
        starts[i] = true;
        const bool pair = IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                          IsTrail(static_cast<unsigned char>(text[i + 1]));
        i += pair ? 2 : 1;
    }
    starts[text.size()] = true;
    return starts;
}

[[noreturn]] void Fail(const char* what, std::size_t piece) {
    std::fprintf(stderr, "TConversion mismatch: %s (piece %zu)\n", what, piece);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t planSize = std::min<std::size_t>(data[0] % 32, size - 1);
    std::vector<std::uint8_t> plan(data + 1, data + 1 + planSize);
    if (plan.empty()) plan.push_back(0xFF);
    const std::string input(reinterpret_cast<const char*>(data) + 1 + planSize, size - 1 - planSize);

    std::size_t at = 0;
    std::size_t readIndex = 0;
    std::size_t capacity = 0;
    bool readTooLarge = false;
    dodir::TConversion conv([&](char* buf, std::size_t want) -> std::size_t {
        const std::uint8_t p = plan[readIndex++ % plan.size()];
        const std::size_t limit = (p >> 4) == 0xF ? want : std::size_t{1} + (p >> 4);
        // The half rule, with at least one byte for the smallest capacities.
        if (want > std::max<std::size_t>(capacity / 2, 1)) readTooLarge = true;
        std::size_t n = std::min({want, limit, input.size() - at});
        for (std::size_t i = 0; i < n; ++i) buf[i] = input[at + i];
        at += n;
        return n;
    });

    std::string joined;
    std::vector<std::size_t> pieceEnds;
    std::vector<std::size_t> pieceCaps;
    for (std::size_t piece = 0;; ++piece) {
        const std::uint8_t p = plan[piece % plan.size()];
        capacity = p == 0xFF ? 4096 : std::size_t{1} + (p & 0x3F);
        // Exactly the capacity: AddressSanitizer reports any write past it.
        std::vector<char> buf(capacity);
        const std::size_t n = conv.NextPiece(buf.data(), capacity);
        if (n > capacity) Fail("piece longer than the capacity", piece);
        if (readTooLarge) Fail("read more than half the room", piece);
        if (n == 0) break;
        joined.append(buf.data(), n);
        pieceEnds.push_back(joined.size());
        pieceCaps.push_back(capacity);
        if (piece > 2 * input.size() + 8) Fail("no end", piece);
    }
    if (at != input.size()) Fail("source not read to its end", pieceEnds.size());
    if (joined != Reference(input)) Fail("converted text", pieceEnds.size());

    // Every piece but the last ends at a character boundary of the whole text, unless its
    // capacity was 1; from a capacity of 3 on, no piece ends between CR and LF.
    const std::vector<bool> starts = CharacterStarts(joined);
    for (std::size_t i = 0; i + 1 < pieceEnds.size(); ++i) {
        if (pieceCaps[i] >= 2 && !starts[pieceEnds[i]]) Fail("piece ends inside a character", i);
        if (pieceCaps[i] >= 3 && joined[pieceEnds[i] - 1] == '\r') Fail("CR LF split", i);
    }

    // The reader's guard reads the same whether the bytes come at once or in the plan's
    // chunks: the same text and depth, or the same refusal. What it lets through passes it
    // again unchanged: no escape spelling a NUL character is left. A rich-text conversion
    // gives what the guard gives, or stops where the guard refuses.
    const auto guarded = [&](bool chunked, std::string& out, int& depth) {
        dodir::TRtfGuard guard;
        try {
            for (std::size_t i = 0, k = 0; i < input.size(); ++k) {
                const std::size_t n =
                    chunked ? std::min<std::size_t>(std::size_t{1} + (plan[k % plan.size()] & 0x3F),
                                                    input.size() - i)
                            : input.size();
                guard.Feed(input.data() + i, n, out);
                i += n;
            }
            guard.Finish(out);
            depth = guard.Depth();
            return true;
        } catch (const dodir::TBeyondReader&) {
            return false;
        }
    };
    std::string filtered, chunkedOut, twice;
    int wholeDepth = 0, chunkedDepth = 0;
    const bool wholeOk = guarded(false, filtered, wholeDepth);
    if (wholeOk != guarded(true, chunkedOut, chunkedDepth) ||
        (wholeOk && (chunkedOut != filtered || chunkedDepth != wholeDepth)))
        Fail("the guard read chunks differently", 0);
    if (wholeOk) {
        dodir::TRtfGuard again;
        try {
            again.Feed(filtered.data(), filtered.size(), twice);
            again.Finish(twice);
        } catch (const dodir::TBeyondReader&) {
            Fail("what the guard let through is refused", 0);
        }
        if (twice != filtered) Fail("a NUL escape left", 0);
    }
    const bool richText = input.starts_with("{\\rtf") || input.starts_with("{\\urtf");
    std::size_t rtfAt = 0, rtfRead = 0;
    dodir::TConversion rtf(
        [&](char* buf, std::size_t want) {
            const std::uint8_t p = plan[rtfRead++ % plan.size()];
            const std::size_t limit = (p >> 4) == 0xF ? want : std::size_t{1} + (p >> 4);
            const std::size_t n = std::min({want, limit, input.size() - rtfAt});
            for (std::size_t i = 0; i < n; ++i) buf[i] = input[rtfAt + i];
            rtfAt += n;
            return n;
        },
        true);
    std::string rtfJoined;
    try {
        std::vector<char> buf(4096);
        while (const std::size_t n = rtf.NextPiece(buf.data(), buf.size())) rtfJoined.append(buf.data(), n);
        if (!wholeOk && richText) Fail("refused by the guard but converted", 0);
        if (rtfJoined != Reference(filtered, false)) Fail("rich-text conversion", 0);
    } catch (const dodir::TBeyondReader&) {
        if (wholeOk) Fail("the conversion refused what the guard takes", 0);
    } catch (const dodir::TNotRichText&) {
        if (richText) Fail("rich text taken for plain text", 0);
    }
    return 0;
}
