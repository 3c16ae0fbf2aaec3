#include "document/load_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "hostile/corpus.h"

using dodir::TConversion;
using dodir::testing::Repeat;

namespace {

// A source over a string that gives at most maxRead bytes per read and records every request.
struct StringSource {
    explicit StringSource(std::string d, std::size_t m = static_cast<std::size_t>(-1))
        : data(std::move(d)), maxRead(m) {}
    std::string data;
    std::size_t maxRead;
    std::size_t at = 0;
    std::vector<std::size_t> requests;

    std::size_t operator()(char* buf, std::size_t size) {
        requests.push_back(size);
        const std::size_t n = std::min({size, maxRead, data.size() - at});
        std::memcpy(buf, data.data() + at, n);
        at += n;
        return n;
    }
};

struct Outcome {
    std::vector<std::string> pieces;
    std::vector<std::size_t> requests;
    bool overran = false; // a piece wrote past the capacity

    std::string Joined() const {
        std::string s;
        for (const auto& p : pieces) s += p;
        return s;
    }
};

// Runs a conversion to its end, asking for pieces of the given capacity.
Outcome Convert(const std::string& input, std::size_t capacity,
                std::size_t maxRead = static_cast<std::size_t>(-1)) {
    StringSource source(input, maxRead);
    TConversion conv([&source](char* b, std::size_t n) { return source(b, n); });
    Outcome run;
    constexpr char kGuard = '\x5A';
    std::vector<char> buf(capacity + 8, kGuard);
    for (int guard = 0; guard < 1000000; ++guard) {
        const std::size_t n = conv.NextPiece(buf.data(), capacity);
        if (std::any_of(buf.begin() + static_cast<std::ptrdiff_t>(capacity), buf.end(),
                        [](char c) { return c != kGuard; }))
            run.overran = true;
        if (n == 0) break;
        run.pieces.emplace_back(buf.data(), n);
    }
    run.requests = source.requests;
    return run;
}

// True when the piece's last byte is a lead byte that starts a character, reading the piece
// on its own from a character boundary.
bool EndsOnLeadByte(const std::string& piece) {
    std::size_t i = 0;
    bool lastIsLead = false;
    while (i < piece.size()) {
        const auto c = static_cast<unsigned char>(piece[i]);
        const bool lead = dodir::IsLeadByte(c);
        const bool pair = lead && i + 1 < piece.size() &&
                          ((static_cast<unsigned char>(piece[i + 1]) >= 0x40 &&
                            static_cast<unsigned char>(piece[i + 1]) <= 0x7E) ||
                           (static_cast<unsigned char>(piece[i + 1]) >= 0x80 &&
                            static_cast<unsigned char>(piece[i + 1]) <= 0xFC));
        lastIsLead = lead && !pair;
        i += pair ? 2 : 1;
    }
    return lastIsLead;
}

} // namespace

TEST(LoadConversion, LfOnlyBreaksBecomeCrLf) {
    EXPECT_EQ(Convert("one\ntwo\n\nthree", 4096).Joined(), "one\r\ntwo\r\n\r\nthree");
}

TEST(LoadConversion, CrOnlyBreaksBecomeCrLf) {
    EXPECT_EQ(Convert("one\rtwo\r\rthree\r", 4096).Joined(), "one\r\ntwo\r\n\r\nthree\r\n");
}

TEST(LoadConversion, CrLfStaysOneBreak) { EXPECT_EQ(Convert("a\r\nb\r\n", 4096).Joined(), "a\r\nb\r\n"); }

