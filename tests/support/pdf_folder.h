// The PDFs the printing tests' queue writes for this user, read back with pdftotext.
#pragma once
#include <windows.h>

#include <cctype>
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
        int pages = -1;                                  // as its page tree says; -1 without one
        std::vector<std::string> lines;                  // its text as pdftotext reads it, in code page 932
        std::vector<std::vector<std::string>> pageLines; // the same, page by page
        int darkPixels = -1; // of its first page rendered in grey at 72 dpi, when asked for
    };
    PdfFolder() : dir_(DosPath(UnixHome() + "/PDF/")) { RemoveFolderContents(); }
    // Waits for a new PDF, reads it (and renders it, when asked) and removes it.
    Pdf NewPdf(bool render = false) const {
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
        if (!name.empty()) {
            pdf.pageLines.emplace_back();
            for (const auto& line : Lines(UnixOutput("pdftotext -enc UTF-8 $0 $1", name))) {
                if (line == "\f") {
                    pdf.pageLines.emplace_back();
                    continue;
                }
                pdf.pageLines.back().push_back(line);
                pdf.lines.push_back(line);
            }
            if (pdf.pageLines.back().empty()) pdf.pageLines.pop_back();
        }
        if (render && !name.empty())
            pdf.darkPixels =
                DarkPixels(UnixOutput("pdftoppm -gray -r 72 -singlefile $0 >$1 2>/dev/null", name));
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
    // What a shell command leaves in the file $1, given the folder's PDF as $0.
    static std::string UnixOutput(const std::string& script, const std::string& name) {
        const std::string out = "/tmp/dodir-pdfout-" + std::to_string(::GetCurrentProcessId());
        ::DeleteFileA(DosPath(out).c_str());
        // Wine starts a Unix program without waiting for it: the output gets its name only
        // when the command is done.
        std::string command =
            "sh -c \"" + script + " && mv $1 $1.done\" " + UnixHome() + "/PDF/" + name + " " + out;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return "<sh did not start>";
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        const std::string done = DosPath(out + ".done");
        if (!WaitUntil([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000))
            return "<no output>";
        std::string bytes = ReadFileBytes(done);
        ::DeleteFileA(done.c_str());
        return bytes;
    }
    // The non-empty lines of pdftotext's output in code page 932, with "\f" where a page ends.
    static std::vector<std::string> Lines(const std::string& utf8) {
        std::vector<std::string> lines;
        std::string line;
        for (const char c : FromUtf8(utf8) + "\n") {
            if (c != '\n' && c != '\f') {
                line += c;
                continue;
            }
            if (!line.empty()) lines.push_back(line);
            line.clear();
            if (c == '\f') lines.push_back("\f");
        }
        return lines;
    }
    // The pixels darker than middle grey of a binary PGM picture.
    static int DarkPixels(const std::string& pgm) {
        std::size_t at = 0;
        for (int fields = 0; fields < 4 && at < pgm.size(); ++fields) { // P5, width, height, maximum
            while (at < pgm.size() && !std::isspace(static_cast<unsigned char>(pgm[at]))) ++at;
            ++at;
        }
        if (pgm.rfind("P5", 0) != 0) return -1;
        int dark = 0;
        for (; at < pgm.size(); ++at) dark += static_cast<unsigned char>(pgm[at]) < 128;
        return dark;
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
