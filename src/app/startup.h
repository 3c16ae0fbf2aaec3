// TProgram: what the program's start-up builds and owns for the whole run, and hands on to
// the main window: the application and the printer, wired together, and the screen's scale.
// dodir.exe, the in-process tests and the benchmarks all start through it.
#pragma once
#include <memory>

#include "app/form1.h"
#include "base/scale.h"
#include "printing/printer.h"
#include "ui/application.h"

namespace dodir {

class TProgram {
  public:
    // Registers the common controls, makes the application with the program's title and the
    // printer, whose spooling runs the application's loop, and reads the screen's resolution.
    TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;
    // The printer's spooling stops running the loop before the printer and the application go.
    ~TProgram();

    TApplication& Application() noexcept { return application_; }
    TPrinter& Printer() noexcept { return printer_; }
    // The layout's scale for the screen's resolution as the process started.
    TScale Scale() const noexcept { return scale_; }

    // The main window at the screen's scale, printing on the printer, not yet shown; the first
    // form made is the application's main form.
    std::unique_ptr<TForm1> MakeMainForm();
    // The program's run: the main window made and shown, the event loop until the end.
    int Run();

  private:
    struct TCommonControls {
        TCommonControls();
    };

    // In this order: the controls' classes first; the printer's spooling refers to the
    // application, so the application outlives the printer.
    TCommonControls commonControls_;
    TApplication application_;
    TPrinter printer_;
    TScale scale_;
};

} // namespace dodir
