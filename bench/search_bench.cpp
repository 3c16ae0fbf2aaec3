// Time of one Find Next press and one Replace press on 2 MB and 8 MB documents, with the
// word near the start, in the middle and at the end, each against the bare control doing
// the same search, selection and replacement in its own positions in the same run. Ratios
// above 1 mean the program is slower. Run under Wine: scripts/bench.sh. Argument: the
// repetitions (default 5); the median is reported.
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
#include "editor/control_window.h"
#include "editor/rich_edit.h"
#include "search/search.h"
#include "bench_clock.h"
#include "bench_stream.h"

namespace {

double MedianSeconds(int repetitions, const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < repetitions; ++i) {
        const double a = Now();
        work();
        t.push_back(Now() - a);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Lines of mixed text with a distinct word near the start, in the middle and at the end.
std::string MakeText(std::size_t bytes) {
    std::string text = "始めに wordA があります。\r\n";
    for (int line = 1; text.size() < bytes; ++line) {
        if (text.size() < bytes / 2 && text.size() + 80 >= bytes / 2)
            text += "真ん中に wordB があります。\r\n";
        text += "行 " + std::to_string(line) + ": 日本語のメモと ASCII text, mixed on one line.\r\n";
    }
    return text + "終わりに wordC があります。";
}

// What the program does for a press, done directly on the control in its own positions.
void BareFindNext(HWND wnd, const char* word) {
    CHARRANGE sel{};
    ::SendMessageA(wnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    FINDTEXTA ft{{sel.cpMin == sel.cpMax ? 0 : sel.cpMax, -1}, word};
    const auto found =
        ::SendMessageA(wnd, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&ft));
    if (found < 0) return;
    ::SetFocus(wnd);
    CHARRANGE match{static_cast<LONG>(found), static_cast<LONG>(found + lstrlenA(word))};
    ::SendMessageA(wnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&match));
    ::SendMessageA(wnd, dodir::kRichEditScrollCaret, 0, 0);
}

void BareReplace(HWND wnd, const char* word) {
    FINDTEXTA ft{{0, -1}, word};
    const auto found =
        ::SendMessageA(wnd, EM_FINDTEXT, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&ft));
    if (found < 0) return;
    CHARRANGE match{static_cast<LONG>(found), static_cast<LONG>(found + lstrlenA(word))};
    ::SendMessageA(wnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&match));
    ::SendMessageA(wnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(word));
}

void ClearSelection(HWND wnd) {
    CHARRANGE none{0, 0};
    ::SendMessageA(wnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    dodir::win::UniqueWindow host(::CreateWindowExA(0, "STATIC", "search bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                                    620, 420, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                                    nullptr));
    std::printf("%-28s %10s %10s %8s\n", "operation", "dodir ms", "bare ms", "ratio");
    for (const std::size_t mb : {2u, 8u}) {
        dodir::TRichEditSettings settings;
        settings.bounds = RECT{0, 0, 600, 400};
        settings.verticalScrollBar = true;
        dodir::TRichEdit editor(host.get(), settings);
        HWND wnd = editor.Handle();
        ::SendMessageA(wnd, EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
        const std::string text = MakeText(mb * 1024 * 1024);
        StreamInText(wnd, text);

        const struct {
            const char* where;
            const char* word;
        } places[] = {{"start", "wordA"}, {"middle", "wordB"}, {"end", "wordC"}};
        for (const auto& place : places) {
            auto report = [&](const char* what, double ours, double bare) {
                std::printf("%-28s %10.2f %10.2f %8.2f\n",
                            (std::string(what) + " " + std::to_string(mb) + "MB " + place.where).c_str(),
                            ours * 1e3, bare * 1e3, ours / bare);
                std::fflush(stdout);
            };
            // Each find press starts from no selection, so it finds the same word each time.
            // One unmeasured press of each first: the first call of a process asks the
            // platform once what its control counts in.
            dodir::FindNextIn(editor, place.word);
            BareFindNext(wnd, place.word);
            const double bareFind = MedianSeconds(reps, [&] {
                ClearSelection(wnd);
                BareFindNext(wnd, place.word);
            });
            const double ourFind = MedianSeconds(reps, [&] {
                ClearSelection(wnd);
                dodir::FindNextIn(editor, place.word);
            });
            report("find next", ourFind, bareFind);
            // Replacing the word by itself keeps the document as it is for the next press.
            const double bareReplace = MedianSeconds(reps, [&] { BareReplace(wnd, place.word); });
            const double ourReplace =
                MedianSeconds(reps, [&] { dodir::ReplaceFirst(editor, place.word, place.word); });
            report("replace", ourReplace, bareReplace);
        }
    }
    return 0;
}
