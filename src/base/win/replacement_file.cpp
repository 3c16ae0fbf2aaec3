#include "base/win/replacement_file.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace dodir::win {

namespace {

// The attributes a replaced file keeps; the others describe the new file itself.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The folder part of a path, with its final separator, as the file system resolves it.
// GetFullPathNameA reads the path in the ANSI code page, so a trail byte 0x5C of a
// double-byte character is never taken for a separator.
bool FolderOf(const std::string& path, std::string& folder) {
    std::vector<char> buf(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        char* filePart = nullptr;
        const DWORD n =
            ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), &filePart);
        if (n == 0) return false;
        if (n < buf.size()) {
            if (!filePart || *filePart == '\0') {
                ::SetLastError(ERROR_INVALID_NAME);
                return false;
            }
            folder.assign(buf.data(), static_cast<std::size_t>(filePart - buf.data()));
            return true;
        }
        buf.resize(n + 1);
    }
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
}

std::atomic<unsigned> g_sequence{0};

} // namespace

TReplacementFile::~TReplacementFile() {
    file_.reset();
    if (!committed_ && !temporary_.empty()) ::DeleteFileA(temporary_.c_str());
}

DWORD TReplacementFile::Open(const std::string& target) {
    target_ = target;
    targetAttributes_ = ::GetFileAttributesA(target.c_str());
    if (targetAttributes_ == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return error; // no folder, a bad name, no access
    } else {
        // Renaming over a read-only file succeeds on some systems, and Wine's ReplaceFileA
        // moves a folder that stands at the target aside: refuse both here.
        if (targetAttributes_ & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_ACCESS_DENIED;
        // Held open by another program without sharing, or not writable for this process.
        // Found here rather than by a failing ReplaceFileA, which under Wine leaves a file
        // "rf*.tmp" of its own behind in the folder.
        UniqueFile probe(::CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) return ::GetLastError();
    }

    std::string folder;
    if (!FolderOf(target, folder)) return ::GetLastError();
    // Short names, like GetTempFileNameA's, so that a path close to MAX_PATH still fits.
    const unsigned base = ::GetCurrentProcessId() * 131u + ::GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, "~dd%04X.tmp", (base + g_sequence++) & 0xFFFFu);
        const std::string candidate = folder + name;
        file_.reset(::CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
    if (targetAttributes_ != INVALID_FILE_ATTRIBUTES) {
        if (::ReplaceFileA(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
            committed_ = true;
            // Where the replace did not carry them over, the kept attributes are set again;
            // a failure there leaves the new content in place and is no error.
            const DWORD now = ::GetFileAttributesA(target_.c_str());
            const DWORD wanted = targetAttributes_ & kKeptAttributes;
            if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != wanted) {
                const DWORD set = (now & ~(kKeptAttributes | FILE_ATTRIBUTE_NORMAL)) | wanted;
                ::SetFileAttributesA(target_.c_str(), set ? set : FILE_ATTRIBUTE_NORMAL);
            }
            return 0;
        }
        const DWORD error = ::GetLastError();
        // Removed in the meantime: then there is nothing to keep, and a move does it.
        if (error != ERROR_FILE_NOT_FOUND || ::GetFileAttributesA(target_.c_str()) != INVALID_FILE_ATTRIBUTES)
            return error;
    }
    if (!::MoveFileExA(temporary_.c_str(), target_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ::GetLastError();
    committed_ = true;
    return 0;
}

} // namespace dodir::win
