// TCustomForm: a top-level window of the program with an active control, a tab order and
// the keyboard navigation of a dialog (Tab, Shift+Tab, arrows on push buttons).
#pragma once
#include <windows.h>

#include <functional>
#include <span>
#include <vector>

#include "base/geometry.h"
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

    // Runs `handler` whenever the control `id` reports `notification` (BN_CLICKED,
    // CBN_SELCHANGE ...); the one way a control's command reaches the form's code.
    void OnCommand(int id, int notification, std::function<void()> handler);

  protected:
    // The form's controls in tab order, tab stops and others alike.
    void SetTabOrder(std::vector<HWND> controls) { tabOrder_ = std::move(controls); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Creates the form's window with a dialog frame: not resizable, a close button only,
    // a system menu of Move and Close, owned by the application's window. `client` is
    // the size inside the frame.
    void CreateDialogFrame(const char* className, const char* caption, TPoint at, TSize client);
    // Sizes the frame so that the inside is `width` by `height`.
    void MakeClientSize(int width, int height);

  private:
    struct TCommand {
        int id;
        int notification;
        std::function<void()> handler;
    };
    void TrimSystemMenu();
    bool CanFocus(HWND control) const;
    TApplication& app_;
    HWND activeControl_ = nullptr;
    std::vector<HWND> tabOrder_;
    std::vector<TCommand> commands_;
};

// A caption the form paints itself, in the window's background, in the form's regular
// or large font.
struct TLabelRow {
    int left, top;
    const char* caption;
    bool large;
};
void PaintLabels(HDC dc, std::span<const TLabelRow> labels, HFONT regular, HFONT large);

} // namespace dodir
