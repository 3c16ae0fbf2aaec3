#include "ui/controls.h"

#include <utility>

#include "base/errors.h"

#include "base/win/font.h"
#include "base/win/handles.h"

namespace dodir {

namespace {
void SetControlFont(HWND wnd, HFONT font) {
    ::SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}
} // namespace

TEdit::TEdit(HWND parent, int id, const RECT& b, const std::string& text, HFONT font) {
    CreateControl(WS_EX_CLIENTEDGE, "EDIT", text,
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL, b.left, b.top,
                  b.right - b.left, b.bottom - b.top, parent, id);
    SetControlFont(Handle(), font);
}

void TEdit::AssignFont(const TFont& font) {
    win::UniqueFont fresh(win::CreateFontOf(font));
    if (!fresh) throw EOutOfResources("フォントを作成できません");
    TEXTMETRICA metrics{};
    {
        win::WindowDc dc(Handle());
        win::SelectObjectScope selected(dc.get(), fresh.get());
        ::GetTextMetricsA(dc.get(), &metrics);
    }
    ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
    font_ = std::move(fresh); // the font it showed until now goes only after the switch
    assigned_ = font;
    color_ = font.color;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    ::SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left,
                   metrics.tmHeight + 8 * ::GetSystemMetrics(SM_CYBORDER),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TEdit::ChangeResolution(int from, int to, HFONT windowFont) {
    if (assigned_)
        AssignFont(FontAtResolution(*assigned_, from, to));
    else
        SetFont(windowFont);
}

LRESULT TEdit::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == win::kMsgControlColor) {
        if (color_) ::SetTextColor(reinterpret_cast<HDC>(wParam), win::ColorToRGB(*color_));
        return 0;
    }
    const LRESULT result = CallOriginal(msg, wParam, lParam);
    // A click places the caret itself; any other way in selects the whole text.
    if (msg == WM_SETFOCUS && ::GetKeyState(VK_LBUTTON) >= 0) ::SendMessageA(Handle(), EM_SETSEL, 0, -1);
    return result;
}

TPanel::TPanel(HWND parent, int id, const RECT& b, std::function<void(HDC dc)> paint)
    : paint_(std::move(paint)) {
    RegisterWindowClass("TPanel", 0, ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    CreateHandle(0, "TPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, b.left, b.top, b.right - b.left,
                 b.bottom - b.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefaultHandler(msg, wParam, lParam);
    win::PaintDc dc(Handle());
    if (paint_) paint_(dc.get());
    return 0;
}

TButton::TButton(HWND parent, int id, const RECT& b, const std::string& caption, HFONT font, bool isDefault) {
    CreateControl(0, "BUTTON", caption,
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP |
                      (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                  b.left, b.top, b.right - b.left, b.bottom - b.top, parent, id);
    SetControlFont(Handle(), font);
}

TComboBox::TComboBox(HWND parent, int id, const RECT& b, const std::vector<std::string>& items, HFONT font,
                     int dropDownCount)
    : dropDownCount_(dropDownCount) {
    CreateControl(0, "COMBOBOX", "",
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                  b.left, b.top, b.right - b.left, b.bottom - b.top, parent, id);
    SetControlFont(Handle(), font);
    for (const auto& item : items)
        ::SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetBounds(b, font);
}

void TComboBox::SetBounds(const RECT& b, HFONT font) {
    SetControlFont(Handle(), font);
    // The closed box is as high as designed; the window's own height holds the dropped list.
    const int fieldHeight = b.bottom - b.top;
    ::SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight - 6);
    const auto rowHeight = static_cast<int>(::SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0));
    ::SetWindowPos(Handle(), nullptr, b.left, b.top, b.right - b.left,
                   fieldHeight + rowHeight * dropDownCount_ + 2, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace dodir
