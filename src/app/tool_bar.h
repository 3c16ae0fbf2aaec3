// TToolBar: the row of command buttons along the top of the main window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/geometry.h"
#include "base/win/window.h"

namespace dodir {

struct TToolButton {
    int number = 0; // ToolButtonN; also the button's command identifier, offset by kFirstCommand
    bool separator = false;
    int imageIndex = 0; // into the toolbar's image list; unused by separators
    bool visible = true;
};

// The sizes of the pictures (square), of each button and of each separator's gap.
struct TToolMetrics {
    int image = 16;
    TSize button{23, 22};
    int separator = 5;
};

class TToolBar : public win::TSubclassedControl {
  public:
    static constexpr int kFirstCommand = 1000;

    TToolBar(HWND parent, int id, const RECT& bounds, HIMAGELIST images,
             const std::vector<TToolButton>& buttons, const TToolMetrics& metrics);

    static int CommandOf(int number) { return kFirstCommand + number; }
};

} // namespace dodir
