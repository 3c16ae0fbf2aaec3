// TStatusBar: the four-panel status bar at the bottom of the main window.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "app/status_panels.h"
#include "base/win/handles.h"
#include "base/win/window.h"

namespace dodir {

class TStatusBar : public win::TSubclassedControl {
  public:
    // `edges`: the right edges of the first three panels; the last reaches the bar's end.
    TStatusBar(HWND parent, int id, const RECT& bounds, const std::array<int, kStatusPanelCount - 1>& edges);
    // Moves the first three panels' right edges.
    void SetPanelEdges(const std::array<int, kStatusPanelCount - 1>& edges);
    const std::string& PanelText(TStatusPanel panel) const { return texts_.at(IndexOf(panel)); }
    // Hands the text to the control only when it differs from what the panel shows.
    void SetPanelText(TStatusPanel panel, const std::string& text);

  private:
    static std::size_t IndexOf(TStatusPanel panel) { return static_cast<std::size_t>(panel); }
    win::UniqueFont font_;
    std::array<std::string, kStatusPanelCount> texts_;
};

} // namespace dodir
