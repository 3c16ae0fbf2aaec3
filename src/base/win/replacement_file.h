// TReplacementFile: writes a file without ever destroying the one it replaces. The new
// content goes to a temporary file in the target's folder; Commit then puts it in the
// target's place in one step. Until then the target is untouched, and a replacement file
// that is never committed is deleted again.
#pragma once
#include <windows.h>

#include <string>

#include "base/win/handles.h"

namespace dodir::win {

class TReplacementFile {
public:
    TReplacementFile() = default;
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;
    // Deletes the temporary file unless it was committed.
    ~TReplacementFile();

    // Checks that target (a path as the caller got it) may be replaced and creates the
    // empty temporary file beside it. A target that exists must be a file that is not
    // read-only and that this process could open for writing without sharing right now; a
    // target that does not exist needs an existing folder. Gives 0 or the error code
    // (ERROR_ACCESS_DENIED for a read-only target or a folder).
    DWORD Open(const std::string& target);

    // The temporary file, open for reading and writing; valid between Open and Flush.
    HANDLE Handle() const noexcept { return file_.get(); }
    const std::string& TemporaryPath() const noexcept { return temporary_; }

    // Writes the temporary file's buffers through to the disk and closes it. Gives 0 or the
    // error code.
    DWORD Flush();

    // Puts the flushed temporary file in the target's place: ReplaceFileA over an existing
    // target (its attributes are kept where the platform allows), MoveFileExA otherwise.
    // Gives 0 or the error code; on failure the target is as it was.
    DWORD Commit();

private:
    std::string target_;
    std::string temporary_;
    UniqueFile file_;
    DWORD targetAttributes_ = INVALID_FILE_ATTRIBUTES;
    bool committed_ = false;
};

} // namespace dodir::win
