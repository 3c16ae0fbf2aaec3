#include "editor/input_fixes.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "base/cp932.h"
#include "base/win/handles.h"
#include "editor/control_text.h"
#include "editor/rich_edit.h"

namespace dodir {

namespace {

// The character Ctrl+Backspace makes.
constexpr WPARAM kCtrlBackspace = 0x7F;

unsigned ShiftStateFromMouse(WPARAM keys) {
    unsigned s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

} // namespace

HWND TInputFixes::Window() const noexcept { return editor_.Handle(); }

LRESULT TInputFixes::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Asked with the message attached, Wine's control takes itself for part of a dialog
        // box for good and from then on swallows Enter. The editor is in no dialog box: it is
        // asked without, and keeps taking Enter as a line break.
        return control_(msg, wParam, 0);
    case WM_KEYDOWN:
        if (wParam == VK_BACK) return BackspaceKeyDown(wParam, lParam);
        // The paste keys, which the control would handle without a WM_PASTE.
        if (::GetKeyState(VK_MENU) >= 0 &&
            ((wParam == 'V' && ::GetKeyState(VK_CONTROL) < 0) ||
             (wParam == VK_INSERT && ::GetKeyState(VK_SHIFT) < 0 && ::GetKeyState(VK_CONTROL) >= 0)))
            return Send(WM_PASTE);
        {
            CHARRANGE before{};
            Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&before));
            const LRESULT result = control_(msg, wParam, lParam);
            KeepSelectionInText(before, wParam, lParam);
            return result;
        }
    case WM_PASTE:
        if (PasteText()) return 0;
        // The control's own paste gives up at once on a busy clipboard: it waits here first,
        // as the text path does (and nothing happens if it stays busy).
        if (!win::ClipboardFree(Window())) return 0;
        return control_(msg, wParam, lParam);
    case WM_KILLFOCUS:
        // Half a character must not wait for a trail byte typed who knows when.
        Forget();
        return control_(msg, wParam, lParam);
    case WM_CHAR: {
        if (backspaceRaised_ && (wParam == '\b' || wParam == kCtrlBackspace)) {
            backspaceRaised_ = false;
            // The key did its work; the DEL of Ctrl+Backspace would go in as a character.
            return backspaceCancelled_ || wParam == kCtrlBackspace ? 0 : control_(msg, wParam, lParam);
        }
        backspaceRaised_ = false;
        char key = static_cast<char>(wParam);
        if (pendingLead_ >= 0) {
            const char lead = static_cast<char>(pendingLead_);
            pendingLead_ = -1;
            if (RaiseKeyPress(key)) InsertTypedPair(lead, key);
            return 0;
        }
        if (!RaiseKeyPress(key)) return 0;
        // Wine stores a double-byte character typed as two character messages broken:
        // the pair is joined here and inserted as one, still undoable.
        if (TControlText::CountsCharacters() && IsLeadByte(static_cast<unsigned char>(key))) {
            pendingLead_ = static_cast<unsigned char>(key);
            return 0;
        }
        return control_(msg, static_cast<unsigned char>(key), lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        const auto result = control_(msg, wParam, lParam);
        const bool isDouble = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
        const auto button = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)   ? TMouseButton::mbLeft
                            : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) ? TMouseButton::mbRight
                                                                                 : TMouseButton::mbMiddle;
        RaiseMouseDown(button, wParam, lParam, isDouble);
        return result;
    }
    case WM_MOUSEMOVE: {
        const auto result = control_(msg, wParam, lParam);
        if (editor_.OnMouseMove)
            editor_.OnMouseMove(ShiftStateFromMouse(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return result;
    }
    default:
        return control_(msg, wParam, lParam);
    }
}

bool TInputFixes::RaiseKeyPress(char& key) {
    if (editor_.OnKeyPress) editor_.OnKeyPress(key);
    return key != '\0';
}

