// TApplication: the hidden owner window with the taskbar entry, the event loop and the
// error box for every error that escapes a handler. The program's start-up makes one and
// hands it on; while it lives, the errors of every window procedure come to its error box.
#pragma once
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "base/win/window.h"
#include "ui/common_dialog.h"

namespace dodir {

class TCustomForm;

class TApplication : public win::TWindow {
  public:
    TApplication();
    ~TApplication() override;

    const std::string& Title() const noexcept { return title_; }
    void SetTitle(const std::string& title);

    // The first form added is the main form.
    TCustomForm* MainForm() const noexcept { return forms_.empty() ? nullptr : forms_.front(); }
    const std::vector<TCustomForm*>& Forms() const noexcept { return forms_; }
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

    // The modeless dialog whose keyboard navigation the loop runs (find, replace).
    void SetCurrentDialog(HWND dialog) noexcept { currentDialog_ = dialog; }
    HWND CurrentDialog() const noexcept { return currentDialog_; }

    // What the standard dialogs use of the application: its window owns them, its active form
    // places them, its loop runs a modeless one's keys and its error box shows their errors.
    TDialogHost DialogHost();

    // Shows the main form and its owner entry as the process was asked to start.
    void ShowMainForm();
    // Minimizes the owner window, hiding the forms; Restore brings them back.
    void Minimize();
    void Restore();
    // The event loop, until the quit message or the end of the session.
    void Run();
    // One pass of the loop: false when no message was waiting.
    bool ProcessMessage();
    void Terminate() noexcept { terminated_ = true; }
    bool Terminated() const noexcept { return terminated_; }

    // Reports an error that escaped a handler; EAbort is dropped.
    void HandleException(std::exception_ptr error);
    void ShowErrorBox(const std::string& message);

    // The end of the platform's session, which every top-level window of the program is asked
    // about (WM_QUERYENDSESSION, WM_ENDSESSION): the application answers for each of them.
    // Nothing holds the session up, and its end ends the loop.
    static bool IsSessionMessage(UINT msg) noexcept {
        return msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION;
    }
    LRESULT SessionMessage(UINT msg, WPARAM wParam) noexcept;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    bool IsKeyboardNavigation(MSG& msg);
    std::string title_;
    std::vector<TCustomForm*> forms_;
    HWND currentDialog_ = nullptr;
    bool terminated_ = false;
    win::UniqueIcon icon_;
    // The last member: registered before the constructor makes the window, and the first to go.
    win::ErrorReporterRegistration errorReporter_{
        [this](std::exception_ptr error) { HandleException(error); }};
};

} // namespace dodir
