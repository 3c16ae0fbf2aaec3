// TConversion: turns the bytes of a document file into the pieces a rich-edit control
// streams in. Every line break (CR LF, a lone CR, a lone LF) becomes CR LF, also when the
// two bytes of a CR LF arrive in different reads; NUL bytes are dropped and every other
// byte is kept. A piece never ends on a code page 932 lead byte that starts a character:
// such a byte waits for the next piece, so a double-byte character is never split.
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

class TConversion {
  public:
    explicit TConversion(TByteSource source) : source_(std::move(source)) {}

    // Writes the next piece into out (capacity bytes) and gives its length; 0 at the end of
    // the document and for a capacity of 0. Each read of the source asks for at most half
    // of the room left in out (at least one byte), so that a piece of CR only still fits
    // once every CR has become CR LF. From a capacity of 2 on, a piece holds whole
    // characters only (except a lead byte that is the source's very last byte); a capacity
    // of 1 may have to hand over the two bytes of a character in two pieces. From a
    // capacity of 3 on, the whole conversion of each read fits the piece, so at most one
    // held-back lead byte waits between pieces and a CR LF is never split.
    std::size_t NextPiece(char* out, std::size_t capacity);

  private:
    // Converts raw source bytes and appends them to pending_.
    void Convert(const char* data, std::size_t size);

    TByteSource source_;
    std::string pending_;       // converted bytes not handed over yet
    std::vector<char> scratch_; // raw bytes of the current read
    bool afterCr_ = false;      // the last byte converted was a CR: a following LF belongs to it
    bool midCharacter_ = false; // the last byte handed over was a lead byte starting a character
    bool atEnd_ = false;
};

} // namespace dodir
