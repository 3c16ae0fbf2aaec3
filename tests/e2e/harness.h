// Drives the real dodir.exe from outside, through its windows, with real input.
#pragma once
#include <windows.h>

#include <string>

#include "app/status_panels.h"
#include "support/win_helpers.h"

namespace e2e {

using dodir::testing::ClassOf;
using dodir::testing::ClipboardText;
using dodir::testing::PutOnClipboard;
using dodir::testing::ReadFileBytes;
using dodir::testing::TempFolder;
using dodir::testing::TextOf;
using dodir::testing::WriteFileBytes;

// One run of the program, started fresh and ended at the latest by the destructor.
class Program {
  public:
    // showCommand: the show command the program is started with, as a shortcut gives it.
    explicit Program(int showCommand = SW_SHOWNORMAL);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    HWND MainWindow() const noexcept { return main_; }
    DWORD ProcessId() const noexcept { return pi_.dwProcessId; }
    // A control of the main window by its identifier.
    HWND Control(int id) const { return ::GetDlgItem(main_, id); }
    // Waits for the process to end; gives its exit code, or -1 when it still runs.
    long WaitForExit(int timeoutMs);
    // A top-level window of the program with that class (and caption, if given), visible
    // unless asked otherwise.
    HWND FindWindowOf(const char* className, const char* caption = nullptr, int timeoutMs = 5000,
                      bool visibleOnly = true) const;

  private:
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
};

// A path as Windows programs take it (a Unix path becomes one on drive Z:).
std::string WindowsPath(std::string path);
RECT ClientRectOnScreen(HWND wnd);
// Sends a message whose lParam points at size bytes of buf, through memory in the window's
// own process (messages other than the system's own are not carried across processes).
bool SendWithRemoteBuffer(HWND wnd, UINT msg, WPARAM wParam, void* buf, SIZE_T size);
// The text of a status bar panel of another process.
std::string StatusPanelText(HWND statusBar, dodir::TStatusPanel panel);

// The message text of a box, ours and the platform's alike.
inline std::string BoxText(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }
// Closed or hidden.
inline bool Gone(HWND wnd) { return !::IsWindow(wnd) || !::IsWindowVisible(wnd); }

// The window that has the keyboard focus in the thread of a window of another process.
HWND FocusOf(HWND wnd);

// Real input.
void MoveMouse(HWND wnd, int clientX, int clientY);
void Click(HWND wnd, int clientX, int clientY, bool right = false);
// Presses the left button at one point, moves with it held and lets go at another.
void Drag(HWND wnd, int fromX, int fromY, int toX, int toY);
// Clicks the middle of a window.
void ClickMiddle(HWND wnd);
// Empties an edit box as a user would: a click puts the caret in, Home and Shift+End select
// the text (an edit control has no select-all key of its own), Delete removes it.
void ClearField(HWND edit);
// Clicks the toolbar's button ToolButtonN (number N), wherever it stands.
void ClickToolButton(HWND toolbar, int number);
void PressKey(WORD vk, bool shift = false, bool ctrl = false, bool alt = false);
void TypeText(const std::string& ascii);
// Gives the foreground to a window (by clicking its caption bar when asked to).
void Activate(HWND wnd);

// Waits until pred holds, polling; gives its last value.
template <class Pred> bool WaitFor(Pred pred, int timeoutMs = 5000) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(timeoutMs);
    while (::GetTickCount() < end) {
        if (pred()) return true;
        ::Sleep(20);
    }
    return pred();
}

// Saves the window's pixels as a 24-bit BMP file.
bool SaveScreenshot(HWND wnd, const std::string& path);
// The colour of one pixel of a window's client area, as it is on the screen.
COLORREF PixelAt(HWND wnd, int clientX, int clientY);

} // namespace e2e
