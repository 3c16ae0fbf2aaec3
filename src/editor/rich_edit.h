// TRichEdit: the program's only text editor, a wrapper of the Rich Edit 1.0 control.
// A position or length it takes or gives as an int is a byte offset into the code page 932
// text, CR LF counting two, whatever unit the control underneath counts in; a position in
// that unit is a TControlPos.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <optional>
#include <string>

#include "base/colors.h"
#include "base/content_stream.h"
#include "base/fonts.h"
#include "base/win/handles.h"
#include "base/win/window.h"

namespace dodir {

class TRichEdit;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits of mouse and key events.
enum TShiftState : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
unsigned ShiftStateFromMouse(WPARAM keys);

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A position in the control's own unit: bytes where it counts bytes, characters where it
// counts characters. Never made from a byte offset by accident: only explicitly.
struct TControlPos {
    constexpr TControlPos() noexcept = default;
    constexpr explicit TControlPos(int at) noexcept : value(at) {}
    friend constexpr bool operator==(TControlPos, TControlPos) noexcept = default;
    int value = 0;
};

// Character format of the selection (SCF_SELECTION) or of the default format (SCF_DEFAULT).
class TTextAttributes {
  public:
    TTextAttributes(TRichEdit& owner, bool selection) : owner_(owner), selection_(selection) {}
    void TextColor(TColor color);
    void AssignFont(const TFont& font);

  private:
    TRichEdit& owner_;
    bool selection_;
};

// A line view of the control's text; it stores nothing itself.
class TRichEditStrings {
  public:
    explicit TRichEditStrings(TRichEdit& owner) : owner_(owner) {}
    int LineCount();
    std::string LineAt(int index);
    void AddLine(const std::string& line);
    void ClearAll();
    std::string JoinedText();

  private:
    // Text longer than this many of the control's positions is emptied by replacing the window.
    static constexpr int kLongText = 16384;
    TRichEdit& owner_;
};

struct TRichEditSettings {
    int id = 0;
    RECT bounds{}; // left, top, right, bottom in the parent's client area
    bool verticalScrollBar = false;
    TAlignment alignment = TAlignment::taLeftJustify;
    TColor color = clWindow;
    TFont font;
    bool wordWrap = true; // false: no wrapping, a line wider than the control is cut
    // Pixels the text is laid out beyond the control's left edge: a right-aligned line wider
    // than the control then keeps its right end in view and is cut at its left.
    int leftOverhang = 0;
};

class TRichEdit : public win::TSubclassedControl, public TContentHolder {
  public:
    // The largest text limit the control takes; set by a successful load.
    static constexpr int kUnlimitedText = 0x7FFFFFF0;

    TRichEdit(HWND parent, const TRichEditSettings& settings);

    TRichEditStrings Lines{*this};
    TTextAttributes SelectionFormat{*this, true};
    TTextAttributes DefaultFormat{*this, false};

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

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const noexcept { return font_; }
    void SetFont(const TFont& font);
    void SetTextLimit(int limit);

    // Raised before the control applies a character; set it to NUL to cancel it.
    std::function<void(char& key)> OnKeyPress;
    // Raised after the control handled a button press (the caret has moved already).
    std::function<void(TMouseButton button, unsigned shift, int x, int y)> OnMouseDown;
    // Raised after the control handled a mouse move.
    std::function<void(unsigned shift, int x, int y)> OnMouseMove;

    // Native position unit of the control in this process: true when it counts characters.
    static bool CountsCharacters();

    // Conversions between byte offsets and the control's own positions.
    TControlPos NativeFromByte(int bytePos);
    int ByteFromNative(TControlPos nativePos);

    // The whole content in and out (TContentHolder). A source that is taken also lifts the
    // text limit to kUnlimitedText. The content read goes into an empty window of its own,
    // which takes the place of the control's window only once the reading succeeded.
    bool ReplaceContent(TContentSource& source) override;
    bool WriteContent(TContentSink& sink) override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    friend class TRichEditStrings;
    friend class TTextAttributes;
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(Handle(), msg, wParam, lParam);
    }
    int NativeTextLength();
    // The text of `length` control positions from start, in bytes (fewer at the text's end).
    std::string TextRun(TControlPos start, int length);
    // An empty, hidden control window with this one's place, styles, format and text limit,
    // to be filled and then put in place, or dropped.
    win::UniqueWindow EmptyTwinWindow();
    // Whether a content of `size` bytes (0: not known) goes into the twin with its vertical
    // scroll bar shown before the stream: one that surely overflows the window.
    bool TakesBarFirst(HWND twin, std::size_t size) const;
    // After a read with the bar shown first: the bar hidden again when the text fits. Unsure
    // when the text might have fitted at the full width although it does not at the narrow.
    enum class TBarFirstOutcome { Same, Unsure };
    TBarFirstOutcome SettleBarFirst(HWND twin);
    // Puts a twin in place of the control's window, which is destroyed; the focus and the
    // form follow (TellFormOfNewWindow).
    void PutInPlace(win::UniqueWindow twin);
    // Sets a control window up as this one: default format, text limit, events, background,
    // formatting rectangle.
    void Prepare(HWND wnd, LRESULT textLimit);
    // Widens the control's own formatting rectangle leftward by leftOverhang_.
    void ApplyLeftOverhang(HWND wnd) const;
    // The first `bytes` bytes of the text (fewer when the text is shorter), whole characters.
    std::string TextPrefix(int bytes);
    bool RaiseKeyPress(char& key);
    LRESULT BackspaceKeyDown(WPARAM wParam, LPARAM lParam);
    // Whether a position of the control starts a character (always, where it counts them).
    bool StartsCharacter(TControlPos nativePos);
    // Whether a position of the control lies between the CR and the LF of a line break.
    bool InsideLineBreak(LONG nativePos);
    // Takes a selection a key left past the end of the text, or with an end inside a line
    // break, back into the text; `before` is the selection before the key.
    void KeepSelectionInText(const CHARRANGE& before, WPARAM key, LPARAM lParam);
    // Pastes plain text from the clipboard in one piece (nothing while another program keeps
    // the clipboard busy); false when the control should paste.
    bool PasteText();
    void InsertTypedPair(char lead, char trail);
    void RaiseMouseDown(TMouseButton button, WPARAM keys, LPARAM lParam, bool isDouble);

    DWORD style_ = 0; // the window styles the control is created with
    int leftOverhang_ = 0;
    TColor color_;
    TFont font_;
    bool backspaceRaised_ = false;
    bool backspaceCancelled_ = false;
    int pendingLead_ = -1;
};

// A font as one character-format request, for the selection or the default format.
void SendFont(HWND wnd, WPARAM scope, const TFont& font);

} // namespace dodir
