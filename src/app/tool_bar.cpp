#include "app/tool_bar.h"

namespace dodir {

TToolBar::TToolBar(HWND parent, int id, const RECT& b, HIMAGELIST images,
                   const std::vector<TToolButton>& buttons, const TToolMetrics& metrics) {
    // No CCS_NODIVIDER: the control draws the etched line along its top edge. Not flat, so
    // buttons are raised and separators show nothing; no tooltips, no captions.
    CreateControl(0, TOOLBARCLASSNAMEA, "",
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY,
                  b.left, b.top, b.right - b.left, b.bottom - b.top, parent, id);
    HWND bar = Handle();
    ::SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(bar, TB_SETINDENT, 0, 0);
    ::SendMessageA(bar, TB_SETMAXTEXTROWS, 0, 0);
    ::SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(metrics.image, metrics.image));
    ::SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    std::vector<TBBUTTON> items;
    for (const auto& button : buttons) {
        TBBUTTON item{};
        item.idCommand = CommandOf(button.number);
        item.iString = -1;
        if (button.separator) {
            item.fsStyle = BTNS_SEP;
            item.iBitmap = metrics.separator;
        } else {
            item.fsStyle = BTNS_BUTTON;
            item.iBitmap = button.imageIndex;
        }
        item.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (button.visible ? 0 : TBSTATE_HIDDEN));
        items.push_back(item);
    }
    ::SendMessageA(bar, TB_ADDBUTTONSA, items.size(), reinterpret_cast<LPARAM>(items.data()));
    ::SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(metrics.button.width, metrics.button.height));
    ::SendMessageA(bar, TB_AUTOSIZE, 0, 0);
}

} // namespace dodir
