#include "ui/common_dialog.h"

#include "base/geometry.h"
#include "base/win/window.h"

namespace dodir {

void TCommonDialog::PlaceOnActiveMonitor(HWND dialog) const {
    HWND form = ActiveForm();
    const TRect monitor =
        win::MonitorArea(::MonitorFromWindow(form ? form : dialog, MONITOR_DEFAULTTONEAREST));
    const TRect frame = win::WindowBounds(dialog);
    win::MoveWindowTo(dialog, CentreIn(monitor, {frame.Width(), frame.Height()}, 3));
}

} // namespace dodir
