// Time from a character message in the editor to the refreshed gutter and caret line, in
// documents of 100, 10 000 and 100 000 lines. Run under Wine: scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ui/application.h"
#include "app/form1.h"
#include "printing/printer.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

double MedianKeyMicros(dodir::TForm1& form, int lines, bool atTop) {
    std::string text;
    for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\r\n";
    // The previous document goes with the editor's window: emptying it in place would take
    // the platform minutes at 100 000 lines.
    form.RichEdit1->Lines.ClearAll();
    ::SetWindowTextA(form.RichEdit1->Handle(), text.c_str());
    // The caret on the first screen, or in the middle of the document scrolled into view
    // (where the gutter's numbers have as many digits as the document's lines).
    form.RichEdit1->SetSelectionStart(atTop ? 5 : static_cast<int>(text.size() / 2));
    form.RichEdit1->SetSelectionLength(0);
    if (atTop) form.RichEdit1->ScrollToTop();
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
        afterEdit("CaretLine", [&] { form.RichEdit1->CaretLine(); });
        afterEdit("FirstVisibleLine", [&] { form.RichEdit1->FirstVisibleLine(); });
        afterEdit("LineCount", [&] { form.RichEdit1->Lines.LineCount(); });
        afterEdit("ClearAll gutter", [&] { form.RichEdit2->Lines.ClearAll(); });
        afterEdit("Panel3", [&] {
            form.StatusBar1->SetPanelText(dodir::TStatusPanel::Caret, std::to_string(::GetTickCount()));
        });
        afterEdit("Refresh", [&] { form.RefreshLineNumbers(); });
        time("CaretLine", [&] { form.RichEdit1->CaretLine(); });
        time("FirstVisibleLine", [&] { form.RichEdit1->FirstVisibleLine(); });
        time("LineCount", [&] { form.RichEdit1->Lines.LineCount(); });
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    dodir::TApplication app;
    app.SetTitle("ミルテ");
    dodir::TForm1 form(app, dodir::Printer(), dodir::TScale());
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
    while (app.ProcessMessage()) {
    }
    const int sizes[] = {100, 10000, 100000};
    for (bool atTop : {true, false}) {
        double results[3]{};
        for (int i = 0; i < 3; ++i) {
            results[i] = MedianKeyMicros(form, sizes[i], atTop);
            std::printf("key press to refreshed gutter, caret %s, %6d lines: %9.1f us (median of 41)\n",
                        atTop ? "at the top  " : "in the middle", sizes[i], results[i]);
        }
        std::printf("ratio 100000 / 100 lines, caret %s: %.2f\n", atTop ? "at the top" : "in the middle",
                    results[2] / results[0]);
    }
    return 0;
}
