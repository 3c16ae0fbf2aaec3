// Runs the in-process tests with the program's application object in place.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "printing/printer.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    dodir::TApplication application;
    application.SetTitle("ミルテ");
    // The process's printer, wired as the program wires it.
    dodir::TPrinter& printer = dodir::Printer();
    printer.SetSpoolingLoop({[&application] { return application.ProcessMessage(); },
                             [&application] { return application.Terminated(); }});
    const int result = RUN_ALL_TESTS();
    printer.SetSpoolingLoop({});
    return result;
}
