#include "ui/form_base.h"

#include <algorithm>

#include "ui/application.h"

namespace dodir {

TCustomForm::TCustomForm(TApplication& app) : app_(app) { app_.AddForm(this); }

TCustomForm::~TCustomForm() { app_.RemoveForm(this); }

void TCustomForm::SetActiveControl(HWND control) {
    if (control && ::IsChild(Handle(), control)) activeControl_ = control;
}

bool TCustomForm::CanFocus(HWND control) const {
    return control && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

void TCustomForm::SelectNext(HWND from, bool forward, bool tabStopsOnly) {
    if (tabOrder_.empty()) return;
    // A focused child window of a control (the edit of a combo box) stands for the control.
    auto it = std::find_if(tabOrder_.begin(), tabOrder_.end(),
                           [from](HWND c) { return c == from || (from && ::IsChild(c, from)); });
    const auto n = static_cast<int>(tabOrder_.size());
    int at = it == tabOrder_.end() ? (forward ? -1 : n) : static_cast<int>(it - tabOrder_.begin());
    for (int step = 0; step < n; ++step) {
        at = ((forward ? at + 1 : at - 1) % n + n) % n;
        HWND c = tabOrder_[static_cast<std::size_t>(at)];
        if (!CanFocus(c)) continue;
        if (tabStopsOnly && !(::GetWindowLongPtrA(c, GWL_STYLE) & WS_TABSTOP)) continue;
        SetActiveControl(c);
        ::SetFocus(c);
        return;
    }
}

void TCustomForm::OnCommand(int id, int notification, std::function<void()> handler) {
    commands_.push_back({id, notification, std::move(handler)});
}

bool TCustomForm::DialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const bool ctrlOrAlt = ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
    switch (msg.wParam) {
    case VK_RETURN: {
        HWND button = DefaultButton();
        if (!button || ctrlOrAlt || !::IsWindowEnabled(button)) return false;
        ::SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return true;
    }
    case VK_TAB:
        if (ctrlOrAlt) return false;
        SelectNext(::GetFocus(), ::GetKeyState(VK_SHIFT) >= 0, true);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
        HWND focus = ::GetFocus();
        if (!focus || (::SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
                       (DLGC_WANTARROWS | DLGC_WANTALLKEYS)))
            return false;
        SelectNext(focus, msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN, false);
        return true;
    }
    default:
        return false;
    }
}

LRESULT TCustomForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == win::kMsgSetActiveControl) {
        SetActiveControl(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    if (msg == win::kMsgControlReplaced) {
        const auto old = reinterpret_cast<HWND>(wParam);
        const auto fresh = reinterpret_cast<HWND>(lParam);
        std::replace(tabOrder_.begin(), tabOrder_.end(), old, fresh);
        if (activeControl_ == old) activeControl_ = fresh;
        return 0;
    }
    // Every top-level window is asked about the end of the session: the application answers.
    if (TApplication::IsSessionMessage(msg)) return app_.SessionMessage(msg, wParam);
    switch (msg) {
    case WM_COMMAND:
        // Also taken without a control handle (lParam 0): a posted command runs as a click.
        for (const auto& command : commands_)
            if (command.id == LOWORD(wParam) && command.notification == HIWORD(wParam)) {
                command.handler();
                return 0;
            }
        return DefaultHandler(msg, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus)) SetActiveControl(focus);
            return 0;
        }
        if (!HIWORD(wParam)) {
            if (CanFocus(activeControl_))
                ::SetFocus(activeControl_);
            else
                SelectNext(nullptr, true, true);
        }
        return 0;
    case WM_CTLCOLOREDIT: {
        const LRESULT brush = DefaultHandler(msg, wParam, lParam);
        ::SendMessageA(reinterpret_cast<HWND>(lParam), win::kMsgControlColor, wParam, 0);
        return brush;
    }
    case WM_SETFOCUS:
        if (CanFocus(activeControl_)) ::SetFocus(activeControl_);
        return 0;
    default:
        return DefaultHandler(msg, wParam, lParam);
    }
}

void TCustomForm::TrimSystemMenu() {
    HMENU sys = ::GetSystemMenu(Handle(), FALSE);
    ::DeleteMenu(sys, SC_TASKLIST, MF_BYCOMMAND);
    // The separators; a position that does not exist is skipped.
    ::DeleteMenu(sys, 7, MF_BYPOSITION);
    ::DeleteMenu(sys, 5, MF_BYPOSITION);
    for (UINT cmd : {SC_MAXIMIZE, SC_MINIMIZE, SC_SIZE, SC_RESTORE}) ::DeleteMenu(sys, cmd, MF_BYCOMMAND);
}

void TCustomForm::CreateDialogFrame(const char* className, const char* caption, TPoint at, TSize client) {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    RECT frame{0, 0, client.width, client.height};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateHandle(exStyle, className, caption, style, at.x, at.y, frame.right - frame.left,
                 frame.bottom - frame.top, app_.Handle(), nullptr);
    TrimSystemMenu();
    // The system menu changed the frame's idea of its non-client area: size it again.
    MakeClientSize(client.width, client.height);
}

void TCustomForm::MakeClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintLabels(HDC dc, std::span<const TLabelRow> labels, HFONT regular, HFONT large) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    for (const auto& label : labels) {
        win::SelectObjectScope font(dc, label.large ? large : regular);
        ::TextOutA(dc, label.left, label.top, label.caption, lstrlenA(label.caption));
    }
}

} // namespace dodir