TEST(LoadConversion, MixedBreaks) {
    // LF CR is two breaks (a lone LF, then a lone CR); CR LF is one.
    EXPECT_EQ(Convert("a\r\nb\rc\nd\n\re\r\r\nf", 4096).Joined(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf");
}

TEST(LoadConversion, EmptySourceGivesNoPiece) {
    const Outcome run = Convert("", 4096);
    EXPECT_TRUE(run.pieces.empty());
}

TEST(LoadConversion, CrLfSplitBetweenReadsIsOneBreak) {
    // The source hands over one byte per read, so CR and LF always come in different reads.
    EXPECT_EQ(Convert("a\r\nb\r\n\r\nc", 4096, 1).Joined(), "a\r\nb\r\n\r\nc");
    // The CR is the last byte of the first read of half the capacity (8 / 2 = 4).
    const Outcome run = Convert("abc\r\nde", 8);
    ASSERT_GE(run.pieces.size(), 2u);
    EXPECT_EQ(run.pieces[0], "abc\r\n");
    EXPECT_EQ(run.Joined(), "abc\r\nde");
}

TEST(LoadConversion, CrAtTheVeryEndBecomesCrLf) { EXPECT_EQ(Convert("abc\r", 4096, 2).Joined(), "abc\r\n"); }

TEST(LoadConversion, LeadByteAtPieceEndWaitsForTheNextPiece) {
    // Capacity 6: the first read asks for 3 bytes and ends on the lead byte of あ (82 A0).
    const std::string input = "ab\x82\xa0xyz";
    const Outcome run = Convert(input, 6);
    ASSERT_GE(run.pieces.size(), 2u);
    EXPECT_EQ(run.pieces[0], "ab");
    EXPECT_EQ(run.pieces[1].substr(0, 2), "\x82\xa0");
    EXPECT_EQ(run.Joined(), input);
}

TEST(LoadConversion, LeadByteValueAsTrailByteIsNotHeldBack) {
    // 82 82 is one character (ｂ in full width): its second byte is in the lead byte range
    // but ends the character, so nothing waits.
    const Outcome run = Convert("a\x82\x82zz", 6);
    ASSERT_FALSE(run.pieces.empty());
    EXPECT_EQ(run.pieces[0], "a\x82\x82");
}

// Neither half of a double-byte character nor a CR without its LF ends a piece: the control
// stores a split character broken, and a split CR LF as two line breaks.
TEST(LoadConversion, NoPieceEndsOnALeadByteOrACrAcrossManyBoundaries) {
    // Double-byte characters and line breaks at every alignment against pieces of several sizes.
    std::string input;
    for (int i = 0; i < 300; ++i)
        input += (i % 7 == 0) ? "x" : (i % 5 == 0) ? "\r\n" : "\x93\xfa\x96\x7b"; // 日本
    for (std::size_t cap : {2u, 3u, 4u, 5u, 7u, 16u, 4096u}) {
        const Outcome run = Convert(input, cap);
        EXPECT_EQ(run.Joined(), input) << "capacity " << cap;
        for (std::size_t i = 0; i + 1 < run.pieces.size(); ++i) {
            EXPECT_FALSE(EndsOnLeadByte(run.pieces[i])) << "capacity " << cap << " piece " << i;
            EXPECT_NE(run.pieces[i].back(), '\r') << "capacity " << cap << " piece " << i;
        }
    }
}

TEST(LoadConversion, LoneLeadByteAtTheEndOfTheSourceIsKept) {
    EXPECT_EQ(Convert("ab\x82", 4).Joined(), "ab\x82");
}

// Such a byte would swallow the byte after it into one broken character, line breaks too.
TEST(LoadConversion, ALeadByteWithoutItsSecondByteIsMarkedAndTheNextByteKept) {
    EXPECT_EQ(Convert("a\x82\r\nb\x82\tc\x82"
                      "1\x82\x82\x82",
                      4096)
                  .Joined(),
              "a\x81\x45\r\nb\x81\x45\tc\x81\x45"
              "1\x82\x82\x82");
    EXPECT_EQ(Convert(std::string("\x82\0\n", 3), 3).Joined(), "\x81\x45\r\n");
}

TEST(LoadConversion, NulBytesAreDroppedAndEverythingElseKept) {
    EXPECT_EQ(Convert(std::string("a\0b\0\0c\0", 7), 4096).Joined(), "abc");
    // A NUL between CR and LF: still one break.
    EXPECT_EQ(Convert(std::string("x\r\0\ny", 5), 4096).Joined(), "x\r\ny");
    // A NUL between the two bytes of a character.
    EXPECT_EQ(Convert(std::string("\x82\0\xa0", 3), 4096).Joined(), "\x82\xa0");
}

TEST(LoadConversion, ReadsOfNulsOnlyDoNotEndTheDocument) {
    // Capacity 4: each read asks for 2 bytes; the first reads give nothing to pass on, yet
    // the first piece must not be empty (an empty piece means the end to the control).
    std::string input(40, '\0');
    input += "tail";
    const Outcome run = Convert(input, 4);
    EXPECT_EQ(run.Joined(), "tail");
}

TEST(LoadConversion, OnlyNulsGiveAnEmptyDocument) {
    EXPECT_TRUE(Convert(std::string(100, '\0'), 16).pieces.empty());
}

TEST(LoadConversion, ReadsAtMostHalfTheOfferedBuffer) {
    // 4096 CRs: the worst case doubles every byte, and every piece must still fit.
    const std::string input(4096, '\r');
    const Outcome run = Convert(input, 4096);
    EXPECT_FALSE(run.overran);
    for (std::size_t r : run.requests) EXPECT_LE(r, 2048u);
    ASSERT_EQ(run.pieces.size(), 2u);
    EXPECT_EQ(run.pieces[0].size(), 4096u);
    std::string expected;
    for (int i = 0; i < 4096; ++i) expected += "\r\n";
    EXPECT_EQ(run.Joined(), expected);
}

TEST(LoadConversion, ALargePieceIsFilledByFurtherReads) {
    // Each read still asks for at most half the room left, but the reads go on until little
    // room is left: the control gets nearly full pieces, not pieces of half its offer.
    const std::string input(10000, 'a');
    const Outcome run = Convert(input, 4096);
    EXPECT_EQ(run.Joined(), input);
    ASSERT_EQ(run.pieces.size(), 3u);
    for (std::size_t i = 0; i + 1 < run.pieces.size(); ++i)
        EXPECT_GT(run.pieces[i].size(), 4096u - TConversion::kFillRoom) << "piece " << i;
    for (std::size_t r : run.requests) EXPECT_LE(r, 2048u);
}

TEST(LoadConversion, HeldLeadByteLeavesRoomForTheNextRead) {
    // One byte waits (the lead byte) and the next read is all CRs: lead + 2 x read must fit.
    std::string input(2047, 'a');
    input += '\x82';
    input += '\xa0';
    input += std::string(5000, '\r');
    for (std::size_t cap : {3u, 4u, 5u, 9u, 4096u}) {
        const Outcome run = Convert(input, cap);
        EXPECT_FALSE(run.overran) << "capacity " << cap;
        for (std::size_t r : run.requests) EXPECT_LE(r, cap / 2) << "capacity " << cap;
        for (const auto& p : run.pieces) EXPECT_LE(p.size(), cap) << "capacity " << cap;
        for (std::size_t i = 0; i + 1 < run.pieces.size(); ++i) {
            const std::string& p = run.pieces[i];
            EXPECT_FALSE(p.back() == '\r') << "capacity " << cap << ": a CR LF split between pieces";
        }
    }
}

TEST(LoadConversion, TinyCapacitiesStillConvertEverything) {
    static const char kInput[] = "a\r\x82\xa0\nb\0\r\n\x81";
    const std::string input(kInput, sizeof kInput - 1);
    const std::string expected = "a\r\n\x82\xa0\r\nb\r\n\x81";
    for (std::size_t cap : {1u, 2u}) {
        const Outcome run = Convert(input, cap);
        EXPECT_FALSE(run.overran);
        EXPECT_EQ(run.Joined(), expected) << "capacity " << cap;
    }
}

TEST(LoadConversion, ZeroCapacityGivesNothingAndReadsNothing) {
    StringSource source("abc");
    TConversion conv([&source](char* b, std::size_t n) { return source(b, n); });
    char c = 0;
    EXPECT_EQ(conv.NextPiece(&c, 0), 0u);
    EXPECT_TRUE(source.requests.empty());
    char buf[8];
    EXPECT_EQ(conv.NextPiece(buf, sizeof buf), 3u);
}

TEST(LoadConversion, EndStaysTheEnd) {
    StringSource source("abc");
    TConversion conv([&source](char* b, std::size_t n) { return source(b, n); });
    char buf[64];
    EXPECT_EQ(conv.NextPiece(buf, sizeof buf), 3u);
    EXPECT_EQ(conv.NextPiece(buf, sizeof buf), 0u);
    const auto asked = source.requests.size();
    EXPECT_EQ(conv.NextPiece(buf, sizeof buf), 0u);
    EXPECT_EQ(source.requests.size(), asked);
}

TEST(LoadConversion, SourceErrorsReachTheCaller) {
    TConversion conv([](char*, std::size_t) -> std::size_t { throw std::runtime_error("read failed"); });
    char buf[16];
    EXPECT_THROW(conv.NextPiece(buf, sizeof buf), std::runtime_error);
}

TEST(LoadConversion, SourceGivingMoreThanAskedIsRejected) {
    TConversion conv([](char*, std::size_t size) { return size + 1; });
    char buf[16];
    EXPECT_THROW(conv.NextPiece(buf, sizeof buf), std::length_error);
}

TEST(LoadConversion, RandomInputsMatchAWholeBufferConversion) {
    // Whole-buffer reading of the rules: drop NULs, then mark broken characters and turn
    // CR LF, CR, LF into CR LF.
    auto reference = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (dodir::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
                const auto next = static_cast<unsigned char>(s[i + 1]);
                const bool trail = (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC);
                out += trail ? s.substr(i++, 2) : "\x81\x45"; // a broken character's mark
            } else if (s[i] == '\r' || s[i] == '\n') {
                out += "\r\n";
                if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            } else {
                out += s[i];
            }
        }
        return out;
    };
    std::mt19937 rng(1234);
    const char alphabet[] = {'a', '\r', '\n', '\0', '\x82', '\xa0', '\x81', '\x40', '\xfc', 'z'};
    for (int round = 0; round < 300; ++round) {
        std::string input;
        const int len = static_cast<int>(rng() % 200);
        for (int i = 0; i < len; ++i) input += alphabet[rng() % sizeof alphabet];
        const std::size_t cap = 2 + rng() % 40;
        const std::size_t maxRead = 1 + rng() % 30;
        const Outcome run = Convert(input, cap, maxRead);
        EXPECT_FALSE(run.overran);
        ASSERT_EQ(run.Joined(), reference(input)) << "round " << round;
        for (std::size_t i = 0; i + 1 < run.pieces.size(); ++i)
            EXPECT_FALSE(EndsOnLeadByte(run.pieces[i])) << "round " << round;
    }
}

