#include "app/status_bar.h"

#include <commctrl.h>

namespace dodir {

TStatusBar::TStatusBar(HWND parent, int id, const RECT& b,
                       const std::array<int, kStatusPanelCount - 1>& edges) {
    // Placed by the form, not by the control: no parent alignment, no size grip.
    CreateControl(0, STATUSCLASSNAMEA, "",
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY,
                  b.left, b.top, b.right - b.left, b.bottom - b.top, parent, id);
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        font_.reset(::CreateFontIndirectA(&ncm.lfStatusFont));
        ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    SetPanelEdges(edges);
}

void TStatusBar::SetPanelEdges(const std::array<int, kStatusPanelCount - 1>& edges) {
    const int parts[kStatusPanelCount] = {edges[0], edges[1], edges[2], -1};
    ::SendMessageA(Handle(), SB_SETPARTS, kStatusPanelCount, reinterpret_cast<LPARAM>(parts));
}

void TStatusBar::SetPanelText(TStatusPanel panel, const std::string& text) {
    auto& current = texts_.at(IndexOf(panel));
    if (current == text) return;
    current = text;
    // Lowered bevel and left alignment are the flags 0; the control repaints on its own.
    ::SendMessageA(Handle(), SB_SETTEXTA, IndexOf(panel), reinterpret_cast<LPARAM>(current.c_str()));
}

} // namespace dodir
