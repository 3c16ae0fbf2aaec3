#include "ui/common_dialog.h"

#include "base/win/window.h"

namespace dodir {

void TCommonDialog::PlaceOnActiveMonitor(HWND dialog) const {
    HWND form = ActiveForm();
    win::CentreOnMonitor(dialog, ::MonitorFromWindow(form ? form : dialog, MONITOR_DEFAULTTONEAREST), 3);
}

} // namespace dodir
