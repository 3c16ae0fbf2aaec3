// TCustomForm: a top-level window of the program with an active control, a tab order and
// the keyboard navigation of a dialog (Tab, Shift+Tab, arrows on push buttons).
#pragma once
#include <windows.h>

#include <vector>

#include "base/win/window.h"

namespace dodir {

class TApplication;

class TCustomForm : public win::TWindow {
  public:
    explicit TCustomForm(TApplication& app);
    ~TCustomForm() override;

    // The control that has or last had the keyboard focus inside the form.
    HWND ActiveControl() const noexcept { return activeControl_; }
    void SetActiveControl(HWND control);

    // Gives first look at a keyboard message aimed at this form; true when it was used.
    virtual bool DialogKey(const MSG& msg);

    // The push button that Enter presses, if the form has one.
    virtual HWND DefaultButton() const { return nullptr; }

    // Moves the focus to the next (or previous) control in the tab order.
    void SelectNext(HWND from, bool forward, bool tabStopsOnly);

    TApplication& Application() const noexcept { return app_; }

  protected:
    // The form's controls in tab order, tab stops and others alike.
    void SetTabOrder(std::vector<HWND> controls) { tabOrder_ = std::move(controls); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static void MakeClientSize(HWND wnd, int width, int height);
    // A dialog frame's system menu keeps only Move and Close.
    void TrimSystemMenu();

  private:
    bool CanFocus(HWND control) const;
    TApplication& app_;
    HWND activeControl_ = nullptr;
    std::vector<HWND> tabOrder_;
};

} // namespace dodir
