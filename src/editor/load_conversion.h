// TConversion: turns the bytes of a document file into the pieces a rich-edit control
// streams in. Every line break (CR LF, a lone CR, a lone LF) becomes CR LF, also when the
// two bytes of a CR LF arrive in different reads; NUL bytes are dropped and every other
// byte is kept. A piece never ends on a code page 932 lead byte that starts a character:
// such a byte waits for the next piece, so a double-byte character is never split. In plain
// text, a lead byte that is not followed by a second byte of a character becomes the broken-
// character mark "・" (the byte after it is kept); one at the very end is kept as it is.
//
// A conversion for the rich-text reader also follows the group nesting of a document that
// starts as rich text does: a group opening deeper than the reader can take stops the
// conversion (TTooDeep) before the reader sees it.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dodir {

// Reads up to size bytes of the source into buf and gives how many it read; 0 only at the
// end of the source. May throw; the conversion is then unusable.
using TByteSource = std::function<std::size_t(char* buf, std::size_t size)>;

// Follows the group nesting of rich text as its bytes arrive: braces escaped as \{ and \}
// and the raw bytes of \binN open and close nothing.
class TRtfGroupDepth {
  public:
    // The deepest nesting the control's reader takes, the document's own group counting one.
    static constexpr int kMaxDepth = 32;

    // Follows n more bytes; false when a group opens deeper than kMaxDepth.
    bool Feed(const char* p, std::size_t n) noexcept;
    int Depth() const noexcept { return depth_; }
    // Whether an escape may have given a NUL character: \'00, or \uN with N a multiple of
    // 65536 or out of range.
    bool MayHoldNul() const noexcept { return mayHoldNul_; }

  private:
    enum class TState { Text, Escape, Word, Parameter, Binary, Hex1, Hex2 };
    TState state_ = TState::Text;
    int depth_ = 0;
    char word_[4]{}; // the start of the control word being read
    std::size_t wordLength_ = 0;
    bool negative_ = false;
    unsigned long long parameter_ = 0;
    unsigned long long binaryLeft_ = 0;
    bool hexZero_ = false;
    bool mayHoldNul_ = false;
};

// The group nesting went deeper than the rich-text reader takes.
struct TTooDeep {};

class TConversion {
  public:
    explicit TConversion(TByteSource source) : source_(std::move(source)) {}
    // forRichText: the conversion guards the rich-text reader's group nesting.
    TConversion(TByteSource source, bool forRichText)
        : source_(std::move(source)), richText_(forRichText), watchGroups_(forRichText) {}

    // Writes the next piece into out (capacity bytes) and gives its length; 0 at the end of
    // the document and for a capacity of 0. Each read of the source asks for at most half
    // of the room left in out (at least one byte), so that a piece of CR only still fits
    // once every CR has become CR LF. From a capacity of 2 on, a piece holds whole
    // characters only (except a lead byte that is the source's very last byte); a capacity
    // of 1 may have to hand over the two bytes of a character in two pieces. From a
    // capacity of 3 on, the whole conversion of each read fits the piece, so at most one
    // held-back lead byte waits between pieces and a CR LF is never split.
    std::size_t NextPiece(char* out, std::size_t capacity);
    // Rich text: whether the document read so far may hold NUL characters.
    bool MayHoldNul() const noexcept { return groups_.MayHoldNul(); }

  private:
    // Converts raw source bytes and appends them to pending_.
    void Convert(const char* data, std::size_t size);

    TByteSource source_;
    std::string pending_;       // converted bytes not handed over yet
    std::vector<char> scratch_; // raw bytes of the current read
    bool afterCr_ = false;      // the last byte converted was a CR: a following LF belongs to it
    bool midCharacter_ = false; // the last byte handed over was a lead byte starting a character
    bool atEnd_ = false;
    bool heldLead_ = false; // plain text: leadByte_ waits for the byte after it
    char leadByte_ = 0;
    bool richText_ = false;
    bool watchGroups_ = false;
    std::string head_; // the first bytes, until they tell whether the document is rich text
    TRtfGroupDepth groups_;
};

} // namespace dodir
