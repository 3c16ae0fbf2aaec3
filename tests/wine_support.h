// Helpers for in-process tests against the real controls under Wine.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <commctrl.h>
#include <richedit.h>

#include "app/form1.h"
#include "app/startup.h"
#include "editor/rich_edit.h"
#include "support/win_helpers.h"
#include "ui/application.h"

namespace dodir::testing {

// The program's objects as a test program's main made them (tests/wine_main.cpp, the reader
// mutation runner): while it lives, the tests and their helpers reach it through
// TestProgram(). The program itself hands its objects on from its start-up; a test has none
// to be handed them by, so this is the harness's one global, and the tests' alone.
class ProgramUnderTest : public TProgram {
  public:
    ProgramUnderTest();
    ~ProgramUnderTest();
};
TProgram& TestProgram();
inline TApplication& TestApplication() { return TestProgram().Application(); }
inline TPrinter& TestPrinter() { return TestProgram().Printer(); }

// Handles every waiting message through the application's loop.
inline void Pump() {
    for (int i = 0; i < 10000 && TestApplication().ProcessMessage(); ++i) {
    }
}

// Pumps until done() or the time runs out; gives done()'s last answer.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(timeoutMs);
    while (::GetTickCount() < end) {
        Pump();
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

// Types into a window as the keyboard would: characters, and '\b' as a Backspace press.
inline void TypeText(HWND wnd, const std::string& text) {
    for (char c : text) {
        if (c == '\b') {
            ::SendMessageA(wnd, WM_KEYDOWN, VK_BACK, 1);
            ::SendMessageA(wnd, WM_CHAR, '\b', 1);
            ::SendMessageA(wnd, WM_KEYUP, VK_BACK, 0xC0000001);
        } else {
            ::SendMessageA(wnd, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }
}

// A key pressed and released on the focused window, and what follows handled.
inline void PressKey(UINT vk) {
    HWND focus = ::GetFocus();
    ::PostMessageA(focus, WM_KEYDOWN, vk, 1);
    ::PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
    Pump();
}

// A content source giving one text, from its start each time it is started, and telling the
// size it is given (none by default).
class StringSource : public TContentSource {
  public:
    explicit StringSource(std::string text, std::size_t sizeHint = 0)
        : text_(std::move(text)), sizeHint_(sizeHint) {}
    std::size_t SizeHint() const override { return sizeHint_; }
    bool Start(TContentFormat) override {
        at_ = 0;
        return true;
    }
    std::size_t NextPiece(char* buf, std::size_t size) override {
        const std::size_t n = text_.copy(buf, size, at_);
        at_ += n;
        return n;
    }

  private:
    std::string text_;
    std::size_t sizeHint_;
    std::size_t at_ = 0;
};

// Replaces a window's text, and handles what follows.
// What a rich edit control itself answers of its display lines (counted from 0).
inline int FirstVisibleLine(HWND edit) {
    return static_cast<int>(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
}
inline int CaretLine(HWND edit) {
    return static_cast<int>(::SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
}
inline int ClientHeight(HWND wnd) {
    RECT client{};
    ::GetClientRect(wnd, &client);
    return client.bottom;
}
// The top of a display line in client pixels; the client's height for a line it lacks.
inline int LineTop(HWND edit, int line) {
    const auto start = ::SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (start < 0) return ClientHeight(edit);
    POINTL at{};
    ::SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), start);
    return static_cast<int>(at.y);
}

inline void SetTextAndPump(HWND wnd, const std::string& text) {
    ::SetWindowTextA(wnd, text.c_str());
    Pump();
}

// Keys held in this thread's key state, as a real press would leave them; released on exit.
class HeldKeys {
  public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        ::GetKeyboardState(state);
        for (int k : keys) state[k] = 0x80;
        ::SetKeyboardState(state);
    }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;
    ~HeldKeys() { ::SetKeyboardState(saved_); }

  private:
    BYTE saved_[256];
};

// Counts one message sent to a window, in front of every other handler. An ANSI procedure, as
// the program's own subclasses are, so that nothing on the way is converted.
class MessageCounter {
  public:
    MessageCounter(HWND wnd, UINT msg) : wnd_(wnd), msg_(msg) {
        ::SetPropA(wnd_, kProp, this);
        next_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;
    ~MessageCounter() {
        ::SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next_));
        ::RemovePropA(wnd_, kProp);
    }
    int count = 0;

  private:
    static constexpr char kProp[] = "dodir.test.counter";
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<MessageCounter*>(::GetPropA(w, kProp));
        if (m == self->msg_) ++self->count;
        return ::CallWindowProcA(self->next_, w, m, wp, lp);
    }
    HWND wnd_;
    UINT msg_;
    WNDPROC next_ = nullptr;
};

// One box or dialog as BoxWatcher saw it while it was up.
struct SeenBox {
    HWND box = nullptr;
    std::string windowClass, caption;
    std::string text; // a message box's text: its label 0xFFFF
    RECT frame{};
    HWND focus = nullptr; // the thread's focus
    std::string focusText;
    int visibleBoxes = 0; // visible windows of its class, itself included
    bool probe = false;   // what the watcher's probe answered
    bool expected = true; // false: no step asked for it, and it was closed
    bool stuck = false;   // it did not go when answered, and was closed
};

// Answers the boxes and dialogs that this thread's modal calls open, one after another,
// from a second thread, and records each (SeenBox). A box no step asks for is closed after
// a grace time, and a box that stays up when answered is closed as well; either is reported
// as a test failure, so a box too many or one that will not go fails the test instead of
// hanging it. Every wait is bounded. Boxes already up when the watcher starts are left
// alone. One watcher at a time per thread.
class BoxWatcher {
  public:
    using Answer = std::function<void(HWND box)>; // runs on the watcher's thread
    struct Step {
        std::string windowClass;
        Answer answer;
        std::string caption{}; // when not empty, only a box with this caption
    };
    // No steps: any box is one too many.
    explicit BoxWatcher(std::vector<Step> steps = {}, std::function<bool()> probe = nullptr);
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    ~BoxWatcher();

