#include "wine_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dodir::testing {

namespace {

ProgramUnderTest* g_program = nullptr;

// How long the watcher runs at most, waiting for the test to end the watch.
constexpr DWORD kWatchLimitMs = 60000;
// How long a box no step asks for may stay up before it is closed.
constexpr DWORD kStrayGraceMs = 3000;
// How long an answered box may take to go.
constexpr DWORD kGoneMs = 5000;

bool Elapsed(DWORD since, DWORD ms) { return ::GetTickCount() - since >= ms; }

// Waits until done() holds or the time runs out; gives done()'s last answer.
template <class F> bool WaitUntil(F done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (Elapsed(start, timeoutMs)) return false;
        ::Sleep(20);
    }
    return true;
}

bool IsBoxClass(const std::string& cls) { return cls == "#32770" || cls == "TMessageForm"; }

std::vector<HWND> VisibleWindowsOf(DWORD thread) {
    std::vector<HWND> found;
    ::EnumThreadWindows(
        thread,
        [](HWND wnd, LPARAM lp) -> BOOL {
            if (::IsWindowVisible(wnd)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(thread, &gui);
    return gui.hwndFocus;
}

// The box's focused control; the box itself while the focus is elsewhere.
HWND FocusIn(HWND box) {
    HWND focus = FocusOf(::GetWindowThreadProcessId(box, nullptr));
    return focus && (focus == box || ::IsChild(box, focus)) ? focus : box;
}

// Waiting on no one: gone, hidden, or behind a box of its own.
bool Settled(HWND box) { return !::IsWindow(box) || !::IsWindowVisible(box) || !::IsWindowEnabled(box); }

// Closes a box that would not go otherwise: through its title bar, then its Cancel and OK.
bool ForceClose(HWND box) {
    for (const auto& [msg, wParam] :
         {std::pair<UINT, WPARAM>{WM_CLOSE, 0}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, IDOK}}) {
        ::PostMessageA(box, msg, wParam, 0);
        if (WaitUntil([box] { return Settled(box); }, 2000)) return true;
    }
    return false;
}

} // namespace

ProgramUnderTest::ProgramUnderTest() { g_program = this; }
ProgramUnderTest::~ProgramUnderTest() { g_program = nullptr; }
TProgram& TestProgram() { return *g_program; }

BoxWatcher::BoxWatcher(std::vector<Step> steps, std::function<bool()> probe)
    : steps_(std::move(steps)), probe_(std::move(probe)), upAtStart_(VisibleWindowsOf(thread_)) {
    worker_ = std::thread([this] { Run(); });
}

BoxWatcher::~BoxWatcher() { Finish(); }

const std::vector<SeenBox>& BoxWatcher::Seen() {
    Finish();
    return seen_;
}

std::vector<std::string> BoxWatcher::Texts() {
    std::vector<std::string> texts;
    for (const auto& box : Seen()) texts.push_back(box.text);
    return texts;
}

void BoxWatcher::Finish() {
    if (finished_) return;
    finished_ = true;
    stop_ = true;
    // The watcher's probe and text requests are messages sent to this thread: serve them
    // while waiting. The watcher's own waits are all bounded.
    while (!done_) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker_.join();
    for (const auto& box : seen_) {
        if (!box.expected)
            ADD_FAILURE() << "a box no step asked for was closed: " << box.windowClass << " \"" << box.caption
                          << "\" \"" << box.text << "\"";
        if (box.stuck)
            ADD_FAILURE() << "a box stayed up when answered and was closed: " << box.windowClass << " \""
                          << box.caption << "\" \"" << box.text << "\"";
    }
    if (gaveUp_) ADD_FAILURE() << "the box watcher gave up after " << kWatchLimitMs / 1000 << " s";
}

bool BoxWatcher::Matches(const Step& step, HWND wnd) const {
    return ClassOf(wnd) == step.windowClass && (step.caption.empty() || TextOf(wnd) == step.caption);
}

// Boxes of the thread waiting for an answer: visible, enabled, not up before the watch.
std::vector<HWND> BoxWatcher::Candidates(HWND skip) const {
    std::vector<HWND> boxes;
    for (HWND wnd : VisibleWindowsOf(thread_)) {
        if (wnd == skip || !::IsWindowEnabled(wnd)) continue;
        if (std::find(upAtStart_.begin(), upAtStart_.end(), wnd) != upAtStart_.end()) continue;
        const std::string cls = ClassOf(wnd);
        if (IsBoxClass(cls) ||
            std::any_of(steps_.begin(), steps_.end(), [&](const Step& s) { return s.windowClass == cls; }))
            boxes.push_back(wnd);
    }
    return boxes;
}

void BoxWatcher::Run() {
    const DWORD start = ::GetTickCount();
    std::size_t next = 0;
    HWND previous = nullptr; // the last box handled, while it still shows
    HWND stray = nullptr;
    DWORD straySince = 0;
    while (!Elapsed(start, kWatchLimitMs)) {
        if (previous && Settled(previous)) previous = nullptr;
        const auto boxes = Candidates(previous);
        HWND match = nullptr;
        for (HWND box : boxes)
            if (!match && next < steps_.size() && Matches(steps_[next], box)) match = box;
        if (match) {
            Handle(match, &steps_[next].answer);
            ++next;
            previous = match;
            stray = nullptr;
            continue;
        }
        if (!boxes.empty()) {
            if (boxes.front() != stray) {
                stray = boxes.front();
                straySince = ::GetTickCount();
            } else if (Elapsed(straySince, kStrayGraceMs)) {
                Handle(stray, nullptr);
                previous = stray;
                stray = nullptr;
            }
        } else if (stop_) {
            done_ = true;
            return;
        }
        ::Sleep(20);
    }
    gaveUp_ = true;
    done_ = true;
}

void BoxWatcher::Handle(HWND box, const Answer* answer) {
    // Let the box finish its start-up: the focus moves into it.
    WaitUntil([&] { return FocusIn(box) != box; }, 2000);
    ::Sleep(100);
    SeenBox seen;
    seen.box = box;
    seen.windowClass = ClassOf(box);
    seen.caption = TextOf(box);
    if (HWND label = ::GetDlgItem(box, 0xFFFF)) seen.text = TextOf(label);
    seen.frame = FrameOf(box);
    seen.focus = FocusOf(thread_);
    if (seen.focus) seen.focusText = TextOf(seen.focus);
    for (HWND wnd : VisibleWindowsOf(thread_))
        if (ClassOf(wnd) == seen.windowClass) ++seen.visibleBoxes;
    seen.expected = answer != nullptr;
    if (answer) {
        if (probe_) seen.probe = probe_();
        (*answer)(box);
        seen.stuck = !WaitUntil([box] { return Settled(box); }, kGoneMs);
    }
    if (!answer || seen.stuck) ForceClose(box);
    seen_.push_back(seen);
}

BoxWatcher::Step BoxWatcher::ErrorBox(Answer answer) {
    return {"#32770", std::move(answer), TestApplication().Title()};
}
BoxWatcher::Step BoxWatcher::MessageForm(Answer answer) { return {"TMessageForm", std::move(answer)}; }
BoxWatcher::Step BoxWatcher::Dialog(Answer answer) { return {"#32770", std::move(answer)}; }

BoxWatcher::Answer BoxWatcher::Press(int id) {
    return [id](HWND box) { ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

BoxWatcher::Answer BoxWatcher::Key(UINT vk) {
    return [vk](HWND box) {
        HWND focus = FocusIn(box);
        ::PostMessageA(focus, WM_KEYDOWN, vk, 1);
        ::PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
    };
}

BoxWatcher::Answer BoxWatcher::Char(char c) {
    return [c](HWND box) { ::PostMessageA(FocusIn(box), WM_CHAR, static_cast<unsigned char>(c), 1); };
}

BoxWatcher::Answer BoxWatcher::TitleBarClose() {
    return [](HWND box) {
        const RECT r = FrameOf(box);
        ::PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(r.right - 8, r.top + 8));
    };
}

BoxWatcher::Answer BoxWatcher::ChooseFile(const std::string& path) {
    return [path](HWND dialog) {
        ::SendMessageA(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

ShownForm1::ShownForm1() {
    ::SetCursorPos(0, 0); // keep the pointer off the editor
    form_ = TestProgram().MakeMainForm();
    ::ShowWindow(form_->Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(form_->Handle());
    PumpUntil([] { return ::GetFocus() != nullptr; });
}

std::string ShownForm1::Panel(TStatusPanel panel) const {
    char buf[256]{};
    ::SendMessageA(form_->StatusBar1->Handle(), SB_GETTEXTA, static_cast<WPARAM>(panel),
                   reinterpret_cast<LPARAM>(buf));
    return buf;
}

void ShownForm1::ToolButton(int number) const {
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TToolBar::CommandOf(number), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form_->ToolBar1->Handle()));
}

void ShownForm1::Destroy() {
    form_.reset();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

HostedEditor::HostedEditor(int width, int height, bool wordWrap)
    : host(::CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 100, 100, width + 20, height + 20,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr)) {
    TRichEditSettings s;
    s.id = 1;
    s.bounds = RECT{0, 0, width, height};
    s.verticalScrollBar = true;
    s.wordWrap = wordWrap;
    editor = std::make_unique<TRichEdit>(host.get(), s);
    Pump();
}

CHARFORMATA SelectionFormat(HWND editor) {
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    ::SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    return f;
}

CHARFORMATA FormatAt(TRichEdit& editor, int bytePos) {
    editor.SetSelectionStart(bytePos);
    editor.SetSelectionLength(1);
    return SelectionFormat(editor.Handle());
}

} // namespace dodir::testing
