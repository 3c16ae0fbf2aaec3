#include "document/load_conversion.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "base/cp932.h"

namespace dodir {

namespace {

// True when the last of the n bytes (n > 0) is a lead byte that starts a character; inside
// tells whether the byte before p was such a lead byte, whose second byte p[0] then is.
bool EndsOnStartingLead(const char* p, std::size_t n, bool inside) noexcept {
    const std::size_t skip = inside ? 1 : 0;
    return EndsInsideCharacter(std::string_view(p + skip, n - skip));
}

// What code page 932 shows for a broken double-byte character: KATAKANA MIDDLE DOT.
constexpr const char* kBrokenCharacter = "\x81\x45";

} // namespace

namespace {

constexpr bool IsLetter(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
constexpr int HexDigit(char c) noexcept {
    return IsDigit(c)               ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : -1;
}

// The parameter the reader gives a control word written without one.
constexpr long long kNoParameter = -1000000;

// The words the reader reads as destinations.
constexpr std::string_view kDestinations[] = {
    "fonttbl",    "falt",      "fonteb",   "fontfile",    "filetbl",        "file",         "colortbl",
    "stylesheet", "keycode",   "revtbl",   "generator",   "info",           "title",        "subject",
    "author",     "operator",  "keywords", "comment",     "version",        "doccomm",      "verscomm",
    "nextfile",   "template",  "ftnsep",   "ftnsepc",     "ftncn",          "aftnsep",      "aftnsepc",
    "aftncn",     "pgnhn",     "pnseclvl", "header",      "footer",         "headerl",      "headerr",
    "headerf",    "footerl",   "footerr",  "footerf",     "pntext",         "pn",           "pntxta",
    "pntxtb",     "bkmkstart", "bkmkend",  "pict",        "object",         "objclass",     "objname",
    "objdata",    "objalias",  "objsect",  "objitem",     "objtopic",       "result",       "do",
    "footnote",   "atrfstart", "atrfend",  "atnid",       "atnauthor",      "annotation",   "atnref",
    "atntime",    "atnicn",    "field",    "fldinst",     "fldrslt",        "datafield",    "xe",
    "txe",        "rxe",       "tc",       "NeXTGraphic", "nesttableprops", "nonesttables", "shppict",
    "nonshppict"};
// The destinations whose readers read their group with a count of their own, handing the
// other tokens on.
constexpr std::string_view kCountingDestinations[] = {"pict", "shppict", "object"};
// Indents, tab stops, cell edges and row offsets: twips the control turns into pixels.
constexpr std::string_view kOffsets[] = {"fi", "li", "ri", "tx", "tb", "cellx", "trgaph", "trleft"};

template <std::size_t N> bool OneOf(std::string_view word, const std::string_view (&names)[N]) noexcept {
    return std::find(std::begin(names), std::end(names), word) != std::end(names);
}

} // namespace

void TRtfGuard::Feed(const char* p, std::size_t n, std::string& out) {
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '\0') continue; // never reaches the reader
        switch (state_) {
        case TState::Ended:
            continue;
        case TState::Text:
            held_ = c;
            if (c == '\\')
                state_ = TState::Escape;
            else if (c == '{' || c == '}')
                Group(c == '{', out);
            else if (c == '\t')
                Control(out); // the reader takes a tab for \tab
            else
                Text(static_cast<unsigned char>(c), out);
            continue;
        case TState::Escape:
            held_ += c;
            if (IsLetter(c)) {
                state_ = TState::Word;
                wordLength_ = parameterLength_ = 0;
                word_[wordLength_++] = c;
                negative_ = digits_ = false;
                parameter_ = 0;
                // Only \u may be dropped: any other word goes out as it comes.
                if (c != 'u') Keep(out);
            } else if (c == '\'') {
                state_ = TState::Hex1;
            } else if (c == '{' || c == '}' || c == '\\' || c == ':') {
                Text(static_cast<unsigned char>(c), out); // an escaped character is text
            } else {
                Control(out);
            }
            continue;
        case TState::Hex1:
        case TState::Hex2:
        case TState::BrokenHex:
            held_ += c;
            if (state_ == TState::BrokenHex) {
                ReadOnAfterBrokenEscape(out);
            } else if (HexDigit(c) < 0) {
                // The reader takes the two characters after \' whatever they are and stops at a
                // broken hex escape, but the font table's reader puts a token of its own in
                // place of the stop, and the reader reads on: the guard reads on in every case.
                if (state_ == TState::Hex1)
                    state_ = TState::BrokenHex;
                else
                    ReadOnAfterBrokenEscape(out);
            } else if (state_ == TState::Hex1) {
                hex_ = static_cast<unsigned>(HexDigit(c));
                state_ = TState::Hex2;
            } else {
                Text(hex_ * 16 + static_cast<unsigned>(HexDigit(c)), out);
            }
            continue;
        case TState::Word:
            if (IsLetter(c)) {
                if (!held_.empty()) Keep(out); // a longer word than \u
                if (wordLength_ < sizeof word_) word_[wordLength_] = c;
                if (++wordLength_ > kMaxWord) throw TBeyondReader{"a control word's length"};
                out += c;
                continue;
            }
            if (c == '-' || IsDigit(c)) {
                state_ = TState::Parameter;
                --i; // read as the parameter's first character
                continue;
            }
            break;
        case TState::Parameter:
            if (IsDigit(c) || (c == '-' && !digits_ && !negative_)) {
                if (IsDigit(c)) {
                    digits_ = true;
                    parameter_ = parameter_ * 10 + static_cast<std::uint32_t>(c - '0');
                } else {
                    negative_ = true;
                }
                if (held_.empty()) {
                    if (wordLength_ + ++parameterLength_ > kMaxWord)
                        throw TBeyondReader{"a control word's length"};
                    out += c;
                } else if ((held_ += c).size() > 16) {
                    // The reader adds the digits up in 32 bits: the sum written out reads the same.
                    held_ = std::string(negative_ ? "\\u-" : "\\u") + std::to_string(parameter_);
                }
                continue;
            }
            break;
        }
        // The control word ends: a space is its delimiter, anything else starts the next token.
        if (c == ' ') {
            if (held_.empty())
                out += c;
            else
                held_ += c;
        }
        state_ = TState::Text;
        Word(c == ' ', out);
        if (c != ' ') --i;
    }
}

