// Window plumbing shared by every window of the program: the exception firewall at the
// window procedure, program-registered window classes and subclassed standard controls.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "base/geometry.h"
#include "base/win/handles.h"

namespace dodir::win {

// Where every error that reaches a window procedure, hook or callback goes: to the newest
// registration alive (the application holds one for its lifetime), else nowhere. The platform
// calls those procedures with nothing of the program in hand, so this is the one way there.
class ErrorReporterRegistration {
  public:
    explicit ErrorReporterRegistration(std::function<void(std::exception_ptr)> report) noexcept;
    ErrorReporterRegistration(const ErrorReporterRegistration&) = delete;
    ErrorReporterRegistration& operator=(const ErrorReporterRegistration&) = delete;
    // The registration before it takes over again.
    ~ErrorReporterRegistration();

  private:
    friend void ReportError(std::exception_ptr error) noexcept;
    std::function<void(std::exception_ptr)> report_;
    ErrorReporterRegistration* previous_;
};
void ReportError(std::exception_ptr error) noexcept;

// Runs f; an error that escapes it is reported and fallback returned instead.
template <class F, class R> R Guard(F&& f, R fallback) noexcept {
    try {
        return f();
    } catch (...) {
        ReportError(std::current_exception());
        return fallback;
    }
}

// A window of a class the program registers; messages go to HandleMessage.
class TWindow {
  public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const noexcept { return handle_; }

  protected:
    static void RegisterWindowClass(const char* className, UINT style, HBRUSH background, HICON icon);
    void CreateHandle(DWORD exStyle, const char* className, const std::string& caption, DWORD style, int x,
                      int y, int width, int height, HWND parent, HMENU menuOrId);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
    // Destroys the window; from the first step of it no message reaches HandleMessage, so a
    // derived class can call it while everything its handlers use still exists.
    void DestroyHandle() noexcept;

  private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
};

// A standard control (EDIT, BUTTON, COMBOBOX, RICHEDIT ...) whose messages pass through
// HandleMessage first; CallOriginal hands a message on to the control's own procedure.
class TSubclassedControl {
  public:
    TSubclassedControl() = default;
    TSubclassedControl(const TSubclassedControl&) = delete;
    TSubclassedControl& operator=(const TSubclassedControl&) = delete;
    virtual ~TSubclassedControl();

    HWND Handle() const noexcept { return handle_; }

  protected:
    // Creates the control and subclasses it.
    void CreateControl(DWORD exStyle, const char* className, const std::string& text, DWORD style, int x,
                       int y, int width, int height, HWND parent, int id);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam);
    // Subclasses fresh in place of the current window, which is handed back unsubclassed.
    UniqueWindow SwapWindow(HWND fresh);

  private:
    void Attach(HWND wnd);
    void Detach(HWND wnd) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
    WNDPROC original_ = nullptr; // the control's own procedure
};

// While alive, every other enabled visible top-level window of the thread is disabled;
// afterwards they are enabled again and the active window and focus are restored.
class TaskWindowsDisabled {
  public:
    explicit TaskWindowsDisabled(HWND except = nullptr);
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
    ~TaskWindowsDisabled();

  private:
    HWND active_;
    HWND focus_;
    HWND disabled_[64]{};
    int count_ = 0;
};

std::string GetWindowTextString(HWND wnd);

// Messages a control sends its form. Numbers from WM_APP on are the program's own: no
// control or common dialog sends them to a form, and the offset keeps them apart from any
// the platform's own classes define there.
// Gives a control the focus as the form's active control.
constexpr UINT kMsgSetActiveControl = WM_APP + 0x100;
// A control's window (wParam) was replaced by another (lParam).
constexpr UINT kMsgControlReplaced = WM_APP + 0x101;
// Sent by a form to a control it is asked to colour (wParam: the control's DC) after the
// default colours were set: the control may set its own text colour.
constexpr UINT kMsgControlColor = WM_APP + 0x102;

inline RECT ToRECT(const TRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
// A window's frame in screen coordinates.
TRect WindowBounds(HWND wnd);
// A monitor's whole area (not only its work area).
TRect MonitorArea(HMONITOR monitor);
// The work area (without the taskbar) of the monitor a window is on, or nearest to.
TRect WorkArea(HWND wnd);
// Moves a window without sizing, activating it or changing its z-order.
void MoveWindowTo(HWND wnd, TPoint at);
// Moves a window, as MoveWindowTo, to where it stands centred across a monitor's whole area
// with 1/`parts` of the free height above it (CentreIn: 2 centres, 3 puts it a third down).
void CentreOnMonitor(HWND wnd, HMONITOR monitor, int parts = 2);
// The primary monitor, whose area is the screen's from (0, 0).
HMONITOR PrimaryMonitor();
// Puts a top-level window's frame with its top-left corner at `at`, sized so that the inside
// is `client`: measured for the frame's edges at `dpi` (Windows 10's measure where there is
// one), and corrected by what the window then has inside.
void PlaceFrame(HWND wnd, TPoint at, TSize client, int dpi);
// The resolution a window is drawn at, its monitor's where the program is aware of monitors
// (Windows 10's measure); 0 where the platform cannot say.
int WindowDpi(HWND wnd);
// The resolution the platform gives its system metrics and fonts at; 0 where it cannot say.
int SystemMetricsDpi();
// The platform's message font measured for a resolution; false where the platform cannot say.
bool MessageFontForDpi(int dpi, LOGFONTA& font);
// The screen's resolution in dots per inch, as the platform reports it to this process.
int ScreenPixelsPerInch();

} // namespace dodir::win