// How deep the reader's group stack goes after a document, fed to its guard in one piece and
// byte by byte; -1 when the guard refuses it.
std::string Guarded(const std::string& rtf) {
    dodir::TRtfGuard guard;
    std::string out;
    guard.Feed(rtf.data(), rtf.size(), out);
    guard.Finish(out);
    return out;
}

int DepthAfter(const std::string& rtf) {
    const auto feed = [&](bool bytes) {
        dodir::TRtfGuard guard;
        std::string out;
        try {
            if (bytes)
                for (const char c : rtf) guard.Feed(&c, 1, out);
            else
                guard.Feed(rtf.data(), rtf.size(), out);
            return guard.Depth();
        } catch (const dodir::TBeyondReader&) {
            return -1;
        }
    };
    const int whole = feed(false);
    EXPECT_EQ(whole, feed(true)) << rtf;
    return whole;
}

std::string Nested(int levels) { return "{\\rtf1" + std::string(static_cast<std::size_t>(levels - 1), '{'); }

TEST(RtfGroupDepth, ThirtyTwoLevelsPassTheThirtyThirdIsRefused) {
    EXPECT_EQ(DepthAfter(Nested(32)), 32);
    EXPECT_EQ(DepthAfter(Nested(33)), -1);
    EXPECT_EQ(DepthAfter(Nested(32) + "}{"), 32);  // closing makes room again
    EXPECT_EQ(DepthAfter("{\\rtf1{\\b x}}}}"), 0); // stray closers do not go below zero
}

