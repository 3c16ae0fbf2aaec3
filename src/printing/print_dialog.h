// TPrintDialog: the platform's print dialog, choosing for a printer object which printer
// prints and how many copies.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <utility>

#include "ui/common_dialog.h"

namespace dodir {

class TPrinter;

// Chooses the printer, its properties and the number of copies for the printer object it is
// given; no page range, selection or printing to a file.
class TPrintDialog : public TCommonDialog {
  public:
    TPrintDialog(TDialogHost host, TPrinter& printer) : TCommonDialog(std::move(host)), printer_(printer) {}
    // Starts from the printer's current printer (the default one first, EPrinter when there
    // is none); on OK makes the chosen printer and copies current.
    bool Execute() override;
    // The printer object the dialog configures: after OK, the chosen printer is its current
    // one, with the chosen copies.
    TPrinter& ChosenPrinter() const noexcept { return printer_; }

  protected:
    virtual bool RunPlatformDialog(PRINTDLGA& pd) { return ::PrintDlgA(&pd) != FALSE; }

  private:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    static UINT_PTR CALLBACK SetupHook(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    TPrinter& printer_;
};

} // namespace dodir
