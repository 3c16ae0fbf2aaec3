#include "base/win/replacement_file.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace dodir::win {

namespace {

// The attributes a replaced file keeps; the others describe the new file itself.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A replace refused by another program's open handle is tried this often, this far apart.
constexpr int kReplaceAttempts = 10;
constexpr DWORD kReplaceRetryMs = 50;

BOOL DefaultReplace(const wchar_t* target, const wchar_t* replacement) {
    return ::ReplaceFileW(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}

std::atomic<TReplacementFile::ReplaceStep> g_replace{&DefaultReplace};
std::atomic<unsigned> g_sequence{0};

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

bool RefusedForAMoment(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

} // namespace

void TReplacementFile::SetReplaceStep(ReplaceStep step) noexcept {
    g_replace = step ? step : &DefaultReplace;
}

TReplacementFile::~TReplacementFile() {
    file_.reset();
    if (!committed_ && !kept_ && !temporary_.empty()) ::DeleteFileW(temporary_.c_str());
}

std::string TReplacementFile::TemporaryPath() const { return Narrow(Readable(temporary_)); }

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
        // Found here rather than by a failing replace, which under Wine leaves a file
        // "rf*.tmp" of its own behind in the folder.
        UniqueFile probe(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) return ::GetLastError();
    }

    // Short names, like GetTempFileName's; beside a target close to MAX_PATH the name may
    // only fit in the long form.
    const unsigned base = ::GetCurrentProcessId() * 131u + ::GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t name[16];
        std::swprintf(name, std::size(name), L"~dd%04X.tmp", (base + g_sequence++) & 0xFFFFu);
        const std::wstring candidate = Usable(folder + name);
        file_.reset(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_) {
            temporary_ = candidate;
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

DWORD TReplacementFile::Flush() {
    if (!file_) return ERROR_INVALID_HANDLE;
    if (!::FlushFileBuffers(file_.get())) return ::GetLastError();
    if (!::CloseHandle(file_.release())) return ::GetLastError();
    return 0;
}

DWORD TReplacementFile::Commit() {
    if (file_ || temporary_.empty() || committed_) return ERROR_INVALID_FUNCTION;
    bool halfDone = false;
    if (targetAttributes_ != INVALID_FILE_ATTRIBUTES) {
        const DWORD error = Replace();
        if (error == 0) {
            committed_ = true;
            return 0;
        }
        halfDone = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        // Removed in the meantime: then there is nothing to keep, and a move does it.
        const bool removed =
            error == ERROR_FILE_NOT_FOUND && ::GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (!halfDone && !removed) return error;
    }
    if (!::MoveFileExW(temporary_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        // After a replace that got half-way the old file is gone from the target's name or
        // renamed: the temporary file may be the only copy of the new content.
        kept_ = halfDone;
        return error;
    }
    committed_ = true;
    return 0;
}

DWORD TReplacementFile::Replace() {
    DWORD error = 0;
    for (int attempt = 1; attempt <= kReplaceAttempts; ++attempt) {
        if (attempt > 1) ::Sleep(kReplaceRetryMs);
        if (g_replace.load()(target_.c_str(), temporary_.c_str())) {
            // Where the replace did not carry them over, the kept attributes are set again;
            // a failure there leaves the new content in place and is no error.
            const DWORD now = ::GetFileAttributesW(target_.c_str());
            const DWORD wanted = targetAttributes_ & kKeptAttributes;
            if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != wanted) {
                const DWORD set = (now & ~(kKeptAttributes | FILE_ATTRIBUTE_NORMAL)) | wanted;
                ::SetFileAttributesW(target_.c_str(), set ? set : FILE_ATTRIBUTE_NORMAL);
            }
            return 0;
        }
        error = ::GetLastError();
        if (!RefusedForAMoment(error)) break;
    }
    return error;
}

} // namespace dodir::win
