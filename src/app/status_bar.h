// TStatusBar: the four-panel status bar at the bottom of the main window.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "base/win/handles.h"
#include "base/win/window.h"

namespace dodir {

class TStatusBar : public win::TSubclassedControl {
  public:
    static constexpr int kPanelCount = 4;

    TStatusBar(HWND parent, int id, const RECT& bounds);
    const std::string& PanelText(int index) const { return texts_.at(static_cast<std::size_t>(index)); }
    // Hands the text to the control only when it differs from what the panel shows.
    void SetPanelText(int index, const std::string& text);

  private:
    win::UniqueFont font_;
    std::array<std::string, kPanelCount> texts_;
};

} // namespace dodir
