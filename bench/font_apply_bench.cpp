// The font dialog's Apply on the whole of a large document: the text selected (as Select All
// leaves it) and a wider font (bold, fixed pitch), then a narrower one (the window font again)
// applied through the main window's handler, with the rows the editor counts after each. Run
// under Wine: scripts/bench.sh. Arguments: sizes in kilobytes (default 2048 8192).
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "bench_clock.h"
#include "bench_stream.h"
#include "bench_text.h"

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {2048, 8192};
    dodir::TProgram program;
    dodir::TApplication& app = program.Application();
    for (int kb : sizes) {
        // A window of its own for each size: the text goes with it.
        const auto main = program.MakeMainForm();
        dodir::TForm1& form = *main;
        ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
        while (app.ProcessMessage()) {
        }
        HWND editor = form.RichEdit1->Handle();
        StreamInText(editor, MakeText(static_cast<std::size_t>(kb) * 1024));
        form.RichEdit1->Focus();
        form.RichEdit1->SelectWholeText();
        const dodir::TFont normal = form.FontDialog1->Font;
        dodir::TFont wide = normal;
        wide.name = "ＭＳ ゴシック";
        wide.bold = true;
        for (const auto& [what, font] : {std::pair{"wider", wide}, std::pair{"narrower", normal}}) {
            form.FontDialog1->Font = font;
            const double a = Now();
            form.FontDialog1Apply(*form.FontDialog1, nullptr);
            const double b = Now();
            std::printf("font Apply on %5d KB, %-8s font: %8.2f s, %7ld rows after\n", kb, what, b - a,
                        static_cast<long>(::SendMessageA(editor, EM_GETLINECOUNT, 0, 0)));
        }
    }
    return 0;
}
