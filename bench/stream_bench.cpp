// Time of LoadDocument and SaveDocument on 2 MB and 8 MB documents, plain text
// and rich text, each against the bare control streaming the same file in the same run
// (EM_STREAMIN / EM_STREAMOUT with a callback that only reads or writes the file), and of
// opening over a loaded document and New on it against an open into an empty editor. Ratios
// above 1 mean the program is slower than what it is compared with. Run under Wine:
// scripts/bench.sh. Arguments: repetitions for 2 MB and for 8 MB (default 3 1); the median
// is reported. Further arguments replace the two sizes by sizes in kilobytes, each measured
// with the first repetition count.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "document/document_io.h"
#include "editor/rich_edit.h"
#include "bench_clock.h"

namespace {

using dodir::document::LoadDocument;
using dodir::document::SaveDocument;
using dodir::win::UniqueFile;

double MedianSeconds(int repetitions, const std::function<void()>& prepare,
                     const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        const double a = Now();
        work();
        t.push_back(Now() - a);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

DWORD CALLBACK BareRead(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    DWORD got = 0;
    const BOOL ok = ::ReadFile(reinterpret_cast<HANDLE>(cookie), buf, static_cast<DWORD>(cb), &got, nullptr);
    *pcb = static_cast<LONG>(got);
    return ok ? 0 : 1;
}

DWORD CALLBACK BareWrite(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    DWORD put = 0;
    const BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(cookie), buf, static_cast<DWORD>(cb), &put, nullptr);
    *pcb = static_cast<LONG>(put);
    return ok ? 0 : 2;
}

bool BareStreamIn(HWND wnd, const std::string& path, WPARAM format) {
    UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(f.get()), 0, &BareRead};
    ::SendMessageA(wnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

bool BareStreamOut(HWND wnd, const std::string& path) {
    UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(f.get()), 0, &BareWrite};
    ::SendMessageA(wnd, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    UniqueFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    return f && ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
}

std::string MakeText(std::size_t bytes) {
    std::string text;
    for (int line = 1; text.size() < bytes; ++line)
        text += "行 " + std::to_string(line) + ": 日本語のメモと ASCII text, mixed on one line.\r\n";
    return text;
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int reps2 = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int reps8 = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;

    dodir::win::UniqueWindow host(::CreateWindowExA(0, "STATIC", "stream bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                                    620, 420, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                                    nullptr));
    dodir::TRichEditSettings settings;
    settings.bounds = RECT{0, 0, 600, 400};
    settings.verticalScrollBar = true;
    // Emptying a control that holds a large document takes the platform much longer than
    // filling it, so each open starts with a new control instead.
    std::unique_ptr<dodir::TRichEdit> editor;
    HWND wnd = nullptr;
    auto fresh = [&] {
        editor.reset();
        editor = std::make_unique<dodir::TRichEdit>(host.get(), settings);
        wnd = editor->Handle();
        ::SendMessageA(wnd, EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
    };

    char temp[MAX_PATH]{};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string dir =
        std::string(temp) + "dodir_stream_bench_" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    std::vector<std::string> made;

    std::printf("%-28s %10s %10s %8s\n", "operation", "dodir s", "bare s", "ratio");
    std::vector<std::size_t> kilobytes{2048, 8192};
    if (argc > 3) {
        kilobytes.clear();
        for (int i = 3; i < argc; ++i)
            kilobytes.push_back(static_cast<std::size_t>(std::max(1, std::atoi(argv[i]))));
    }
    for (const std::size_t kb : kilobytes) {
        const int reps = kb == 8192 && argc <= 3 ? reps8 : reps2;
        const std::string name =
            kb % 1024 == 0 ? std::to_string(kb / 1024) + "MB" : std::to_string(kb) + "KB";
        const std::string txt = dir + name + ".txt";
        const std::string rtf = dir + name + ".rtf";
        const std::string out = dir + name + "-out.rtf";
        const std::string bareOut = dir + name + "-bare.rtf";
        made.insert(made.end(), {txt, rtf, out, bareOut});
        if (!WriteAll(txt, MakeText(kb * 1024))) return 1;
        // The rich-text file: the same text, as the control writes it.
        fresh();
        if (!BareStreamIn(wnd, txt, SF_TEXT) || !BareStreamOut(wnd, rtf)) return 1;

        struct Case {
            const char* kind;
            const std::string& path;
            WPARAM format;
        };
        for (const Case& c : {Case{"plain text", txt, SF_TEXT}, Case{"rich text", rtf, SF_RTF}}) {
            auto report = [&](const char* what, double ours, double bare) {
                std::printf("%-28s %10.3f %10.3f %8.2f\n",
                            (std::string(what) + " " + name + " " + c.kind).c_str(), ours, bare, ours / bare);
                std::fflush(stdout);
            };
            const double bareOpen = MedianSeconds(reps, fresh, [&] { BareStreamIn(wnd, c.path, c.format); });
            const double ourOpen = MedianSeconds(reps, fresh, [&] { LoadDocument(*editor, c.path); });
            report("open", ourOpen, bareOpen);

            // Opening over a document of the same size and New on it, each against an open
            // into an empty editor: the platform's own emptying of a large document grows
            // with the square of its length, the program's must not.
            auto loaded = [&] {
                fresh();
                LoadDocument(*editor, c.path);
            };
            report("open over loaded", MedianSeconds(reps, loaded, [&] { LoadDocument(*editor, c.path); }),
                   ourOpen);
            report("new on loaded", MedianSeconds(reps, loaded, [&] { editor->Lines.ClearAll(); }), ourOpen);
            loaded();

            const double bareSave = MedianSeconds(
                reps, [] {}, [&] { BareStreamOut(editor->Handle(), bareOut); });
            const double ourSave = MedianSeconds(
                reps, [] {}, [&] { SaveDocument(*editor, out); });
            report("save", ourSave, bareSave);
        }
    }
    for (const auto& p : made) ::DeleteFileA(p.c_str());
    ::RemoveDirectoryA(dir.c_str());
    return 0;
}
