#include "ui/application.h"

#include <algorithm>

#include "ui/form_base.h"
#include "base/errors.h"
#include "base/texts.h"

namespace dodir {

TApplication::TApplication() {
    icon_.reset(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    RegisterWindowClass("TApplication", 0, nullptr, icon_.get());
    // Zero size at the screen's centre: never seen, but it carries the taskbar entry.
    CreateHandle(0, "TApplication", "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                 ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                 nullptr);
    HMENU sys = ::GetSystemMenu(Handle(), FALSE);
    ::DeleteMenu(sys, SC_MAXIMIZE, MF_BYCOMMAND);
    ::DeleteMenu(sys, SC_SIZE, MF_BYCOMMAND);
    ::DeleteMenu(sys, SC_MOVE, MF_BYCOMMAND);
}

TApplication::~TApplication() = default;

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    ::SetWindowTextA(Handle(), title_.c_str());
}

void TApplication::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TApplication::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

TDialogHost TApplication::DialogHost() {
    TDialogHost host;
    host.owner = Handle();
    host.activeForm = [this] {
        // The active form, or the main form when none is active.
        HWND active = ::GetActiveWindow();
        for (TCustomForm* form : forms_)
            if (form->Handle() == active) return active;
        TCustomForm* main = MainForm();
        return main ? main->Handle() : nullptr;
    };
    host.modelessActive = [this](HWND dialog, bool active) {
        if (active)
            currentDialog_ = dialog;
        else if (currentDialog_ == dialog)
            currentDialog_ = nullptr;
    };
    host.reportError = [this](std::exception_ptr error) { HandleException(error); };
    return host;
}

void TApplication::ShowMainForm() {
    TCustomForm* main = MainForm();
    if (!main) return;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    ::GetStartupInfoA(&si);
    const int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWNORMAL;
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::ShowWindow(main->Handle(), show == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    // Started minimized: the form is there, shown, and the application is minimized, so
    // that restoring the taskbar entry brings it back.
    if (show == SW_SHOWMINNOACTIVE) Minimize();
}

namespace {

// The windows of this thread that `owner` owns directly.
std::vector<HWND> OwnedWindowsOf(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM lParam) -> BOOL {
            return win::Guard(
                [&] {
                    auto* s = reinterpret_cast<Search*>(lParam);
                    if (::GetWindow(wnd, GW_OWNER) == s->owner) s->found.push_back(wnd);
                    return TRUE;
                },
                FALSE);
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ShowOwnedPopups reaches only the windows `owner` owns directly; a modeless dialog owned by
// a form, or through a window of its own, is reached by walking the whole tree.
void ShowOwnedTree(HWND owner, bool show) {
    if (show) ::ShowOwnedPopups(owner, TRUE);
    for (HWND owned : OwnedWindowsOf(owner)) ShowOwnedTree(owned, show);
    if (!show) ::ShowOwnedPopups(owner, FALSE);
}

} // namespace

void TApplication::Minimize() {
    // The owner window carries the taskbar entry; the windows it owns go with it.
    ShowOwnedTree(Handle(), false);
    ::ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    ::ShowWindow(Handle(), SW_RESTORE);
    ShowOwnedTree(Handle(), true);
    if (TCustomForm* main = MainForm(); main && ::IsWindowVisible(main->Handle()))
        ::SetForegroundWindow(main->Handle());
}

bool TApplication::IsKeyboardNavigation(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR) return false;
    if (currentDialog_ && ::IsWindow(currentDialog_) &&
        (msg.hwnd == currentDialog_ || ::IsChild(currentDialog_, msg.hwnd)))
        return ::IsDialogMessageA(currentDialog_, &msg) != FALSE;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    for (TCustomForm* form : forms_)
        if (form->Handle() == root) return form->DialogKey(msg);
    return false;
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    try {
        if (!IsKeyboardNavigation(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    } catch (...) {
        HandleException(std::current_exception());
    }
    return true;
}

void TApplication::Run() {
    while (!terminated_) {
        if (!ProcessMessage() && !terminated_) ::WaitMessage();
    }
}

void TApplication::HandleException(std::exception_ptr error) {
    if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    ShowErrorBox(message);
}

void TApplication::ShowErrorBox(const std::string& message) {
    const std::string text = ErrorBoxText(message);
    // The box centres on its hidden owner: bring the owner to the active window's monitor.
    RECT home{};
    ::GetWindowRect(Handle(), &home);
    HWND active = ::GetActiveWindow();
    bool moved = false;
    if (active) {
        HMONITOR mon = ::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST);
        if (mon != ::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST)) {
            win::CentreOnMonitor(Handle(), mon);
            moved = true;
        }
    }
    {
        win::TaskWindowsDisabled disabled;
        ::MessageBoxA(Handle(), text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
    }
    if (moved)
        ::SetWindowPos(Handle(), nullptr, home.left, home.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TApplication::SessionMessage(UINT msg, WPARAM wParam) noexcept {
    if (msg == WM_ENDSESSION && wParam) Terminate();
    return msg == WM_QUERYENDSESSION ? TRUE : 0;
}

LRESULT TApplication::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsSessionMessage(msg)) return SessionMessage(msg, wParam);
    switch (msg) {
    case WM_CLOSE:
        if (TCustomForm* main = MainForm()) ::SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSCOMMAND:
        // Minimize and Restore of the taskbar entry take the forms along.
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            Minimize();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_RESTORE && ::IsIconic(Handle())) {
            Restore();
            return 0;
        }
        return DefaultHandler(msg, wParam, lParam);
    default:
        return DefaultHandler(msg, wParam, lParam);
    }
}

} // namespace dodir
