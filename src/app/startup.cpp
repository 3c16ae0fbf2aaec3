#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>

#include "base/win/window.h"

namespace dodir {

TProgram::TCommonControls::TCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

TProgram::TProgram() : scale_(win::ScreenPixelsPerInch()) {
    application_.SetTitle("ミルテ");
    // While the platform spools a job, the application's loop runs.
    printer_.SetSpoolingLoop(
        {[this] { return application_.ProcessMessage(); }, [this] { return application_.Terminated(); }});
}

TProgram::~TProgram() { printer_.SetSpoolingLoop({}); }

std::unique_ptr<TForm1> TProgram::MakeMainForm() {
    return std::make_unique<TForm1>(application_, printer_, scale_);
}

int TProgram::Run() {
    const auto form1 = MakeMainForm();
    application_.ShowMainForm();
    application_.Run();
    return 0;
}

} // namespace dodir
