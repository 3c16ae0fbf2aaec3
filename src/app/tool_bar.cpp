#include "app/tool_bar.h"

#include "base/errors.h"

namespace dodir {

TToolBar::TToolBar(HWND parent, int id, const RECT& b, HIMAGELIST images, const std::vector<TToolButton>& buttons) {
    // No CCS_NODIVIDER: the control draws the etched line along its top edge. Not flat, so
    // buttons are raised and separators show nothing; no tooltips, no captions.
    handle_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE |
                                    CCS_NOMOVEY,
                                b.left, b.top, b.right - b.left, b.bottom - b.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                nullptr);
    if (!handle_) throw EWin32Error("CreateWindow failed: ToolbarWindow32");
    ::SendMessageA(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(handle_, TB_SETINDENT, 0, 0);
    ::SendMessageA(handle_, TB_SETMAXTEXTROWS, 0, 0);
    ::SendMessageA(handle_, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    ::SendMessageA(handle_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    std::vector<TBBUTTON> items;
    for (const auto& button : buttons) {
        TBBUTTON item{};
        item.idCommand = CommandOf(button.number);
        item.iString = -1;
        if (button.separator) {
            item.fsStyle = BTNS_SEP;
            item.iBitmap = kSeparatorWidth;
        } else {
            item.fsStyle = BTNS_BUTTON;
            item.iBitmap = button.imageIndex;
        }
        item.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (button.visible ? 0 : TBSTATE_HIDDEN));
        items.push_back(item);
    }
    ::SendMessageA(handle_, TB_ADDBUTTONSA, items.size(), reinterpret_cast<LPARAM>(items.data()));
    ::SendMessageA(handle_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kButtonWidth, kButtonHeight));
    ::SendMessageA(handle_, TB_AUTOSIZE, 0, 0);
}

TToolBar::~TToolBar() {
    if (handle_ && ::IsWindow(handle_)) ::DestroyWindow(handle_);
}

} // namespace dodir
