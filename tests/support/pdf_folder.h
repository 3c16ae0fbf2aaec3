// The PDFs the printing tests' queue writes for this user, read back with pdftotext.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/win_helpers.h"

namespace dodir::testing {

// Waits until done() holds, handling this thread's messages meanwhile; gives its last answer.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(timeoutMs);
    while (!done()) {
        if (::GetTickCount() >= end) return done();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(20);
    }
    return true;
}

// The PDFs the queue writes for this user.
class PdfFolder {
  public:
    struct Pdf {
        int pages = -1;                 // as its page tree says; -1 without one
        std::vector<std::string> lines; // its text as pdftotext reads it, in code page 932
    };
    PdfFolder() : dir_(DosPath(UnixHome() + "/PDF/")) { RemoveFolderContents(); }
    // Waits for a new PDF, reads it and removes it.
    Pdf NewPdf() const {
        std::string name, bytes;
        WaitUntil(
            [&] {
                const auto names = Ours();
                if (names.empty()) return false;
                name = names.front();
                bytes = ReadFileBytes(dir_ + name);
                return bytes.find("%%EOF") != std::string::npos;
            },
            30000);
        Pdf pdf;
        const auto at = bytes.find("/Type /Pages");
        const auto count = at == std::string::npos ? at : bytes.find("/Count ", at);
        if (count != std::string::npos) pdf.pages = std::atoi(bytes.c_str() + count + 7);
        if (!name.empty()) pdf.lines = TextOf(name);
        RemoveFolderContents();
        return pdf;
    }
    // Whether a PDF arrives within the time.
    bool AnyWithin(int ms) const {
        return WaitUntil([&] { return !Ours().empty(); }, ms);
    }

  private:
    // The PDFs of untitled jobs, as the program prints; the print benchmark titles its own.
    std::vector<std::string> Ours() const {
        std::vector<std::string> names;
        for (auto& name : Listing(dir_))
            if (name.rfind("dodir_print_bench", 0) != 0) names.push_back(name);
        return names;
    }
    static std::string UnixHome() {
        const char* home = std::getenv("HOME");
        return home ? home : "/root";
    }
    static std::string DosPath(std::string unix) {
        for (char& c : unix)
            if (c == '/') c = '\\';
        return "Z:" + unix;
    }
    // The non-empty lines pdftotext reads from a PDF of the folder, in code page 932.
    static std::vector<std::string> TextOf(const std::string& name) {
        const std::string text = "/tmp/dodir-pdftext-" + std::to_string(::GetCurrentProcessId()) + ".txt";
        ::DeleteFileA(DosPath(text).c_str());
        // Wine starts a Unix program without waiting for it: the text gets its name only
        // when pdftotext is done.
        std::string command = "sh -c \"pdftotext -enc UTF-8 $0 $1.part && mv $1.part $1\" " + UnixHome() +
                              "/PDF/" + name + " " + text;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return {"<sh did not start>"};
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        if (!WaitUntil([&] { return ::GetFileAttributesA(DosPath(text).c_str()) != INVALID_FILE_ATTRIBUTES; },
                       30000))
            return {"<pdftotext gave nothing>"};
        std::vector<std::string> lines;
        std::string line;
        for (const char c : FromUtf8(ReadFileBytes(DosPath(text))) + "\n") {
            if (c != '\n' && c != '\f') {
                line += c;
                continue;
            }
            if (!line.empty()) lines.push_back(line);
            line.clear();
        }
        ::DeleteFileA(DosPath(text).c_str());
        return lines;
    }
    static std::string FromUtf8(const std::string& utf8) {
        std::wstring wide(utf8.size() + 1, L'\0');
        const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                            wide.data(), static_cast<int>(wide.size()));
        std::string text(static_cast<std::size_t>(n) * 2 + 1, '\0');
        const int m = ::WideCharToMultiByte(932, 0, wide.data(), n, text.data(),
                                            static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(static_cast<std::size_t>(m));
        return text;
    }
    void RemoveFolderContents() const {
        for (const auto& name : Ours()) ::DeleteFileA((dir_ + name).c_str());
    }
    std::string dir_;
};

} // namespace dodir::testing
