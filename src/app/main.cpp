// dodir: a small Japanese memo pad.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "about/about_box.h"
#include "ui/application.h"
#include "app/form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    dodir::TApplication application;
    application.SetTitle("ミルテ");
    auto form1 = std::make_unique<dodir::TForm1>(application);
    application.ShowMainForm();
    auto aboutBox = std::make_unique<dodir::TAboutBox>(application);
    application.Run();
    aboutBox.reset();
    form1.reset();
    return 0;
}
