// TRichEdit: the program's only text editor, a wrapper of the Rich Edit 1.0 control. A
// position or length it takes or gives as an int is a byte offset into the code page 932
// text, CR LF counting two, whatever unit the control underneath counts in; a position in
// that unit is a TControlPos.
// Its parts, each in a file of its own: the platform's input fixes, which raise its events
// (input_fixes.h); the whole content in and out through a twin window that takes the
// control's place (content_door.h); the line view (line_view.h); the text and positions in
// the control's unit (control_text.h); the set-up every window of it gets (control_window.h).
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <optional>
#include <string>

#include "base/colors.h"
#include "base/content_stream.h"
#include "base/fonts.h"
#include "base/scale.h"
#include "base/win/window.h"
#include "editor/content_door.h"
#include "editor/control_text.h"
#include "editor/control_window.h"
#include "editor/input_fixes.h"
#include "editor/line_view.h"

namespace dodir {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits of mouse events.
enum TShiftState : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Character format of the selection.
class TTextAttributes {
  public:
    TTextAttributes(const win::TSubclassedControl& owner, int pixelsPerInch)
        : owner_(owner), pixelsPerInch_(pixelsPerInch) {}
    void TextColor(TColor color);
    // The font's pixel height is taken at the resolution the editor's fonts are given in.
    void AssignFont(const TFont& font);
    void SetPixelsPerInch(int pixelsPerInch) noexcept { pixelsPerInch_ = pixelsPerInch; }

  private:
    const win::TSubclassedControl& owner_;
    int pixelsPerInch_;
};

struct TRichEditSettings {
    int id = 0;
    RECT bounds{}; // left, top, right, bottom in the parent's client area
    bool verticalScrollBar = false;
    TAlignment alignment = TAlignment::taLeftJustify;
    TColor color = clWindow;
    TFont font;
    // The screen's resolution, which the creator was laid out for: a font's size in points
    // follows it.
    int pixelsPerInch = TScale::kDesignDpi;
    bool wordWrap = true; // false: no wrapping, a line wider than the control is cut
    // Pixels the text is laid out beyond the control's left edge: a right-aligned line wider
    // than the control then keeps its right end in view and is cut at its left.
    int leftOverhang = 0;
};

class TRichEdit : public win::TSubclassedControl, public TContentHolder {
  public:
    // The largest text limit the control takes; set by a successful load.
    static constexpr int kUnlimitedText = TContentDoor::kUnlimitedText;

    TRichEdit(HWND parent, const TRichEditSettings& settings);

    TRichEditStrings Lines;
    TTextAttributes SelectionFormat;

    std::string Text();
    int TextLength(); // bytes
    int SelectionStart();
    void SetSelectionStart(int pos);
    int SelectionLength();
    void SetSelectionLength(int length);
    void ReplaceSelection(const std::string& text);
    void CutSelection();
    void CopySelection();
    void PasteClipboard();
    void SelectWholeText();
    void UndoLastEdit();
    // No painting while alive; the control is repainted whole afterwards.
    class RedrawSuspended {
      public:
        explicit RedrawSuspended(TRichEdit& edit) : edit_(edit) { edit_.Send(WM_SETREDRAW, FALSE); }
        RedrawSuspended(const RedrawSuspended&) = delete;
        RedrawSuspended& operator=(const RedrawSuspended&) = delete;
        ~RedrawSuspended() {
            edit_.Send(WM_SETREDRAW, TRUE);
            ::InvalidateRect(edit_.Handle(), nullptr, TRUE);
        }

      private:
        TRichEdit& edit_;
    };

    // A piece of the text in the control's own positions: what a search found, to be
    // selected or replaced without converting positions.
    struct TSpan {
        TControlPos min, max;
        bool Empty() const noexcept { return min == max; }
    };
    TSpan SelectionSpan();
    // The first occurrence of `text` (exact letter case, whole characters only) that starts
    // at or after `from`; none when there is none or the text is empty.
    std::optional<TSpan> FindFrom(const std::string& text, TControlPos from);
    // Selects a span and scrolls it into view.
    void SelectSpan(TSpan span);
    // Replaces a span, leaving the caret after the new text; not recorded for undo.
    void ReplaceSpan(TSpan span, const std::string& text);
    void Focus();

    TColor Color() const noexcept { return setup_.color; }
    void SetColor(TColor color);
    const TFont& Font() const noexcept { return setup_.font; }
    void SetFont(const TFont& font);
    // The resolution the font's pixels (and the selection fonts handed over) are counted at.
    int PixelsPerInch() const noexcept { return setup_.pixelsPerInch; }
    // Counts the fonts at another resolution: the font keeps its size in points (its pixel
    // height follows the resolution) and goes to the control again; the text keeps its own
    // formats, which the control holds in points.
    void SetPixelsPerInch(int pixelsPerInch);
    void SetTextLimit(int limit);

    // Raised before the control applies a character; set it to NUL to cancel it.
    std::function<void(char& key)> OnKeyPress;
    // Raised after the control handled a button press (the caret has moved already).
    std::function<void(TMouseButton button, unsigned shift, int x, int y)> OnMouseDown;
    // Raised after the control handled a mouse move.
    std::function<void(unsigned shift, int x, int y)> OnMouseMove;

    // Conversions between byte offsets and the control's own positions.
    TControlPos NativeFromByte(int bytePos) const { return ControlText().NativeFromByte(bytePos); }
    int ByteFromNative(TControlPos nativePos) const { return ControlText().ByteFromNative(nativePos); }

    // The whole content in and out (TContentHolder), through the content door: a source that
    // is taken also lifts the text limit to kUnlimitedText.
    bool ReplaceContent(TContentSource& source) override { return door_.ReplaceContent(source); }
    bool WriteContent(TContentSink& sink) override { return door_.WriteContent(sink); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(Handle(), msg, wParam, lParam);
    }
    TControlText ControlText() const noexcept { return TControlText(Handle()); }
    // Subclasses `fresh` in place of the control's window, which is handed back; what was
    // half typed into that one is forgotten (the content door's swap).
    win::UniqueWindow TakeWindow(HWND fresh);

    TEditorWindowSetup setup_;
    TInputFixes input_;
    TContentDoor door_;
};

} // namespace dodir