void TRtfGuard::Finish(std::string& out) {
    if (state_ == TState::Word || state_ == TState::Parameter)
        Word(false, out);
    else
        out += held_;
    held_.clear();
    state_ = TState::Text;
}

void TRtfGuard::Text(unsigned value, std::string& out) {
    state_ = TState::Text;
    if (value != '\r' && value != '\n' && value != 0) {
        groupStart_ = afterStar_ = false;
        if (!pictures_.empty() && pictures_.back().depth == readerDepth_ && !pictures_.back().dataRead)
            pictures_.back().Add(value);
        TableToken(value == ';' ? TToken::Semicolon : TToken::Text);
    }
    if ((Top().names || lost_) && value != '\r' && value != '\n' && value != 0) {
        // A name runs up to a ';' or the next token that is not text; the reader passes over
        // line breaks and NULs inside it.
        nameLength_ = value == ';' ? 0 : nameLength_ + 1;
        if (nameLength_ > kMaxName) throw TBeyondReader{"a font or style name's length"};
    }
    if (Top().table || value == '\r' || value == '\n') {
        Keep(out); // the reader passes over line breaks without counting them
    } else if (value == 0) {
        Drop(out); // passed over too
    } else if (dropLeft_ > 0) {
        --dropLeft_;
        Drop(out);
    } else {
        if (skipLeft_ > 0)
            --skipLeft_;
        else
            leadMayWait_ = value >= 0x80;
        Keep(out);
    }
}

void TRtfGuard::Control(std::string& out) {
    state_ = TState::Text;
    // \* hands the next word on: one after another nest; and inside a counting reader's
    // group, one that is not the group's first word may make the reader read on past its end.
    EndPictureData();
    const bool star = held_ == "\\*";
    TableToken(star ? TToken::Star : TToken::Other);
    if (star && (afterStar_ || (!groupStart_ && (Top().destination || stranded_ > 0)))) Strand();
    groupStart_ = groupStart_ && star;
    afterStar_ = star;
    skipLeft_ = dropLeft_ = 0; // only text is skipped
    nameLength_ = 0;
    Keep(out);
}