// Wine's reader reads the bytes after \binN as rich text: their braces count.
TEST(RtfGroupDepth, EscapedBracesOpenNothingAndBinaryBytesCount) {
    EXPECT_EQ(DepthAfter("{\\rtf1 \\{\\{\\}"), 1);
    EXPECT_EQ(DepthAfter("{\\rtf1 \\\\{"), 2); // an escaped backslash, then a real brace
    EXPECT_EQ(DepthAfter("{\\rtf1\\b{x"), 2);  // a brace ends a control word and counts
    EXPECT_EQ(DepthAfter("{\\rtf1\\'7b{"), 2); // hex digits are text
    EXPECT_EQ(DepthAfter("{\\rtf1\\bin4 {{{{{"), 6);
    EXPECT_EQ(DepthAfter("{\\rtf1\\bin99999999999999999999999 " + std::string(100, '{')), -1);
}

// Each of the reader's limits at its edge: what the reader takes passes the guard, one more
// is refused. A group that opens where the reader skips an \uN's fallback counts once.
TEST(RtfGuard, RefusesWhatTheReaderCannotTakeAndNothingItCan) {
    const std::size_t word = dodir::TRtfGuard::kMaxWord, name = dodir::TRtfGuard::kMaxName;
    const std::size_t stranded = dodir::TRtfGuard::kMaxStranded;
    const std::string offset = std::to_string(dodir::TRtfGuard::kMaxOffset);
    // A bitmap picture of bytes in all: a header (width, height, bits a pixel, colours), then AB.
    const auto bitmap = [](std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                           std::uint32_t colours, std::size_t bytes) {
        const std::uint32_t fields[] = {40, width, height, 1u | bits << 16, 0, 0, 0, 0, colours, 0};
        std::string hex;
        for (std::size_t k = 0; k < bytes; ++k) {
            const unsigned b = k < 40 ? fields[k / 4] >> (8 * (k % 4)) & 0xFF : 0xAB;
            hex += "0123456789abcdef"[b >> 4];
            hex += "0123456789abcdef"[b & 15];
        }
        return "{\\rtf1{\\pict\\dibitmap0 " + hex + "}x}";
    };
    const std::string font = "{\\rtf1{\\fonttbl{\\f0 ", style = "{\\rtf1{\\stylesheet{\\s1 ";
    const struct {
        const char* rule;
        std::string rtf;
        bool refused;
    } rows[] = {
        {"a group after \\uN, 40 times", "{\\rtf1" + Repeat("\\u12354{x}", 40), false},
        {"a group after \\uN counts once", Nested(31) + "\\u12354{x}\\u12354{", false},
        {"control word", "{\\rtf1\\" + std::string(word, 'a') + " x}", false},
        {"control word, one longer", "{\\rtf1\\" + std::string(word + 1, 'a') + " x}", true},
        {"number", "{\\rtf1\\fs-" + std::string(word - 3, '1') + " x}", false},
        {"number, one longer", "{\\rtf1\\fs-" + std::string(word - 2, '1') + " x}", true},
        {"font name", font + std::string(name, 'A') + ";}}x}", false},
        {"font name, one longer", font + std::string(name + 1, 'A') + ";}}x}", true},
        {"font name of escapes", font + Repeat("\\'82\\{", name / 2 + 1) + ";}}x}", true},
        {"line breaks in a name", font + Repeat("AAAAAAAAA\r\n", name / 9) + ";}}x}", false},
        {"names end at ';'", font + std::string(name, 'A') + ";" + std::string(name, 'A') + ";}}x}", false},
        {"names end at a word", font + std::string(name, 'A') + "\\b " + std::string(name, 'A') + ";}}x}",
         false},
        {"style name, one longer", style + std::string(name + 1, 'A') + ";}}x}", true},
        {"the colour table has no names", "{\\rtf1{\\colortbl " + std::string(name + 1, 'A') + ";}x}", false},
        {"pictures handing on pictures", "{\\rtf1{\\pict" + Repeat("\\pict", stranded) + "}x}", false},
        {"... one more", "{\\rtf1{\\pict" + Repeat("\\pict", stranded + 1) + "}x}", true},
        {"\\* handing on \\*, one more", "{\\rtf1{" + Repeat("\\*", stranded + 2) + "\\generator x;}}", true},
        {"a destination inside a picture", "{\\rtf1" + Repeat("{\\pict\\picw1\\info}", stranded + 1) + "}",
         true},
        {"destinations opening their groups",
         "{\\rtf1" + Repeat("{\\*\\shppict{\\pict{\\*\\blipuid 0}00}}", 2 * stranded) + "}", false},
        {"a destination in the text", "{\\rtf1" + Repeat("x\\pntext y\\*\\generator;", 2 * stranded) + "}",
         false},
        {"an indent at the edge", "{\\rtf1\\li" + offset + "\\fi-" + offset + "\\cellx" + offset + " x}",
         false},
        {"an indent beyond", "{\\rtf1\\li" + offset + "1 x}", true},
        {"a cell edge beyond", "{\\rtf1\\cellx-" + offset + "1 x}", true},
        {"a tab stop wrapping round", "{\\rtf1\\tx4294967295 x}", false},
        {"a bitmap with all its pixels", bitmap(2, 2, 24, 0, 56), false},
        {"a bitmap one byte short", bitmap(2, 2, 24, 0, 55), true},
        {"a bitmap's colours beyond its data", bitmap(1, 1, 8, 0x40000000, 4096), true},
        {"a bitmap of more rows than its data", bitmap(1, 0x7FFFFFFF, 32, 0, 4096), true},
        {"a bitmap without its header", "{\\rtf1{\\pict\\dibitmap0 0000}x}", true},
        {"a broken hex escape ends a font table", font + "A\\'5 ;}}" + std::string(40, '{'), true},
        {"... in a colour table inside the font table", font + "A;}{\\colortbl;}\\'8{" + std::string(40, '{'),
         true},
        {"tables as written",
         "{\\rtf1{\\fonttbl{\\f0 A;}{\\f1\\fnil{\\*\\falt B}C;}}{\\stylesheet{\\s0 N;}{\\*\\cs1 D;}}" +
             std::string(name + 1, 'x') + "}",
         false},
        {"fonts without braces", "{\\rtf1{\\fonttbl\\f0\\fnil A;\\f1 B;}" + std::string(name + 1, 'x') + "}",
         false},
        {"a font table read past its brace", font + "A;}B;}" + std::string(name + 1, 'x') + ";}", true},
        {"a style name ended by a brace", style + "N}}" + std::string(name + 1, 'x') + ";}", true},
        {"a metafile is no bitmap", "{\\rtf1{\\pict\\wmetafile8 0000}x}", false},
    };
    for (const auto& row : rows) EXPECT_EQ(DepthAfter(row.rtf) < 0, row.refused) << row.rule;
}

