#include "about/about_box.h"

#include <array>
#include <string>

#include "ui/application.h"
#include "base/errors.h"
#include "base/fonts.h"
#include "base/win/font.h"

namespace dodir {

namespace {

// In Panel1's client area; the large one is 32 px instead of the window font.
constexpr std::array<TLabelRow, 7> kLabels{{
    {160, 168, "開発者：ソルカ", false},
    {240, 168, "Copyright (C) 2026 dodir project", false},
    {160, 192, "ソフト名：Velmiro", false},
    {160, 216, "Version：ひとり立ち(Lv 1)", false},
    {160, 240, "http://dodir.example.jp/", false},
    {184, 264, "Built with MinGW-w64 GCC and CMake", false},
    {64, 280, "遊びに来てくださ～い☆", true},
}};

constexpr TRect kPanel{8, 8, 8 + 433, 8 + 321};
constexpr TRect kBannerArea{8, 8, 8 + 417, 8 + 153};
constexpr TRect kOKButton{359, 332, 359 + 75, 332 + 25};

// The banner is drawn for these window font heights; a screen whose font lies between them
// shows the one drawn for the next smaller height, stretched a little to its area.
constexpr std::array<int, 4> kBannerFontHeights{12, 15, 18, 24};

} // namespace

TAboutBox::TAboutBox(TApplication& app, TScale scale) : TCustomForm(app), scale_(scale) {
    RegisterWindowClass("TAboutBox", CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    CreateDialogFrame("TAboutBox", "バージョン情報", {0, 0}, scale_(TSize{kClientWidth, kClientHeight}));

    TFont regular = WindowFont();
    regular.height = scale_(regular.height);
    TFont big = WindowFont();
    big.height = scale_(-32);
    windowFont_.reset(win::CreateFontOf(regular));
    bigFont_.reset(win::CreateFontOf(big));
    const std::string bannerName =
        "BANNER" + std::to_string(DrawnSize(scale_, TScale::kDesignFontHeight, kBannerFontHeights));
    banner_.reset(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), bannerName.c_str(),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    for (std::size_t k = 0; k < kLabels.size(); ++k)
        labels_[k] = {scale_(kLabels[k].left), scale_(kLabels[k].top), kLabels[k].caption, kLabels[k].large};

    panel_ = std::make_unique<TPanel>(Handle(), kPanelId, win::ToRECT(scale_(kPanel)),
                                      [this](HDC dc) { PaintPanel(dc); });
    OKButton = std::make_unique<TButton>(Handle(), IDOK, win::ToRECT(scale_(kOKButton)), "OK",
                                         windowFont_.get(), true);
    OnCommand(IDOK, BN_CLICKED, [this] { OKButtonClick(); });
    SetTabOrder({panel_->Handle(), OKButton->Handle()});
}

TAboutBox::~TAboutBox() { DestroyHandle(); }

void TAboutBox::Show() {
    if (!::IsWindowVisible(Handle())) {
        const TRect frame = win::WindowBounds(Handle());
        const TSize size{frame.Width(), frame.Height()};
        // The box goes to the monitor of the program's active window: centred there the
        // first time, later where it was, carried over from the monitor it was on.
        HWND active = ::GetActiveWindow();
        HMONITOR target =
            active ? ::MonitorFromWindow(active, MONITOR_DEFAULTTOPRIMARY) : win::PrimaryMonitor();
        HMONITOR current = ::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST);
        if (!shownBefore_)
            win::CentreOnMonitor(Handle(), target);
        else if (current != target)
            win::MoveWindowTo(Handle(), CarryOver(win::MonitorArea(current), win::MonitorArea(target),
                                                  {frame.left, frame.top}, size));
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
        const TRect area = scale_(kBannerArea);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, area.left, area.top, area.Width(), area.Height(), mem.get(), 0, 0, bm.bmWidth,
                     bm.bmHeight, SRCCOPY);
    }
    PaintLabels(dc, labels_, windowFont_.get(), bigFont_.get());
}

LRESULT TAboutBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // The box is not the main form: closing hides it.
        Hide();
        return 0;
    default:
        return TCustomForm::HandleMessage(msg, wParam, lParam);
    }
}

} // namespace dodir
