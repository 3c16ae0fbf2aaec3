// The whole key press as the user feels it: a character, Enter and Backspace, each put in the
// input queue of the focused editor and timed from there until the message loop is idle, with
// everything the key invalidated painted. Two subjects in one process, measured alternately
// round by round: the program's main window with its editor focused (its own subclass,
// key-press event, gutter and status bar), and a bare rich edit control of the editor's size,
// styles, font, background and text in a plain window of its own, with nothing attached.
// Documents of 100, 10 000 and 100 000 lines, the caret at the top, in the middle and at the
// end, scrolled into view. A round types a character, Enter, Backspace (the line break) and
// Backspace (the character), which leaves the document as it was; a key press is the sum of
// the four keys' medians, and each cell prints the program's time over the bare control's.
// Argument: the measured rounds per cell (31 unless given; two more run first, unmeasured).
// DODIR_BENCH_DETAIL set: each key's medians, and where the mean key's time goes (each kind
// of message, the paint of each window, the editor's key-press event).
// DODIR_BENCH_INPUT=post posts the key messages to the focused window instead of putting
// them in the input queue with SendInput.
// Run under Wine: scripts/bench.sh.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "base/win/font.h"
#include "base/win/handles.h"
#include "editor/control_window.h"
#include "editor/rich_edit.h"
#include "bench_clock.h"
#include "bench_stream.h"

