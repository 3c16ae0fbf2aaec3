// TToolBar: the row of command buttons along the top of the main window.
#pragma once
#include <windows.h>

namespace dodir {

class TToolBar {
public:
    TToolBar(HWND parent, int id, const RECT& bounds);
    TToolBar(const TToolBar&) = delete;
    TToolBar& operator=(const TToolBar&) = delete;
    ~TToolBar();

    HWND Handle() const noexcept { return handle_; }

private:
    HWND handle_ = nullptr;
};

} // namespace dodir
