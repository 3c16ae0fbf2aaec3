// TToolBar: the row of command buttons along the top of the main window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/win/window.h"

namespace dodir {

struct TToolButton {
    int number = 0; // ToolButtonN; also the button's command identifier, offset by kFirstCommand
    bool separator = false;
    int imageIndex = 0; // into the toolbar's image list; unused by separators
    bool visible = true;
};

class TToolBar : public win::TSubclassedControl {
  public:
    static constexpr int kFirstCommand = 1000;
    static constexpr int kButtonWidth = 23;
    static constexpr int kButtonHeight = 22;
    static constexpr int kSeparatorWidth = 5;

    TToolBar(HWND parent, int id, const RECT& bounds, HIMAGELIST images,
             const std::vector<TToolButton>& buttons);

    static int CommandOf(int number) { return kFirstCommand + number; }
};

} // namespace dodir