void TRtfGuard::Group(bool open, std::string& out) {
    state_ = TState::Text;
    // A brace that ends the skip of an \uN's fallback is put back and read again, and an
    // opening one is then pushed twice, never to be popped: a word the reader does not know
    // ends the skip before it instead, and the group is read once.
    if (open && skipLeft_ > 0) {
        out += "\\dodirgroup ";
        wordOpen_ = false;
    }
    skipLeft_ = dropLeft_ = 0;
    nameLength_ = 0;
    groupStart_ = open;
    afterStar_ = false;
    EndPictureData();
    TableToken(open ? TToken::Open : TToken::Close);
    if (!open && !pictures_.empty() && pictures_.back().depth == readerDepth_) {
        // The picture's reader hands its data to the system at its group's end.
        pictures_.back().Check();
        pictures_.pop_back();
    }
    if (open) {
        if (++readerDepth_ > kMaxDepth) throw TBeyondReader{"the group nesting"};
        groups_.push_back(Top());
    } else {
        if (readerDepth_ > 0) --readerDepth_;
        if (groups_.size() > 1) groups_.pop_back();
        leadMayWait_ = false; // the reader writes out what it gathered at a group's end
    }
    Keep(out);
    // The document's own group has closed: the reader stops here, unless a table's reader
    // has overwritten its end (a \fonttbl outside a group of its own), and then it reads on
    // past the document into memory it does not own. Nothing after the end reaches it.
    if (!open && readerDepth_ == 0) state_ = TState::Ended;
}

void TRtfGuard::Word(bool delimited, std::string& out) {
    const bool skipping = skipLeft_ > 0;
    skipLeft_ = dropLeft_ = 0;
    nameLength_ = 0;
    const std::string_view word =
        wordLength_ <= sizeof word_ ? std::string_view(word_, wordLength_) : std::string_view();
    const bool first = groupStart_;
    groupStart_ = afterStar_ = false;
    EndPictureData();
    if (word == "pict")
        pictures_.push_back(TPicture{.depth = readerDepth_});
    else if (word == "dibitmap" && !pictures_.empty())
        pictures_.back().bitmap = true;
    if (OneOf(word, kDestinations)) {
        // A destination that does not open its group inside a counting reader's group reads
        // on past the group's end, and the counting reader under it never returns; a counting
        // reader's own group is counted wherever it starts.
        if (!first && (Top().destination || stranded_ > 0)) Strand();
        if (OneOf(word, kCountingDestinations)) Top().destination = true;
    } else if (digits_ && OneOf(word, kOffsets)) {
        const std::uint32_t sum = negative_ ? 0u - parameter_ : parameter_;
        const long long value = static_cast<std::int32_t>(sum);
        if (value > kMaxOffset || value < -kMaxOffset)
            throw TBeyondReader{"an indent, tab stop or cell edge"};
    }
    if (!Top().table && word == "u" && wordLength_ == 1) {
        if (digits_ && (parameter_ & 0xFFFF) == 0) {
            // A NUL: its fallback goes with it. The reader wrote out what it had gathered (an
            // empty group's end does that too) or stopped skipping the fallback of an \uN
            // before it (as a word the reader does not know does; an empty group would not do:
            // a "{" the reader puts back for the skip counts twice).
            dropLeft_ = Top().fallback;
            Drop(out, leadMayWait_ ? "{}" : skipping ? "\\dodirnul " : nullptr);
            return;
        }
        skipLeft_ = Top().fallback;
        leadMayWait_ = false;
    } else if (!Top().table && word == "uc") {
        const std::uint32_t sum = negative_ ? 0u - parameter_ : parameter_;
        const long long fallback = digits_ ? static_cast<std::int32_t>(sum) : kNoParameter;
        Top().fallback = std::max(0LL, fallback);
    }
    if (!Top().table && (word == "fonttbl" || word == "colortbl" || word == "stylesheet")) {
        // (A table's reader starts no other table.)
        Top().table = true;
        Top().names = word != "colortbl";
        if (Top().names)
            table_ = TTableRead{.kind = word == "fonttbl" ? TTableRead::Fonts : TTableRead::Styles,
                                .depth = readerDepth_};
    } else {
        TableToken(word == "f" ? TToken::FontNumber : TToken::Other);
    }
    Keep(out, !delimited);
}