void TInputFixes::RaiseMouseDown(TMouseButton button, WPARAM keys, LPARAM lParam, bool isDouble) {
    if (!editor_.OnMouseDown) return;
    unsigned shift = ShiftStateFromMouse(keys);
    if (isDouble) shift |= ssDouble;
    editor_.OnMouseDown(button, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

LRESULT TInputFixes::BackspaceKeyDown(WPARAM wParam, LPARAM lParam) {
    // Wine's control deletes on the Backspace key itself, not on its character message: the
    // key-press event comes here, once, with the character the key makes (DEL with Ctrl),
    // and the character message that follows is not raised again. An error from the
    // handler stops the key as it would stop its character.
    const char made = ::GetKeyState(VK_CONTROL) < 0 ? static_cast<char>(kCtrlBackspace) : '\b';
    backspaceRaised_ = true;
    backspaceCancelled_ = true;
    char key = made;
    const bool keep = RaiseKeyPress(key);
    backspaceCancelled_ = !(keep && key == made);
    if (!backspaceCancelled_) return control_(WM_KEYDOWN, wParam, lParam);
    // Cancelled or turned into another character: that character goes in instead.
    if (keep) control_(WM_CHAR, static_cast<unsigned char>(key), lParam);
    return 0;
}

void TInputFixes::InsertTypedPair(char lead, char trail) {
    // Typing is refused at the text limit; EM_REPLACESEL alone would not be.
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    const auto limit = Send(EM_GETLIMITTEXT);
    if (TControlText(Window()).NativeLength() - (r.cpMax - r.cpMin) + 1 > limit) return;
    const char pair[3] = {lead, trail, '\0'};
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pair));
}

bool TInputFixes::InsideLineBreak(LONG nativePos) {
    if (nativePos <= 0) return false;
    char buf[8] = {};
    TEXTRANGEA range{{nativePos - 1, nativePos + 1}, buf};
    return Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) == 2 && buf[0] == '\r' &&
           buf[1] == '\n';
}

void TInputFixes::KeepSelectionInText(const CHARRANGE& before, WPARAM key, LPARAM lParam) {
    // Wine's control lets Right, Down, End and Page Down take the caret past the end of the
    // text into the final paragraph mark, which is not part of it; Enter typed there brings
    // the control down.
    CHARRANGE r{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    if (r.cpMin == before.cpMin && r.cpMax == before.cpMax) return; // the key moved nothing
    const int len = TControlText(Window()).NativeLength();
    if (r.cpMax > len || r.cpMin > len) {
        r = {std::min<LONG>(r.cpMin, len), std::min<LONG>(r.cpMax, len)};
        Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    }
    // A caret at the start of its line (where Enter leaves it) is outside every line break.
    // Asked first: the control keeps where the caret's line starts, where a look at the text
    // around a position walks the document up to it.
    if (r.cpMin == r.cpMax && Send(EM_LINEINDEX, static_cast<WPARAM>(-1)) == r.cpMin) return;
    // Left from the start of a line, or Right from the end of the line before, stops it
    // between the CR and the LF of the line break: Enter there brings the control down too,
    // and a character typed there splits the break in two. The arrow goes on once more, over
    // the LF or back over the CR, so that a selection keeps the end that moves.
    if (!InsideLineBreak(r.cpMin) && !InsideLineBreak(r.cpMax)) return;
    if ((key == VK_LEFT || key == VK_RIGHT) && ::GetKeyState(VK_CONTROL) >= 0) {
        control_(WM_KEYDOWN, key, lParam);
        Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
        if (!InsideLineBreak(r.cpMin) && !InsideLineBreak(r.cpMax)) return;
    }
    // Any other way in: an end that moved forward goes past the LF, one that moved back
    // before the CR.
    const auto out = [&](LONG at, LONG was) {
        return !InsideLineBreak(at) ? at : at > was ? at + 1 : at - 1;
    };
    CHARRANGE outside{out(r.cpMin, before.cpMin), out(r.cpMax, before.cpMax)};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&outside));
}

bool TInputFixes::PasteText() {
    // Wine's control pastes plain text in pieces of 2048 characters and takes a CR and its LF
    // that fall into two pieces for two paragraph breaks: an empty row that is not in the
    // text, and line numbers running ahead of it from there on. Plain text goes in here in
    // one piece, still undoable. Rich text (the control's own copies) is read whole by the
    // control's reader and is left to it, as is a read-only control.
    static const UINT richText = ::RegisterClipboardFormatA("Rich Text Format");
    if (!TControlText::CountsCharacters() || (::GetWindowLongPtrA(Window(), GWL_STYLE) & ES_READONLY) ||
        ::IsClipboardFormatAvailable(richText) || !::IsClipboardFormatAvailable(CF_TEXT))
        return false;
    std::string text;
    {
        // One open, which waits for a busy clipboard and never fails loudly: a clipboard
        // another program keeps busy has nothing to paste for now, as an empty one has not.
        const win::ClipboardScope clipboard(Window(), win::ClipboardScope::TIfFree{});
        if (!clipboard.Open()) return true;
        text = clipboard.Text();
    }
    if (text.empty()) return false; // nothing readable as text: the control decides
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

} // namespace dodir
