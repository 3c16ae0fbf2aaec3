// The editor's content streamed from and to files through EM_STREAMIN and EM_STREAMOUT.
//
// No C++ exception may unwind through the control's stream request: every callback catches
// what its work throws, keeps it in its cookie, returns an error code that stops the
// request, and the exception is thrown again once the request has returned.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "base/errors.h"
#include "base/win/handles.h"
#include "base/win/replacement_file.h"
#include "editor/document_stream.h"
#include "editor/load_conversion.h"
#include "editor/rich_edit.h"

namespace dodir {

namespace {

const char kOpenMessage[] = "ファイル %s は開けません";
const char kCreateMessage[] = "ファイル %s を作成できません";
const char kReadMessage[] = "ストリームからの読み込みに失敗しました";
const char kWriteMessage[] = "ストリームへの書き込みに失敗しました";
const char kKeptMessage[] = "保存した内容はファイル %s に残っています";

// Error codes the callbacks hand back to the control; any non-zero value ends the request.
constexpr DWORD kReadErrorCode = 1;
constexpr DWORD kWriteErrorCode = 2;

// A read of the file failed: the document would be incomplete.
struct ReadFailure {};

// Stream-in from a file through the load conversion.
struct FileIn {
    FileIn(HANDLE f, bool richText)
        : file(f), conversion([this](char* buf, std::size_t size) { return Read(buf, size); }, richText) {}

    std::size_t Read(char* buf, std::size_t size) {
        DWORD got = 0;
        if (!::ReadFile(file, buf, static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD)), &got, nullptr))
            throw ReadFailure{};
        return got;
    }

    HANDLE file;
    TConversion conversion;
    bool readFailed = false;
    std::exception_ptr error;
};

DWORD CALLBACK FileInCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto& in = *reinterpret_cast<FileIn*>(cookie);
    *pcb = 0;
    try {
        *pcb = static_cast<LONG>(in.conversion.NextPiece(reinterpret_cast<char*>(buf), cb > 0 ? cb : 0));
        return 0;
    } catch (const ReadFailure&) {
        in.readFailed = true;
    } catch (const TTooDeep&) {
        in.readFailed = true; // the reader would not survive the rest
    } catch (const TNotRichText&) {
        // Refused as the control refuses what is not rich text: the load reads it again as
        // plain text.
    } catch (...) {
        in.error = std::current_exception();
    }
    return kReadErrorCode;
}

// Stream-out into a file; a write that fails or writes less is an error.
struct FileOut {
    explicit FileOut(HANDLE f) : file(f) {}
    HANDLE file;
    bool writeFailed = false;
    std::exception_ptr error;
};

DWORD CALLBACK FileOutCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto& out = *reinterpret_cast<FileOut*>(cookie);
    *pcb = 0;
    try {
        const DWORD size = cb > 0 ? static_cast<DWORD>(cb) : 0;
        DWORD written = 0;
        if (::WriteFile(out.file, buf, size, &written, nullptr) && written == size) {
            *pcb = cb;
            return 0;
        }
        out.writeFailed = true;
    } catch (...) {
        out.error = std::current_exception();
    }
    return kWriteErrorCode;
}

LRESULT Stream(HWND wnd, UINT msg, WPARAM format, DWORD_PTR cookie, EDITSTREAMCALLBACK callback,
               LONG& error) {
    EDITSTREAM es{};
    es.dwCookie = cookie;
    es.pfnCallback = callback;
    const LRESULT result = ::SendMessageA(wnd, msg, format, reinterpret_cast<LPARAM>(&es));
    error = static_cast<LONG>(es.dwError);
    return result;
}

struct LoadResult {
    LONG controlError = 0;
    bool readFailed = false;
    std::exception_ptr error;
    bool Failed() const noexcept { return readFailed || error || controlError != 0; }
};

LoadResult StreamFileIn(HWND wnd, HANDLE file, WPARAM format) {
    FileIn in(file, format == SF_RTF);
    LoadResult r;
    Stream(wnd, EM_STREAMIN, format, reinterpret_cast<DWORD_PTR>(&in), &FileInCallback, r.controlError);
    r.readFailed = in.readFailed;
    r.error = in.error;
    return r;
}

} // namespace

void LoadDocument(TRichEdit& editor, const std::string& path) {
    win::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EFOpenError(FormatMessage1(kOpenMessage, path));

    // Where the plain-text attempt starts again; a handle without a position (a pipe) can
    // be read only once.
    LARGE_INTEGER start{};
    const bool rewindable = ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, &start, FILE_CURRENT) != FALSE;

    // The file goes into an empty twin of the control, which takes the control's place only
    // once the load succeeded. The current document stays untouched by a failed attempt
    // (a rich-text attempt on a file that is not rich text empties the control it reads
    // into), and it is never emptied, which costs Wine's control a time growing with the
    // square of its length, but dropped with its window, which costs nothing.
    win::UniqueWindow twin = editor.CreateEmptyTwin();
    LoadResult result = StreamFileIn(twin.get(), file.get(), SF_RTF);
    if (!result.readFailed && !result.error && result.controlError != 0) {
        // Not rich text: read the same bytes again as plain text.
        if (rewindable && ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
            result = StreamFileIn(twin.get(), file.get(), SF_TEXT);
        else
            result.readFailed = true;
    }
    if (result.Failed()) {
        if (result.error) std::rethrow_exception(result.error);
        throw EOutOfResources(kReadMessage);
    }
    ::SendMessageA(twin.get(), EM_EXLIMITTEXT, 0, TRichEdit::kUnlimitedText);
    editor.AdoptWindow(std::move(twin));
}

void SaveDocument(TRichEdit& editor, const std::string& path) {
    // The document goes to a new file beside the target, which takes the target's place
    // only once it is complete and on the disk (or, in a folder that refuses new files, to
    // the target itself, as nothing else can save it there).
    win::TReplacementFile replacement;
    if (replacement.Open(path) != 0) throw EFCreateError(FormatMessage1(kCreateMessage, path));

    FileOut out(replacement.Handle());
    LONG error = 0;
    Stream(editor.Handle(), EM_STREAMOUT, SF_RTF, reinterpret_cast<DWORD_PTR>(&out), &FileOutCallback, error);
    if (out.error) std::rethrow_exception(out.error);
    if (out.writeFailed || error != 0) throw EOutOfResources(kWriteMessage);
    if (replacement.Flush() != 0) throw EOutOfResources(kWriteMessage);
    if (replacement.Commit() != 0) {
        std::string message = FormatMessage1(kCreateMessage, path);
        // The new content may exist nowhere else: say where it is.
        if (replacement.Kept()) message += "\r\n" + FormatMessage1(kKeptMessage, replacement.TemporaryPath());
        throw EFCreateError(message);
    }
}

} // namespace dodir
