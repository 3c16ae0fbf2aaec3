#include "hostile/corpus.h"

#include <random>
#include <set>

namespace dodir::testing {

namespace {

// Offsets at which a rich-text document can be cut: after each brace, inside each control
// word and hex escape, and before the final brace.
std::set<std::size_t> CutPoints(const std::string& rtf) {
    std::set<std::size_t> cuts;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '{') cuts.insert(i + 1);
        if (rtf[i] == '\\' && i + 2 < rtf.size()) {
            cuts.insert(i + 1);
            cuts.insert(i + 2);
            if (rtf[i + 1] == '\'') cuts.insert(i + 3); // between the two hex digits
        }
    }
    if (const auto last = rtf.rfind('}'); last != std::string::npos) cuts.insert(last);
    return cuts;
}

std::string Utf16(const std::u16string& text, bool bigEndian, bool bom) {
    std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (const char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

} // namespace

std::vector<TCorpusFile> MakeCorpus(const std::string& savedRtf, bool small, unsigned seed) {
    std::vector<TCorpusFile> files;
    const auto add = [&](const std::string& name, std::string bytes) {
        files.push_back({name, std::move(bytes)});
    };
    std::mt19937 random(seed);

    // Random bytes of many lengths.
    const int randoms = small ? 8 : 60;
    for (int k = 0; k < randoms; ++k) {
        const std::size_t length = k < 10 ? static_cast<std::size_t>(k + 1) : std::size_t{1} << (k % 17);
        std::string bytes(length, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        if (k % 3 == 0 && length > 8) bytes.replace(0, 6, "{\\rtf1"); // random rich text
        add("random" + std::to_string(k) + ".bin", bytes);
    }

    // The program's own document, cut.
    const auto cuts = CutPoints(savedRtf);
    const std::size_t step = small ? cuts.size() / 10 + 1 : cuts.size() / 110 + 1;
    std::size_t k = 0;
    for (const std::size_t at : cuts)
        if (k++ % step == 0) add("cut" + std::to_string(at) + ".rtf", savedRtf.substr(0, at));

    // Nesting, binary counts, Unicode escapes, destinations, objects and pictures.
    add("nest33.rtf", "{\\rtf1" + Repeat("{", 32) + "x" + Repeat("}", 33));
    add("nest50bold.rtf", "{\\rtf1" + Repeat("{\\b ", 49) + "x" + Repeat("}", 50));
    add("nest10000.rtf", "{\\rtf1" + Repeat("{", 9999) + "x" + Repeat("}", 10000));
    add("nest10000open.rtf", "{\\rtf1" + Repeat("{", 9999));
    add("braces50.txt", Repeat("{", 50) + "x");
    // The reader's fixed buffers: a control word, a number, a font and a style name of kilobytes;
    // groups that open where the reader skips an \uN's fallback.
    add("word-100k.rtf", "{\\rtf1 \\" + std::string(100000, 'a') + " x}");
    add("number-5000.rtf", "{\\rtf1 \\fs" + std::string(5000, '9') + " x}");
    add("fontname-5000.rtf", "{\\rtf1{\\fonttbl{\\f0 " + std::string(5000, 'A') + ";}}x}");
    add("stylename-5000.rtf", "{\\rtf1{\\stylesheet{\\s1 " + std::string(5000, 'A') + ";}}x}");
    add("u-brace1.rtf", "{\\rtf1 \\u12354{x}}");
    add("u-brace31.rtf", "{\\rtf1 " + Repeat("\\u12354{x}", 31) + "}");
    // A font table that closes the document: the reader reads on past its end.
    add("fonttbl-closes.rtf", "{\\rtf1\\fonttbl}\\fonttbl}{\\b x}");
    // Readers stranded on the reader's stack: pictures handing on pictures, \* handing on \*,
    // a destination inside a picture (at the guard's limit the reader takes them).
    add("pict-chain-1000.rtf", "{\\rtf1{\\pict" + Repeat("\\pict", 1000) + "}x}");
    add("pict-chain-10000.rtf", "{\\rtf1{\\pict" + Repeat("\\pict", 10000) + "}x}");
    add("star-chain-25000.rtf", "{\\rtf1{" + Repeat("\\*", 25000) + "\\generator x;}}");
    add("pict-info-1000.rtf", "{\\rtf1" + Repeat("{\\pict\\picw1\\info}", 1000) + "x}");
    add("pict-info-20000.rtf", "{\\rtf1" + Repeat("{\\pict\\picw1\\info}", 20000) + "x}");
    // A broken hex escape ends the font table's reader, and the reader reads on: groups too
    // deep, a word too long, groups after \uN (found by the reader mutation run).
    const std::string broken = "{\\rtf1{\\fonttbl{\\f0 A\\'5 ;}}";
    add("fonttbl-brokenhex-deep.rtf", broken + std::string(40, '{') + "x" + std::string(41, '}'));
    add("fonttbl-brokenhex-word.rtf", broken + "\\" + std::string(5000, 'a') + " x}");
    add("fonttbl-brokenhex-ubrace.rtf", broken + Repeat("\\u12354{", 20) + "x" + std::string(21, '}'));
    add("colortbl-in-fonttbl.rtf",
        "{\\rtf1{\\fonttbl{\\f0 A;}{\\colortbl;}\\'8{" + std::string(40, '{') + "x}");
    // Refused at its depth while the reader is in a word's number: the reader asks for more
    // after the refusal (found by the reader mutation run).
    add("asked-after-refusal.rtf", "{\\rtf1 \\fs" + std::string(366, '9') + "\\listtable " +
                                       std::string(1585, '9') + Repeat("\\header2147483648", 255) +
                                       std::string(107, '9') + "\\'9e\\pnstart " + std::string(383, '9') +
                                       Repeat("{x", 97) + std::string(98, '}') + std::string(2559, '9') +
                                       " x\\'ef\\objclass1025 \\ts}");
    // Rich text that never closes is read again as plain text, in a window of its own: the
    // control empties one of many paragraphs in a time growing with their square.
    add("unclosed-20000-paragraphs.rtf", "{\\rtf1 " + Repeat("x\\par ", 20000));
    // Bitmaps whose headers name more colours or pixels than their data holds.
    const auto bitmap = [](const char* header) {
        return "{\\rtf1{\\pict\\dibitmap0 28000000" + std::string(header) + Repeat("ab", 64) + "}x}";
    };
    add("dib-colours.rtf",
        bitmap("010000000100000001000800000000000000000000000000000000000000004000000000"));
    add("dib-pixels.rtf", bitmap("001000000010000001002000000000000000000000000000000000000000000000000000"));
    // Line starts past the control's reach in pixels, then a tab.
    add("indent-tab.rtf", "{\\rtf1\\li22369621 a\\tab b}");
    add("trleft-tab.rtf", "{\\rtf1\\trowd\\trleft22369621\\cellx22400000 a\\tab b\\cell\\row}");
    add("bin-braces.rtf", "{\\rtf1\\bin100 " + Repeat("{", 40) + "x}");
    add("bin-huge.rtf", "{\\rtf1 a\\bin99999999999999999999 bc}");
    add("bin-2g.rtf", "{\\rtf1 a\\bin2147483648 bc}");
    add("bin-short.rtf", "{\\rtf1 a\\bin10 {{}");
    for (const char* u : {"65535", "65536", "-1", "-32768", "-2147483649", "99999999999", "2147483647"})
        add(std::string("u") + u + ".rtf", std::string("{\\rtf1\\uc1 a\\u") + u + "?b\\u" + u + " c}");
    add("unknown-dest.rtf", "{\\rtf1{\\*\\dodirnothing {\\b x}}{\\zzz y}z}");
    add("unknown-words.rtf", "{\\rtf1\\q\\zz99999999999\\-\\~\\_ text\\par}");
    add("object.rtf",
        "{\\rtf1{\\object\\objemb\\objw100\\objh100{\\*\\objclass Paint.Picture}{\\*\\objdata " +
            Repeat("0102030405060708", 200) + "}{\\result x}}}");
    add("picture-wmf.rtf", "{\\rtf1{\\pict\\wmetafile8\\picw100\\pich100 " + Repeat("ff00", 500) + "}}");
    add("picture-png-bad.rtf", "{\\rtf1{\\pict\\pngblip\\picw-5\\pich99999999 zz}}");
    add("picture-bin.rtf", "{\\rtf1{\\pict\\emfblip\\bin8 \x01\x02{}\\\x05\x06\x07}}");
    add("fonttable-cut.rtf", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 \x82\x6c\x82");
    add("colortable-odd.rtf", "{\\rtf1{\\colortbl;\\red999\\green-1\\blue300;}\\cf5\\cb-3 x}");

    // Other encodings, NULs, broken double-byte text, control characters.
    const std::string utf8 = "日本語 text\r\n二行目";
    add("utf8.txt", utf8);
    add("utf8-bom.txt", "\xEF\xBB\xBF" + utf8);
    const std::u16string wide = u"日本語 text\r\n二行目";
    add("utf16le.txt", Utf16(wide, false, false));
    add("utf16le-bom.txt", Utf16(wide, false, true));
    add("utf16be.txt", Utf16(wide, true, false));
    add("utf16be-bom.txt", Utf16(wide, true, true));
    add("nul-heavy.txt", Repeat(std::string("a\0\0\0", 4), 2000) + std::string(5000, '\0') + "end");
    // Rich text spelling NUL characters: many in one long paragraph, one in each of many paragraphs.
    if (!small) {
        std::string letters(30000, 'x');
        for (std::size_t i = 0; i < letters.size(); i += 7) letters[i] = static_cast<char>('a' + i % 26);
        add("hex-nuls.rtf", "{\\rtf1 " + letters + Repeat("\\'00", 2000) + "}");
        add("unicode-nuls.rtf", "{\\rtf1 " + Repeat("x\\u0?y\\par ", 20000) + "}");
    }
    add("lone-lead.txt", "text\x82");
    add("lead-then-controls.txt", "a\x82\r\nb\x82\tc\x82\x01"
                                  "d\x81\x00"
                                  "e\x9F\n");
    add("lead-then-controls.rtf", "{\\rtf1\\ansicpg932 a\x82\\par b\x82}\x82");
    std::string controls;
    for (int c = 1; c < 32; ++c) {
        controls += static_cast<char>(c);
        add("control" + std::to_string(c) + ".txt", "a" + std::string(1, static_cast<char>(c)) + "b");
    }
    add("control127.txt", "a\x7F"
                          "b");
    add("controls-all.txt", controls + "\x7F");
    add("empty.txt", "");
    if (!small) add("crs-200000.txt", std::string(200000, '\r'));
    if (!small) {
        std::string line(4 << 20, 'x');
        for (std::size_t i = 0; i < line.size(); i += 7) line[i] = static_cast<char>('a' + i % 26);
        add("line-4mb.txt", line);
    }
    return files;
}

} // namespace dodir::testing
