#include "rtf_mutator.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace dodir::fuzz {

namespace {

using TRandom = std::mt19937_64;

std::string Times(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t k = 0; k < n; ++k) out += s;
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// A metafile of a header and its end record alone.
const std::string kWmf = "0100090000030c0000000000030000000000030000000000";
// A 2 x 2 bitmap of 24 bits a pixel: its header, then two rows padded to 8 bytes.
const std::string kDib = "28000000020000000200000001001800000000001000000000000000000000000000000000000000"
                         "ff000000ff0000000000ffffffff0000";

// Control words of the reader's tables: those it acts on, destinations, and some it only knows.
// clang-format off
const char* const kWords[] = {
    "rtf", "urtf", "ansi", "mac", "pc", "pca", "ansicpg", "deff", "deflang", "uc", "u", "upr", "ud",
    "fonttbl", "f", "fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor", "ftech", "fbidi",
    "fcharset", "fprq", "cpg", "falt", "panose", "fname", "ftnil", "fttruetype", "colortbl", "red", "green",
    "blue", "stylesheet", "s", "cs", "ds", "ts", "sbasedon", "snext", "additive", "info", "title", "author",
    "creatim", "yr", "mo", "dy", "hr", "min", "pict", "wmetafile", "macpict", "pmmetafile", "dibitmap",
    "wbitmap", "emfblip", "pngblip", "jpegblip", "picw", "pich", "picwgoal", "pichgoal", "picscalex",
    "picscaley", "piccropl", "piccropt", "wbmbitspixel", "wbmplanes", "wbmwidthbytes", "bin", "object",
    "objemb", "objlink", "objw", "objh", "objclass", "objdata", "result", "shppict", "nonshppict", "field",
    "fldinst", "fldrslt", "fldlock", "pn", "pntext", "pnlvl", "pnlvlblt", "pnlvlbody", "pnlvlcont", "pndec",
    "pnucltr", "pnucrm", "pnlcltr", "pnlcrm", "pnindent", "pnstart", "pntxta", "pntxtb", "pnf", "pnseclvl",
    "listtable", "listoverridetable", "ls", "ilvl", "trowd", "trgaph", "trleft", "trrh", "trql", "trqc",
    "cellx", "cell", "row", "intbl", "itap", "nestcell", "nestrow", "nesttableprops", "nonesttables",
    "lastrow", "clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr", "trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr",
    "brdrt", "brdrb", "brdrl", "brdrr", "brdrs", "brdrw", "brdrcf", "brsp", "par", "pard", "plain", "sect",
    "sectd", "page", "line", "tab", "tx", "tqr", "tqc", "li", "ri", "fi", "sb", "sa", "sl", "slmult", "ql",
    "qr", "qc", "qj", "keep", "keepn", "rtlpar", "ltrpar", "b", "i", "ul", "ulnone", "strike", "v", "fs",
    "cf", "cb", "highlight", "up", "dn", "super", "sub", "nosupersub", "emdash", "bullet", "lquote",
    "rdblquote", "ltrmark", "zwj", "footnote", "header", "rtlch", "ltrch",
};

// Numbers at and around the limits a reader keeps.
const char* const kNumbers[] = {
    "0", "1", "-1", "2", "7", "8", "15", "16", "31", "32", "33", "63", "64", "127", "128", "255", "256",
    "1023", "1024", "1025", "32767", "32768", "-32768", "65535", "65536", "65537", "2147483647",
    "-2147483648", "2147483648", "4294967295", "4294967296", "-99999999999", "99999999999999999999", "3000",
};
// clang-format on

std::size_t Below(TRandom& random, std::size_t n) {
    return n == 0 ? 0 : static_cast<std::size_t>(random() % n);
}
bool OneIn(TRandom& random, std::size_t n) { return Below(random, n) == 0; }

std::string Number(TRandom& random) {
    if (OneIn(random, 4)) return std::to_string(static_cast<long long>(Below(random, 200000)) - 100000);
    return kNumbers[Below(random, std::size(kNumbers))];
}

// A control word from the dictionary, perhaps with a number, perhaps with its space.
std::string Word(TRandom& random) {
    std::string w = std::string("\\") + kWords[Below(random, std::size(kWords))];
    if (OneIn(random, 2)) w += Number(random);
    if (OneIn(random, 2)) w += ' ';
    return w;
}

// One token of rich text: a word, a brace, an escape, text.
std::string Token(TRandom& random) {
    static const char digits[] = "0123456789abcdef";
    switch (Below(random, 16)) {
    case 0:
        return "{";
    case 1:
        return "}";
    case 2:
        return "{\\*";
    case 3:
        return std::string("\\'") + digits[Below(random, 16)] + digits[Below(random, 16)];
    case 4:
        return "\\u" + Number(random) + (OneIn(random, 2) ? "?" : " ");
    case 5:
        return "\\bin" + std::to_string(Below(random, 40)) + " ";
    case 6: {
        static const std::array<const char*, 12> symbols = {"\\{", "\\}",    "\\\\", "\\~", "\\-", "\\_",
                                                            "\\*", "\\\r\n", "\\\n", ";",   "\\|", "\\:"};
        return symbols[Below(random, symbols.size())];
    }
    case 7:
        return OneIn(random, 2) ? "\x93\xfa\x96\x7b" : "\x82"; // a double-byte character, a lone lead byte
    default:
        return Word(random);
    }
}

// Where to change s: anywhere, or (half the time) at the next token's start from there.
std::size_t Position(TRandom& random, const std::string& s) {
    std::size_t at = Below(random, s.size() + 1);
    if (OneIn(random, 2))
        if (const auto next = s.find_first_of("\\{}", at); next != std::string::npos) at = next;
    return at;
}

// A count for a repetition: small, around the reader's limits, or large.
std::size_t Count(TRandom& random) {
    static const std::array<std::size_t, 12> counts = {2, 3, 8, 16, 31, 32, 33, 64, 255, 256, 1000, 5000};
    return OneIn(random, 3) ? 1 + Below(random, 100) : counts[Below(random, counts.size())];
}

// A group's content from the seeds: from one brace to its match, or to where the seed ends.
std::string Chunk(TRandom& random, const std::string& s) {
    if (s.empty()) return s;
    std::size_t from = s.find('{', Below(random, s.size()));
    if (from == std::string::npos) from = Below(random, s.size());
    int depth = 0;
    std::size_t to = from;
    for (; to < s.size(); ++to) {
        if (s[to] == '\\') {
            ++to;
            continue;
        }
        if (s[to] == '{') ++depth;
        if (s[to] == '}' && --depth <= 0) break;
    }
    return s.substr(from, std::min(to + 1, s.size()) - from);
}

} // namespace

