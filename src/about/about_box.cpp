#include "about/about_box.h"

#include "app/application.h"

namespace dodir {

TAboutBox::TAboutBox(TApplication& app) : TCustomForm(app) {
    RegisterWindowClass("TAboutBox", CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateHandle(exStyle, "TAboutBox", "バージョン情報", style, CW_USEDEFAULT, CW_USEDEFAULT,
                 frame.right - frame.left, frame.bottom - frame.top, app.Handle(), nullptr);
}

LRESULT TAboutBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ::ShowWindow(Handle(), SW_HIDE);
        return 0;
    }
    return TCustomForm::HandleMessage(msg, wParam, lParam);
}

} // namespace dodir
