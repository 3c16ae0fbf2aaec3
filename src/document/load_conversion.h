// TConversion: turns the bytes of a document file into the pieces a rich-edit control
// streams in. Every line break (CR LF, a lone CR, a lone LF) becomes CR LF, also when the
// two bytes of a CR LF arrive in different reads; NUL bytes are dropped and every other
// byte is kept. A piece never ends on a code page 932 lead byte that starts a character:
// such a byte waits for the next piece, so a double-byte character is never split. In plain
// text, a lead byte that is not followed by a second byte of a character becomes the broken-
// character mark "・" (the byte after it is kept); one at the very end is kept as it is.
//
// A conversion for the rich-text reader takes only a document that starts as rich text does
// (TNotRichText otherwise) and passes it through the reader's guard (TRtfGuard): what the
// reader cannot take stops the conversion (TBeyondReader) before the reader sees it, and the
// escapes that spell NUL characters, which no file keeps, go: the control gets the text it
// would have read, less those characters.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dodir {

// Reads up to size bytes of the source into buf and gives how many it read; 0 only at the
// end of the source. May throw; the conversion is then unusable.
using TByteSource = std::function<std::size_t(char* buf, std::size_t size)>;

// What the control's rich-text reader cannot take: the conversion stops (TBeyondReader) before
// the reader sees it, and the document is not read.
struct TBeyondReader {
    const char* limit; // which of the reader's limits, for the record
};

// The guard in front of the control's rich-text reader. It reads the bytes of rich text as
// they arrive into the reader's tokens, as Wine's reader reads them (braces escaped as \{ and
// \} open and close nothing; the bytes after \binN are read as rich text like any others), and
//  - refuses what the reader cannot take (TBeyondReader, thrown from Feed):
//    * groups nested deeper than the reader's group stack (kMaxDepth);
//    * a control word whose letters, sign and digits overflow the reader's token buffer
//      (kMaxWord), except an \uN, whose number is written out shorter (below);
//    * a font or style name, a run of text in a font table or style sheet up to its ';',
//      longer than the reader's name buffer (kMaxName);
//    * more than kMaxStranded destinations that strand a reader on its stack: the readers of
//      pictures and objects read their group with a count of their own and hand every other
//      token on; a destination (or \*) that is not the first word of its group there reads
//      on past the group's end, so the reader under it never returns. A run of \* is read
//      the same way, each handing the next on;
//    * a device-independent bitmap whose data is shorter than its header says: the picture's
//      reader hands the header to the system, which reads the colours and pixels it names;
//    * an indent, tab stop, cell edge or row offset beyond kMaxOffset twips: the control turns
//      twips into pixels in 32 bits, and a tab behind a line start that overflows it is
//      looked for forever;
//  - takes out the escapes that give the reader a NUL character: \uN with N a multiple of
//    65536 (the reader keeps the low 16 bits), together with the fallback it skips after it,
//    and \'00 (which the reader passes over anyway). The reader sees the rest as it would have:
//    where the NUL split a double-byte character the reader was gathering, an empty group "{}"
//    takes its place (unless it would nest deeper than the reader takes); where it ended the
//    skipping of another \uN's fallback, an unknown control word; a control word it ended gets
//    a space. The font, colour and style tables are left as they are: their reader reads \u
//    as a word of the table;
//  - writes the number of an \uN longer than 16 characters as the 32-bit sum the reader adds
//    up, which reads the same;
//  - drops what follows the document's closing brace, where the reader stops (and where a
//    table's reader that closed the document would make it read on);
//  - ends the skip of an \uN's fallback with a word the reader does not know where a group
//    opens in its place: the reader would put the brace back, read it again and push the
//    group twice, so that the document never closes.
// After a broken hex escape the reader stops, but in a font table it reads on after the escape
// as the document's text: the guard reads on in every case. A font table or style sheet whose
// entries the reader takes otherwise than their groups say makes every later run of text a
// name that may overflow the name buffer.
class TRtfGuard {
  public:
    // The reader's group stack; the document's own group counts one.
    static constexpr int kMaxDepth = 32;
    // The reader's token buffer holds 1 024 bytes with its closing NUL: the backslash, the
    // word's letters, sign and digits, and the character after them.
    static constexpr std::size_t kMaxWord = 1021;
    // The reader's buffer for a font or style name holds 1 024 bytes with its closing NUL.
    static constexpr std::size_t kMaxName = 1023;
    // Readers stranded on the reader's stack (a thousand take about a tenth of it).
    static constexpr int kMaxStranded = 1000;
    // Ten times the widest page (22 inches): at 480 dpi, eight such offsets on one line still
    // leave the control's arithmetic room.
    static constexpr long long kMaxOffset = 316800;

    // Appends what n more bytes give to out; a token still undecided waits for the next bytes.
    void Feed(const char* p, std::size_t n, std::string& out);
    // The end of the document: what waits goes out.
    void Finish(std::string& out);
    // How deep the reader's group stack is.
    int Depth() const noexcept { return readerDepth_; }