bool IsRichText(const std::string& bytes) {
    return bytes.compare(0, 5, "{\\rtf") == 0 || bytes.compare(0, 6, "{\\urtf") == 0;
}

std::vector<TSeed> HandWrittenSeeds() {
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
        "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
        "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fswiss\\fprq2 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green128\\blue0;}"
        "\r\n\\viewkind4\\uc1\\pard\\plain\\f0\\fs20 ";
    std::vector<TSeed> seeds;
    seeds.push_back(
        {"table.rtf", head + "before\\par\r\n\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10 "
                             "\\clbrdrl\\brdrw10\\brdrs\\cellx2000\\clbrdrt\\brdrs\\cellx4000\\cellx6000"
                             "\r\n\\pard\\intbl A1\\cell \\cf1 B1\\cell C1\\cell\\row\r\n"
                             "\\trowd\\trgaph108\\cellx3000\\cellx6000\\pard\\intbl A2\\cell "
                             "\\'93\\'fa\\'96\\'7b\\cell\\row\r\n"
                             "\\pard\\itap2 inner\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000"
                             "\\nestrow}{\\nonesttables\\par}\\cell\\row\r\n\\pard after\\par\r\n}\r\n"});
    seeds.push_back({"pictures.rtf",
                     head +
                         "a metafile {\\pict\\wmetafile8\\picw1000\\pich1000\\picwgoal567"
                         "\\pichgoal567 " +
                         kWmf + "}\\par a bitmap {\\pict\\dibitmap0\\picw2\\pich2\\wbmbitspixel24 " + kDib +
                         "}\\par {\\*\\shppict{\\pict\\pngblip\\picw1\\pich1 " + Hex("\x89PNG\r\n\x1a\n") +
                         "0000000d49484452}}{\\nonshppict{\\pict"
                         "\\wmetafile8\\picw10\\pich10 " +
                         kWmf + "}}\\par binary {\\pict\\wmetafile8\\picw10\\pich10\\bin25 " +
                         std::string("\x01\x00\x09\x00\x00\x03\x0c\x00\x00\x00\x00\x00\x03\x00"
                                     "\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00{",
                                     25) +
                         "}\\par}\r\n"});
    seeds.push_back({"fields.rtf", head +
                                       "see {\\field{\\*\\fldinst HYPERLINK \"http://example.com/a?b=c\"}"
                                       "{\\fldrslt {\\ul\\cf2 the link}}} and {\\field\\fldlock{\\*\\fldinst "
                                       "{ PAGE }}{\\fldrslt 1}} and {\\field{\\*\\fldinst {\\b SYMBOL 183 "
                                       "\\\\f \"Symbol\"}}{\\fldrslt}}\\par}\r\n"});
    seeds.push_back({"unicode.rtf", head + "\\uc1\\u12354?\\u12356?\\u-3?\\uc0\\u12358\\uc2\\u8364\\'80\\'80 "
                                           "{\\uc1\\u20320?}{\\u65?\\u0?}\\upr{x}{\\*\\ud{\\u12354?}} "
                                           "\\'82\\'a0\\'82\\'a2 \x82\xa4\x82\xa6\\par}\r\n"});
    seeds.push_back(
        {"fonts-colours.rtf",
         "{\\rtf1\\ansi\\ansicpg932\\deff3\\deflang1041{\\fonttbl{\\f0\\fnil\\fcharset128 "
         "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}{\\f1\\fmodern\\fcharset134 SimSun;}"
         "{\\f2\\ftech\\fcharset2 Symbol;}{\\f3\\fswiss\\fcharset0\\fprq2{\\*\\panose "
         "020b0604020202020204}Arial{\\*\\falt Helvetica};}{\\f4\\fscript\\cpg1252 Script;}"
         "{\\f5\\fdecor\\fcharset238 Decor;}}{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255"
         "\\blue0;\\red12\\green34\\blue56;\\red0\\green255\\blue255;\\red128\\green0\\blue128;}"
         "\\pard\\f0\\fs24 \\'93\\'fa\\'96\\'7b {\\f1\\cf2\\highlight4 simsun}{\\f2\\cf3 \\'b7}"
         "{\\f3\\b\\i\\ul\\cf5\\cb2 arial}{\\f4\\strike script}{\\f5\\fs72\\up6 big}{\\dn4\\sub x}"
         "{\\super 2}\\nosupersub\\par\\plain plain\\par}\r\n"});
    seeds.push_back(
        {"numbering.rtf", head + "{\\pntext\\f1 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1"
                                 "\\pnindent360{\\pntxta .}}\\fi-360\\li360 first\\par"
                                 "{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360"
                                 "{\\pntxtb \\'b7}}\\fi-360\\li360 bullet\\par"
                                 "{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4{\\pntxtb (}{\\pntxta )}}"
                                 "roman\\par\\pard\\li720\\ri360\\sb120\\sa240\\sl-360\\slmult1\\qj"
                                 "\\tx1440\\tqr\\tx4320 tabs\\tab here\\tab\\line there\\par\\qc"
                                 "\\brdrt\\brdrs\\brdrw15\\brsp20 centred\\par\\rtlpar\\qr "
                                 "right\\emdash\\bullet\\lquote x\\rdblquote\\page\\sect end\\par}\r\n"});
    seeds.push_back({"stylesheet.rtf",
                     "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\s0\\f0"
                     "\\fs20 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}{\\*\\cs10"
                     "\\additive Default Paragraph Font;}{\\s2\\sbasedon1\\snext2\\i\\li360 "
                     "\\'8c\\'a9\\'8f\\'6f\\'82\\'b5;}}{\\info{\\title t}{\\author a}"
                     "{\\creatim\\yr2024\\mo5\\dy6\\hr7\\min8}}\\pard\\s1 Title\\par"
                     "\\pard\\plain\\s0 body {\\cs10 char}\\par\\s2 sub\\par}\r\n"});
    seeds.push_back(
        {"binary.rtf", head +
                           "text {\\*\\dodirunknown\\bin5 {}{}x} more \\bin0 after "
                           "{\\*\\dodirother\\bin3 \\'}x}{\\pict\\dibitmap0\\picw2\\pich2\\bin56 " +
                           std::string(56, '\x7b') + "}\\par}\r\n"});
    seeds.push_back({"object.rtf", head +
                                       "{\\object\\objemb\\objw100\\objh100{\\*\\objclass Paint.Picture}"
                                       "{\\*\\objdata 01050000020000000d0000005061696e742e5069637475726500}"
                                       "{\\result {\\pict\\wmetafile8\\picw100\\pich100 " +
                                       kWmf +
                                       "}}}\\par{\\footnote\\pard footnote}{\\header head}\\par}\r\n"});
    return seeds;
}

