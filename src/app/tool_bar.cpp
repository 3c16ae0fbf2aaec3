#include "app/tool_bar.h"

#include <commctrl.h>

#include "base/errors.h"

namespace dodir {

TToolBar::TToolBar(HWND parent, int id, const RECT& b) {
    // No CCS_NODIVIDER: the control draws the etched line along its top edge.
    handle_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE |
                                    CCS_NOMOVEY,
                                b.left, b.top, b.right - b.left, b.bottom - b.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                nullptr);
    if (!handle_) throw EWin32Error("CreateWindow failed: ToolbarWindow32");
    ::SendMessageA(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

TToolBar::~TToolBar() {
    if (handle_ && ::IsWindow(handle_)) ::DestroyWindow(handle_);
}

} // namespace dodir
