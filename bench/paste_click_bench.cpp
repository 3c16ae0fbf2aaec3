// Where the time goes in the first click after a large paste: short lines pasted into the
// editor, Ctrl+Home, then a click on a visible line (and a second click and a key press for
// comparison), each step of the refresh timed from inside the handler.
// Arguments: the number of lines (30 000 unless given) and what the clipboard holds: text
// (CR LF, the default), lf (LF alone), rtf (the editor's own copy), or native (plain text
// pasted by the control itself, in its pieces, not in one piece as the editor does).
// Run under Wine: scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/gutter.h"
#include "app/startup.h"
#include "bench_clock.h"

namespace {

void Pump(dodir::TApplication& app) {
    while (app.ProcessMessage()) {
    }
}

void PutText(HWND owner, const std::string& text) {
    ::OpenClipboard(owner);
    ::EmptyClipboard();
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(mem), text.c_str(), text.size() + 1);
    ::GlobalUnlock(mem);
    ::SetClipboardData(CF_TEXT, mem);
    ::CloseClipboard();
}

// Runs a step and what it leaves waiting (painting), and prints both times.
template <class F> void Step(dodir::TApplication& app, const char* what, F&& f) {
    const double a = Now();
    f();
    const double b = Now();
    Pump(app);
    const double c = Now();
    std::printf("%-44s %8.3f s, then handling what waits %8.3f s\n", what, b - a, c - b);
}

} // namespace

int main(int argc, char** argv) {
    dodir::TProgram program;
    dodir::TApplication& app = program.Application();
    const auto main = program.MakeMainForm();
    dodir::TForm1& form = *main;
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
    Pump(app);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 30000;
    const std::string how = argc > 2 ? argv[2] : "text";
    std::string text;
    for (int i = 1; i <= lines; ++i) text += "l" + std::to_string(i % 100) + (how == "lf" ? "\n" : "\r\n");
    HWND editor = form.RichEdit1->Handle();
    if (how == "rtf") {
        // The editor's own copy: rich text on the clipboard.
        ::SetWindowTextA(form.Gutter->RichEdit2->Handle(), text.c_str());
        ::SendMessageA(form.Gutter->RichEdit2->Handle(), EM_SETSEL, 0, -1);
        ::SendMessageA(form.Gutter->RichEdit2->Handle(), WM_COPY, 0, 0);
        ::SetWindowTextA(form.Gutter->RichEdit2->Handle(), "");
    } else {
        PutText(form.Handle(), text);
    }
    ::SetFocus(editor);
    Pump(app);

    // The refresh of a click, step by step, timed from inside the handler.
    double pressDone = 0;
    form.RichEdit1->OnMouseDown = [&](dodir::TMouseButton, unsigned, int, int) {
        pressDone = Now();
        auto part = [](const char* what, auto&& call) {
            const double a = Now();
            call();
            std::printf("    %-40s %8.3f s\n", what, Now() - a);
        };
        part("CaretRow", [&] { dodir::TEditorRows::CaretRow(*form.RichEdit1); });
        part("FirstVisibleRow", [&] { dodir::TEditorRows::FirstVisibleRow(*form.RichEdit1); });
        part("LineCount", [&] { form.RichEdit1->Lines.LineCount(); });
        part("RefreshLineNumbers (all again)", [&] { form.RefreshLineNumbers(); });
    };
    auto click = [&](const char* what) {
        const LPARAM at = MAKELPARAM(40, 40);
        Step(app, what, [&] {
            const double a = Now();
            ::SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at);
            std::printf("    %-40s %8.3f s\n", "control's own press handling", pressDone - a);
            ::SendMessageA(editor, WM_LBUTTONUP, 0, at);
        });
    };

    Step(app, "paste", [&] {
        if (how == "native") {
            // The control's own paste of plain text, in pieces, as before it went in whole.
            WNDCLASSA cls{};
            ::GetClassInfoA(nullptr, "RICHEDIT", &cls);
            ::CallWindowProcA(cls.lpfnWndProc, editor, WM_PASTE, 0, 0);
        } else {
            ::SendMessageA(editor, WM_PASTE, 0, 0);
        }
    });
    Step(app, "Ctrl+Home", [&] {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        ::SendMessageA(editor, WM_KEYDOWN, VK_HOME, 1);
        ::SendMessageA(editor, WM_KEYUP, VK_HOME, 0xC0000001);
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    });
    click("first click");
    click("second click");
    form.RichEdit1->OnKeyPress = [&](char& key) { form.RichEdit1KeyPress(key); };
    Step(app, "key press", [&] { ::SendMessageA(editor, WM_CHAR, 'x', 1); });
    return 0;
}