TMutator::TMutator(const std::vector<TSeed>& seeds) {
    for (const auto& seed : seeds)
        if (IsRichText(seed.bytes) && seed.bytes.size() <= kMaxInput) bases_.push_back(seed.bytes);
}

std::string TMutator::Make(std::uint64_t runSeed, std::uint64_t k, std::string* what) const {
    // Each input's own stream of random numbers, from the run's seed and its number.
    std::seed_seq seq{static_cast<std::uint32_t>(runSeed), static_cast<std::uint32_t>(runSeed >> 32),
                      static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(k >> 32)};
    TRandom random(seq);
    const std::size_t base = Below(random, bases_.size());
    std::string s = bases_[base];
    std::string record = "base " + std::to_string(base) + ":";
    // Mostly a few mutations, now and then many.
    const std::size_t count = OneIn(random, 4) ? 1 + Below(random, 16) : 1 + Below(random, 4);
    for (std::size_t n = 0; n < count; ++n) {
        MutateOnce(random, s, record);
        if (s.size() > kMaxInput) s.resize(kMaxInput);
    }
    if (what) *what = record;
    return s;
}

void TMutator::MutateOnce(TRandom& random, std::string& s, std::string& what) const {
    const std::size_t at = Position(random, s);
    switch (Below(random, 14)) {
    case 0: // bits flipped
        for (std::size_t n = 1 + Below(random, 4); n > 0 && !s.empty(); --n)
            s[Below(random, s.size())] ^= static_cast<char>(1u << Below(random, 8));
        what += " flip";
        break;
    case 1: { // random bytes
        std::string bytes(1 + Below(random, 8), '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        s.insert(at, bytes);
        what += " bytes";
        break;
    }
    case 2: // a range deleted
        s.erase(at, 1 + Below(random, OneIn(random, 4) ? 2000 : 16));
        what += " delete";
        break;
    case 3:
    case 4: // tokens
        for (std::size_t n = 1 + Below(random, 4); n > 0; --n) s.insert(Position(random, s), Token(random));
        what += " tokens";
        break;
    case 5: { // a token repeated
        const std::string token = Token(random);
        s.insert(at, Times(token, std::min(Count(random), kMaxInput / (4 * token.size()))));
        what += " repeat";
        break;
    }
    case 6: { // a long word
        std::string word =
            "\\" + std::string(1 + Below(random, 3000), static_cast<char>('a' + Below(random, 26)));
        if (OneIn(random, 2)) word += std::string(Below(random, 100), '7');
        s.insert(at, word + (OneIn(random, 2) ? " " : ""));
        what += " long-word";
        break;
    }
    case 7: { // a long number
        const std::string sign = OneIn(random, 3) ? "-" : "";
        s.insert(at, "\\" + std::string(kWords[Below(random, std::size(kWords))]) + sign +
                         std::string(1 + Below(random, 2000), static_cast<char>('0' + Below(random, 10))) +
                         " ");
        what += " long-number";
        break;
    }
    case 8: { // deep groups, balanced or not
        const std::size_t open = Count(random);
        const std::size_t close = OneIn(random, 2) ? open : Below(random, open + 2);
        const std::string inside = OneIn(random, 2) ? Word(random) : (OneIn(random, 2) ? "x" : "");
        s.insert(at, Times("{" + inside, open) + Times("}", close));
        what += " groups";
        break;
    }
    case 9: // a brace taken out or put in
        if (const auto brace = s.find_first_of("{}", at); brace != std::string::npos && OneIn(random, 2))
            s.erase(brace, 1);
        else
            s.insert(at, OneIn(random, 2) ? "{" : "}");
        what += " brace";
        break;
    case 10: { // another seed's group spliced in, or the other seed's end
        const std::string& other = bases_[Below(random, bases_.size())];
        if (OneIn(random, 3)) {
            s = s.substr(0, at) + other.substr(Below(random, other.size()));
        } else {
            s.insert(at, Chunk(random, other));
        }
        what += " splice";
        break;
    }
    case 11: // a group of the input itself, repeated
        s.insert(at, Times(Chunk(random, s), 1 + Below(random, 8)));
        what += " duplicate";
        break;
    case 12: { // a number replaced
        const auto digit = s.find_first_of("0123456789", at);
        if (digit != std::string::npos) {
            const auto end = s.find_first_not_of("0123456789", digit);
            s.replace(digit, end == std::string::npos ? std::string::npos : end - digit, Number(random));
        }
        what += " number";
        break;
    }
    default: // cut short
        s.resize(at);
        what += " cut";
        break;
    }
}

} // namespace dodir::fuzz
