// Time from a character message in the editor to the refreshed gutter and caret line, in
// documents of 100, 10 000 and 100 000 lines, with the caret at the top, in the middle and at
// the end. Run under Wine: scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/gutter.h"
#include "app/startup.h"
#include "bench_stream.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

enum class Where { Top, Middle, End };
const char* NameOf(Where w) {
    return w == Where::Top ? "at the top" : w == Where::Middle ? "in the middle" : "at the end";
}

// A document of numbered lines, loaded as a file is.
std::string LoadLines(dodir::TForm1& form, int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\r\n";
    PlainTextSource source(text);
    form.RichEdit1->ReplaceContent(source);
    return text;
}

double MedianKeyMicros(dodir::TForm1& form, const std::string& text, Where where) {
    // The caret on the first screen, or in the middle or at the end of the document scrolled
    // into view (where the gutter's numbers have as many digits as the document's lines).
    const std::size_t at = where == Where::Top ? 5 : where == Where::Middle ? text.size() / 2 : text.size();
    form.RichEdit1->SetSelectionStart(static_cast<int>(at));
    form.RichEdit1->SetSelectionLength(0);
    if (where == Where::Top) ::SendMessageA(form.RichEdit1->Handle(), WM_VSCROLL, SB_TOP, 0);
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    std::vector<double> samples;
    // From the character message to the end of the refresh, which runs before the
    // control applies the character.
    LARGE_INTEGER a, b;
    form.RichEdit1->OnKeyPress = [&](char& key) {
        form.RichEdit1KeyPress(key);
        ::QueryPerformanceCounter(&b);
    };
    for (int i = 0; i < 41; ++i) {
        ::QueryPerformanceCounter(&a);
        ::SendMessageA(form.RichEdit1->Handle(), WM_CHAR, 'x', 1);
        samples.push_back(Seconds(a, b, freq) * 1e6);
    }
    auto time = [&](const char* what, auto&& call) {
        LARGE_INTEGER x, y;
        ::QueryPerformanceCounter(&x);
        for (int i = 0; i < 10; ++i) call();
        ::QueryPerformanceCounter(&y);
        std::printf("    %-18s %9.1f us\n", what, Seconds(x, y, freq) * 1e5);
    };
    if (std::getenv("DODIR_BENCH_DETAIL")) {
        form.RichEdit1->OnKeyPress = nullptr;
        auto afterEdit = [&](const char* what, auto&& call) {
            LARGE_INTEGER x, y;
            double total = 0;
            for (int i = 0; i < 5; ++i) {
                ::SendMessageA(form.RichEdit1->Handle(), WM_CHAR, 'y', 1);
                ::QueryPerformanceCounter(&x);
                call();
                ::QueryPerformanceCounter(&y);
                total += Seconds(x, y, freq);
            }
            std::printf("    after an edit: %-18s %9.1f us\n", what, total / 5 * 1e6);
        };
        afterEdit("CaretRow", [&] { dodir::TEditorRows::CaretRow(*form.RichEdit1); });
        afterEdit("FirstVisibleRow", [&] { dodir::TEditorRows::FirstVisibleRow(*form.RichEdit1); });
        afterEdit("LineCount", [&] { dodir::TEditorRows::LineCount(*form.RichEdit1); });
        afterEdit("Clear gutter", [&] { form.Gutter->Clear(); });
        afterEdit("Panel3", [&] {
            form.StatusBar1->SetPanelText(dodir::TStatusPanel::Caret, std::to_string(::GetTickCount()));
        });
        afterEdit("Refresh", [&] { form.RefreshLineNumbers(); });
        time("CaretRow", [&] { dodir::TEditorRows::CaretRow(*form.RichEdit1); });
        time("FirstVisibleRow", [&] { dodir::TEditorRows::FirstVisibleRow(*form.RichEdit1); });
        time("EM_GETFIRSTVISIBLELINE",
             [&] { ::SendMessageA(form.RichEdit1->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0); });
        time("RowsShareOneHeight", [&] { dodir::TEditorRows::RowsShareOneHeight(*form.RichEdit1); });
        time("EM_POSFROMCHAR(0)", [&] {
            POINTL at{};
            ::SendMessageA(form.RichEdit1->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 0);
        });
        time("EM_GETOLEINTERFACE", [&] {
            IUnknown* ole = nullptr;
            ::SendMessageA(form.RichEdit1->Handle(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
            if (ole) ole->Release();
        });
        time("LineCount", [&] { dodir::TEditorRows::LineCount(*form.RichEdit1); });
        time("Lines.LineCount", [&] { form.RichEdit1->Lines.LineCount(); });
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    dodir::TProgram program;
    dodir::TApplication& app = program.Application();
    const auto main = program.MakeMainForm();
    dodir::TForm1& form = *main;
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
    while (app.ProcessMessage()) {
    }
    const int sizes[] = {100, 10000, 100000};
    const Where places[] = {Where::Top, Where::Middle, Where::End};
    // Each document is loaded once and typed into at the top, in the middle and at the end.
    double results[3][3]{};
    for (int i = 0; i < 3; ++i) {
        const std::string text = LoadLines(form, sizes[i]);
        for (int w = 0; w < 3; ++w) {
            results[w][i] = MedianKeyMicros(form, text, places[w]);
            std::printf("key press to refreshed gutter, caret %-13s, %6d lines: %9.1f us (median of 41)\n",
                        NameOf(places[w]), sizes[i], results[w][i]);
        }
    }
    for (int w = 0; w < 3; ++w)
        std::printf("ratio 100000 / 100 lines, caret %s: %.2f\n", NameOf(places[w]),
                    results[w][2] / results[w][0]);
    return 0;
}
