// What one long paragraph costs the editor: opening a file whose text is one unbroken line
// or one paragraph of words, typing a character at its end, saving, reopening what was saved and emptying the
// editor (New), with word wrap on (as the program runs) and off; a character typed in the middle and at the
// end of the paragraph against a bare control of the same styles holding the same text (ratios above 1
// mean the editor is slower); opening 200 000 empty lines; and opening rich text that spells NUL
// characters against the same file without them. Run under Wine: scripts/bench.sh. Arguments: sizes in
// kilobytes (default 16 32 64), or --nuls for the last rows only.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "document/document_io.h"
#include "editor/rich_edit.h"
#include "bench_clock.h"
#include "bench_stream.h"
#include "bench_text.h"

namespace {

// Seconds from a character typed at a position (-1: the end) to the control painted again.
double KeySeconds(HWND editor, int at) {
    ::SendMessageA(editor, EM_SETSEL, static_cast<WPARAM>(at), at);
    ::UpdateWindow(editor);
    const double t = Now();
    ::SendMessageA(editor, WM_CHAR, 'x', 1);
    ::UpdateWindow(editor);
    return Now() - t;
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    std::vector<int> sizes;
    const bool nulsOnly = argc > 1 && std::string(argv[1]) == "--nuls";
    for (int k = 1; k < argc && !nulsOnly; ++k) sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty() && !nulsOnly) sizes = {16, 32, 64};

    dodir::win::UniqueWindow host(::CreateWindowExA(0, "STATIC", "paragraph bench", WS_POPUP | WS_VISIBLE, 0,
                                                    0, 620, 420, nullptr, nullptr,
                                                    ::GetModuleHandleA(nullptr), nullptr));
    char temp[MAX_PATH]{};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "dodir_paragraph_bench.txt";
    const std::string saved = std::string(temp) + "dodir_paragraph_bench.rtf";

    const auto measure = [&](const char* what, const std::string& text, bool wrap) {
        if (!WriteAll(path, text)) return;
        dodir::TRichEditSettings settings;
        settings.bounds = RECT{0, 0, 600, 400};
        settings.verticalScrollBar = true;
        settings.wordWrap = wrap;
        auto editor = std::make_unique<dodir::TRichEdit>(host.get(), settings);
        double t = Now();
        dodir::LoadDocument(*editor, path);
        const double open = Now() - t;
        ::SendMessageA(editor->Handle(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
        t = Now();
        ::SendMessageA(editor->Handle(), WM_CHAR, 'x', 1);
        ::UpdateWindow(editor->Handle());
        const double key = Now() - t;
        // The same keys in the editor and in a bare control of its styles with the same text.
        dodir::win::UniqueWindow bare(::CreateWindowExA(
            static_cast<DWORD>(::GetWindowLongPtrA(editor->Handle(), GWL_EXSTYLE)), "RICHEDIT", "",
            static_cast<DWORD>(::GetWindowLongPtrA(editor->Handle(), GWL_STYLE)), 0, 0, 600, 400, host.get(),
            nullptr, ::GetModuleHandleA(nullptr), nullptr));
        ::SendMessageA(bare.get(), EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
        // Its default format and formatting rectangle are the editor's, so that both lay out alike.
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        ::SendMessageA(editor->Handle(), EM_GETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&format));
        ::SendMessageA(bare.get(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        RECT rect{};
        ::SendMessageA(editor->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
        ::SendMessageA(bare.get(), EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
        StreamInText(bare.get(), text);
        const int middle = static_cast<int>(::SendMessageA(bare.get(), WM_GETTEXTLENGTH, 0, 0) / 2);
        const double oursMiddle = KeySeconds(editor->Handle(), middle),
                     oursEnd = KeySeconds(editor->Handle(), -1);
        const double bareMiddle = KeySeconds(bare.get(), middle), bareEnd = KeySeconds(bare.get(), -1);
        bare.reset();
        t = Now();
        dodir::SaveDocument(*editor, saved);
        const double save = Now() - t;
        t = Now();
        dodir::LoadDocument(*editor, saved);
        const double reopen = Now() - t;
        t = Now();
        editor->Lines.ClearAll();
        const double clear = Now() - t;
        std::printf("%-28s %7zu bytes  wrap %-3s  open %8.3f s  key %8.3f s  save %8.3f s  reopen %8.3f s  "
                    "New %8.3f s\n",
                    what, text.size(), wrap ? "on" : "off", open, key, save, reopen, clear);
        std::printf("%-28s key in the middle %8.3f s, bare %8.3f s, ratio %5.2f; at the end %8.3f s, bare "
                    "%8.3f s, ratio %5.2f\n",
                    "", oursMiddle, bareMiddle, oursMiddle / bareMiddle, oursEnd, bareEnd, oursEnd / bareEnd);
        std::fflush(stdout);
    };

    for (const int kb : sizes) {
        const std::size_t bytes = static_cast<std::size_t>(kb) * 1024;
        std::string line(bytes, 'x');
        for (std::size_t i = 0; i < bytes; i += 7) line[i] = static_cast<char>('a' + i % 26);
        std::string words;
        while (words.size() < bytes) words += "memo words in one paragraph ";
        for (const bool wrap : {true, false}) {
            measure("one unbroken line", line, wrap);
            measure("one paragraph of words", words, wrap);
        }
    }
    if (!nulsOnly) {
        std::string empty;
        for (int k = 0; k < 200000; ++k) empty += "\r\n";
        measure("200 000 empty lines", empty, true);
        measure("200 000 lone CRs", std::string(200000, '\r'), true);
    }

    // Escapes that spell NUL characters, which no document keeps: opening a file full of them
    // against the same file without them (ratios above 1 mean the escapes cost time).
    const auto openSeconds = [&](const std::string& rtf) {
        if (!WriteAll(path, rtf)) return -1.0;
        dodir::TRichEditSettings settings;
        settings.bounds = RECT{0, 0, 600, 400};
        settings.verticalScrollBar = true;
        auto editor = std::make_unique<dodir::TRichEdit>(host.get(), settings);
        const double t = Now();
        dodir::LoadDocument(*editor, path);
        return Now() - t;
    };
    std::string letters(30000, 'x');
    for (std::size_t i = 0; i < letters.size(); i += 7) letters[i] = static_cast<char>('a' + i % 26);
    std::string hexNuls, paragraphs, plainParagraphs;
    for (int k = 0; k < 2000; ++k) hexNuls += "\\'00";
    for (int k = 0; k < 20000; ++k) {
        paragraphs += "x\\u0?y\\par ";
        plainParagraphs += "xy\\par ";
    }
    struct Spelled {
        const char* what;
        std::string with, without;
    };
    for (const Spelled& s : {Spelled{"2 000 \\'00 in one paragraph", "{\\rtf1 " + letters + hexNuls + "}",
                                     "{\\rtf1 " + letters + "}"},
                             Spelled{"20 000 paragraphs x\\u0?y", "{\\rtf1 " + paragraphs + "}",
                                     "{\\rtf1 " + plainParagraphs + "}"}}) {
        const double with = openSeconds(s.with), without = openSeconds(s.without);
        std::printf("%-28s %7zu bytes  open %8.3f s  without them %8.3f s  ratio %6.2f\n", s.what,
                    s.with.size(), with, without, with / without);
        std::fflush(stdout);
    }
    ::DeleteFileA(path.c_str());
    ::DeleteFileA(saved.c_str());
    return 0;
}
