// TCommonDialog: the base of the platform's standard dialogs, and TDialogHost: what they use
// of the program around them.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <utility>

namespace dodir {

// The program's side of a standard dialog.
struct TDialogHost {
    // Owns the modal dialogs.
    HWND owner = nullptr;
    // The window of the program's active form (the main form's when none is active): the
    // dialogs are placed on its monitor, and a modeless one belongs to it.
    std::function<HWND()> activeForm;
    // A modeless dialog became active (true), or inactive or gone (false): while it is active,
    // the message loop gives it its Tab, Enter and Esc.
    std::function<void(HWND dialog, bool active)> modelessActive;
    // Shows an error that a dialog's own handler raised while the dialog stays open.
    std::function<void(std::exception_ptr)> reportError;
};

class TCommonDialog {
  public:
    explicit TCommonDialog(TDialogHost host) : host_(std::move(host)) {}
    TCommonDialog(const TCommonDialog&) = delete;
    TCommonDialog& operator=(const TCommonDialog&) = delete;
    virtual ~TCommonDialog() = default;

    // The dialog window while it is shown.
    HWND Handle() const noexcept { return handle_; }
    virtual bool Execute() = 0;

    // Centred and one third down on the monitor of the program's active form.
    void PlaceOnActiveMonitor(HWND dialog) const;

  protected:
    HWND Owner() const noexcept { return host_.owner; }
    HWND ActiveForm() const { return host_.activeForm ? host_.activeForm() : nullptr; }
    void ModelessActive(HWND dialog, bool active) const {
        if (host_.modelessActive) host_.modelessActive(dialog, active);
    }
    void ReportError(std::exception_ptr error) const {
        if (host_.reportError) host_.reportError(error);
    }

    HWND handle_ = nullptr;

  private:
    TDialogHost host_;
};

} // namespace dodir
