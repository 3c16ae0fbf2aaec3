// A document file as the source and the sink of a content: the load conversion over the
// file's reads, and the replacement file.
#include "document/document_io.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "base/errors.h"
#include "base/win/handles.h"
#include "base/win/replacement_file.h"
#include "document/load_conversion.h"

namespace dodir {

namespace {

const char kOpenMessage[] = "ファイル %s は開けません";
const char kCreateMessage[] = "ファイル %s を作成できません";
const char kReadMessage[] = "ストリームからの読み込みに失敗しました";
const char kWriteMessage[] = "ストリームへの書き込みに失敗しました";
const char kKeptMessage[] = "保存した内容はファイル %s に残っています";
const char kBackupMessage[] = "元の内容はファイル %s に残っています";

// An open file read through the load conversion, from where it stood when it was opened.
class TFileSource final : public TContentSource {
  public:
    explicit TFileSource(HANDLE file) : file_(file) {
        // A handle without a position (a pipe) can be read only once.
        rewindable_ = ::SetFilePointerEx(file_, LARGE_INTEGER{}, &start_, FILE_CURRENT) != FALSE;
        // The bytes from there to the end, for a file on a disk; a pipe or a device tells none.
        LARGE_INTEGER size{};
        if (rewindable_ && ::GetFileType(file_) == FILE_TYPE_DISK && ::GetFileSizeEx(file_, &size) &&
            size.QuadPart > start_.QuadPart)
            sizeHint_ = static_cast<std::size_t>(size.QuadPart - start_.QuadPart);
    }

    std::size_t SizeHint() const override { return sizeHint_; }

    bool Start(TContentFormat format) override {
        if (started_ && !(rewindable_ && ::SetFilePointerEx(file_, start_, nullptr, FILE_BEGIN)))
            return false;
        started_ = true;
        conversion_.emplace([this](char* buf, std::size_t size) { return Read(buf, size); },
                            format == TContentFormat::RichText);
        return true;
    }

    std::size_t NextPiece(char* buf, std::size_t size) override {
        try {
            return conversion_->NextPiece(buf, size);
        } catch (const TNotRichText&) {
            throw TContentRefused{}; // read again as plain text
        } catch (const TBeyondReader&) {
            throw EOutOfResources(kReadMessage); // the reader would not survive the rest
        }
    }

  private:
    // A read that fails is no end of the file: the document would be incomplete.
    std::size_t Read(char* buf, std::size_t size) {
        DWORD got = 0;
        if (!::ReadFile(file_, buf, static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD)), &got, nullptr))
            throw EOutOfResources(kReadMessage);
        return got;
    }

    HANDLE file_;
    LARGE_INTEGER start_{};
    bool rewindable_ = false;
    std::size_t sizeHint_ = 0;
    bool started_ = false;
    std::optional<TConversion> conversion_;
};

// A file written whole; a write that fails or writes less is an error.
class TFileSink final : public TContentSink {
  public:
    explicit TFileSink(HANDLE file) : file_(file) {}

    void Write(const char* data, std::size_t size) override {
        const auto want = static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file_, data, want, &written, nullptr) || written != want)
            throw EOutOfResources(kWriteMessage);
    }

  private:
    HANDLE file_;
};

} // namespace

void LoadDocument(TContentHolder& content, const std::string& path) {
    win::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EFOpenError(FormatMessage1(kOpenMessage, path));
    TFileSource source(file.get());
    if (!content.ReplaceContent(source)) throw EOutOfResources(kReadMessage);
}

void SaveDocument(TContentHolder& content, const std::string& path) {
    // The document goes to a new file beside the target, which takes the target's place
    // only once it is complete and on the disk (or, in a folder that refuses new files, to
    // the target itself, as nothing else can save it there).
    win::WaitCursor busy;
    win::TReplacementFile replacement;
    if (replacement.Open(path) != 0) throw EFCreateError(FormatMessage1(kCreateMessage, path));

    TFileSink sink(replacement.Handle());
    if (!content.WriteContent(sink) || replacement.Flush() != 0) throw EOutOfResources(kWriteMessage);
    if (replacement.Commit() != 0) {
        std::string message = FormatMessage1(kCreateMessage, path);
        // The new content, and the old, may exist nowhere else: say where they are.
        if (replacement.Kept()) message += "\r\n" + FormatMessage1(kKeptMessage, replacement.TemporaryPath());
        if (replacement.BackupKept())
            message += "\r\n" + FormatMessage1(kBackupMessage, replacement.BackupPath());
        throw EFCreateError(message);
    }
}

} // namespace dodir