    // Ends the watch (waiting for a box being answered) and gives every box seen, in order.
    const std::vector<SeenBox>& Seen();
    std::vector<std::string> Texts();

    // Steps.
    // The application's error box: the platform's message box with the application's title.
    static Step ErrorBox(Answer answer = Press(IDOK));
    static Step MessageForm(Answer answer); // the program's own message box
    static Step Dialog(Answer answer);      // a standard dialog (file, font)

    // Answers.
    static Answer Press(int id);
    static Answer Key(UINT vk); // to the focused control of the box
    static Answer Char(char c);
    static Answer TitleBarClose();
    static Answer ChooseFile(const std::string& path); // a file dialog's name, then OK

  private:
    void Run();
    bool Matches(const Step& step, HWND wnd) const;
    std::vector<HWND> Candidates(HWND skip) const;
    void Handle(HWND box, const Answer* answer);
    void Finish();

    std::vector<Step> steps_;
    std::function<bool()> probe_;
    const DWORD thread_ = ::GetCurrentThreadId();
    std::vector<HWND> upAtStart_;
    std::vector<SeenBox> seen_;
    bool gaveUp_ = false;
    bool finished_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::thread worker_;
};

// The main window, created, shown and active with the focus in it, as at start-up;
// destroyed at the end with any quit request it left behind.
class ShownForm1 {
  public:
    ShownForm1();
    ShownForm1(const ShownForm1&) = delete;
    ShownForm1& operator=(const ShownForm1&) = delete;
    ~ShownForm1() { Destroy(); }

    TForm1* operator->() const noexcept { return form_.get(); }
    TForm1& operator*() const noexcept { return *form_; }
    // Text of a status bar panel.
    std::string Panel(TStatusPanel panel) const;
    // The command of the toolbar's button ToolButtonN, as a click on it sends it.
    void ToolButton(int number) const;
    void Destroy();

  private:
    std::unique_ptr<TForm1> form_;
};

// A rich edit control of its own on a plain popup window.
struct HostedEditor {
    explicit HostedEditor(int width = 400, int height = 300, bool wordWrap = true);
    TRichEdit* operator->() const noexcept { return editor.get(); }
    TRichEdit& operator*() const noexcept { return *editor; }
    win::UniqueWindow host;
    std::unique_ptr<TRichEdit> editor;
};

// The name box of a file dialog: a combo box (cmb13) or an edit (edt1).
inline HWND FileNameBox(HWND dialog) {
    HWND box = ::GetDlgItem(dialog, 0x47c);
    return box ? box : ::GetDlgItem(dialog, 0x480);
}

// The character format of a rich edit control's selection, and of the character at a byte
// offset (selecting it).
CHARFORMATA SelectionFormat(HWND editor);
CHARFORMATA FormatAt(TRichEdit& editor, int bytePos);
// A format's text colour; -1 for the automatic colour.
inline long long TextColorOf(const CHARFORMATA& f) {
    return (f.dwEffects & CFE_AUTOCOLOR) ? -1 : static_cast<long long>(f.crTextColor);
}

} // namespace dodir::testing