void TRtfGuard::ReadOnAfterBrokenEscape(std::string& out) {
    Keep(out);
    state_ = TState::Text;
    // What follows is read as the document's own text, in the groups still open.
    for (TGroup& group : groups_) group.table = group.names = false;
    table_.kind = TTableRead::None;
    nameLength_ = 0;
}

void TRtfGuard::TableToken(TToken token) noexcept {
    TTableRead& t = table_;
    if (t.kind == TTableRead::None) return;
    // The group the token is in, counted from the table's: 0 the table's own, 1 an entry's.
    const int level = readerDepth_ - t.depth;
    const bool fonts = t.kind == TTableRead::Fonts;
    bool lost = false;
    if (level == 0 && token == TToken::Close) {
        // The table's group closes: where an entry would start, the table ends there.
        lost = t.phase != TTableRead::First && (t.braced ? t.phase != TTableRead::Start : t.midEntry);
        t.kind = TTableRead::None;
    } else if (level == 0 && fonts && (t.phase == TTableRead::First ? token != TToken::Open : !t.braced)) {
        // Entries without braces: "\f0 name;" up to a ';'; a group in one is passed over.
        if (t.phase == TTableRead::First && token != TToken::FontNumber) lost = true;
        t.phase = TTableRead::Entry;
        t.braced = false;
        if (token == TToken::Semicolon)
            t.midEntry = false;
        else if (token != TToken::Open)
            t.midEntry = true;
    } else if (level == 0) {
        // Entries in braces: "{...name;}"; only a brace opens one.
        if (token != TToken::Open) lost = true;
        t.braced = true;
        t.phase = TTableRead::Entry;
        t.afterText = t.afterSemicolon = t.afterStar = t.skipToEnd = false;
    } else if (level == 1 && t.braced) {
        if (token == TToken::Close) {
            // The entry's reader takes one more token as its end: this brace only after a ';' or
            // a name (which puts the brace back). A style's reader passes over a brace after a
            // name without taking it, and a \* passes over the entry's rest.
            lost = fonts ? !(t.afterSemicolon || t.afterText) : !(t.afterSemicolon || t.skipToEnd);
            t.phase = TTableRead::Start;
        } else if (t.skipToEnd) {
            // The word after \* is taken with it; a group there would end the passing over.
            lost = t.afterStar && token == TToken::Open;
            t.afterStar = false;
        } else if (t.afterSemicolon) {
            lost = true;
        } else if (token == TToken::Semicolon) {
            t.afterSemicolon = true;
        } else if (!fonts && token == TToken::Star) {
            t.skipToEnd = t.afterStar = true;
        } else if (!fonts && token == TToken::Open && t.afterText) {
            lost = true; // a style's name takes the brace after it
        } else {
            t.afterText = token == TToken::Text;
        }
    }
    // Deeper groups are passed over whole.
    if (lost) {
        lost_ = true;
        t.kind = TTableRead::None;
    }
}

void TRtfGuard::EndPictureData() noexcept {
    if (!pictures_.empty() && pictures_.back().characters > 0) pictures_.back().dataRead = true;
}

void TRtfGuard::TPicture::Add(unsigned value) noexcept {
    if (characters < 2 * sizeof header) {
        // The reader's digit: a letter's place after 'a' plus 10, whatever the character.
        const char c = static_cast<char>(value);
        const int digit = IsDigit(c) ? c - '0' : (c >= 'A' && c <= 'Z' ? c - 'A' : c - 'a') + 10;
        header[characters / 2] =
            static_cast<unsigned char>(header[characters / 2] * 16 + static_cast<unsigned>(digit));
    }
    ++characters;
}

