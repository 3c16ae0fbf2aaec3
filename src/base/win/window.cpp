#include "base/win/window.h"

#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/errors.h"
#include "base/win/handles.h"

namespace dodir::win {

namespace {
ErrorReporterRegistration* g_reporter = nullptr;
// The properties of a subclassed control: the object its messages go to, and the procedure
// they are handed on to.
constexpr char kControlProp[] = "dodir.control";
constexpr char kOriginalProp[] = "dodir.control.proc";

WNDPROC OriginalProc(HWND wnd) { return reinterpret_cast<WNDPROC>(::GetPropA(wnd, kOriginalProp)); }

// While a wait cursor is up, the program's windows (and the children that ask their parent
// first) keep it wherever the mouse goes. The platform sends WM_SETCURSOR to the window
// procedure while the mouse message is being taken from the queue: no message loop (the
// printer's spooling loop among them) gets it to answer.
bool KeptWaitCursor(UINT msg) {
    if (msg != WM_SETCURSOR || !WaitCursor::Showing()) return false;
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    return true;
}
// A function of user32 that older systems lack (looked up: the program runs on Windows 7 too);
// null where there is none.
template <class F> F User32Function(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}
} // namespace

ErrorReporterRegistration::ErrorReporterRegistration(std::function<void(std::exception_ptr)> report) noexcept
    : report_(std::move(report)), previous_(g_reporter) {
    g_reporter = this;
}

ErrorReporterRegistration::~ErrorReporterRegistration() { g_reporter = previous_; }

void ReportError(std::exception_ptr error) noexcept {
    if (!g_reporter || !g_reporter->report_) return;
    try {
        g_reporter->report_(error);
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
    if (KeptWaitCursor(msg)) return TRUE;
    return Guard([&] { return self->HandleMessage(msg, wParam, lParam); }, LRESULT{0});
}

// TSubclassedControl

TSubclassedControl::~TSubclassedControl() {
    if (handle_) {
        Detach(handle_);
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
    Attach(wnd);
}

UniqueWindow TSubclassedControl::SwapWindow(HWND fresh) {
    HWND old = handle_;
    if (old) Detach(old);
    Attach(fresh);
    return UniqueWindow(old);
}

// The subclass procedure is an ANSI one, installed with the ANSI functions: messages between
// it and the control's own procedure are never converted to Unicode and back. (The common
// controls' subclassing installs a Unicode procedure, and converting an ANSI rich edit's
// double-byte text on the way loses it on some platforms.)
void TSubclassedControl::Attach(HWND wnd) {
    ::SetPropA(wnd, kControlProp, this);
    original_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSubclassedControl::SubclassProc)));
    ::SetPropA(wnd, kOriginalProp, reinterpret_cast<HANDLE>(original_));
    handle_ = wnd;
}

void TSubclassedControl::Detach(HWND wnd) noexcept {
    ::RemovePropA(wnd, kControlProp);
    if (wnd == handle_) handle_ = nullptr;
    // A procedure installed on top of this one keeps calling it: it then only hands messages on.
    if (::GetWindowLongPtrA(wnd, GWLP_WNDPROC) !=
        reinterpret_cast<LONG_PTR>(&TSubclassedControl::SubclassProc))
        return;
    ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OriginalProc(wnd)));
    ::RemovePropA(wnd, kOriginalProp);
}

LRESULT TSubclassedControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOriginal(msg, wParam, lParam);
}

LRESULT TSubclassedControl::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(original_, handle_, msg, wParam, lParam);
}

LRESULT CALLBACK TSubclassedControl::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TSubclassedControl*>(::GetPropA(wnd, kControlProp));
    if (!self || msg == WM_NCDESTROY) {
        const WNDPROC original = OriginalProc(wnd);
        if (msg == WM_NCDESTROY) {
            if (self) self->Detach(wnd);
            ::RemovePropA(wnd, kOriginalProp);
        }
        return ::CallWindowProcA(original, wnd, msg, wParam, lParam);
    }
    // A control that gets the focus becomes its form's active control, however it got it.
    if (msg == WM_SETFOCUS)
        ::SendMessageA(::GetParent(wnd), kMsgSetActiveControl, reinterpret_cast<WPARAM>(wnd), 0);
    if (KeptWaitCursor(msg)) return TRUE;
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

void CentreOnMonitor(HWND wnd, HMONITOR monitor, int parts) {
    const TRect frame = WindowBounds(wnd);
    MoveWindowTo(wnd, CentreIn(MonitorArea(monitor), {frame.Width(), frame.Height()}, parts));
}

HMONITOR PrimaryMonitor() { return ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

void PlaceFrame(HWND wnd, TPoint at, TSize client, int dpi) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(wnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrA(wnd, GWL_EXSTYLE));
    RECT r{0, 0, client.width, client.height};
    // Without Windows 10's measure the frame has the system's.
    const auto forDpi =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    ::SetWindowPos(wnd, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // Wine draws every frame at the system's resolution, whatever the measure for `dpi` said:
    // the frame grows or shrinks by what the inside still lacks or has over.
    RECT got{};
    ::GetClientRect(wnd, &got);
    if (got.right != client.width || got.bottom != client.height)
        ::SetWindowPos(wnd, nullptr, 0, 0, width + client.width - got.right,
                       height + client.height - got.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int WindowDpi(HWND wnd) {
    const auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    return forWindow ? static_cast<int>(forWindow(wnd)) : 0;
}

int SystemMetricsDpi() {
    const auto forSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
    return forSystem ? static_cast<int>(forSystem()) : 0;
}

bool MessageFontForDpi(int dpi, LOGFONTA& font) {
    const auto forDpi =
        User32Function<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!forDpi || dpi <= 0 ||
        !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return false;
    const LOGFONTW& w = metrics.lfMessageFont;
    font = LOGFONTA{w.lfHeight,         w.lfWidth,
                    w.lfEscapement,     w.lfOrientation,
                    w.lfWeight,         w.lfItalic,
                    w.lfUnderline,      w.lfStrikeOut,
                    w.lfCharSet,        w.lfOutPrecision,
                    w.lfClipPrecision,  w.lfQuality,
                    w.lfPitchAndFamily, {}};
    // The face's name in the program's code page, as every other name it hands the platform.
    return ::WideCharToMultiByte(kCodePage932, 0, w.lfFaceName, -1, font.lfFaceName, LF_FACESIZE, nullptr,
                                 nullptr) > 0;
}

} // namespace dodir::win
