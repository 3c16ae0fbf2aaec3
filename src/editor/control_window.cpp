#include "editor/control_window.h"

#include <algorithm>
#include <cstring>

#include "base/win/font.h"
#include "base/win/handles.h"

namespace dodir {

namespace {

// Loaded at the first control's creation and kept to the end of the process.
win::UniqueLibrary g_richEditLibrary;

// Widens the control's own formatting rectangle leftward by `overhang` pixels.
void ApplyLeftOverhang(HWND wnd, int overhang) {
    if (overhang <= 0) return;
    auto rectOf = [wnd] {
        RECT r{};
        ::SendMessageA(wnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    };
    auto setRect = [wnd](WPARAM mode, RECT r) {
        ::SendMessageA(wnd, EM_SETRECT, mode, reinterpret_cast<LPARAM>(&r));
    };
    // The control's own rectangle keeps its top and bottom. Its right edge stays inside the
    // client area: Wine's control took its width from the whole window, border included, when
    // it was created, and would lay right-aligned text out past its visible edge.
    RECT wanted = rectOf();
    RECT client{};
    ::GetClientRect(wnd, &client);
    wanted.left -= overhang;
    wanted.right = std::min(wanted.right, client.right - 1);
    setRect(0, wanted);
    RECT got = rectOf();
    if (::EqualRect(&got, &wanted)) return;
    // Wine's control clips a rectangle to the client size it saw at creation unless wParam
    // is 1, and widens what it is given by its client edge: ask once, measure how far each
    // edge moved, and ask again that much the other way.
    setRect(1, wanted);
    got = rectOf();
    setRect(1, RECT{2 * wanted.left - got.left, 2 * wanted.top - got.top, 2 * wanted.right - got.right,
                    2 * wanted.bottom - got.bottom});
    got = rectOf();
    // A control that reads wParam 1 otherwise (offsets, on Windows) goes back to its own.
    if (!::EqualRect(&got, &wanted)) ::SendMessageA(wnd, EM_SETRECT, 0, 0);
}

void SendFormat(HWND wnd, WPARAM scope, CHARFORMATA& format) {
    ::SendMessageA(wnd, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

// The colour part of a character format: the window's text colour follows the system's.
void PutTextColor(CHARFORMATA& f, TColor color) {
    f.dwMask |= CFM_COLOR;
    if (color == clWindowText)
        f.dwEffects |= CFE_AUTOCOLOR;
    else
        f.crTextColor = win::ColorToRGB(color);
}

} // namespace

void LoadRichEditLibrary() {
    if (g_richEditLibrary) return;
    HMODULE lib = ::LoadLibraryA("RICHED32.DLL");
    if (reinterpret_cast<UINT_PTR>(lib) > 32) g_richEditLibrary.reset(lib);
}

void SetUpWindow(HWND wnd, const TEditorWindowSetup& setup, LRESULT textLimit) {
    SendFont(wnd, SCF_DEFAULT, setup.font, setup.pixelsPerInch);
    if (setup.style & ES_AUTOHSCROLL)
        ::SendMessageA(wnd, EM_SETTARGETDEVICE, 0, 1); // no wrapping at the window's edge
    ::SendMessageA(wnd, EM_EXLIMITTEXT, 0, textLimit);
    ::SendMessageA(wnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageA(wnd, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED);
    ::SendMessageA(wnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(win::ColorToRGB(setup.color)));
    ApplyLeftOverhang(wnd, setup.leftOverhang);
}

void SendFont(HWND wnd, WPARAM scope, const TFont& font, int pixelsPerInch) {
    // One request for the whole font: the control lays out every paragraph a request touches
    // again, whatever changed, and keeps an undo step for each request.
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    f.dwMask = CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE;
    PutTextColor(f, font.color);
    const auto n = std::min<std::size_t>(font.name.size(), 31);
    std::memcpy(f.szFaceName, font.name.data(), n);
    f.bCharSet = static_cast<BYTE>(font.charset);
    if (font.bold) f.dwEffects |= CFE_BOLD;
    if (font.italic) f.dwEffects |= CFE_ITALIC;
    if (font.underline) f.dwEffects |= CFE_UNDERLINE;
    if (font.strikeout) f.dwEffects |= CFE_STRIKEOUT;
    f.yHeight = font.PointSize(pixelsPerInch) * 20;
    SendFormat(wnd, scope, f);
}

void SendTextColor(HWND wnd, WPARAM scope, TColor color) {
    CHARFORMATA f{};
    f.cbSize = sizeof f;
    PutTextColor(f, color);
    SendFormat(wnd, scope, f);
}

} // namespace dodir