namespace {

[[noreturn]] void Fail(const std::string& why) {
    std::printf("keypress_bench: %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

// Where a key's time goes: the loop's messages by kind, paint by window, the final update, the
// rest (the loop's own peeks and the input it takes in), and (inside the key messages) the
// editor's key-press event.
enum Part {
    kKeyDown,
    kChar,
    kKeyUp,
    kPaintEditor,
    kPaintGutter,
    kPaintStatus,
    kPaintOther,
    kOtherMessages,
    kFinalUpdate,
    kLoop,
    kKeyPressEvent,
    kPartCount
};
const char* const kPartNames[kPartCount] = {"WM_KEYDOWN",
                                            "WM_CHAR",
                                            "WM_KEYUP",
                                            "paint editor",
                                            "paint gutter",
                                            "paint status bar",
                                            "paint other",
                                            "other messages",
                                            "final update",
                                            "the loop itself",
                                            "of which key-press event"};

using Parts = std::array<double, kPartCount>;

struct Subject {
    const char* name;
    HWND top;
    std::function<HWND()> editor;
    std::function<HWND()> gutter;
    std::function<HWND()> status;
    std::function<void()> focus;
};

Part PartOf(const Subject& s, const MSG& m) {
    switch (m.message) {
    case WM_KEYDOWN:
        return kKeyDown;
    case WM_CHAR:
        return kChar;
    case WM_KEYUP:
        return kKeyUp;
    case WM_PAINT:
        if (m.hwnd == s.editor()) return kPaintEditor;
        if (s.gutter && m.hwnd == s.gutter()) return kPaintGutter;
        if (s.status && m.hwnd == s.status()) return kPaintStatus;
        return kPaintOther;
    default:
        return kOtherMessages;
    }
}

// Runs the loop until no message waits; each message's time goes to its part when asked.
void Drain(dodir::TApplication& app, const Subject& s, Parts* parts) {
    if (!parts) {
        while (app.ProcessMessage()) {
        }
        return;
    }
    for (MSG m; ::PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);) {
        const Part part = PartOf(s, m);
        const double t = Now();
        app.ProcessMessage();
        (*parts)[part] += Now() - t;
    }
}

// Until idle: the loop drained, then whatever is still invalid in the subject's window and
// its children painted, until nothing waits after that either.
void PumpToIdle(dodir::TApplication& app, const Subject& s, Parts* parts) {
    for (;;) {
        Drain(app, s, parts);
        const double t = Now();
        ::RedrawWindow(s.top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (parts) (*parts)[kFinalUpdate] += Now() - t;
        MSG m;
        if (!::PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) return;
    }
}

bool g_post = false;

// One key, pressed and released, from the input queue (or posted) to the idle loop.
double KeySeconds(dodir::TApplication& app, const Subject& s, WORD vk, Parts* parts) {
    const HWND focus = ::GetFocus();
    if (::GetForegroundWindow() != s.top || focus != s.editor())
        Fail(std::string("the ") + s.name + " is not the focused foreground window");
    const auto scan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    const double t = Now();
    if (g_post) {
        // Released once the press and the character it made have been handled.
        const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
        ::PostMessageA(focus, WM_KEYDOWN, vk, down);
        Drain(app, s, parts);
        ::PostMessageA(focus, WM_KEYUP, vk, down | (LPARAM{1} << 30) | (LPARAM{1} << 31));
    } else {
        INPUT in[2]{};
        for (auto& i : in) {
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.wScan = scan;
        }
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (::SendInput(2, in, sizeof in[0]) != 2) Fail("SendInput refused the key");
    }
    PumpToIdle(app, s, parts);
    return Now() - t;
}

int TextLength(HWND edit) { return static_cast<int>(::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0)); }

CHARRANGE Selection(HWND edit) {
    CHARRANGE r{};
    ::SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::string Range(HWND edit, LONG from, LONG to) {
    std::vector<char> buf(static_cast<std::size_t>(to - from) * 2 + 2, '\0');
    TEXTRANGEA r{{from, to}, buf.data()};
    ::SendMessageA(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&r));
    return buf.data();
}

std::string WholeText(HWND edit) {
    std::vector<char> buf(static_cast<std::size_t>(TextLength(edit)) * 2 + 2, '\0');
    ::SendMessageA(edit, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    return buf.data();
}

void PlaceCaret(HWND edit, LONG at, bool top) {
    CHARRANGE r{at, at};
    ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    if (top) ::SendMessageA(edit, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageA(edit, dodir::kRichEditScrollCaret, 0, 0);
}

// A document of numbered lines, loaded into the program as a file is.
void LoadIntoProgram(dodir::TForm1& form, const std::string& text) {
    PlainTextSource source(text);
    if (!form.RichEdit1->ReplaceContent(source)) Fail("the program did not take the document");
}

// The plain window the bare control lives in: the main window's styles and size, nothing drawn.
HWND MakeBareHost(HWND like, int x, int y) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_3DLIGHT);
    wc.lpszClassName = "KeypressBenchHost";
    ::RegisterClassA(&wc);
    RECT r{};
    ::GetWindowRect(like, &r);
    return ::CreateWindowExA(static_cast<DWORD>(::GetWindowLongPtrA(like, GWL_EXSTYLE)), wc.lpszClassName,
                             "bare rich edit",
                             static_cast<DWORD>(::GetWindowLongPtrA(like, GWL_STYLE)) & ~WS_VISIBLE, x, y,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
}

// A bare control in the editor's place, created with the editor's styles, default font,
// background and text limit, holding `text` read as plain text; no events, no subclass. Its
// font is sized at the resolution the main window was made at.
dodir::win::UniqueWindow MakeBareEditor(HWND host, const dodir::TRichEdit& like, const std::string& text,
                                        int pixelsPerInch) {
    RECT r{};
    ::GetWindowRect(like.Handle(), &r);
    ::MapWindowPoints(nullptr, ::GetParent(like.Handle()), reinterpret_cast<POINT*>(&r), 2);
    // The editor's constructor: a vertical scroll bar, left-aligned, word wrap.
    const DWORD style =
        WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_LEFT;
    dodir::win::UniqueWindow edit(::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", style, r.left, r.top,
                                                    r.right - r.left, r.bottom - r.top, host, nullptr,
                                                    ::GetModuleHandleA(nullptr), nullptr));
    if (!edit) Fail("no bare RICHEDIT window");
    dodir::SendFont(edit.get(), SCF_DEFAULT, like.Font(), pixelsPerInch);
    ::SendMessageA(edit.get(), EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
    ::SendMessageA(edit.get(), EM_SETBKGNDCOLOR, 0,
                   static_cast<LPARAM>(dodir::win::ColorToRGB(like.Color())));
    StreamInText(edit.get(), text);
    ::ShowWindow(edit.get(), SW_SHOWNA);
    return edit;
}

enum class Where { Top, Middle, End };
const char* NameOf(Where w) {
    return w == Where::Top ? "at the top" : w == Where::Middle ? "in the middle" : "at the end";
}

constexpr int kKeys = 4;
const WORD kKeyCodes[kKeys] = {'X', VK_RETURN, VK_BACK, VK_BACK};
const char* const kKeyNames[kKeys] = {"character", "Enter", "Backspace (line break)",
                                      "Backspace (character)"};

// Checks that the key did what a key does: the character typed, the line broken, joined again,
// the character gone; `length` and `caret` are the text's length and the caret before the round.
void CheckKey(const Subject& s, int key, int length, LONG caret) {
    const HWND edit = s.editor();
    const int now = TextLength(edit);
    const CHARRANGE sel = Selection(edit);
    const auto fail = [&](const char* what) {
        Fail(std::string("after the ") + kKeyNames[key] + " key the " + s.name + " " + what + " (length " +
             std::to_string(length) + " -> " + std::to_string(now) + ", caret " + std::to_string(caret) +
             " -> " + std::to_string(sel.cpMin) + "-" + std::to_string(sel.cpMax) + ")");
    };
    switch (key) {
    case 0:
        if (now != length + 1 || sel.cpMin != caret + 1 || sel.cpMax != caret + 1 ||
            Range(edit, caret, caret + 1) != "x")
            fail("does not hold the character typed");
        break;
    case 1: {
        const LONG k = sel.cpMin - (caret + 1);
        const std::string brk = Range(edit, caret + 1, sel.cpMin);
        if (sel.cpMax != sel.cpMin || (k != 1 && k != 2) || now != length + 1 + k ||
            (brk != "\r\n" && brk != "\r"))
            fail("does not hold a line break at the caret");
        break;
    }
    case 2:
        if (now != length + 1 || sel.cpMin != caret + 1 || sel.cpMax != caret + 1 ||
            Range(edit, caret, caret + 1) != "x")
            fail("still holds the line break");
        break;
    default:
        if (now != length || sel.cpMin != caret || sel.cpMax != caret) fail("still holds the character");
        break;
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Samples {
    std::vector<double> keys[kKeys];
    Parts parts[kKeys]{};
    double Sum() const {
        double sum = 0;
        for (const auto& k : keys) sum += Median(k);
        return sum;
    }
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    constexpr int kWarmUp = 2;
    const bool detail = std::getenv("DODIR_BENCH_DETAIL") != nullptr;
    const char* input = std::getenv("DODIR_BENCH_INPUT");
    g_post = input && std::string(input) == "post";

    dodir::TProgram started;
    dodir::TApplication& app = started.Application();
    const auto main = started.MakeMainForm();
    dodir::TForm1& form = *main;

    // The main window at the screen's top left and the bare control's window below it, both
    // whole on the screen where they fit, so that neither covers the other's paint.
    RECT frame{};
    ::GetWindowRect(form.Handle(), &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    const bool stacked = 2 * h <= ::GetSystemMetrics(SM_CYSCREEN) && w <= ::GetSystemMetrics(SM_CXSCREEN);
    if (stacked)
        ::SetWindowPos(form.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
    dodir::win::UniqueWindow host(MakeBareHost(form.Handle(), 0, stacked ? h : frame.top));
    if (!host) Fail("no window for the bare control");
    ::ShowWindow(host.get(), SW_SHOWNORMAL);
    dodir::win::UniqueWindow bare;

    Subject program{"program's editor",
                    form.Handle(),
                    [&] { return form.RichEdit1->Handle(); },
                    [&] { return form.Gutter->RichEdit2->Handle(); },
                    [&] { return form.StatusBar1->Handle(); },
                    [&] { form.RichEdit1->Focus(); }};
    Subject control{"bare control", host.get(), [&] { return bare.get(); },
                    nullptr,        nullptr,    [&] { ::SetFocus(bare.get()); }};
    Subject* const subjects[2] = {&program, &control};

    // The editor's key-press event, timed inside the key messages.
    Parts* eventParts = nullptr;
    if (detail) {
        auto handler = form.RichEdit1->OnKeyPress;
        form.RichEdit1->OnKeyPress = [&eventParts, handler](char& key) {
            const double t = Now();
            handler(key);
            if (eventParts) (*eventParts)[kKeyPressEvent] += Now() - t;
        };
    }

    const auto activate = [&](Subject& s) {
        ::SetWindowPos(s.top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(s.top);
        s.focus();
        PumpToIdle(app, s, nullptr);
        // What the activation sets off later (the window system's focus events) is let in too,
        // until nothing has come for 10 ms.
        while (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0)
            PumpToIdle(app, s, nullptr);
        if (::GetForegroundWindow() != s.top || ::GetFocus() != s.editor())
            Fail(std::string("the ") + s.name + " cannot be made the focused foreground window");
    };

    std::printf("key press to idle loop and painted window, %s, medians of %d rounds per cell "
                "(character + Enter + Backspace + Backspace)\n",
                g_post ? "key messages posted" : "keys from SendInput", rounds);
    const int sizes[] = {100, 10000, 100000};
    const Where places[] = {Where::Top, Where::Middle, Where::End};
    for (const int lines : sizes) {
        std::string text;
        for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\r\n";
        bare.reset();
        LoadIntoProgram(form, text);
        bare = MakeBareEditor(host.get(), *form.RichEdit1, text, started.Scale().Dpi());
        if (TextLength(program.editor()) != TextLength(control.editor()))
            Fail("the program and the bare control hold texts of different lengths");
        for (const Where where : places) {
            for (Subject* s : subjects) {
                const HWND edit = s->editor();
                const LONG at = where == Where::Top ? 5
                                : where == Where::Middle
                                    ? static_cast<LONG>(::SendMessageA(edit, EM_LINEINDEX, lines / 2, 0)) + 5
                                    : TextLength(edit);
                PlaceCaret(edit, at, where == Where::Top);
                activate(*s);
            }
            Samples samples[2];
            for (int round = 0; round < kWarmUp + rounds; ++round) {
                for (int k = 0; k < 2; ++k) {
                    // The subjects take turns at going first.
                    const int which = (round + k) % 2;
                    Subject& s = *subjects[which];
                    activate(s);
                    const int length = TextLength(s.editor());
                    const LONG caret = Selection(s.editor()).cpMin;
                    for (int key = 0; key < kKeys; ++key) {
                        Parts parts{};
                        eventParts = detail ? &parts : nullptr;
                        const double t = KeySeconds(app, s, kKeyCodes[key], detail ? &parts : nullptr);
                        eventParts = nullptr;
                        double handled = 0;
                        for (int p = 0; p < kLoop; ++p) handled += parts[p];
                        parts[kLoop] = detail ? t - handled : 0;
                        CheckKey(s, key, length, caret);
                        if (round < kWarmUp) continue;
                        samples[which].keys[key].push_back(t);
                        for (int p = 0; p < kPartCount; ++p) samples[which].parts[key][p] += parts[p];
                    }
                }
            }
            for (Subject* s : subjects)
                if (WholeText(s->editor()) != text) Fail(std::string("the ") + s->name + " lost its text");
            const std::string what = "key press, " + std::to_string(lines) + " lines, caret " + NameOf(where);
            const double ours = samples[0].Sum(), theirs = samples[1].Sum();
            std::printf("%s: program %9.3f ms, bare control %9.3f ms\n", what.c_str(), ours * 1e3,
                        theirs * 1e3);
            if (detail) {
                for (int key = 0; key < kKeys; ++key) {
                    const double a = Median(samples[0].keys[key]), b = Median(samples[1].keys[key]);
                    std::printf("    %-24s program %9.3f ms, bare control %9.3f ms, ratio %5.2f\n",
                                kKeyNames[key], a * 1e3, b * 1e3, a / b);
                }
                for (int which = 0; which < 2; ++which)
                    for (int key = 0; key < kKeys; ++key) {
                        std::printf("    %s, %s, mean ms:", which == 0 ? "program" : "bare", kKeyNames[key]);
                        for (int p = 0; p < kPartCount; ++p)
                            if (samples[which].parts[key][p] > 0)
                                std::printf(" %s %.3f;", kPartNames[p],
                                            samples[which].parts[key][p] / rounds * 1e3);
                        std::printf("\n");
                    }
            }
            std::printf("ratio %s: %.2f\n", what.c_str(), ours / theirs);
        }
    }
    bare.reset();
    return 0;
}
