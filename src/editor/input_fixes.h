// TInputFixes: what an editor does with its control's input around the control's own handling.
// Wine's Rich Edit 1.0 control needs fixes there: Backspace deletes on the key, not its
// character; a double-byte character typed as two character messages would go in broken; keys
// leave the caret past the text's end or inside a line break; plain text is pasted in pieces;
// a busy clipboard makes a paste fail; a dialog code asked with its message swallows Enter.
// On the way it raises the editor's key-press and mouse events.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <utility>

namespace dodir {

class TRichEdit;
enum class TMouseButton;

class TInputFixes {
  public:
    // Hands a message on to the control's own window procedure.
    using TControlProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    // The fixes of `editor`'s window, raising its events; `control` is the control's own
    // procedure. The editor outlives them.
    TInputFixes(TRichEdit& editor, TControlProc control) : editor_(editor), control_(std::move(control)) {}

    // A message of the editor's window, handed on to the control as far as it should go.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Forgets a half-typed character and a Backspace press: the window they went to is gone,
    // or the focus left it.
    void Forget() noexcept {
        pendingLead_ = -1;
        backspaceRaised_ = false;
    }

  private:
    HWND Window() const noexcept;
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(Window(), msg, wParam, lParam);
    }
    bool RaiseKeyPress(char& key);
    void RaiseMouseDown(TMouseButton button, WPARAM keys, LPARAM lParam, bool isDouble);
    LRESULT BackspaceKeyDown(WPARAM wParam, LPARAM lParam);
    void InsertTypedPair(char lead, char trail);
    // Whether a position of the control lies between the CR and the LF of a line break.
    bool InsideLineBreak(LONG nativePos);
    // Takes a selection a key left past the end of the text, or with an end inside a line
    // break, back into the text; `before` is the selection before the key.
    void KeepSelectionInText(const CHARRANGE& before, WPARAM key, LPARAM lParam);
    // Pastes plain text from the clipboard in one piece (nothing while another program keeps
    // the clipboard busy); false when the control should paste.
    bool PasteText();

    TRichEdit& editor_;
    TControlProc control_;
    bool backspaceRaised_ = false;
    bool backspaceCancelled_ = false;
    int pendingLead_ = -1;
};

} // namespace dodir