  private:
    enum class TState { Text, Escape, Word, Parameter, Hex1, Hex2, BrokenHex, Ended };
    struct TGroup {
        long long fallback = 1;   // \ucN: the text tokens the reader skips after \uN
        bool table = false;       // the reader reads the group as a font, colour or style table
        bool names = false;       // ... as a font table or style sheet, whose text is names
        bool destination = false; // a picture's or object's reader reads the group
    };
    // The reader's tokens, once complete: held_ holds their bytes.
    void Text(unsigned value, std::string& out);
    void Control(std::string& out);
    void Word(bool delimited, std::string& out);
    void Group(bool open, std::string& out);
    void Keep(std::string& out, bool openWord = false);
    void Drop(std::string& out, const char* separator = nullptr);
    void Strand(); // one more reader left on the reader's stack
    // After a broken hex escape the reader stops, unless the font table's reader ends there:
    // then it reads on.
    void ReadOnAfterBrokenEscape(std::string& out);
    // The reader of a font table or style sheet takes its entries by tokens of its own, not by
    // groups: a table it reads otherwise than its groups say loses the guard the names' ends.
    struct TTableRead {
        enum { None, Fonts, Styles } kind = None;
        int depth = 0; // the reader's group depth at the table's group
        enum { First, Start, Entry } phase = First;
        bool braced = false;         // entries in groups of their own
        bool midEntry = false;       // an entry without braces has begun
        bool afterText = false;      // the last token of an entry in braces was text
        bool afterSemicolon = false; // ... was its ';'
        bool afterStar = false;      // ... was \*
        bool skipToEnd = false;      // a style's reader passes over the rest of the entry
    };
    enum class TToken { Text, Semicolon, FontNumber, Star, Open, Close, Other };
    void TableToken(TToken token) noexcept;
    TGroup& Top() noexcept { return groups_.back(); }
    // A picture's reader: its data is the first run of text in its own group, two characters
    // a byte, whatever the characters.
    struct TPicture {
        int depth = 0;         // the reader's group depth at the picture's group
        bool bitmap = false;   // \dibitmap: the data is a header, colours and pixels
        bool dataRead = false; // its first run of text has ended
        std::size_t characters = 0;
        unsigned char header[40]{}; // the data's first bytes
        void Add(unsigned value) noexcept;
        void Check() const; // throws TBeyondReader when the data is shorter than the header says
    };
    void EndPictureData() noexcept;

    TState state_ = TState::Text;
    std::string held_; // the bytes of the token being read
    char word_[16]{};  // the start of the control word being read
    std::size_t wordLength_ = 0;
    std::size_t parameterLength_ = 0; // its sign and digits
    bool negative_ = false;
    bool digits_ = false;
    std::uint32_t parameter_ = 0; // as the reader adds it up: wrapping
    unsigned hex_ = 0;
    std::vector<TGroup> groups_{TGroup{}};
    int readerDepth_ = 0;            // the reader's group stack
    std::size_t nameLength_ = 0;     // the name being read in a font table or style sheet
    long long skipLeft_ = 0;         // fallback tokens of a kept \uN the reader still skips
    long long dropLeft_ = 0;         // fallback tokens of a dropped \uN still to drop
    bool wordOpen_ = false;          // what went out last is a control word without its delimiter
    bool leadMayWait_ = false;       // the reader may be gathering a multi-byte character
    bool groupStart_ = false;        // no token yet in the group just opened (but \*)
    bool afterStar_ = false;         // the last token was \*
    int stranded_ = 0;               // readers left on the reader's stack
    std::vector<TPicture> pictures_; // the pictures being read, innermost last
    TTableRead table_;
    bool lost_ = false; // a table read otherwise than its groups say: any run of text may be a name
};

// The document does not start as rich text does ("{\rtf" or "{\urtf"): it is plain text.
struct TNotRichText {};

class TConversion {
  public:
    explicit TConversion(TByteSource source) : source_(std::move(source)) {}
    // forRichText: the conversion is for the rich-text reader, which it guards: a document
    // that does not start as rich text stops it (TNotRichText), and so does what the reader
    // cannot take (TBeyondReader).
    TConversion(TByteSource source, bool forRichText) : source_(std::move(source)), richText_(forRichText) {}

    // Writes the next piece into out (capacity bytes) and gives its length; 0 at the end of
    // the document and for a capacity of 0. Each read of the source asks for at most half
    // of the room left in out (at least one byte), so that a piece of CR only still fits
    // once every CR has become CR LF. The reads go on while kFillRoom bytes or more of room
    // are left, so that a large piece is handed over nearly full: the control's work grows
    // with the number of pieces. From a capacity of 2 on, a piece holds whole characters
    // only (except a lead byte that is the source's very last byte); a capacity of 1 may
    // have to hand over the two bytes of a character in two pieces. From a capacity of 3
    // on, the whole conversion of each read fits the piece, so at most one held-back lead
    // byte waits between pieces and a CR LF is never split.
    std::size_t NextPiece(char* out, std::size_t capacity);

    // The room left in a piece below which no further read fills it.
    static constexpr std::size_t kFillRoom = 128;

  private:
    // Converts raw source bytes and appends them to pending_.
    void Convert(const char* data, std::size_t size);
    // Appends bytes to pending_, line breaks as CR LF, without NUL bytes.
    void Pass(const char* data, std::size_t size);

    TByteSource source_;
    std::string pending_;       // converted bytes not handed over yet
    std::vector<char> scratch_; // raw bytes of the current read
    bool afterCr_ = false;      // the last byte converted was a CR: a following LF belongs to it
    bool midCharacter_ = false; // the last byte handed over was a lead byte starting a character
    bool atEnd_ = false;
    bool heldLead_ = false; // plain text: leadByte_ waits for the byte after it
    char leadByte_ = 0;
    bool richText_ = false;
    std::string head_; // the first bytes, until they tell whether the document is rich text
    TRtfGuard guard_;
    std::string filtered_; // rich text: the bytes of a read once guard_ has seen them
};

} // namespace dodir
