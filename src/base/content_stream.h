// A document's whole content moved in pieces between whoever holds it (the editor) and
// where it comes from or goes to (a file): neither side needs to know the other.
#pragma once
#include <cstddef>

namespace dodir {

// How the pieces of a content are to be read.
enum class TContentFormat { RichText, PlainText };

// Thrown by a source's NextPiece: the content is not in the format the source was started
// for; the reader may start it again in another.
struct TContentRefused {};

// Where a content comes from.
class TContentSource {
  public:
    // Gets ready to give the content from its first byte, to be read as `format`; false when
    // it cannot (a source that can be read only once, started a second time).
    virtual bool Start(TContentFormat format) = 0;
    // Writes the next piece into buf (at most size bytes) and gives its length; 0 at the end.
    // Throws TContentRefused, or whatever its failure is.
    virtual std::size_t NextPiece(char* buf, std::size_t size) = 0;
    // The content's length in bytes when the source knows it before reading (a file's size),
    // 0 when it does not. An estimate: the pieces read may add up to more or fewer bytes.
    virtual std::size_t SizeHint() const { return 0; }

  protected:
    ~TContentSource() = default;
};

// Where a content goes.
class TContentSink {
  public:
    // Takes the next piece whole; throws when it cannot.
    virtual void Write(const char* data, std::size_t size) = 0;

  protected:
    ~TContentSink() = default;
};

// What holds a content, replaced and written whole.
class TContentHolder {
  public:
    // Replaces the content by the source's, read as rich text or, when that is refused, from
    // the start again as plain text. The content stays as it was when the source fails (its
    // error is thrown again) and when no reading was taken (false).
    virtual bool ReplaceContent(TContentSource& source) = 0;
    // Writes the content as rich text; false when the writing was stopped for another
    // reason than the sink's failure (which is thrown again).
    virtual bool WriteContent(TContentSink& sink) = 0;

  protected:
    ~TContentHolder() = default;
};

} // namespace dodir
