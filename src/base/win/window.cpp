#include "base/win/window.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/win/handles.h"

namespace dodir::win {

namespace {
ErrorReporter g_reporter = nullptr;
constexpr UINT_PTR kSubclassId = 0xD0D1;
} // namespace

void SetErrorReporter(ErrorReporter reporter) noexcept { g_reporter = reporter; }

void ReportError(std::exception_ptr error) noexcept {
    if (!g_reporter) return;
    try {
        g_reporter(error);
    } catch (...) {
        // The reporter is the last line: nothing may leave it into the platform's frames.
    }
}

// TWindow

TWindow::~TWindow() { DestroyHandle(); }

void TWindow::DestroyHandle() noexcept {
    if (!handle_) return;
    HWND wnd = std::exchange(handle_, nullptr);
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    ::DestroyWindow(wnd);
}

void TWindow::RegisterWindowClass(const char* className, UINT style, HBRUSH background, HICON icon) {
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &wc)) return;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &TWindow::WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (!::RegisterClassExA(&wc)) throw EWin32Error(std::string("RegisterClass failed: ") + className);
}

void TWindow::CreateHandle(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                           int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    ::CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, width, height, parent, menuOrId,
                      ::GetModuleHandleA(nullptr), this);
    if (!handle_) throw EWin32Error(std::string("CreateWindow failed: ") + className);
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWindow::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(handle_, msg, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = wnd;
        ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcA(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return ::DefWindowProcA(wnd, msg, wParam, lParam);
    }
    return Guard([&] { return self->HandleMessage(msg, wParam, lParam); }, LRESULT{0});
}

// TSubclassedControl

TSubclassedControl::~TSubclassedControl() {
    if (handle_) {
        ::RemoveWindowSubclass(handle_, &TSubclassedControl::SubclassProc, kSubclassId);
        ::DestroyWindow(handle_);
    }
}

void TSubclassedControl::CreateControl(DWORD exStyle, const char* className, const std::string& text,
                                       DWORD style, int x, int y, int width, int height, HWND parent,
                                       int id) {
    HWND wnd = ::CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (!wnd) throw EWin32Error(std::string("CreateWindow failed: ") + className);
    handle_ = wnd;
    ::SetWindowSubclass(wnd, &TSubclassedControl::SubclassProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
}

UniqueWindow TSubclassedControl::SwapWindow(HWND fresh) {
    HWND old = std::exchange(handle_, fresh);
    if (old) ::RemoveWindowSubclass(old, &TSubclassedControl::SubclassProc, kSubclassId);
    ::SetWindowSubclass(fresh, &TSubclassedControl::SubclassProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    return UniqueWindow(old);
}

LRESULT TSubclassedControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOriginal(msg, wParam, lParam);
}

LRESULT TSubclassedControl::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(handle_, msg, wParam, lParam);
}

LRESULT CALLBACK TSubclassedControl::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR refData) {
    auto* self = reinterpret_cast<TSubclassedControl*>(refData);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(wnd, &TSubclassedControl::SubclassProc, kSubclassId);
        self->handle_ = nullptr;
        return ::DefSubclassProc(wnd, msg, wParam, lParam);
    }
    // A control that gets the focus becomes its form's active control, however it got it.
    if (msg == WM_SETFOCUS)
        ::SendMessageA(::GetParent(wnd), kMsgSetActiveControl, reinterpret_cast<WPARAM>(wnd), 0);
    return Guard([&] { return self->HandleMessage(msg, wParam, lParam); }, LRESULT{0});
}

// TaskWindowsDisabled

TaskWindowsDisabled::TaskWindowsDisabled(HWND except) : active_(::GetActiveWindow()), focus_(::GetFocus()) {
    struct Ctx {
        TaskWindowsDisabled* self;
        HWND except;
    } ctx{this, except};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (wnd != c->except && ::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd) &&
                c->self->count_ < static_cast<int>(std::size(c->self->disabled_))) {
                c->self->disabled_[c->self->count_++] = wnd;
                ::EnableWindow(wnd, FALSE);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
}

TaskWindowsDisabled::~TaskWindowsDisabled() {
    for (int i = 0; i < count_; ++i)
        if (::IsWindow(disabled_[i])) ::EnableWindow(disabled_[i], TRUE);
    if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
    if (focus_ && ::IsWindow(focus_)) ::SetFocus(focus_);
}

std::string GetWindowTextString(HWND wnd) {
    const int len = ::GetWindowTextLengthA(wnd);
    std::vector<char> buf(static_cast<std::size_t>(len) * 2 + 2, '\0');
    const int got = ::GetWindowTextA(wnd, buf.data(), static_cast<int>(buf.size()));
    return std::string(buf.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

TRect WindowBounds(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

TRect MonitorArea(HMONITOR monitor) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(monitor, &mi);
    const RECT& m = mi.rcMonitor;
    return {m.left, m.top, m.right, m.bottom};
}

TRect WorkArea(HWND wnd) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& w = mi.rcWork;
    return {w.left, w.top, w.right, w.bottom};
}

int ScreenPixelsPerInch() {
    WindowDc screen(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

void MoveWindowTo(HWND wnd, TPoint at) {
    ::SetWindowPos(wnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace dodir::win
