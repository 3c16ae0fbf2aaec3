// Helpers for in-process tests against the real controls under Wine.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <commctrl.h>

#include "ui/application.h"

namespace dodir::testing {

// Handles every waiting message through the application's loop.
inline void Pump() {
    for (int i = 0; i < 10000 && Application().ProcessMessage(); ++i) {
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

inline void TypeChar(HWND wnd, char c) { ::SendMessageA(wnd, WM_CHAR, static_cast<unsigned char>(c), 1); }

inline void TypeText(HWND wnd, const std::string& text) {
    for (char c : text) {
        if (c == '\b') {
            ::SendMessageA(wnd, WM_KEYDOWN, VK_BACK, 1);
            ::SendMessageA(wnd, WM_CHAR, '\b', 1);
            ::SendMessageA(wnd, WM_KEYUP, VK_BACK, 0xC0000001);
        } else {
            TypeChar(wnd, c);
        }
    }
}

// Counts one message sent to a window, in front of every other handler.
class MessageCounter {
  public:
    MessageCounter(HWND wnd, UINT msg) : wnd_(wnd), msg_(msg) {
        ::SetWindowSubclass(wnd_, &Proc, 0x7E57, reinterpret_cast<DWORD_PTR>(this));
    }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;
    ~MessageCounter() { ::RemoveWindowSubclass(wnd_, &Proc, 0x7E57); }
    int count = 0;

  private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        auto* self = reinterpret_cast<MessageCounter*>(ref);
        if (m == self->msg_) ++self->count;
        return ::DefSubclassProc(w, m, wp, lp);
    }
    HWND wnd_;
    UINT msg_;
};

// Answers the dialogs and boxes a test's call opens, one after another, from a second
// thread while the test's thread runs their modal loops.
class DialogAnswerer {
  public:
    struct Step {
        std::string windowClass;       // "#32770" for the platform's dialogs
        std::function<void(HWND)> act; // runs on the answering thread
    };
    explicit DialogAnswerer(std::vector<Step> steps);
    ~DialogAnswerer();
    // Waits for the steps to finish; gives how many windows were answered.
    int Finish();
    // The text of every box answered, in order (the label 0xFFFF of a message box).
    std::vector<std::string> texts;

    // Common actions.
    static std::function<void(HWND)> Press(int id);
    static std::function<void(HWND)> ChooseFile(const std::string& path);

  private:
    void Run();
    std::vector<Step> steps_;
    DWORD thread_ = ::GetCurrentThreadId();
    std::atomic<bool> stop_{false};
    int answered_ = 0;
    std::thread worker_;
};

// A message box of this thread, closed from another thread once it appears. Gives the
// box's text, "" when none appeared.
class MessageBoxWatcher {
  public:
    // button: the command sent to the box when it is found (IDOK, IDYES ...).
    explicit MessageBoxWatcher(int button = IDOK) : button_(button) {
        worker_ = std::thread([this] { Watch(); });
    }
    ~MessageBoxWatcher() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
    }
    std::string Text() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
        return text_;
    }
    std::string Caption() {
        Text();
        return caption_;
    }

  private:
    void Watch();
    int button_;
    DWORD thread_ = ::GetCurrentThreadId();
    std::atomic<bool> stop_{false};
    std::string text_, caption_;
    std::thread worker_;
};

} // namespace dodir::testing
