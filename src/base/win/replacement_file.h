// TReplacementFile: writes a file without ever destroying the one it replaces. The new
// content goes to a temporary file in the target's folder; Commit then puts it in the
// target's place in one step. Until then the target is untouched, and a replacement file
// that is never committed is deleted again, unless it may hold the only copy of the new
// content (see Commit).
#pragma once
#include <windows.h>

#include <string>

#include "base/win/handles.h"

namespace dodir::win {

class TReplacementFile {
  public:
    // The step that puts the flushed temporary file over an existing target: ReplaceFileW
    // by default. Returns FALSE with the thread's last error set on failure.
    using ReplaceStep = BOOL (*)(const wchar_t* target, const wchar_t* replacement);
    // Installs another replace step (tests make it fail); nullptr restores the default.
    static void SetReplaceStep(ReplaceStep step) noexcept;

    TReplacementFile() = default;
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;
    // Deletes the temporary file unless it was committed or kept.
    ~TReplacementFile();

    // Checks that target (a path as the caller got it) may be replaced and creates the
    // empty temporary file beside it. A target that exists must be a file that is not
    // read-only and that this process could open for writing without sharing right now; a
    // target that does not exist needs an existing folder. Gives 0 or the error code
    // (ERROR_ACCESS_DENIED for a read-only target or a folder).
    DWORD Open(const std::string& target);

    // The temporary file, open for reading and writing; valid between Open and Flush.
    HANDLE Handle() const noexcept { return file_.get(); }
    // The temporary file's full path in the ANSI code page.
    std::string TemporaryPath() const;

    // Writes the temporary file's buffers through to the disk and closes it. Gives 0 or the
    // error code.
    DWORD Flush();

    // Puts the flushed temporary file in the target's place: the replace step over an
    // existing target (its attributes are kept where the platform allows), a move
    // otherwise. A replace refused for a moment by another program (a scanner or an
    // indexer opening the file) is tried again briefly. Gives 0 or the error code. When
    // the replace got half-way (the target removed or renamed) the new content is moved to
    // the target's name; if that fails too, the temporary file is kept (Kept()).
    DWORD Commit();

    // After a failed Commit: the temporary file holds the new content and stays on disk.
    bool Kept() const noexcept { return kept_; }

  private:
    // The replace step, tried again while another program holds the file for a moment.
    DWORD Replace();

    std::wstring target_;
    std::wstring temporary_;
    UniqueFile file_;
    DWORD targetAttributes_ = INVALID_FILE_ATTRIBUTES;
    bool committed_ = false;
    bool kept_ = false;
};

} // namespace dodir::win
