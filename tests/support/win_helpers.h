// Small Win32 chores shared by the in-process tests and the end-to-end tests: window class
// and text, the clipboard, whole files and a temporary folder. Header-only; needs nothing
// but the platform.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace dodir::testing {

inline std::string ClassOf(HWND wnd) {
    char buf[128]{};
    ::GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

// The text of a window of any thread or process; a hung owner gives "" after 5 s.
inline std::string TextOf(HWND wnd) {
    // The length may count characters: room for two bytes each.
    DWORD_PTR length = 0;
    ::SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::string buf(2 * length + 2, '\0');
    ::SendMessageTimeoutA(wnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                          5000, nullptr);
    return buf.c_str();
}

// A window's rectangle in its parent's client coordinates.
inline RECT RectIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline RECT FrameOf(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
}

// Opens the clipboard, trying for up to a second while another program holds it.
inline bool OpenClipboardWaiting() {
    for (int i = 0; i < 20; ++i) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(50);
    }
    return false;
}

// The clipboard's text; "<clipboard busy>" when it cannot be opened.
inline std::string ClipboardText() {
    if (!OpenClipboardWaiting()) return "<clipboard busy>";
    std::string text;
    if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        if (const auto* p = static_cast<const char*>(::GlobalLock(h))) text = p;
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return text;
}

// Replaces the clipboard's content by text ("" leaves it empty).
inline bool PutOnClipboard(const std::string& text) {
    if (!OpenClipboardWaiting()) return false;
    ::EmptyClipboard();
    bool put = text.empty();
    if (!put) {
        if (HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
            std::memcpy(::GlobalLock(mem), text.c_str(), text.size() + 1);
            ::GlobalUnlock(mem);
            put = ::SetClipboardData(CF_TEXT, mem) != nullptr;
            if (!put) ::GlobalFree(mem);
        }
    }
    ::CloseClipboard();
    return put;
}

// Writes a whole file, replacing one of that name.
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(f);
    return ok;
}

// A file's bytes; "<unreadable>" when it cannot be opened.
inline std::string ReadFileBytes(const std::string& path) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::CloseHandle(f);
    return out;
}

// The names in a folder (given with its final backslash), sorted.
inline std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd{};
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Removes a folder (given with its final backslash) and everything in it, read-only files too.
inline void RemoveFolder(const std::string& folder) {
    for (const auto& name : Listing(folder)) {
        const std::string p = folder + name;
        const DWORD attributes = ::GetFileAttributesA(p.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!::RemoveDirectoryA(p.c_str())) RemoveFolder(p + "\\");
            continue;
        }
        ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(p.c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
}

// A new, empty folder of its own under the temporary path, removed with its contents when
// the object goes. Path() is empty when no folder could be made.
class TempFolder {
  public:
    TempFolder() {
        char temp[MAX_PATH]{};
        ::GetTempPathA(MAX_PATH, temp);
        // Process ids repeat across Wine runs: take the first name that is free.
        static unsigned sequence = ::GetTickCount() & 0xFFFF;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::string candidate = std::string(temp) + "dodir_test_" +
                                          std::to_string(::GetCurrentProcessId()) + "_" +
                                          std::to_string(++sequence) + "\\";
            if (::CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        if (!path_.empty()) RemoveFolder(path_);
    }

    // The folder, with its final backslash.
    const std::string& Path() const noexcept { return path_; }
    // A path inside the folder.
    std::string Path(const std::string& name) const { return path_ + name; }
    // Empties the folder.
    void Clear() const {
        RemoveFolder(path_);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }

  private:
    std::string path_;
};

} // namespace dodir::testing
