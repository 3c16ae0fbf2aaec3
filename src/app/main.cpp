// dodir: a small Japanese memo pad.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/form1.h"
#include "base/scale.h"
#include "base/win/window.h"
#include "printing/printer.h"
#include "ui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    dodir::TApplication application;
    application.SetTitle("ミルテ");
    // The process's printer; while the platform spools a job, the application's loop runs.
    dodir::TPrinter& printer = dodir::Printer();
    printer.SetSpoolingLoop({[&application] { return application.ProcessMessage(); },
                             [&application] { return application.Terminated(); }});
    // The whole layout follows the screen's resolution as the process starts.
    const dodir::TScale scale(dodir::win::ScreenPixelsPerInch());
    auto form1 = std::make_unique<dodir::TForm1>(application, printer, scale);
    application.ShowMainForm();
    application.Run();
    form1.reset();
    printer.SetSpoolingLoop({});
    return 0;
}
