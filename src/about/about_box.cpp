#include "about/about_box.h"

#include <array>

#include "ui/application.h"
#include "base/errors.h"
#include "base/fonts.h"
#include "base/win/font.h"

namespace dodir {

TAboutBox* AboutBox = nullptr;

namespace {

struct LabelRow {
    int left, top; // in Panel1's client area
    const char* caption;
    bool big; // 32 px instead of the window font
};

constexpr std::array<LabelRow, 7> kLabels{{
    {160, 168, "開発者：ソルカ", false},
    {240, 168, "Copyright (C) 2026 dodir project", false},
    {160, 192, "ソフト名：Velmiro", false},
    {160, 216, "Version：ひとり立ち(Lv 1)", false},
    {160, 240, "http://dodir.example.jp/", false},
    {184, 264, "Built with MinGW-w64 GCC and CMake", false},
    {64, 280, "遊びに来てくださ～い☆", true},
}};

constexpr RECT kPanel{8, 8, 8 + 433, 8 + 321};
constexpr RECT kBannerArea{8, 8, 8 + 417, 8 + 153};

} // namespace

TAboutBox::TAboutBox(TApplication& app) : TCustomForm(app) {
    RegisterWindowClass("TAboutBox", CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateHandle(exStyle, "TAboutBox", "バージョン情報", style, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top, app.Handle(), nullptr);
    TrimSystemMenu();
    MakeClientSize(Handle(), kClientWidth, kClientHeight);

    TFont big = WindowFont();
    big.height = -32;
    windowFont_.reset(win::CreateFontOf(WindowFont()));
    bigFont_.reset(win::CreateFontOf(big));
    banner_.reset(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), "BANNER", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));

    panel_ = std::make_unique<TPanel>(Handle(), kPanelId, kPanel, [this](HDC dc) { PaintPanel(dc); });
    OKButton = std::make_unique<TButton>(Handle(), IDOK, RECT{359, 332, 359 + 75, 332 + 25}, "OK",
                                         windowFont_.get(), true);
    OKButton->OnClick = [this] { OKButtonClick(); };
    SetTabOrder({panel_->Handle(), OKButton->Handle()});
    AboutBox = this;
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this) AboutBox = nullptr;
    DestroyHandle();
}

void TAboutBox::Show() {
    if (!::IsWindowVisible(Handle())) {
        RECT r{};
        ::GetWindowRect(Handle(), &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        // The box goes to the monitor of the program's active window.
        HWND active = ::GetActiveWindow();
        HMONITOR target = active ? ::MonitorFromWindow(active, MONITOR_DEFAULTTOPRIMARY)
                                 : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoA(target, &mi);
        const RECT& m = mi.rcMonitor;
        const bool primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
        int left = r.left, top = r.top;
        if (!shownBefore_) {
            if (primary) {
                left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
                top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
            } else {
                left = m.left + (m.right - m.left - width) / 2;
                top = m.top + (m.bottom - m.top - height) / 2;
            }
        } else if (::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST) != target) {
            HMONITOR from = ::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST);
            MONITORINFO fi{};
            fi.cbSize = sizeof fi;
            ::GetMonitorInfoA(from, &fi);
            left = m.left + (r.left - fi.rcMonitor.left);
            top = m.top + (r.top - fi.rcMonitor.top);
            if (left + width > m.right) left = m.right - width;
            if (top + height > m.bottom) top = m.bottom - height;
        }
        ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownBefore_ = true;
    }
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(Handle());
}

void TAboutBox::OKButtonClick() { Hide(); }

void TAboutBox::Hide() {
    const bool wasActive = ::GetActiveWindow() == Handle();
    ::ShowWindow(Handle(), SW_HIDE);
    if (!wasActive) return;
    // The program's next visible, enabled top-level window in z-order (the windows of the
    // thread come in z-order); one that stays on top of all others only if there is no other.
    struct Search {
        HWND skip[2];
        HWND normal = nullptr;
        HWND topmost = nullptr;
    } search{{Handle(), Application().Handle()}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (wnd == s.skip[0] || wnd == s.skip[1] || !::IsWindowVisible(wnd) || !::IsWindowEnabled(wnd))
                return TRUE;
            HWND& slot = (::GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ? s.topmost : s.normal;
            if (!slot) slot = wnd;
            return s.normal ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (HWND next = search.normal ? search.normal : search.topmost) ::SetActiveWindow(next);
}

void TAboutBox::PaintPanel(HDC dc) {
    RECT r{};
    ::GetClientRect(panel_->Handle(), &r);
    // A lowered outer and a raised inner bevel, one pixel each.
    ::DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    if (banner_) {
        BITMAP bm{};
        ::GetObjectA(banner_.get(), sizeof bm, &bm);
        win::UniqueMemoryDc mem(::CreateCompatibleDC(dc));
        win::SelectObjectScope selected(mem.get(), banner_.get());
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, kBannerArea.left, kBannerArea.top, kBannerArea.right - kBannerArea.left,
                     kBannerArea.bottom - kBannerArea.top, mem.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    for (const auto& label : kLabels) {
        win::SelectObjectScope font(dc, label.big ? bigFont_.get() : windowFont_.get());
        ::TextOutA(dc, label.left, label.top, label.caption, lstrlenA(label.caption));
    }
}

LRESULT TAboutBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // The box is not the main form: closing hides it.
        Hide();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) OKButton->Click();
        return 0;
    default:
        return TCustomForm::HandleMessage(msg, wParam, lParam);
    }
}

} // namespace dodir
