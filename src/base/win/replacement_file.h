// TReplacementFile: writes a file without ever destroying the one it replaces. The new
// content goes to a temporary file in the target's folder; Commit then puts it in the
// target's place in one step. Until then the target is untouched, and a replacement file
// that is never committed is deleted again, unless it may hold the only copy of the new
// content (see Commit). Only where the folder lets no file be created beside the target is
// the target itself written in place.
#pragma once
#include <windows.h>

#include <string>

#include "base/win/handles.h"

namespace dodir::win {

class TReplacementFile {
  public:
    // The platform calls whose refusals decide how the new content reaches the target; tests
    // install others that fail. Each gives FALSE (or INVALID_HANDLE_VALUE) with the thread's
    // last error set on failure.
    struct Steps {
        // ReplaceFileW: the replacement takes the target's name, the old file the backup's.
        BOOL (*replace)(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup);
        // MoveFileExW with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH.
        BOOL (*move)(const wchar_t* from, const wchar_t* to);
        // CreateFileW for reading and writing without sharing, with the given disposition:
        // CREATE_NEW for the temporary file, OPEN_ALWAYS for the target written in place.
        HANDLE (*create)(const wchar_t* path, DWORD disposition);
    };
    static const Steps kPlatformSteps;
    // Installs other steps, which the caller keeps alive while installed; nullptr restores
    // the platform's.
    static void SetSteps(const Steps* steps) noexcept;

    TReplacementFile() = default;
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;
    // Deletes the temporary file unless it was committed or kept, and a target that the
    // write in place created unless it was committed.
    ~TReplacementFile();

    // Checks that target (a path as the caller got it) may be replaced and creates the
    // empty temporary file beside it. A target that exists must be a file that is not
    // read-only and that this process could open for writing without sharing right now; a
    // target that does not exist needs an existing folder. Where the folder refuses the
    // temporary file (ERROR_ACCESS_DENIED), the target itself is opened to be written in
    // place. Gives 0 or the error code (ERROR_ACCESS_DENIED for a read-only target or a
    // folder).
    DWORD Open(const std::string& target);

    // The file to write the new content to, open for reading and writing; valid between
    // Open and Flush.
    HANDLE Handle() const noexcept { return file_.get(); }
    // The temporary file's full path in the ANSI code page.
    std::string TemporaryPath() const;

    // Ends the file at what was written, writes its buffers through to the disk and closes
    // it. Gives 0 or the error code.
    DWORD Flush();

    // Puts the flushed temporary file in the target's place: the replace step over an
    // existing target (its attributes are kept where the platform allows), a move
    // otherwise, or where the replace is refused as unsupported. A step refused for a
    // moment by another program (a scanner or an indexer opening a file) is tried again
    // briefly. Gives 0 or the error code. When the replace got half-way (the target removed
    // or renamed) the new content is moved to the target's name; if that fails too, the old
    // file is put back, and the temporary file is kept (Kept()) unless the old file stands
    // under the target's name again; the backup holding the old file then stays as well
    // (BackupKept()). A target written in place is already committed.
    DWORD Commit();

    // After a failed Commit: the temporary file holds the new content and stays on disk.
    bool Kept() const noexcept { return kept_; }
    // After a failed Commit: the old file could not be put back and stays on disk under the
    // backup's name (BackupPath()).
    bool BackupKept() const noexcept { return backupKept_; }
    // The backup's full path in the ANSI code page.
    std::string BackupPath() const;

  private:
    DWORD OpenInPlace();
    DWORD PutInPlace();
    // After the new content took the target's place: the old file's kept attributes set
    // again and the backup removed.
    void Finish();

    std::wstring target_;
    std::wstring temporary_;
    std::wstring backup_;
    UniqueFile file_;
    DWORD targetAttributes_ = INVALID_FILE_ATTRIBUTES;
    bool inPlace_ = false;
    bool createdInPlace_ = false;
    bool committed_ = false;
    bool kept_ = false;
    bool backupKept_ = false;
};

} // namespace dodir::win