void TRtfGuard::TPicture::Check() const {
    if (!bitmap || characters == 0) return;
    const auto field = [&](std::size_t at, std::size_t size) {
        std::uint32_t v = 0;
        for (std::size_t k = size; k-- > 0;) v = v << 8 | header[at + k];
        return v;
    };
    const std::uint64_t bytes = characters / 2;
    const std::uint64_t headerSize = std::max<std::uint32_t>(field(0, 4), sizeof header);
    const std::int64_t width = static_cast<std::int32_t>(field(4, 4));
    const std::int64_t height = static_cast<std::int32_t>(field(8, 4));
    const std::uint32_t bits = field(14, 2), compression = field(16, 4), imageSize = field(20, 4);
    std::uint64_t colours = field(32, 4);
    if (colours == 0 && bits <= 8) colours = std::uint64_t{1} << bits;
    // After the header: the colours, three masks for bit fields, then the pixels: rows padded
    // to 32 bits when uncompressed, else the size the header gives. (The reader hands the
    // pixels on from four bytes further, still inside its buffer's heap block.)
    const std::uint64_t table = headerSize + colours * 4 + (compression == 3 ? 12 : 0);
    const std::uint64_t start = sizeof header + colours * 4;
    bool fits = bytes >= sizeof header && bytes >= table && bytes >= start;
    if (fits && (compression == 0 || compression == 3)) {
        const std::uint64_t stride =
            (static_cast<std::uint64_t>(width < 0 ? -width : width) * bits + 31) / 32 * 4;
        const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
        fits = stride == 0 || rows <= (bytes - start) / stride;
    } else if (fits) {
        fits = imageSize <= bytes - start;
    }
    if (!fits) throw TBeyondReader{"a bitmap's data shorter than its header"};
}

void TRtfGuard::Strand() {
    if (++stranded_ > kMaxStranded) throw TBeyondReader{"readers stranded on the reader's stack"};
}

void TRtfGuard::Keep(std::string& out, bool openWord) {
    out += held_;
    held_.clear();
    wordOpen_ = openWord;
}

void TRtfGuard::Drop(std::string& out, const char* separator) {
    held_.clear();
    state_ = TState::Text;
    // A group deeper than the reader takes would take the program down; one outside every
    // group would end the document.
    if (separator && (separator[0] != '{' || (readerDepth_ > 0 && readerDepth_ < kMaxDepth))) {
        out += separator;
        wordOpen_ = leadMayWait_ = false;
    } else if (wordOpen_) {
        out += ' '; // the word's delimiter, so that what follows does not lengthen it
        wordOpen_ = false;
    }
}

void TConversion::Convert(const char* data, std::size_t size) {
    if (richText_) {
        // Only a document that starts as rich text does is read as rich text.
        if (head_.size() < 6) head_.append(data, std::min(size, 6 - head_.size()));
        const bool richText = head_.starts_with("{\\rtf") || head_.starts_with("{\\urtf");
        const bool undecided = head_.size() < 6 && (std::string_view("{\\urtf").starts_with(head_) ||
                                                    std::string_view("{\\rtf").starts_with(head_));
        // Wine's reader would take any document that starts with a brace for rich text, and a
        // text file of braces nested too deep would bring it down.
        if (!undecided && !richText) throw TNotRichText{};
        filtered_.clear();
        guard_.Feed(data, size, filtered_);
        Pass(filtered_.data(), filtered_.size());
    } else {
        Pass(data, size);
    }
}

void TConversion::Pass(const char* data, std::size_t size) {
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
        } else if (!richText_ && IsLeadByte(static_cast<unsigned char>(c))) {
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
        // A held lead byte still becomes up to two bytes.
        const std::size_t waiting = pending_.size() + (heldLead_ ? 2 : 0);
        const std::size_t room = capacity > waiting ? capacity - waiting : 0;
        // The piece goes once it is full enough (further reads into a room this small would
        // only add calls), or at the end.
        if (!pending_.empty() && (atEnd_ || room < kFillRoom)) {
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
        const std::size_t want = std::max<std::size_t>(room / 2, 1);
        scratch_.resize(want);
        const std::size_t got = source_(scratch_.data(), want);
        if (got > want) throw std::length_error("TConversion: the source gave more bytes than asked for");
        if (got == 0) {
            if (richText_) {
                filtered_.clear();
                guard_.Finish(filtered_);
                Pass(filtered_.data(), filtered_.size());
            }
            atEnd_ = true;
            if (heldLead_) pending_ += leadByte_; // the source's very last byte stays as it is
            heldLead_ = false;
        } else
            Convert(scratch_.data(), got);
    }
}

} // namespace dodir