// Wine's reader takes any document that starts with a brace for rich text; only one that starts
// as rich text does goes to it.
TEST(LoadConversion, ARichTextReadNestingTooDeepOrNotRichTextStopsBeforeAnyOfItsBytes) {
    const std::string deep = Nested(33) + "x";
    StringSource rtf(deep);
    TConversion guarded(std::ref(rtf), true);
    char out[4096];
    EXPECT_THROW(guarded.NextPiece(out, sizeof out), dodir::TBeyondReader);

    for (const std::string& text :
         {std::string(40, '{'), "{\\rt" + std::string(40, '{'), std::string("ab")}) {
        StringSource plain(text);
        TConversion notRich(std::ref(plain), true);
        EXPECT_THROW(notRich.NextPiece(out, sizeof out), dodir::TNotRichText) << text;
    }
    StringSource asText(deep);
    TConversion textRead(std::ref(asText));
    EXPECT_EQ(textRead.NextPiece(out, sizeof out), deep.size());
}

// Escapes that give the rich-text reader a NUL character go, with the fallback the reader
// skips after \uN; the reader reads the rest as it would have (checked against the control
// by DocumentIoTest.RichTextLosesOnlyTheNulCharactersItSpells). Whole and split reads.
TEST(LoadConversion, RichTextLosesTheEscapesThatSpellNulCharacters) {
    const std::string open = std::string(31, '{'), close = std::string(31, '}'); // 32 levels deep
    const struct {
        std::string in, out;
    } cases[] = {
        {"a\\'00b\\'00", "ab"},
        {"a\\u0?b\\u65536?c\\u-65536 d\\u4294967296?e\\u0", "abce"},
        {"a\\u99999999999?b\\u-3?c\\ul0 d\\'0a\\'0d", "a\\u99999999999?b\\u-3?c\\ul0 d\\'0a\\'0d"},
        {"\\u" + std::string(30, '0') + "?x\\u100000000000000000001?y", "x\\u1661992961?y"},
        {"a\\uc0\\u0?b\\uc2\\u0?xc{\\uc3 d}\\u0?ye", "a\\uc0 ?b\\uc2 c{\\uc3 d}e"},
        {"\\uc\\u0?x\\uc-1\\u0?y", "\\uc ?x\\uc-1 ?y"},
        {"\\b\\'00x\\f1\\'002\\b\r\n\\'00y", "\\b x\\f1 2\\b\r\ny"},
        {"\\u0\r\n?b\\u0\\'00?c\\u0\\par d\\u0\\{e", "\r\nbc\\par de"},
        {"\\u0\\'82\\'a0b\\'82\\u0?\\'a0c\\u12354\\u0?x\\u12354\\'00?y",
         "\\'a0b\\'82{}\\'a0c\\u12354\\dodirnul x\\u12354 ?y"},
        {"{\\fonttbl{\\f0 A\\u0?\\'00B;}}{\\colortbl;\\u0;}\\u0?",
         "{\\fonttbl{\\f0 A\\u0?\\'00B;}}{\\colortbl;\\u0;}"},
        {open + "\\'82\\u0?\\'a0" + close, open + "\\'82\\'a0" + close}, // no room for a group
        {"a\\'zz\\u0?\\'00", "a\\'zz"},                                  // read on after a broken escape
        {"x}\\fonttbl}{\\b y\\'00", "x"},                                // nothing after the document's end
        {"\\u12354{x}\\u12354?{y}\\uc2\\u12354 ?{z}",
         "\\u12354\\dodirgroup {x}\\u12354?{y}\\uc2\\u12354 ?\\dodirgroup {z}"},
    };
    for (const auto& c : cases) {
        const std::string in = "{\\rtf1 " + c.in + "}", out = "{\\rtf1 " + c.out + "}";
        for (const std::size_t maxRead : {std::size_t{4096}, std::size_t{1}, std::size_t{3}}) {
            StringSource source(in, maxRead);
            TConversion conv(std::ref(source), true);
            std::string joined;
            char buf[64];
            while (const std::size_t n = conv.NextPiece(buf, sizeof buf)) joined.append(buf, n);
            EXPECT_EQ(joined, out) << "reads of " << maxRead;
        }
        EXPECT_EQ(Guarded(out), out) << "what the guard lets through passes it unchanged";
    }
    // Outside every group no empty group stands in for a NUL: it would end the document.
    EXPECT_EQ(Guarded("\x82\\u0?x\\'00\\u0?"), "\x82x");
}
