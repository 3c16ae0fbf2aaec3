#include "base/win/replacement_file.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace dodir::win {

namespace {

// The attributes a replaced file keeps; the others describe the new file itself.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A step refused by another program's open handle is tried this often, this far apart.
constexpr int kAttempts = 10;
constexpr DWORD kRetryMs = 50;

BOOL PlatformReplace(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
    return ::ReplaceFileW(target, replacement, backup,
                          REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
}

BOOL PlatformMove(const wchar_t* from, const wchar_t* to) {
    return ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

HANDLE PlatformCreate(const wchar_t* path, DWORD disposition) {
    return ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

std::atomic<unsigned> g_sequence{0};
std::atomic<const TReplacementFile::Steps*> g_steps{&TReplacementFile::kPlatformSteps};

const TReplacementFile::Steps& Current() { return *g_steps.load(); }

// The paths are handled in UTF-16: the ANSI functions stop at MAX_PATH, and a temporary
// name beside a target close to that limit may need the long form.
std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const int n =
        ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

// A full path as the file functions take it: the long form when it does not fit MAX_PATH.
std::wstring Usable(const std::wstring& full) {
    if (full.size() < MAX_PATH || full.rfind(kLongPrefix, 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return kLongUncPrefix + full.substr(2);
    return kLongPrefix + full;
}

// The same path as a user reads it, without the long form's prefix.
std::wstring Readable(const std::wstring& path) {
    if (path.rfind(kLongUncPrefix, 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(kLongPrefix, 0) == 0) return path.substr(4);
    return path;
}

// The full path of a target and its folder (with the final separator), as the file system
// resolves them.
bool FullPathOf(const std::wstring& path, std::wstring& full, std::wstring& folder) {
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        wchar_t* filePart = nullptr;
        const DWORD n =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), &filePart);
        if (n == 0) return false;
        if (n < buf.size()) {
            if (!filePart || *filePart == L'\0') {
                ::SetLastError(ERROR_INVALID_NAME);
                return false;
            }
            full.assign(buf.data(), n);
            folder.assign(buf.data(), static_cast<std::size_t>(filePart - buf.data()));
            return true;
        }
        buf.resize(n + 1);
    }
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
}

// Errors that a scanner or an indexer holding a file for a moment causes. Windows' replace
// reports a target held without delete sharing as ERROR_UNABLE_TO_REMOVE_REPLACED, with
// both files still under their own names.
bool RefusedForAMoment(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// A replace refused in a way that a rename over the target may still get past: a file
// system that does not do the replace at all (network redirectors answer
// ERROR_INVALID_FUNCTION or ERROR_NOT_SUPPORTED), or an ERROR_ACCESS_DENIED that outlasted
// the retries, as the replace asks for more than a rename (it reads the target's security
// and attributes and writes the replacement's). Nothing has moved after these. Any other
// error (the target held by another program, a full disk, a lost connection) would stop the
// rename as well, or means the file system is failing: it is reported.
bool RefusedAsUnsupported(DWORD error) {
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_ACCESS_DENIED;
}

bool IsAFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs step until it succeeds or fails otherwise than for a moment; gives 0 or its error.
template <class Step> DWORD Retried(Step step) {
    DWORD error = 0;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (attempt > 1) ::Sleep(kRetryMs);
        if (step()) return 0;
        error = ::GetLastError();
        if (!RefusedForAMoment(error)) break;
    }
    return error;
}

} // namespace

const TReplacementFile::Steps TReplacementFile::kPlatformSteps{&PlatformReplace, &PlatformMove,
                                                               &PlatformCreate};

void TReplacementFile::SetSteps(const Steps* steps) noexcept { g_steps = steps ? steps : &kPlatformSteps; }

TReplacementFile::~TReplacementFile() {
    file_.reset();
    if (committed_) return;
    if (createdInPlace_)
        ::DeleteFileW(target_.c_str());
    else if (!kept_ && !temporary_.empty())
        ::DeleteFileW(temporary_.c_str());
}

std::string TReplacementFile::TemporaryPath() const { return Narrow(Readable(temporary_)); }
std::string TReplacementFile::BackupPath() const { return Narrow(Readable(backup_)); }

DWORD TReplacementFile::Open(const std::string& target) {
    std::wstring full, folder;
    if (!FullPathOf(Widen(target), full, folder)) return ::GetLastError();
    target_ = Usable(full);
    targetAttributes_ = ::GetFileAttributesW(target_.c_str());
    if (targetAttributes_ == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return error; // no folder, a bad name, no access
    } else {
        // Renaming over a read-only file succeeds on some systems, and Wine's ReplaceFile
        // moves a folder that stands at the target aside: refuse both here.
        if (targetAttributes_ & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_ACCESS_DENIED;
        // Held open by another program without sharing, or not writable for this process.
        // Found here rather than by a failing replace, which may leave the old file under a
        // name of its own.
        UniqueFile probe(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) return ::GetLastError();
    }

    // Short names, like GetTempFileName's; beside a target close to MAX_PATH the name may
    // only fit in the long form. The backup's name, given to the replace for the old file,
    // must be free as well: the replace would overwrite a file standing there.
    const unsigned base = ::GetCurrentProcessId() * 131u + ::GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t stem[16];
        std::swprintf(stem, std::size(stem), L"~dd%04X.", (base + g_sequence++) & 0xFFFFu);
        const std::wstring candidate = Usable(folder + stem + L"tmp");
        const std::wstring backup = Usable(folder + stem + L"bak");
        if (::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        file_.reset(Current().create(candidate.c_str(), CREATE_NEW));
        if (file_) {
            temporary_ = candidate;
            backup_ = backup;
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED) return OpenInPlace();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

// A folder may let its files be written but no file be created in it (a share set up so, a
// file screen refusing the temporary name): then the target is written in place, as a
// plain save would. A failed write can leave such a target half-written, so this is taken
// only when the temporary file is refused, never after a failure of another kind (a full
// disk, a lost connection).
DWORD TReplacementFile::OpenInPlace() {
    file_.reset(Current().create(target_.c_str(), OPEN_ALWAYS));
    if (!file_) return ::GetLastError();
    createdInPlace_ = ::GetLastError() != ERROR_ALREADY_EXISTS;
    inPlace_ = true;
    return 0;
}

DWORD TReplacementFile::Flush() {
    if (!file_) return ERROR_INVALID_HANDLE;
    // The target written in place may have been longer; it keeps its old bytes past what was
    // written until the write is complete.
    if (inPlace_ && !::SetEndOfFile(file_.get())) return ::GetLastError();
    if (!::FlushFileBuffers(file_.get())) return ::GetLastError();
    if (!::CloseHandle(file_.release())) return ::GetLastError();
    return 0;
}

DWORD TReplacementFile::Commit() {
    if (file_ || committed_ || (temporary_.empty() && !inPlace_)) return ERROR_INVALID_FUNCTION;
    const DWORD error = inPlace_ ? 0 : PutInPlace();
    if (error == 0) committed_ = true;
    return error;
}

DWORD TReplacementFile::PutInPlace() {
    const auto move = [this] {
        return Retried([this] { return Current().move(temporary_.c_str(), target_.c_str()); });
    };
    if (targetAttributes_ == INVALID_FILE_ATTRIBUTES) return move();

    DWORD error =
        Retried([this] { return Current().replace(target_.c_str(), temporary_.c_str(), backup_.c_str()); });
    if (error == 0) {
        Finish();
        return 0;
    }
    const bool halfDone =
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    // Removed in the meantime: then there is nothing to keep, and a move does it.
    const bool removed =
        error == ERROR_FILE_NOT_FOUND && ::GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (!halfDone && !removed && !RefusedAsUnsupported(error)) return error;

    // The usual cause of a half-done replace is another program holding the new file for a
    // moment, which the retries of the move wait out.
    error = move();
    if (error == 0) {
        Finish();
        return 0;
    }
    if (halfDone) {
        // The old file may stand under the backup's name only: put it back, without
        // replacing whatever took the target's name in the meantime. Where it is not back,
        // the temporary file may hold the only copy of the new content.
        if (!IsAFile(target_)) ::MoveFileExW(backup_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH);
        kept_ = !IsAFile(target_);
        // The old file, not back under the target's name, then has its only copy there.
        backupKept_ = kept_ && IsAFile(backup_);
    }
    return error;
}

void TReplacementFile::Finish() {
    // Where the replace did not carry them over (or a move took its place), the kept
    // attributes are set again; a failure there leaves the new content in place and is no
    // error.
    const DWORD now = ::GetFileAttributesW(target_.c_str());
    const DWORD wanted = targetAttributes_ & kKeptAttributes;
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != wanted) {
        const DWORD set = (now & ~(kKeptAttributes | FILE_ATTRIBUTE_NORMAL)) | wanted;
        ::SetFileAttributesW(target_.c_str(), set ? set : FILE_ATTRIBUTE_NORMAL);
    }
    // The old file, where the replace put it under the backup's name.
    Retried([this] { return ::DeleteFileW(backup_.c_str()); });
}

} // namespace dodir::win
