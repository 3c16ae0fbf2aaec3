// The Rich Edit 1.0 control's windows as an editor makes them: the control's library, the
// set-up every window of an editor gets (its first, and each twin that later takes its place),
// the character-format requests, and the one message the platform's headers number otherwise.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "base/colors.h"
#include "base/fonts.h"
#include "base/scale.h"

namespace dodir {

// Rich Edit 1.0's EM_SCROLLCARET, which scrolls the caret into view: the platform's headers
// give that name the edit control's number, which this control does not take.
constexpr UINT kRichEditScrollCaret = WM_USER + 49;

// Loads the control's library at the first call and keeps it to the end of the process; a
// failed load is tried again at the next call.
void LoadRichEditLibrary();

// What every window of one editor is made and set up with. The editor keeps its colour and
// font here current, so that a window made later is set up as the editor is now.
struct TEditorWindowSetup {
    // The window styles the control is created with.
    DWORD style = 0;
    // Pixels the text is laid out beyond the control's left edge.
    int leftOverhang = 0;
    // The screen's resolution: font sizes in points follow it.
    int pixelsPerInch = TScale::kDesignDpi;
    TColor color = clWindow;
    TFont font;
};

// Sets a control window up as the editor's: default format, text limit, events, background,
// formatting rectangle.
void SetUpWindow(HWND wnd, const TEditorWindowSetup& setup, LRESULT textLimit);

// A font as one character-format request for the selection or the default format (`scope`),
// its size in points at `pixelsPerInch`.
void SendFont(HWND wnd, WPARAM scope, const TFont& font, int pixelsPerInch);
// A text colour as one character-format request; the window's text colour follows the system's.
void SendTextColor(HWND wnd, WPARAM scope, TColor color);

} // namespace dodir
